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

    // What the store holds: each station's mode and time, the journal, the pending jobs.
    QStringList stored()
    {
        QStringList state;
        QSqlQuery q(store.db());
        q.exec(u"SELECT PC, MODALIDAD, TIEMPO FROM CYBER ORDER BY rowid"_s);
        while (q.next())
            state << q.value(0).toString() + u':' + q.value(1).toString() + u':' +
                         q.value(2).toString();
        q.exec(u"SELECT VALOR, PC, DESCRIP FROM INFORMES ORDER BY rowid"_s);
        while (q.next())
            state << formatAmount(q.value(0).toDouble()) + u'-' + q.value(1).toString() + u'-' +
                         q.value(2).toString();
        state << u"jobs:"_s + store.scalar(u"SELECT COUNT(*) FROM Impresiones"_s).toString();
        return state;
    }

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
    // action | the table that refuses | on what | what the store holds once the action goes
    // through: "/" between the stations, the journal rows (an older one kept first) and the jobs
    test::addRows(R"(
        lock, station refused  |lock  |CYBER      |UPDATE|PC01::0:00:00/PC02::/4,00-PC09-PREPAGO/2,00-PC01-CONTADOR/jobs:1
        lock, journal refused  |lock  |INFORMES   |INSERT|PC01::0:00:00/PC02::/4,00-PC09-PREPAGO/2,00-PC01-CONTADOR/jobs:1
        charge, station refused|charge|CYBER      |UPDATE|PC01::0:00:00/PC02::/4,00-PC09-PREPAGO/2,00-PC01-CONTADOR/1,50-PC01-3 IMPRESION(ES) /jobs:0
        charge, journal refused|charge|INFORMES   |INSERT|PC01::0:00:00/PC02::/4,00-PC09-PREPAGO/2,00-PC01-CONTADOR/1,50-PC01-3 IMPRESION(ES) /jobs:0
        charge, prints refused |charge|Impresiones|DELETE|PC01::0:00:00/PC02::/4,00-PC09-PREPAGO/2,00-PC01-CONTADOR/1,50-PC01-3 IMPRESION(ES) /jobs:0
        prepaid opening        |open  |CYBER      |UPDATE|PC01:CONTADOR:0:02:00/PC02:PREPAGO:1:00:00/jobs:1
        counter reset          |clear |CYBER      |UPDATE|PC01:CONTADOR:0:02:00/PC02::0:00:00/jobs:1)");
}

void TestActions::refusedActionLeavesEverythingAsItWas()
{
    QFETCH(QStringList, f);
    const QString action = f[0];
    Cafe c;
    // A row kept from an earlier failure is written with the action, or kept again.
    QVERIFY(c.store.exec(u"CREATE TRIGGER full BEFORE INSERT ON INFORMES "
                         u"BEGIN SELECT RAISE(ABORT, 'disco lleno'); END"_s));
    JournalRecord older{{{}, {}, u"4,00"_s, {}, u"PC09"_s, u"PREPAGO"_s, {}}};
    QVERIFY(!c.journal.ADDTOREG(older));
    QVERIFY(c.store.exec(u"DROP TRIGGER full"_s));

    const QStringList storedBefore = c.stored();
    const std::vector<Station> stationsBefore = c.stations.stations();
    const auto printsBefore = c.prints.rows();
    QVERIFY(c.store.exec(u"CREATE TRIGGER refuse BEFORE "_s + f[2] + u" ON "_s + f[1] +
                         u" BEGIN SELECT RAISE(ABORT, 'disco lleno'); END"_s));
    c.prompts.notified.clear();

    QVERIFY(!c.run(action));
    QCOMPARE(c.stored(), storedBefore);
    QCOMPARE(c.stations.stations(), stationsBefore);
    QCOMPARE(c.prints.rows(), printsBefore);
    QCOMPARE(c.prompts.notified.size(), 1);
    QVERIFY2(c.prompts.notified.first().text.contains(u"disco lleno"_s),
             qPrintable(c.prompts.notified.first().text));
    QCOMPARE(c.journal.unwrittenCount(), 1); // the older row, not the action's

    // Once the store takes writes again the action goes through, with the older row when it
    // journals; no tick has run: the store holds what the action left.
    QVERIFY(c.store.exec(u"DROP TRIGGER refuse"_s));
    c.prompts.answerNext(true);
    QVERIFY(c.run(action));
    QCOMPARE(c.stored().join(u'/'), f[3]);
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
