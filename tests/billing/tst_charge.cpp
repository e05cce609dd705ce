#include "billing/charge.h"
#include "billing/journal.h"
#include "link/linksender.h"
#include "link/messagelist.h"
#include "link/remotecommands.h"
#include "operators/operatorsession.h"
#include "printing/pendingprints.h"
#include "stations/stationtable.h"
#include "support/testsupport.h"

#include <QSignalSpy>
#include <QSqlRecord>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

// PC01 has run a counter session of a minute for "ana"; PC02 is free.
std::vector<Station> twoStations()
{
    Station pc01;
    pc01.pc = u"PC01"_s;
    pc01.pcnames = u"\\\\PC01"_s;
    pc01.modo = u"CONTADOR"_s;
    pc01.LSTCLWA = u"1"_s;
    pc01.tiempo = pc01.vartipex2 = u"0:01:00"_s;
    pc01.usuario = u"ana"_s;
    pc01.sub = pc01.vartipex = u"3,00"_s;
    pc01.total = u"10,00"_s;
    Station pc02;
    pc02.pc = u"PC02"_s;
    pc02.pcnames = u"\\\\PC02"_s;
    pc02.tiempo = u"0:00:00"_s;
    pc02.sub = pc02.total = u"0,00"_s;
    return {pc01, pc02};
}

struct Counter : test::CounterServices {
    PendingPrints prints{store.db()};
    Charging charging{{stations, prints, commands, journal, store.db(), prompts}};

    Counter() { stations.setStations(twoStations()); }

    // Two jobs of PC01, its name in two letter cases, around one of PC02.
    void recordUsualJobs()
    {
        addJob(u"\\\\PC01"_s, 3, u"1,50"_s, 11);
        addJob(u"\\\\PC02"_s, 4, u"2,00"_s, 12);
        addJob(u"\\\\pc01"_s, 2, u"1,00"_s, 13);
        QVERIFY(prints.reload());
    }
    void addJob(const QString& pc, int pages, const QString& valor, int jobid)
    {
        QVERIFY(store.exec(u"INSERT INTO Impresiones (PC, impresora, cantidad, pagimpres, valor, "
                           u"fecha, hora, jobid) VALUES (?, 'HP', ?, ?, ?, '', '', ?)"_s,
                           {pc, pages, pages, valor, jobid}));
    }
    // Every row of a query, its columns joined by "|".
    QStringList rows(const QString& sql)
    {
        QStringList rows;
        QSqlQuery q(store.db());
        q.exec(sql);
        while (q.next()) {
            QStringList fields;
            for (int i = 0; i < q.record().count(); ++i)
                fields << q.value(i).toString();
            rows << fields.join(u'|');
        }
        return rows;
    }
    QStringList journalRows()
    {
        return rows(u"SELECT VALOR, USER, PC, DESCRIP FROM INFORMES ORDER BY rowid"_s);
    }
    QStringList storedJobs() { return rows(u"SELECT jobid FROM Impresiones ORDER BY rowid"_s); }
    QStringList listedJobs()
    {
        QStringList ids;
        for (const PendingPrint& p : prints.rows())
            ids << p.jobid;
        return ids;
    }
};

QStringList lineTexts(const Charging::Bill& bill)
{
    QStringList lines;
    for (const Charging::ServiceLine& l : bill.lines)
        lines << l.cantidad + u'|' + l.servicio + u'|' + l.valor;
    return lines;
}

const QString Rental = u"1|ALQUILER DE PC|3,00"_s;

} // namespace

class TestCharge : public QObject {
    Q_OBJECT
private slots:
    void bill_data();
    void bill();
    void change_data();
    void change();
    void refusalsLeaveEverything_data();
    void refusalsLeaveEverything();
    void confirmedCharge_data();
    void confirmedCharge();
    void storeThatKeepsTheJobsIsReported();
    void reloadKeepsTableOrderAndNulls();
};

void TestCharge::bill_data()
{
    QTest::addColumn<QString>("pcnames");
    QTest::addColumn<QString>("stationTotal");
    QTest::addColumn<QStringList>("jobs"); // machine|pages|amount
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("total");

    const QStringList usual{u"\\\\PC01|3|1,50"_s, u"\\\\PC02|4|2,00"_s, u"\\\\pc01|2|1,00"_s};
    QTest::newRow("no jobs: rental only, total ungrouped")
        << u"\\\\PC01"_s << u"1.234,50"_s << QStringList() << QStringList{Rental} << u"1234,50"_s;
    QTest::newRow("jobs in any letter case make one line")
        << u"\\\\PC01"_s << u"10,00"_s << usual
        << QStringList{u"5|SERVICIO DE IMPRESION|2,50"_s, Rental} << u"12,50"_s;
    QTest::newRow("a single job is formatted")
        << u"\\\\PC02"_s << u"0,00"_s << QStringList{u"\\\\PC02|4|2"_s}
        << QStringList{u"4|SERVICIO DE IMPRESION|2,00"_s, Rental} << u"2,00"_s;
    QTest::newRow("third decimal shown")
        << u"\\\\PC01"_s << u"0,125"_s << QStringList{u"\\\\PC01|1|1,50"_s}
        << QStringList{u"1|SERVICIO DE IMPRESION|1,50"_s, Rental} << u"1,625"_s;
    QTest::newRow("single-precision sums stay at the cent")
        << u"\\\\PC01"_s << u""_s << QStringList{u"\\\\PC01|1|0,10"_s, u"\\\\PC01|1|0,20"_s}
        << QStringList{u"2|SERVICIO DE IMPRESION|0,30"_s, Rental} << u"0,30"_s;
    QTest::newRow("name not yet reported matches no job")
        << u"-"_s << u"10,00"_s << usual << QStringList{Rental} << u"10,00"_s;
    QTest::newRow("empty name matches no job either")
        << u""_s << u"10,00"_s << QStringList{u"|3|1,50"_s} << QStringList{Rental} << u"10,00"_s;
}

void TestCharge::bill()
{
    QFETCH(QString, pcnames);
    QFETCH(QString, stationTotal);
    QFETCH(QStringList, jobs);
    QFETCH(QStringList, lines);
    QFETCH(QString, total);

    Counter c;
    c.stations.update(0, [&](Station& s) {
        s.pcnames = pcnames;
        s.total = stationTotal;
    });
    for (const QString& job : jobs) {
        const QStringList f = job.split(u'|');
        c.prints.append({u"HP"_s, f[0], f[1], f[2], u"1"_s});
    }
    const std::optional<Charging::Bill> bill = c.charging.build(0);
    QVERIFY(bill);
    QCOMPARE(lineTexts(*bill), lines);
    QCOMPARE(bill->total, total);
    QCOMPARE(bill->computerName, pcnames);
    QCOMPARE(bill->customer, u"ana"_s);
    QVERIFY(!c.charging.build(2));
    QVERIFY(!c.charging.build(-1));
}

void TestCharge::change_data()
{
    QTest::addColumn<QString>("tendered");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("change"); // "none": left as it was

    QTest::newRow("exact") << u"12,50"_s << u"12,50"_s << u"0"_s;
    // Single precision shows through, as the operator has always seen it.
    QTest::newRow("one cent short") << u"2,49"_s << u"2,50"_s << u"-0,00999999"_s;
    QTest::newRow("three-decimal total counts to the cent") << u"5"_s << u"1,625"_s << u"3,37"_s;
    QTest::newRow("tendered rounded to the cent") << u"1,629"_s << u"1,625"_s << u"0"_s;
    QTest::newRow("keypad full stop") << u"2.5"_s << u"1,00"_s << u"1,5"_s;
    QTest::newRow("empty") << u""_s << u"2,50"_s << u"none"_s;
    QTest::newRow("not a number") << u"1,2,3"_s << u"2,50"_s << u"none"_s;
}

void TestCharge::change()
{
    QFETCH(QString, tendered);
    QFETCH(QString, total);
    QFETCH(QString, change);
    test::pinCafeLocale();
    QCOMPARE(Charging::CALCULATEC(tendered, total).value_or(u"none"_s), change);
}

void TestCharge::refusalsLeaveEverything_data()
{
    QTest::addColumn<QString>("tendered");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("told");
    QTest::addColumn<int>("icon");

    using O = Charging::Outcome;
    const int none = int(Prompts::Icon::None);
    const int exclamation = int(Prompts::Icon::Exclamation);
    QTest::newRow("empty") << u""_s << true << int(O::NoAmount) << u"Ingrese la cantidad"_s << none;
    QTest::newRow("zero") << u"0"_s << true << int(O::NoAmount) << u"Ingrese la cantidad"_s << none;
    QTest::newRow("below a cent") << u"0,004"_s << true << int(O::NoAmount)
                                  << u"Ingrese la cantidad"_s << none;
    QTest::newRow("one cent short")
        << u"12,49"_s << true << int(O::TooLittle) << u"Cantidad incorrecta"_s << exclamation;
    QTest::newRow("answered No") << u"12,50"_s << false << int(O::NotConfirmed) << u""_s << none;
}

void TestCharge::refusalsLeaveEverything()
{
    QFETCH(QString, tendered);
    QFETCH(bool, answer);
    QFETCH(int, outcome);
    QFETCH(QString, told);
    QFETCH(int, icon);

    Counter c;
    c.recordUsualJobs();
    const std::optional<Charging::Bill> bill = c.charging.build(0);
    QVERIFY(bill);
    QCOMPARE(bill->total, u"12,50"_s);
    c.prompts.answerNext(answer);

    QCOMPARE(int(c.charging.COBRAR(*bill, tendered)), outcome);
    if (told.isEmpty()) {
        QVERIFY(c.prompts.told.isEmpty());
        QCOMPARE(c.prompts.questions, QStringList{u"Esta todo correcto ?"_s});
    } else {
        QCOMPARE(c.prompts.toldTexts(), QStringList{told});
        QCOMPARE(int(c.prompts.told.first().icon), icon);
        QVERIFY(c.prompts.questions.isEmpty());
    }
    QCOMPARE(c.stations.stations(), twoStations());
    QCOMPARE(c.listedJobs(), (QStringList{u"11"_s, u"12"_s, u"13"_s}));
    QCOMPARE(c.storedJobs(), (QStringList{u"11"_s, u"12"_s, u"13"_s}));
    QVERIFY(c.journalRows().isEmpty());
    QVERIFY(c.charging.history().isEmpty());
}

void TestCharge::confirmedCharge_data()
{
    QTest::addColumn<QString>("modo");
    QTest::addColumn<QString>("tiempo");
    QTest::addColumn<bool>("jobs");
    QTest::addColumn<QString>("tendered");
    QTest::addColumn<QStringList>("journal");

    const QString prints = u"2.5|ANONIMO|PC01|5 IMPRESION(ES) "_s;
    const QString rental = u"3|ana|PC01|CONTADOR"_s;
    QTest::newRow("counter of a minute, exact amount")
        << u"CONTADOR"_s << u"0:01:00"_s << true << u"12,50"_s << QStringList{rental, prints};
    QTest::newRow("counter under a minute")
        << u"CONTADOR"_s << u"0:00:59"_s << true << u"20"_s << QStringList{prints};
    QTest::newRow("prepaid journals only the prints")
        << u"PREPAGO"_s << u"0:30:00"_s << true << u"12,5"_s << QStringList{prints};
    QTest::newRow("no prints, no print row")
        << u"CONTADOR"_s << u"1:00:00"_s << false << u"10"_s << QStringList{rental};
}

void TestCharge::confirmedCharge()
{
    QFETCH(QString, modo);
    QFETCH(QString, tiempo);
    QFETCH(bool, jobs);
    QFETCH(QString, tendered);
    QFETCH(QStringList, journal);

    Counter c;
    c.stations.update(0, [&](Station& s) {
        s.modo = modo;
        s.tiempo = tiempo;
    });
    if (jobs)
        c.recordUsualJobs();
    else
        c.addJob(u"\\\\PC02"_s, 4, u"2,00"_s, 12);
    QVERIFY(c.prints.reload());
    const std::optional<Charging::Bill> bill = c.charging.build(0);
    QVERIFY(bill);
    c.prompts.answerNext(true);

    QCOMPARE(c.charging.COBRAR(*bill, tendered), Charging::Outcome::Charged);
    QVERIFY(c.prompts.told.isEmpty());
    QCOMPARE(c.journalRows(), journal);
    const Station& s = c.stations.at(0);
    QCOMPARE(s.modo, u""_s);
    QCOMPARE(s.LSTCLWA, u""_s);
    QCOMPARE(s.tiempo, u"0:00:00"_s);
    QCOMPARE(s.usuario, u""_s);
    QCOMPARE(s.sub, u"0,00"_s);
    QCOMPARE(s.total, u"0,00"_s);
    QCOMPARE(c.stations.at(1), twoStations()[1]);
    // Only PC02's job is left, in the list and in the store.
    QCOMPARE(c.listedJobs(), QStringList{u"12"_s});
    QCOMPARE(c.storedJobs(), QStringList{u"12"_s});
    QCOMPARE(c.charging.history(), QStringList{tendered});
}

void TestCharge::storeThatKeepsTheJobsIsReported()
{
    Counter c;
    c.recordUsualJobs();
    QVERIFY(c.store.exec(u"DROP TABLE Impresiones"_s));
    const std::optional<Charging::Bill> bill = c.charging.build(0);
    QVERIFY(bill);
    c.prompts.answerNext(true);
    QCOMPARE(c.charging.COBRAR(*bill, u"12,50"_s), Charging::Outcome::Charged);
    // The pages are journalled all the same; the operator hears that the store still holds them.
    QCOMPARE(c.journalRows().size(), 2);
    QCOMPARE(c.prompts.told.size(), 1);
    QCOMPARE(c.prompts.told.first().icon, Prompts::Icon::Critical);
    QVERIFY(c.prompts.told.first().text.startsWith(
        u"No se pudieron borrar las impresiones cobradas de \\\\PC01"_s));
}

void TestCharge::reloadKeepsTableOrderAndNulls()
{
    Counter c;
    c.prints.append({u"old"_s, u"x"_s, u"1"_s, u"1"_s, u"1"_s});
    QVERIFY(c.store.exec(u"INSERT INTO Impresiones (PC, impresora, cantidad, valor, jobid) VALUES "
                         u"('\\\\PC02', 'HP', 4, '2,00', 12), (NULL, 'Epson', NULL, NULL, NULL), "
                         u"('\\\\PC01', NULL, 3, '1,50', 7)"_s));
    QSignalSpy changed(&c.prints, &PendingPrints::changed);

    QVERIFY(c.prints.reload());
    const std::vector<PendingPrint> expected{{u"HP"_s, u"\\\\PC02"_s, u"4"_s, u"2,00"_s, u"12"_s},
                                             {u"Epson"_s, {}, {}, {}, {}},
                                             {{}, u"\\\\PC01"_s, u"3"_s, u"1,50"_s, u"7"_s}};
    QCOMPARE(c.prints.rows(), expected);
    QCOMPARE(changed.count(), 1);

    QVERIFY(c.store.exec(u"DROP TABLE Impresiones"_s));
    QVERIFY(!c.prints.reload());
    QCOMPARE(c.prints.count(), 0);
    QVERIFY(!c.prints.lastError().isEmpty());
}

} // namespace kestrel

QTEST_GUILESS_MAIN(kestrel::TestCharge)
#include "tst_charge.moc"
