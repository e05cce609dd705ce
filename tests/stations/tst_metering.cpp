#include "billing/journal.h"
#include "core/settings.h"
#include "core/timetext.h"
#include "link/linksender.h"
#include "operators/operatorsession.h"
#include "stations/cyberstore.h"
#include "stations/metering.h"
#include "stations/stationtable.h"
#include "support/testsupport.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

// A café with its stations loaded from CYBER and a metering over them.
struct Cafe {
    test::TempStore store;
    test::MemorySettingsStore memory;
    Settings settings{memory};
    OperatorSession session;
    test::RecordingConnections links;
    LinkSender sender{links, session};
    test::ManualClock clock;
    Journal journal{store.db(), session, clock};
    StationTable stations;
    std::unique_ptr<Metering> metering;

    Cafe() { session.logIn({u"Marta"_s, {}, {}}); }

    // A CYBER row; columns not given stay null.
    bool addRow(const QVariantMap& columns)
    {
        QStringList names;
        QVariantList values;
        for (auto it = columns.begin(); it != columns.end(); ++it) {
            names << it.key();
            values << it.value();
        }
        return store.exec(u"INSERT INTO CYBER ("_s + names.join(u", "_s) + u") VALUES (?"_s +
                              u", ?"_s.repeated(names.size() - 1) + u')',
                          values);
    }

    // Loads the station table as the console does at start and builds a new metering.
    bool start()
    {
        auto loaded = CyberStore(store.db()).load();
        if (!loaded)
            return false;
        stations.setStations(std::move(*loaded));
        metering = std::make_unique<Metering>(
            Metering::Services{stations, store.db(), settings, sender, journal, clock});
        return true;
    }

    void tick(int times = 1)
    {
        for (int i = 0; i < times; ++i) {
            clock.set(clock.now().addSecs(1));
            metering->tick();
        }
    }

    const Station& at(int index) const { return stations.at(index); }
    QVariant stored(const QString& column, const QString& pc)
    {
        return store.scalar(u"SELECT "_s + column + u" FROM CYBER WHERE PC = ?"_s, {pc});
    }
    int journalRows() { return store.scalar(u"SELECT COUNT(*) FROM INFORMES"_s).toInt(); }
};

QVariantMap counter(const QString& pc, double rate, const QString& elapsed, const QString& sub,
                    const QString& total = {})
{
    return {{u"PC"_s, pc},
            {u"MODALIDAD"_s, u"CONTADOR"_s},
            {u"LSTVARX"_s, u"1"_s},
            {u"TARIFBAS"_s, rate},
            {u"vartipex2"_s, elapsed},
            {u"TIEMPO"_s, elapsed},
            {u"TARIFA"_s, sub},
            {u"TOTAL"_s, total},
            {u"vartipex"_s, sub}};
}

QVariantMap prepaid(const QString& pc, double rate, const QString& bought, const QString& elapsed)
{
    return {{u"PC"_s, pc},
            {u"MODALIDAD"_s, u"PREPAGO"_s},
            {u"LSTVARX"_s, u"3"_s},
            {u"TARIFBAS"_s, rate},
            {u"vartipex3"_s, bought},
            {u"vartipex2"_s, elapsed},
            {u"vartipex"_s, u"0:00:00"_s}};
}

QVariantMap compound(const QString& pc, int code, const QString& elapsed)
{
    return {{u"PC"_s, pc},          {u"MODALIDAD"_s, u"CONTADOR"_s},
            {u"LSTVARX"_s, u"1"_s}, {u"TARIFM"_s, u"TC"_s},
            {u"TARFC"_s, code},     {u"vartipex2"_s, elapsed},
            {u"TARIFA"_s, 0.0}};
}

} // namespace

class MeteringTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::pinCafeLocale(); }

    void stepAndCharge_data();
    void stepAndCharge();
    void minutesField_data();
    void minutesField();
    void counterCharge_data();
    void counterCharge();
    void oneHourAddsItsChargeToTheTotal();
    void rateChangeTakesEffectOneTickLater();
    void compoundCharge_data();
    void compoundCharge();
    void prepaidWarnsAndEnds_data();
    void prepaidWarnsAndEnds();
    void waitingAndFreeStationsKeepTheirTime();
    void restartResumesFromTheLastTick();
    void accountMirrorsTheStationTime();
    void badRowsDoNotStopTheOthers();
    void stationWithoutRowIsMeteredButNotStored();
    void unchangedRowsAreNotWrittenAgain();
    void statusTexts();
    void storeFailureIsReportedOnce();
};

void MeteringTest::stepAndCharge_data()
{
    QTest::addColumn<QString>("time");
    QTest::addColumn<float>("rate");
    QTest::addColumn<QString>("stepped");
    QTest::addColumn<float>("charge");

    QTest::newRow("empty") << QString() << 60.0f << u"0:00:01"_s << 0.0f;
    QTest::newRow("seconds do not charge") << u"0:00:58"_s << 60.0f << u"0:00:59"_s << 0.0f;
    QTest::newRow("minute rolls") << u"0:00:59"_s << 60.0f << u"0:01:00"_s << 1.0f;
    QTest::newRow("hour rolls") << u"0:59:59"_s << 1.5f << u"1:00:00"_s << 1.5f;
    QTest::newRow("minutes priced per sixtieth") << u"2:19:59"_s << 1.5f << u"2:20:00"_s << 3.5f;
    QTest::newRow("past a day keeps counting") << u"23:59:59"_s << 1.0f << u"24:00:00"_s << 24.0f;
    QTest::newRow("unreadable counts as zero") << u"ab:cd"_s << 60.0f << u"0:00:01"_s << 0.0f;
}

void MeteringTest::stepAndCharge()
{
    QFETCH(QString, time);
    QFETCH(float, rate);
    QFETCH(QString, stepped);
    QFETCH(float, charge);
    const SteppedTime result = CNTTIMER(time, rate);
    QCOMPARE(result.time, stepped);
    QCOMPARE(result.charge, charge);
}

void MeteringTest::minutesField_data()
{
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("minutes");
    QTest::newRow("empty") << QString() << u"00"_s;
    QTest::newRow("time") << u"1:59:03"_s << u"59"_s;
    QTest::newRow("no seconds") << u"1:07"_s << u"07"_s;
    QTest::newRow("no colon") << u"17"_s << QString();
}

void MeteringTest::minutesField()
{
    QFETCH(QString, time);
    QFETCH(QString, minutes);
    QCOMPARE(Minute2(time), minutes);
}

void MeteringTest::counterCharge_data()
{
    QTest::addColumn<QString>("elapsed");
    QTest::addColumn<QString>("sub");
    QTest::addColumn<QString>("expectedTime");
    QTest::addColumn<QString>("expectedSub");

    QTest::newRow("below a minute") << u"0:00:58"_s << u"0,00"_s << u"0:00:59"_s << u"0,00"_s;
    QTest::newRow("first minute") << u"0:00:59"_s << u"0,00"_s << u"0:01:00"_s << u"1,00"_s;
    QTest::newRow("one minute ahead at 58:01")
        << u"0:58:00"_s << u"58,00"_s << u"0:58:01"_s << u"59,00"_s;
    QTest::newRow("next hour at 59:00") << u"0:58:59"_s << u"59,00"_s << u"0:59:00"_s << u"60,00"_s;
    QTest::newRow("stays at the hour") << u"1:00:59"_s << u"60,00"_s << u"1:01:00"_s << u"61,00"_s;
    QTest::newRow("hour then 60") << u"0:59:59"_s << u"60,00"_s << u"1:00:00"_s << u"60,00"_s;
    QTest::newRow("minimum holds") << u"0:04:59"_s << u"5,00"_s << u"0:05:00"_s << u"5,00"_s;
    QTest::newRow("minimum passed") << u"0:05:59"_s << u"5,00"_s << u"0:06:00"_s << u"6,00"_s;
    QTest::newRow("never goes down") << u"0:01:59"_s << u"9,00"_s << u"0:02:00"_s << u"9,00"_s;
    QTest::newRow("empty elapsed and charge")
        << QString() << QString() << u"0:00:01"_s << u"0,00"_s;
}

// Hourly rate 60.
void MeteringTest::counterCharge()
{
    QFETCH(QString, elapsed);
    QFETCH(QString, sub);
    QFETCH(QString, expectedTime);
    QFETCH(QString, expectedSub);
    Cafe cafe;
    QVERIFY(cafe.addRow(counter(u"PC01"_s, 60, elapsed, sub)));
    QVERIFY(cafe.start());
    cafe.stations.update(0, [&](Station& s) { s.sub = sub; });

    cafe.tick();

    QCOMPARE(cafe.at(0).tiempo, expectedTime);
    QCOMPARE(cafe.at(0).vartipex2, expectedTime);
    QCOMPARE(cafe.at(0).sub, expectedSub);
    QCOMPARE(cafe.stored(u"TIEMPO"_s, u"PC01"_s).toString(), expectedTime);
    QCOMPARE(cafe.stored(u"TARIFA"_s, u"PC01"_s).toDouble(), parseNumber(expectedSub).value_or(-1));
}

void MeteringTest::oneHourAddsItsChargeToTheTotal()
{
    Cafe cafe;
    // Opened with a minimum charge of 5: the opening amount passes into the total on the first
    // tick.
    QVariantMap row = counter(u"PC01"_s, 60, u"0:00:00"_s, u"5,00"_s, u"10,00"_s);
    row[u"vartipex"_s] = u"0:00:00"_s;
    QVERIFY(cafe.addRow(row));
    QVERIFY(cafe.start());

    cafe.tick();
    QCOMPARE(cafe.at(0).total, u"15,00"_s);
    cafe.tick(3599);

    QCOMPARE(cafe.at(0).tiempo, u"1:00:00"_s);
    QCOMPARE(cafe.at(0).sub, u"60,00"_s);
    QCOMPARE(cafe.at(0).total, u"70,00"_s);
    QCOMPARE(cafe.at(0).vartipex, u"60,00"_s);
    QCOMPARE(cafe.stored(u"TOTAL"_s, u"PC01"_s).toDouble(), 70.0);
}

void MeteringTest::rateChangeTakesEffectOneTickLater()
{
    Cafe cafe;
    QVERIFY(cafe.addRow(counter(u"PC01"_s, 60, u"0:01:58"_s, u"1,00"_s)));
    QVERIFY(cafe.start());
    cafe.stations.update(0, [](Station& s) { s.LSTTARBAS = u"120"_s; });

    cafe.tick(); // 0:01:59, still the stored rate of 60
    QCOMPARE(cafe.at(0).sub, u"1,00"_s);
    cafe.tick(); // 0:02:00 at 120
    QCOMPARE(cafe.at(0).sub, u"4,00"_s);
}

void MeteringTest::compoundCharge_data()
{
    QTest::addColumn<QString>("elapsed");
    QTest::addColumn<QString>("sub");
    QTest::addColumn<QString>("total");

    QTest::newRow("half a minute") << u"0:00:29"_s << u"0,00"_s << u"0,00"_s;
    QTest::newRow("first block") << u"0:00:59"_s << u"5,00"_s << u"5,00"_s;
    QTest::newRow("block end is its block") << u"0:29:59"_s << u"8,00"_s << u"8,00"_s;
    QTest::newRow("hour and a block") << u"1:19:59"_s << u"20,00"_s << u"20,00"_s;
    QTest::newRow("two hours") << u"1:59:59"_s << u"24,00"_s << u"24,00"_s;
}

// Blocks: 15 minutes 5, 30 minutes 8, 60 minutes 12.
void MeteringTest::compoundCharge()
{
    QFETCH(QString, elapsed);
    QFETCH(QString, sub);
    QFETCH(QString, total);
    Cafe cafe;
    for (const auto& [value, price] : {std::pair{u"15"_s, 5.0}, {u"30"_s, 8.0}, {u"60"_s, 12.0}})
        QVERIFY(cafe.store.exec(u"INSERT INTO TAIFASC (CODIGO, VALUE, TARIF, NOMBRE) "
                                u"VALUES (7, ?, ?, 'Bloques')"_s,
                                {value, price}));
    QVERIFY(cafe.addRow(compound(u"PC01"_s, 7, elapsed)));
    QVERIFY(cafe.start());

    cafe.tick();

    QCOMPARE(cafe.at(0).sub, sub);
    QCOMPARE(cafe.at(0).total, total);
}

void MeteringTest::prepaidWarnsAndEnds_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<QString>("timeToEnd");
    QTest::addColumn<QString>("restore");
    QTest::addColumn<int>("warnings");
    QTest::addColumn<int>("journalRows");
    QTest::addColumn<QString>("subAfter");
    QTest::addColumn<QString>("totalAfter");

    QTest::newRow("defaults") << 60.0 << QString() << QString() << 25 << 1 << u"0,00"_s
                              << u"0,00"_s;
    QTest::newRow("counters kept")
        << 60.0 << QString() << u"0"_s << 25 << 1 << u"6,00"_s << u"6,00"_s;
    QTest::newRow("no warning") << 60.0 << u"0"_s << QString() << 0 << 1 << u"0,00"_s << u"0,00"_s;
    QTest::newRow("two minutes warning")
        << 60.0 << u"2"_s << QString() << 25 << 1 << u"0,00"_s << u"0,00"_s;
    QTest::newRow("nothing to charge")
        << 0.0 << QString() << u"0"_s << 25 << 0 << u"0,00"_s << u"0,00"_s;
}

// 0:06:00 bought, run to the end.
void MeteringTest::prepaidWarnsAndEnds()
{
    QFETCH(double, rate);
    QFETCH(QString, timeToEnd);
    QFETCH(QString, restore);
    QFETCH(int, warnings);
    QFETCH(int, journalRows);
    QFETCH(QString, subAfter);
    QFETCH(QString, totalAfter);
    Cafe cafe;
    if (!timeToEnd.isNull())
        cafe.memory.write(u"timetoend"_s, timeToEnd);
    if (!restore.isNull())
        cafe.memory.write(u"restorecounters"_s, restore);
    QVariantMap row = prepaid(u"PC01"_s, rate, u"0:06:00"_s, QString());
    row[u"CLIENTE"_s] = u""_s;
    QVERIFY(cafe.addRow(row));
    QVERIFY(cafe.addRow(counter(u"PC02"_s, 60, u"0:00:00"_s, u"0,00"_s)));
    QVERIFY(cafe.start());
    QSignalSpy ended(cafe.metering.get(), &Metering::prepaidEnded);

    cafe.tick(359);
    QCOMPARE(cafe.at(0).tiempo, u"0:00:01"_s);
    QCOMPARE(cafe.at(0).modo, u"PREPAGO"_s);
    QCOMPARE(ended.size(), 0);
    cafe.tick();

    QCOMPARE(cafe.links.sentTo(0).count(u"SHOWF#LVX#SHOWF#LVXF#"_s), warnings);
    QCOMPARE(cafe.links.sentTo(0).count(u"FINISHT#LVX#DOTHEM#LVXF#"_s), 1);
    QCOMPARE(cafe.links.sentTo(1).size(), 0);
    QCOMPARE(ended.size(), 1);
    QCOMPARE(ended[0][0].toInt(), 0);
    QCOMPARE(cafe.journalRows(), journalRows);
    if (journalRows > 0) {
        QCOMPARE(cafe.store.scalar(u"SELECT VALOR FROM INFORMES"_s).toDouble(), 6.0);
        QCOMPARE(cafe.store.scalar(u"SELECT DESCRIP FROM INFORMES"_s).toString(), u"PREPAGO"_s);
        QCOMPARE(cafe.store.scalar(u"SELECT USER FROM INFORMES"_s).toString(), u"ANONIMO"_s);
        QCOMPARE(cafe.store.scalar(u"SELECT PC FROM INFORMES"_s).toString(), u"PC01"_s);
    }
    const Station& s = cafe.at(0);
    QCOMPARE(s.tiempo, u"0:00:00"_s);
    QCOMPARE(s.modo, QString());
    QCOMPARE(s.LSTCLWA, QString());
    QCOMPARE(s.vartipex2, QString());
    QCOMPARE(s.vartipex3, QString());
    QCOMPARE(s.sub, subAfter);
    QCOMPARE(cafe.stored(u"MODALIDAD"_s, u"PC01"_s).toString(), QString());
    QCOMPARE(cafe.stored(u"TOTAL"_s, u"PC01"_s).toDouble(), parseNumber(totalAfter).value());

    // Free now: the next ticks change nothing and send nothing more.
    cafe.tick(3);
    QCOMPARE(cafe.at(0).tiempo, u"0:00:00"_s);
    QCOMPARE(cafe.links.sentTo(0).count(u"FINISHT#LVX#DOTHEM#LVXF#"_s), 1);
    QCOMPARE(cafe.journalRows(), journalRows);
}

void MeteringTest::waitingAndFreeStationsKeepTheirTime()
{
    Cafe cafe;
    QVERIFY(cafe.addRow({{u"PC"_s, u"PC01"_s},
                         {u"MODALIDAD"_s, u"EN ESPERA"_s},
                         {u"LSTVARX"_s, u"2"_s},
                         {u"TIEMPO"_s, u"0:12:00"_s},
                         {u"vartipex2"_s, u"0:12:00"_s},
                         {u"TARIFBAS"_s, 60.0}}));
    QVERIFY(cafe.addRow({{u"PC"_s, u"PC02"_s}}));
    QVERIFY(cafe.start());

    cafe.tick(5);

    QCOMPARE(cafe.at(0).tiempo, u"0:12:00"_s);
    QCOMPARE(cafe.at(0).vartipex2, u"0:12:00"_s);
    QCOMPARE(cafe.at(1).tiempo, u"0:00:00"_s);
    QCOMPARE(cafe.at(1).sub, u"0,00"_s);
    QCOMPARE(cafe.stored(u"TIEMPO"_s, u"PC02"_s).toString(), u"0:00:00"_s);
}

void MeteringTest::restartResumesFromTheLastTick()
{
    Cafe cafe;
    QVERIFY(cafe.addRow(prepaid(u"PC01"_s, 60, u"1:00:00"_s, u"0:10:00"_s)));
    QVERIFY(cafe.addRow(counter(u"PC02"_s, 60, u"0:10:00"_s, u"10,00"_s, u"10,00"_s)));
    QVERIFY(cafe.start());
    cafe.tick();
    QCOMPARE(cafe.at(0).tiempo, u"0:49:59"_s);
    cafe.tick(61);

    // The console stops without saving anything; a new one loads what the last tick wrote.
    QVERIFY(cafe.start());
    QCOMPARE(cafe.at(0).tiempo, u"0:48:58"_s);
    QCOMPARE(cafe.at(1).tiempo, u"0:11:02"_s);
    QCOMPARE(cafe.at(1).sub, u"11,00"_s);
    cafe.tick();
    QCOMPARE(cafe.at(0).tiempo, u"0:48:57"_s);
    QCOMPARE(cafe.at(1).tiempo, u"0:11:03"_s);
    QCOMPARE(cafe.at(1).total, u"11,00"_s);
}

void MeteringTest::accountMirrorsTheStationTime()
{
    Cafe cafe;
    QVERIFY(cafe.store.exec(u"INSERT INTO CUENTAS (USER, TIMERES) VALUES ('ana', '1:00:00')"_s));
    QVERIFY(cafe.store.exec(u"INSERT INTO CUENTAS (USER, TIMERES) VALUES ('luis', NULL)"_s));
    QVERIFY(cafe.store.exec(u"INSERT INTO CUENTAS (USER, TIMERES) VALUES ('eva', '2:00:00')"_s));
    QVariantMap ana = prepaid(u"PC01"_s, 0, u"1:00:00"_s, u"0:00:00"_s);
    ana[u"CLIENTE"_s] = u"Ana"_s; // names are found whatever their case
    QVariantMap luis = prepaid(u"PC02"_s, 0, u"0:30:00"_s, u"0:00:00"_s);
    luis[u"CLIENTE"_s] = u"luis"_s;
    QVariantMap nobody = prepaid(u"PC03"_s, 0, u"0:30:00"_s, u"0:00:00"_s);
    nobody[u"CLIENTE"_s] = u"sin cuenta"_s;
    QVERIFY(cafe.addRow(ana));
    QVERIFY(cafe.addRow(luis));
    QVERIFY(cafe.addRow(nobody));
    QVERIFY(cafe.start());

    cafe.tick(2);

    const auto timeOf = [&](const QString& user) {
        return cafe.store.scalar(u"SELECT TIMERES FROM CUENTAS WHERE USER = ?"_s, {user});
    };
    QCOMPARE(timeOf(u"ana"_s).toString(), u"0:59:58"_s);
    QCOMPARE(timeOf(u"luis"_s).toString(), u"0:29:58"_s);
    QCOMPARE(timeOf(u"eva"_s).toString(), u"2:00:00"_s);
    QCOMPARE(cafe.at(2).tiempo, u"0:29:58"_s);
}

void MeteringTest::badRowsDoNotStopTheOthers()
{
    Cafe cafe;
    // A compound tariff without an hour row, and one whose minutes are not numbers.
    QVERIFY(cafe.store.exec(u"INSERT INTO TAIFASC (CODIGO, VALUE, TARIF, NOMBRE) VALUES "
                            u"(1, '15', 2, 'a'), (1, '30', 3, 'a'), "
                            u"(2, 'abc', 4, 'b'), (2, '30', NULL, 'b'), (2, '60', 'x', 'b')"_s));
    QVERIFY(cafe.addRow(counter(u"BAD-TIME"_s, 60, u"ab:cd:ef"_s, u"3,00"_s)));
    QVariantMap badTiempo = {{u"PC"_s, u"BAD-FREE"_s}, {u"TIEMPO"_s, u"99:99"_s}};
    QVERIFY(cafe.addRow(badTiempo));
    QVERIFY(cafe.addRow(counter(u"RATE-0"_s, 0, u"0:59:59"_s, u"0,00"_s)));
    QVERIFY(cafe.addRow(compound(u"NO-ROWS"_s, 99, u"0:10:00"_s)));
    QVERIFY(cafe.addRow(compound(u"NO-HOUR"_s, 1, u"1:19:59"_s)));
    QVERIFY(cafe.addRow(compound(u"BAD-STEPS"_s, 2, u"0:20:00"_s)));
    QVariantMap badCode = compound(u"BAD-CODE"_s, 0, u"0:20:00"_s);
    badCode[u"TARFC"_s] = u"x'; DROP TABLE CYBER; --"_s;
    QVERIFY(cafe.addRow(badCode));
    QVariantMap badPrepaid = prepaid(u"BAD-PREPAID"_s, 60, u"una hora"_s, u"0:10:00"_s);
    QVERIFY(cafe.addRow(badPrepaid));
    QVERIFY(cafe.addRow(counter(u"GOOD"_s, 60, u"0:00:59"_s, u"0,00"_s)));
    QVERIFY(cafe.start());

    cafe.tick();

    for (const Station& s : cafe.stations.stations()) {
        QVERIFY2(TimeText::fields(s.tiempo).has_value(), qPrintable(s.pc + u": "_s + s.tiempo));
        QVERIFY2(parseNumber(s.sub).has_value(), qPrintable(s.pc + u": "_s + s.sub));
    }
    QCOMPARE(cafe.at(0).tiempo, u"0:00:01"_s); // unreadable elapsed time starts again
    QCOMPARE(cafe.at(0).sub, u"3,00"_s);       // and keeps its charge
    QCOMPARE(cafe.at(1).tiempo, u"0:00:00"_s);
    QCOMPARE(cafe.at(2).sub, u"0,00"_s);
    QCOMPARE(cafe.at(3).sub, u"0,00"_s);
    QCOMPARE(cafe.at(4).sub, u"3,00"_s); // no hour price: only the block counts
    QCOMPARE(cafe.at(5).sub, u"0,00"_s); // the 30-minute block has no price
    QCOMPARE(cafe.at(6).sub, u"0,00"_s);
    QCOMPARE(cafe.at(7).modo, QString()); // an unreadable prepaid time has run out
    QCOMPARE(cafe.journalRows(), 1);
    QCOMPARE(cafe.at(8).sub, u"1,00"_s);
    QCOMPARE(cafe.store.scalar(u"SELECT COUNT(*) FROM CYBER"_s).toInt(), 9);
    QCOMPARE(cafe.stored(u"TIEMPO"_s, u"GOOD"_s).toString(), u"0:01:00"_s);
}

void MeteringTest::stationWithoutRowIsMeteredButNotStored()
{
    Cafe cafe;
    QVERIFY(cafe.addRow(counter(u"PC01"_s, 60, u"0:00:59"_s, u"0,00"_s)));
    QVERIFY(cafe.start());
    QVERIFY(cafe.store.exec(u"DELETE FROM CYBER"_s));
    cafe.metering->forgetStoredRows();

    cafe.tick();

    QCOMPARE(cafe.at(0).tiempo, u"0:01:00"_s);
    QCOMPARE(cafe.at(0).sub, u"0,00"_s); // no row, no rate
    QCOMPARE(cafe.store.scalar(u"SELECT COUNT(*) FROM CYBER"_s).toInt(), 0);
}

void MeteringTest::unchangedRowsAreNotWrittenAgain()
{
    Cafe cafe;
    for (int i = 1; i <= 5; ++i)
        QVERIFY(cafe.addRow({{u"PC"_s, u"PC0%1"_s.arg(i)}}));
    QVERIFY(cafe.addRow(counter(u"PC06"_s, 60, u"0:00:00"_s, u"0,00"_s)));
    QVERIFY(cafe.start());
    cafe.tick();

    const auto changes = [&] { return cafe.store.scalar(u"SELECT total_changes()"_s).toInt(); };
    const int before = changes();
    cafe.tick();
    QCOMPARE(changes() - before, 1); // only the running session
}

void MeteringTest::statusTexts()
{
    Cafe cafe;
    QVERIFY(cafe.addRow({{u"PC"_s, u"PC01"_s}}));
    QVERIFY(cafe.addRow(counter(u"PC02"_s, 60, u"0:00:00"_s, u"0,00"_s)));
    QVERIFY(cafe.addRow({{u"PC"_s, u"PC03"_s}, {u"MODALIDAD"_s, u"EN ESPERA"_s}}));
    QVERIFY(cafe.addRow({{u"PC"_s, u"PC04"_s}}));
    QVERIFY(cafe.start());
    cafe.clock.set(QDateTime(QDate(2026, 3, 4), QTime(9, 4, 59)));

    cafe.tick();

    QCOMPARE(cafe.metering->stationsText(), u"Puestos libres: 2 Ocupados: 2"_s);
    QCOMPARE(cafe.metering->dateText(), u"4/3/2026"_s);
    QCOMPARE(cafe.metering->timeText(), u"9:05"_s);
}

void MeteringTest::storeFailureIsReportedOnce()
{
    Cafe cafe;
    QVariantMap row = counter(u"PC01"_s, 60, u"0:00:00"_s, u"0,00"_s);
    row[u"CLIENTE"_s] = u"ana"_s;
    QVERIFY(cafe.addRow(row));
    QVERIFY(cafe.start());
    QSignalSpy failed(cafe.metering.get(), &Metering::storeFailed);
    QVERIFY(cafe.store.exec(u"ALTER TABLE CUENTAS RENAME TO CUENTAS_OLD"_s));

    cafe.tick(3);
    QCOMPARE(failed.size(), 1);
    QVERIFY(failed[0][0].toString().contains(u"ana"_s));
    QCOMPARE(cafe.stored(u"TIEMPO"_s, u"PC01"_s).toString(), u"0:00:03"_s);

    QVERIFY(cafe.store.exec(u"ALTER TABLE CUENTAS_OLD RENAME TO CUENTAS"_s));
    cafe.tick();
    QVERIFY(cafe.store.exec(u"ALTER TABLE CUENTAS RENAME TO CUENTAS_OLD"_s));
    cafe.tick();
    QCOMPARE(failed.size(), 2);
}

} // namespace kestrel

QTEST_GUILESS_MAIN(kestrel::MeteringTest)
#include "tst_metering.moc"
