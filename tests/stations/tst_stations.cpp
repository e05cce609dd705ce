#include "stations/cyberstore.h"
#include "support/testsupport.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

const QString Insert =
    u"INSERT INTO CYBER (PC, PCIP, TIEMPO, MODALIDAD, TARIFA, TARIFBAS, CLIENTE, TOTAL, LSTVARX, "
    u"vartipex, vartipex2, vartipex3, PCMAC, PCNAME, TARIFM, TARFC) "
    u"VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s;

QVariantList nullRow()
{
    return QVariantList(16, QVariant());
}

} // namespace

class TestStations : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::pinCafeLocale(); }
    void loadReadsNullsAndNumbers_data();
    void loadReadsNullsAndNumbers();
    void loadKeepsTableOrder();
    void persistRoundTrip();
    void persistWritesNameAndMacOnlyOnceReported();
    void persistFillsEmptyAmounts();
    void persistGoesToTheFirstRowWithTheId();
};

void TestStations::loadReadsNullsAndNumbers_data()
{
    // The stored row (null where not given) and what the station then shows.
    QTest::addColumn<QVariantList>("row");
    QTest::addColumn<QString>("pc");
    QTest::addColumn<QString>("sub");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("pcname");

    QVariantList onlyId = nullRow();
    onlyId[0] = u"PC01"_s;
    QTest::newRow("every column but PC null")
        << onlyId << u"PC01"_s << QString() << QString() << u"0"_s << u"-"_s;
    QTest::newRow("every column null")
        << nullRow() << QString() << QString() << QString() << u"0"_s << u"-"_s;

    QVariantList numbers = onlyId;
    numbers[4] = 1.5;         // TARIFA stored as a number
    numbers[5] = u"1,50"_s;   // TARIFBAS as two-decimal text
    numbers[7] = u"1234,5"_s; // TOTAL as text
    numbers[13] = u""_s;      // PCNAME empty
    QTest::newRow("numbers and texts")
        << numbers << u"PC01"_s << u"1,50"_s << u"1.234,50"_s << u"1,5"_s << u"-"_s;

    QVariantList garbage = onlyId;
    garbage[4] = u"abc"_s;
    garbage[5] = u"x"_s;
    garbage[7] = u"--"_s;
    garbage[13] = u"\\\\PC01"_s;
    QTest::newRow("texts that are no numbers")
        << garbage << u"PC01"_s << u"0,00"_s << u"0,00"_s << u"0"_s << u"\\\\PC01"_s;

    QVariantList single = onlyId;
    single[5] = 0.285;
    QTest::newRow("rate kept in single precision")
        << single << u"PC01"_s << QString() << QString() << u"0,285"_s << u"-"_s;
}

void TestStations::loadReadsNullsAndNumbers()
{
    QFETCH(QVariantList, row);
    QFETCH(QString, pc);
    QFETCH(QString, sub);
    QFETCH(QString, total);
    QFETCH(QString, rate);
    QFETCH(QString, pcname);
    test::TempStore t;
    QVERIFY(t.isValid());
    QVERIFY(t.exec(Insert, row));

    const auto stations = CyberStore(t.db()).load();
    QVERIFY(stations.has_value());
    QCOMPARE(stations->size(), std::size_t(1));
    const Station& s = stations->front();
    QCOMPARE(s.pc, pc);
    QCOMPARE(s.sub, sub);
    QCOMPARE(s.total, total);
    QCOMPARE(s.LSTTARBAS, rate);
    QCOMPARE(s.pcnames, pcname);
    QCOMPARE(s.icon, u"imgdesconectado"_s);
    QCOMPARE(s.LSTESTTUS, QString());
    if (row[2].isNull()) {
        QCOMPARE(s.tiempo, QString());
        QCOMPARE(s.modo, QString());
        QCOMPARE(s.usuario, QString());
        QCOMPARE(s.LSTCLWA, QString());
        QCOMPARE(s.LSTIPS, QString());
        QCOMPARE(s.LSTMACS, QString());
        QCOMPARE(s.vartipex3, QString());
    }
}

void TestStations::loadKeepsTableOrder()
{
    test::TempStore t;
    QVERIFY(t.isValid());
    QCOMPARE(CyberStore(t.db()).load().value_or(std::vector<Station>(1)).size(), std::size_t(0));
    for (const QString& id : {u"PC10"_s, u"PC02"_s, u"A"_s}) {
        QVariantList row = nullRow();
        row[0] = id;
        QVERIFY(t.exec(Insert, row));
    }
    const auto stations = CyberStore(t.db()).load();
    QVERIFY(stations.has_value());
    QStringList ids;
    for (const Station& s : *stations)
        ids << s.pc;
    QCOMPARE(ids, (QStringList{u"PC10"_s, u"PC02"_s, u"A"_s}));
}

void TestStations::persistRoundTrip()
{
    test::TempStore t;
    QVERIFY(t.isValid());
    QVariantList row = nullRow();
    row[0] = u"PC'01"_s;
    row[1] = u"10.0.0.5"_s;
    QVERIFY(t.exec(Insert, row));
    CyberStore cyber(t.db());
    Station s = cyber.load()->front();

    s.tiempo = u"0:49:59"_s;
    s.modo = u"PREPAGO"_s;
    s.sub = u"1,25"_s;
    s.usuario = u"José \"Pepe\" O'Neil"_s;
    s.total = u"1.234,50"_s;
    s.LSTCLWA = u"3"_s;
    s.LSTTARBAS = u"1,5"_s;
    s.TARIFM = u"TC"_s;
    s.TARFC = u"7"_s;
    s.vartipex = u"1,25"_s;
    s.vartipex2 = u"0:10:01"_s;
    s.vartipex3 = u"1:00:00"_s;
    s.pcnames = u"\\\\CAJA-3"_s;
    s.LSTMACS = u"00-1A-2B-3C-4D-5E"_s;
    QCOMPARE(cyber.persist(s), CyberStore::PersistResult::Written);

    Station back = CyberStore(t.db()).load()->front();
    QCOMPARE(back, s);

    s.LSTIPS = u"10.9.9.9"_s; // the address belongs to the station administration
    QCOMPARE(cyber.persist(s), CyberStore::PersistResult::Written);
    QCOMPARE(t.scalar(u"SELECT PC || '@' || PCIP FROM CYBER"_s).toString(), u"PC'01@10.0.0.5"_s);
    QCOMPARE(t.scalar(u"SELECT TARIFA FROM CYBER"_s).toDouble(), 1.25);

    // Amounts are stored as numbers: another regional format reads the same values.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const Station english = CyberStore(t.db()).load()->front();
    test::pinCafeLocale();
    QCOMPARE(english.total, u"1,234.50"_s);
    QCOMPARE(english.LSTTARBAS, u"1.5"_s);
}

void TestStations::persistWritesNameAndMacOnlyOnceReported()
{
    test::TempStore t;
    QVERIFY(t.isValid());
    QVariantList row = nullRow();
    row[0] = u"PC01"_s;
    row[13] = u""_s; // computer name stored empty
    QVERIFY(t.exec(Insert, row));
    CyberStore cyber(t.db());
    Station s = cyber.load()->front();
    QCOMPARE(s.pcnames, u"-"_s);

    QCOMPARE(cyber.persist(s), CyberStore::PersistResult::Written);
    QCOMPARE(t.scalar(u"SELECT PCNAME FROM CYBER"_s).toString(), QString());
    QVERIFY(t.scalar(u"SELECT PCMAC IS NULL FROM CYBER"_s).toBool());

    s.pcnames = u"\\\\PC01"_s;
    s.LSTMACS = u"AA"_s;
    QCOMPARE(cyber.persist(s), CyberStore::PersistResult::Written);
    QCOMPARE(t.scalar(u"SELECT PCNAME FROM CYBER"_s).toString(), u"\\\\PC01"_s);
    QCOMPARE(t.scalar(u"SELECT PCMAC FROM CYBER"_s).toString(), u"AA"_s);

    // A later "-" or empty MAC does not wipe what the agent reported.
    s.pcnames = u"-"_s;
    s.LSTMACS.clear();
    QCOMPARE(cyber.persist(s), CyberStore::PersistResult::Written);
    QCOMPARE(t.scalar(u"SELECT PCNAME FROM CYBER"_s).toString(), u"\\\\PC01"_s);
    QCOMPARE(t.scalar(u"SELECT PCMAC FROM CYBER"_s).toString(), u"AA"_s);
}

void TestStations::persistFillsEmptyAmounts()
{
    test::TempStore t;
    QVERIFY(t.isValid());
    QVariantList row = nullRow();
    row[0] = u"PC01"_s;
    QVERIFY(t.exec(Insert, row));
    CyberStore cyber(t.db());
    Station s = cyber.load()->front();
    QCOMPARE(s.sub, QString());
    QCOMPARE(cyber.persist(s), CyberStore::PersistResult::Written);
    QCOMPARE(s.sub, u"0,00"_s);
    QCOMPARE(s.total, u"0,00"_s);
    QCOMPARE(t.scalar(u"SELECT TARIFA FROM CYBER WHERE TOTAL = 0"_s).toDouble(), 0.0);

    s.sub = u"2,555"_s; // stored as the two decimals it shows
    QCOMPARE(cyber.persist(s), CyberStore::PersistResult::Written);
    QCOMPARE(t.scalar(u"SELECT TARIFA FROM CYBER"_s).toDouble(), 2.56);
}

void TestStations::persistGoesToTheFirstRowWithTheId()
{
    test::TempStore t;
    QVERIFY(t.isValid());
    for (const QString& id : {u"PC01"_s, u"pc01"_s}) {
        QVariantList row = nullRow();
        row[0] = id;
        row[2] = u"0:00:00"_s;
        QVERIFY(t.exec(Insert, row));
    }
    CyberStore cyber(t.db());
    auto stations = *cyber.load();
    QCOMPARE(stations.size(), std::size_t(2));
    stations[1].tiempo = u"0:05:00"_s;
    QCOMPARE(cyber.persist(stations[1]), CyberStore::PersistResult::Written);
    QCOMPARE(t.scalar(u"SELECT TIEMPO FROM CYBER ORDER BY rowid LIMIT 1"_s).toString(),
             u"0:05:00"_s);
    QCOMPARE(t.scalar(u"SELECT TIEMPO FROM CYBER ORDER BY rowid DESC LIMIT 1"_s).toString(),
             u"0:00:00"_s);

    Station ghost;
    ghost.pc = u"PC99"_s;
    ghost.tiempo = u"1:00:00"_s;
    QCOMPARE(cyber.persist(ghost), CyberStore::PersistResult::NotFound);
    QCOMPARE(t.scalar(u"SELECT COUNT(*) FROM CYBER WHERE TIEMPO = '1:00:00'"_s).toInt(), 0);
}

QTEST_GUILESS_MAIN(TestStations)
#include "tst_stations.moc"
