// Operator actions reach the store as one transaction each: all of an action or none of it.
#include "charging/charge.h"
#include "printing/pendingprints.h"
#include "stations/counters.h"
#include "support/testsupport.h"
#include "tariffs/openstation.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

struct Cafe : test::CounterServices {
    PendingPrints prints{store.db()};
    Charging charging{{stations, actions, prints, commands, journal, prompts}};
    OpenStation open{stations, actions, settings, prompts};

    // PC01 counts for two minutes with a print job pending; PC02 is free. A standard tariff.
    Cafe()
    {
        store.exec(u"INSERT INTO CYBER (PC, MODALIDAD, LSTVARX, TIEMPO, vartipex2, TARIFA, TOTAL, "
                   u"PCNAME) VALUES ('PC01', 'CONTADOR', '1', '0:02:00', '0:02:00', 2, 2, ?), "
                   u"('PC02', NULL, NULL, NULL, NULL, NULL, NULL, NULL)"_s,
                   {u"\\\\PC01"_s});
        store.exec(u"INSERT INTO TARIFAS (NOMBRE, TARIFA, TARIF_MIN, TIPO) VALUES "
                   u"('Normal', 1, 0.5, 'ST')"_s);
        store.exec(u"INSERT INTO Impresiones (PC, impresora, cantidad, valor, jobid) VALUES "
                   u"(?, 'HP', 3, '1,50', 7)"_s,
                   {u"\\\\pc01"_s});
        loadStations();
        prints.reload();
        open.loadTariffs(store.db());
        open.choose(0);
        prompts.answerNext(true); // "Esta todo correcto ?"
    }

    // Each station's mode and time as stored, and the count of pending jobs.
    test::Records cyber()
    {
        return store.rows(u"SELECT PC, MODALIDAD, TIEMPO FROM CYBER ORDER BY rowid"_s);
    }
    QString jobs() { return store.scalar(u"SELECT COUNT(*) FROM Impresiones"_s).toString(); }

    bool run(const QString& action)
    {
        if (action == u"lock")
            return commands.LOCKPC(0);
        if (action == u"charge")
            return charging.COBRAR(*charging.build(0), u"10"_s) == Charging::Outcome::Charged;
        if (action == u"open")
            return open.accept(OpenMode::Open, 1, {true, false, 1, 0}) ==
                   OpenStation::Outcome::Written;
        return clearFreeCounters(stations, actions);
    }
};

} // namespace

class TestActions : public QObject {
    Q_OBJECT
private slots:
    void refusedActionLeavesEverythingAsItWas_data();
    void refusedActionLeavesEverythingAsItWas();
    void tickAfterAnActionWritesNothingTwice();
};

void TestActions::refusedActionLeavesEverythingAsItWas_data()
{
    // What the store holds once the action goes through: the stations ("/" between them, ";"
    // between fields), the journal (an older row kept first) and the count of pending jobs.
    test::addRows("action | refusing table | on | CYBER | journal | jobs", R"(
        lock, station refused  |lock  |CYBER      |UPDATE|PC01;;0:00:00/PC02;;|4,00;ANONIMO;PC09;PREPAGO;Marta/2,00;ANONIMO;PC01;CONTADOR;Marta|1
        lock, journal refused  |lock  |INFORMES   |INSERT|PC01;;0:00:00/PC02;;|4,00;ANONIMO;PC09;PREPAGO;Marta/2,00;ANONIMO;PC01;CONTADOR;Marta|1
        charge, station refused|charge|CYBER      |UPDATE|PC01;;0:00:00/PC02;;|4,00;ANONIMO;PC09;PREPAGO;Marta/2,00;ANONIMO;PC01;CONTADOR;Marta/1,50;ANONIMO;PC01;3 IMPRESION(ES) ;Marta|0
        charge, journal refused|charge|INFORMES   |INSERT|PC01;;0:00:00/PC02;;|4,00;ANONIMO;PC09;PREPAGO;Marta/2,00;ANONIMO;PC01;CONTADOR;Marta/1,50;ANONIMO;PC01;3 IMPRESION(ES) ;Marta|0
        charge, prints refused |charge|Impresiones|DELETE|PC01;;0:00:00/PC02;;|4,00;ANONIMO;PC09;PREPAGO;Marta/2,00;ANONIMO;PC01;CONTADOR;Marta/1,50;ANONIMO;PC01;3 IMPRESION(ES) ;Marta|0
        prepaid opening        |open  |CYBER      |UPDATE|PC01;CONTADOR;0:02:00/PC02;PREPAGO;1:00:00||1
        counter reset          |clear |CYBER      |UPDATE|PC01;CONTADOR;0:02:00/PC02;;0:00:00||1)");
}

void TestActions::refusedActionLeavesEverythingAsItWas()
{
    QFETCH(test::Row, r);
    const QString action = r[u"action"];
    Cafe c;
    // A row kept from an earlier failure is written with the action, or kept again.
    QVERIFY(c.store.exec(u"CREATE TRIGGER full BEFORE INSERT ON INFORMES "
                         u"BEGIN SELECT RAISE(ABORT, 'disco lleno'); END"_s));
    JournalRecord older{{{}, {}, u"4,00"_s, {}, u"PC09"_s, u"PREPAGO"_s, {}}};
    QVERIFY(!c.journal.ADDTOREG(older));
    QVERIFY(c.store.exec(u"DROP TRIGGER full"_s));

    const test::Records cyberBefore = c.cyber(), journalBefore = c.journalRows();
    const QString jobsBefore = c.jobs();
    const test::Records stationsBefore = test::fields(c.stations.stations());
    const test::Records printsBefore = test::fields(c.prints.rows());
    QVERIFY(c.store.exec(u"CREATE TRIGGER refuse BEFORE "_s + r[u"on"] + u" ON "_s +
                         r[u"refusing table"] +
                         u" BEGIN SELECT RAISE(ABORT, 'disco lleno'); END"_s));
    c.prompts.notified.clear();

    QVERIFY(!c.run(action));
    COMPARE_RECORDS(c.cyber(), "PC | MODALIDAD | TIEMPO", cyberBefore);
    COMPARE_RECORDS(c.journalRows(), c.journalColumns, journalBefore);
    QCOMPARE(c.jobs(), jobsBefore);
    COMPARE_RECORDS(test::fields(c.stations.stations()), test::stationColumns, stationsBefore);
    COMPARE_RECORDS(test::fields(c.prints.rows()), test::printColumns, printsBefore);
    QCOMPARE(c.prompts.notified.size(), 1);
    QVERIFY2(c.prompts.notified.first().text.contains(u"disco lleno"_s),
             qPrintable(c.prompts.notified.first().text));
    QCOMPARE(c.journal.unwrittenCount(), 1); // the older row, not the action's

    // Once the store takes writes again the action goes through, with the older row when it
    // journals; no tick has run: the store holds what the action left.
    QVERIFY(c.store.exec(u"DROP TRIGGER refuse"_s));
    c.prompts.answerNext(true);
    QVERIFY(c.run(action));
    COMPARE_RECORDS(c.cyber(), "PC | MODALIDAD | TIEMPO", test::records(r[u"CYBER"], u'/', u';'));
    COMPARE_RECORDS(c.journalRows(), c.journalColumns, test::records(r[u"journal"], u'/', u';'));
    QCOMPARE(c.jobs(), r[u"jobs"]);
}

void TestActions::tickAfterAnActionWritesNothingTwice()
{
    Cafe c;
    QVERIFY(c.store.exec(u"CREATE TABLE writes (n INTEGER)"_s));
    QVERIFY(c.store.exec(u"CREATE TRIGGER counted AFTER UPDATE ON CYBER WHEN new.PC = 'PC02' "
                         u"BEGIN INSERT INTO writes VALUES (1); END"_s));
    c.metering.tick(); // learns what is stored
    QVERIFY(c.commands.LOCKPC(1));
    const int afterLock = c.store.scalar(u"SELECT COUNT(*) FROM writes"_s).toInt();
    c.metering.tick(); // the free station left by the lock is already stored as it is
    QCOMPARE(c.store.scalar(u"SELECT COUNT(*) FROM writes"_s).toInt(), afterLock);
}

} // namespace kestrel

QTEST_GUILESS_MAIN(kestrel::TestActions)
#include "tst_actions.moc"
