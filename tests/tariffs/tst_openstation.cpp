#include "stations/stationtable.h"
#include "support/testsupport.h"
#include "tariffs/openstation.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

Q_DECLARE_METATYPE(kestrel::OpenStation::Outcome)

namespace {

// A café with one running prepaid station and the tariffs given as "TIPO NOMBRE TARIFA MIN".
struct Cafe {
    test::TempStore store;
    test::MemorySettingsStore settingsStore;
    Settings settings{settingsStore};
    test::ScriptedPrompts prompts;
    StationTable stations;
    OpenStation open{stations, settings, prompts};

    Cafe()
    {
        Station s;
        s.pc = u"PC01"_s;
        s.tiempo = u"0:40:17"_s;
        s.modo = StationMode::Prepaid;
        s.LSTCLWA = u"3"_s;
        s.sub = u"0,34"_s;
        s.total = u"2,00"_s;
        s.vartipex = u"0,34"_s;
        s.vartipex2 = u"0:19:43"_s;
        s.vartipex3 = u"1:00:00"_s;
        s.LSTTARBAS = u"1,00"_s;
        stations.setStations({s});
    }

    bool addTariff(const QString& tipo, const QString& name, double tarifa, double minimum)
    {
        return store.exec(
            u"INSERT INTO TARIFAS (NOMBRE, TARIFA, TARIF_MIN, TIPO) VALUES (?,?,?,?)"_s,
            {name, tarifa, minimum, tipo});
    }

    // A compound tariff with the blocks 15, 30, 45, 60 at 0,20 0,40 0,50 0,60.
    bool addCompound(const QString& name)
    {
        if (!addTariff(u"TC"_s, name, 0, 0))
            return false;
        const qint64 code = store.scalar(u"SELECT MAX(CODIGO) FROM TARIFAS"_s).toLongLong();
        for (const auto& [end, price] :
             {std::pair{u"15"_s, 0.2}, {u"30"_s, 0.4}, {u"45"_s, 0.5}, {u"60"_s, 0.6}}) {
            if (!store.exec(
                    u"INSERT INTO TAIFASC (CODIGO, VALUE, TARIF, NOMBRE) VALUES (?,?,?,?)"_s,
                    {code, end, price, name}))
                return false;
        }
        return true;
    }

    const Station& station() const { return stations.at(0); }
};

} // namespace

class TestOpenStation : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::pinCafeLocale(); }
    void openingSetsModeAndStateCode_data();
    void openingSetsModeAndStateCode();
    void prepaidTimeIsTheListsTime_data();
    void prepaidTimeIsTheListsTime();
    void tariffKindReachesTheStation_data();
    void tariffKindReachesTheStation();
    void addedTimeExtendsThePrepaidTime_data();
    void addedTimeExtendsThePrepaidTime();
    void presetFindsTheTariffByRate_data();
    void presetFindsTheTariffByRate();
    void withoutTariffNothingIsWritten_data();
    void withoutTariffNothingIsWritten();
    void accountModesLeaveTheStationAlone_data();
    void accountModesLeaveTheStationAlone();
    void conversionsUseTheChosenTariff();
};

void TestOpenStation::openingSetsModeAndStateCode_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("prepaid");
    QTest::addColumn<bool>("waitBox");
    QTest::addColumn<QString>("clickToStart");
    QTest::addColumn<QString>("modo");
    QTest::addColumn<QString>("code");

    const QString counter = StationMode::Counter;
    const QString prepaid = StationMode::Prepaid;
    const QString waiting = StationMode::Waiting;
    QTest::newRow("counter") << u"OPEN"_s << false << false << u"0"_s << counter << u"1"_s;
    QTest::newRow("counter, wait box") << u"OPEN"_s << false << true << u"0"_s << waiting << u"2"_s;
    QTest::newRow("counter, click to start")
        << u"OPEN"_s << false << false << u"1"_s << waiting << u"2"_s;
    QTest::newRow("counter, leading number")
        << u"OPEN"_s << false << false << u"2abc"_s << waiting << u"2"_s;
    QTest::newRow("counter, empty setting")
        << u"OPEN"_s << false << false << u""_s << counter << u"1"_s;
    QTest::newRow("prepaid") << u"OPEN"_s << true << false << u"0"_s << prepaid << u"3"_s;
    QTest::newRow("prepaid, wait box") << u"OPEN"_s << true << true << u"0"_s << waiting << u"4"_s;
    QTest::newRow("prepaid, click to start")
        << u"OPEN"_s << true << false << u"1"_s << waiting << u"4"_s;
    QTest::newRow("prepaid, setting not a number")
        << u"OPEN"_s << true << true << u"abc"_s << waiting << u"4"_s;
    QTest::newRow("change to counter")
        << u"MODO"_s << false << false << u"0"_s << counter << u"1"_s;
    QTest::newRow("change, click to start")
        << u"MODO"_s << true << false << u"1"_s << waiting << u"4"_s;
}

void TestOpenStation::openingSetsModeAndStateCode()
{
    QFETCH(QString, mode);
    QFETCH(bool, prepaid);
    QFETCH(bool, waitBox);
    QFETCH(QString, clickToStart);
    QFETCH(QString, modo);
    QFETCH(QString, code);

    Cafe cafe;
    QVERIFY(cafe.addTariff(u"ST"_s, u"Normal"_s, 1.5, 0.25));
    cafe.settings.write(u"clicktostart"_s, clickToStart);
    cafe.open.loadTariffs(cafe.store.db());
    cafe.open.choose(0);
    const OpenChoice choice{prepaid, waitBox, 1, 5};
    QCOMPARE(cafe.open.accept(*openModeOf(mode), 0, choice), OpenStation::Outcome::Written);

    const Station& s = cafe.station();
    QCOMPARE(s.modo, modo);
    QCOMPARE(s.LSTCLWA, code);
    QCOMPARE(s.sub, u"0,25"_s);
    QCOMPARE(s.LSTTARBAS, u"1,50"_s);
    QCOMPARE(s.vartipex2, QString());
    QCOMPARE(s.total, u"2,00"_s);
    if (prepaid) {
        QCOMPARE(s.tiempo, u"1:05:00"_s);
        QCOMPARE(s.vartipex3, u"1:05:00"_s);
        QCOMPARE(s.vartipex, u"0:00:00"_s);
    } else {
        QCOMPARE(s.tiempo, u"0:00:00"_s);
        QCOMPARE(s.vartipex, QString());
        QCOMPARE(s.vartipex3, u"1:00:00"_s); // the counter leaves the bought time alone
    }
    QVERIFY(cafe.prompts.told.isEmpty());
}

void TestOpenStation::prepaidTimeIsTheListsTime_data()
{
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("minutes only") << 0 << 45 << u"0:45:00"_s;
    QTest::newRow("minutes padded") << 1 << 5 << u"1:05:00"_s;
    QTest::newRow("hours unpadded") << 12 << 0 << u"12:00:00"_s;
    QTest::newRow("nothing") << 0 << 0 << u"0:00:00"_s;
}

void TestOpenStation::prepaidTimeIsTheListsTime()
{
    QFETCH(int, hours);
    QFETCH(int, minutes);
    QFETCH(QString, expected);
    Cafe cafe;
    QVERIFY(cafe.addTariff(u"ST"_s, u"Normal"_s, 1.0, 0));
    cafe.open.loadTariffs(cafe.store.db());
    cafe.open.choose(0);
    QCOMPARE(cafe.open.accept(OpenMode::Open, 0, OpenChoice{true, false, hours, minutes}),
             OpenStation::Outcome::Written);
    QCOMPARE(cafe.station().vartipex3, expected);
    QCOMPARE(cafe.station().tiempo, expected);
}

void TestOpenStation::tariffKindReachesTheStation_data()
{
    QTest::addColumn<int>("choice"); // 0 standard, 1 compound, 2 predefined
    QTest::addColumn<bool>("prepaid");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("sub");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("code");
    QTest::newRow("standard, counter") << 0 << false << u"1,51"_s << u"0,30"_s << u"ST"_s << u"1"_s;
    QTest::newRow("standard, prepaid") << 0 << true << u"1,51"_s << u"0,30"_s << u"ST"_s << u"1"_s;
    QTest::newRow("compound, counter") << 1 << false << u"0,00"_s << u"0,00"_s << u"TC"_s << u"2"_s;
    QTest::newRow("compound, prepaid") << 1 << true << u"0,00"_s << u"0,00"_s << u"TC"_s << u"2"_s;
    QTest::newRow("package") << 2 << true << u"30,00"_s << u"0,40"_s << u"PR"_s << u"3"_s;
}

void TestOpenStation::tariffKindReachesTheStation()
{
    QFETCH(int, choice);
    QFETCH(bool, prepaid);
    QFETCH(QString, rate);
    QFETCH(QString, sub);
    QFETCH(QString, kind);
    QFETCH(QString, code);

    Cafe cafe;
    QVERIFY(cafe.addTariff(u"ST"_s, u"Normal"_s, 1.505, 0.3));
    QVERIFY(cafe.addCompound(u"Bloques"_s));
    QVERIFY(cafe.addTariff(u"PR"_s, u"Media hora"_s, 30, 0.4));
    cafe.open.loadTariffs(cafe.store.db());
    // Whatever was chosen before does not carry over.
    cafe.open.choose(choice == 1 ? 0 : 1);
    cafe.open.choose(choice);
    QCOMPARE(cafe.open.accept(OpenMode::Open, 0, OpenChoice{prepaid, false, 0, 30}),
             OpenStation::Outcome::Written);
    QCOMPARE(cafe.station().LSTTARBAS, rate);
    QCOMPARE(cafe.station().sub, sub);
    QCOMPARE(cafe.station().TARIFM, kind);
    QCOMPARE(cafe.station().TARFC, code);
}

void TestOpenStation::addedTimeExtendsThePrepaidTime_data()
{
    QTest::addColumn<QString>("oldPrepaid");
    QTest::addColumn<QString>("tiempo");
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("seconds from the station's time")
        << u"1:00:00"_s << u"0:40:17"_s << 0 << 30 << u"1:29:17"_s;
    QTest::newRow("crossing the hour") << u"0:50:00"_s << u"0:10:00"_s << 0 << 45 << u"1:34:00"_s;
    QTest::newRow("hours and minutes") << u"2:15:30"_s << u"0:05:09"_s << 1 << 50 << u"4:04:39"_s;
    QTest::newRow("past a day") << u"23:30:00"_s << u"0:00:00"_s << 2 << 0 << u"25:29:00"_s;
    QTest::newRow("only the minute held back")
        << u"0:45:00"_s << u"0:12:00"_s << 0 << 0 << u"0:44:00"_s;
    QTest::newRow("bought time not a time") << u"abc"_s << u"0:20:05"_s << 0 << 30 << u"0:29:05"_s;
    QTest::newRow("no bought time") << u""_s << u"0:00:00"_s << 1 << 0 << u"0:59:00"_s;
    QTest::newRow("station time not a time") << u"1:00:00"_s << u"x"_s << 0 << 10 << u"1:09:00"_s;
    QTest::newRow("never below nothing") << u"0:00:00"_s << u"0:00:30"_s << 0 << 0 << u"0:00:00"_s;
}

void TestOpenStation::addedTimeExtendsThePrepaidTime()
{
    QFETCH(QString, oldPrepaid);
    QFETCH(QString, tiempo);
    QFETCH(int, hours);
    QFETCH(int, minutes);
    QFETCH(QString, expected);

    Cafe cafe;
    QVERIFY(cafe.addTariff(u"ST"_s, u"Normal"_s, 1.0, 0.25));
    QVERIFY(cafe.addTariff(u"ST"_s, u"Noche"_s, 0.8, 0.1));
    cafe.stations.update(0, [&](Station& s) {
        s.vartipex3 = oldPrepaid;
        s.tiempo = tiempo;
    });
    Station before = cafe.station();
    cafe.open.loadTariffs(cafe.store.db());
    cafe.open.choose(1);
    // The wait box and the mode choice play no part in adding time.
    QCOMPARE(cafe.open.accept(OpenMode::Increm, 0, OpenChoice{false, true, hours, minutes}),
             OpenStation::Outcome::Written);

    before.vartipex3 = expected;
    before.vartipex2.clear();
    before.LSTTARBAS = u"0,80"_s;
    QCOMPARE(cafe.station(), before);
}

void TestOpenStation::presetFindsTheTariffByRate_data()
{
    QTest::addColumn<QString>("rate");
    QTest::addColumn<int>("expected");
    QTest::newRow("two decimals") << u"1,50"_s << 1;
    QTest::newRow("as the rate was kept") << u"1,5"_s << 1;
    QTest::newRow("keypad full stop") << u"1.5"_s << 1;
    QTest::newRow("rounds to the same") << u"1,499"_s << 1;
    QTest::newRow("compound has no rate") << u"0,00"_s << 2;
    QTest::newRow("no tariff at that rate") << u"3"_s << -1;
    QTest::newRow("not a number") << u"abc"_s << -1;
    QTest::newRow("empty") << u""_s << -1;
}

void TestOpenStation::presetFindsTheTariffByRate()
{
    QFETCH(QString, rate);
    QFETCH(int, expected);
    Cafe cafe;
    QVERIFY(cafe.addTariff(u"ST"_s, u"Dos"_s, 2.0, 0));
    QVERIFY(cafe.addTariff(u"ST"_s, u"Normal"_s, 1.5, 0));
    QVERIFY(cafe.addCompound(u"Bloques"_s));
    QVERIFY(cafe.addTariff(u"ST"_s, u"Otra normal"_s, 1.5, 0)); // the first one wins
    cafe.open.loadTariffs(cafe.store.db());
    QCOMPARE(cafe.open.presetIndex(rate), expected);
}

void TestOpenStation::withoutTariffNothingIsWritten_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("tariffs");
    QTest::newRow("open, empty list") << u"OPEN"_s << false;
    QTest::newRow("open, nothing chosen") << u"OPEN"_s << true;
    QTest::newRow("add time, nothing chosen") << u"INCREM"_s << true;
    QTest::newRow("account, empty list") << u"CREATE"_s << false;
}

void TestOpenStation::withoutTariffNothingIsWritten()
{
    QFETCH(QString, mode);
    QFETCH(bool, tariffs);
    Cafe cafe;
    if (tariffs)
        QVERIFY(cafe.addTariff(u"ST"_s, u"Normal"_s, 1.0, 0));
    cafe.open.loadTariffs(cafe.store.db());
    cafe.open.choose(tariffs ? 5 : 0); // past the end chooses nothing
    const Station before = cafe.station();

    QCOMPARE(cafe.open.accept(*openModeOf(mode), 0, OpenChoice{true, false, 1, 0}),
             OpenStation::Outcome::NoTariff);
    QCOMPARE(cafe.station(), before);
    QCOMPARE(cafe.prompts.told.size(), 1);
    QCOMPARE(cafe.prompts.told[0].icon, Prompts::Icon::Information);
    QCOMPARE(cafe.prompts.told[0].text, u"Seleccione la tarifa"_s);
}

void TestOpenStation::accountModesLeaveTheStationAlone_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("station");
    QTest::addColumn<OpenStation::Outcome>("outcome");
    QTest::newRow("new account") << u"CREATE"_s << 0 << OpenStation::Outcome::AccountRequested;
    QTest::newRow("credit, no station")
        << u"INCREMU"_s << -1 << OpenStation::Outcome::AccountRequested;
    QTest::newRow("open, station gone") << u"OPEN"_s << 1 << OpenStation::Outcome::NoStation;
    QTest::newRow("add time, no station") << u"INCREM"_s << -1 << OpenStation::Outcome::NoStation;
}

void TestOpenStation::accountModesLeaveTheStationAlone()
{
    QFETCH(QString, mode);
    QFETCH(int, station);
    QFETCH(OpenStation::Outcome, outcome);
    Cafe cafe;
    QVERIFY(cafe.addTariff(u"ST"_s, u"Normal"_s, 1.0, 0));
    cafe.open.loadTariffs(cafe.store.db());
    cafe.open.choose(0);
    const Station before = cafe.station();
    QCOMPARE(cafe.open.accept(*openModeOf(mode), station, OpenChoice{true, false, 1, 0}), outcome);
    QCOMPARE(cafe.station(), before);
    QVERIFY(cafe.prompts.told.isEmpty());
}

void TestOpenStation::conversionsUseTheChosenTariff()
{
    Cafe cafe;
    QVERIFY(cafe.addTariff(u"ST"_s, u"Normal"_s, 1.5, 0.25));
    QVERIFY(cafe.addCompound(u"Bloques"_s));
    cafe.open.loadTariffs(cafe.store.db());

    // Nothing chosen yet: the conversions price by the first tariff.
    QCOMPARE(cafe.open.amountFor(u"1", u"0").value_or(QString()), u"1,5"_s);

    cafe.open.choose(1);
    QCOMPARE(cafe.open.hourlyRate(), 0.0f);
    QCOMPARE(cafe.open.compoundRows().size(), std::size_t(4));
    QCOMPARE(cafe.open.amountFor(u"1", u"20").value_or(QString()), u"1,00"_s);
    const TimeChoice bought = cafe.open.timeFor(u"1,00");
    QCOMPARE(bought.hours, 1);
    QCOMPARE(bought.minutes, 30);

    cafe.open.choose(0);
    QVERIFY(cafe.open.compoundRows().empty());
    QCOMPARE(cafe.open.hourlyRate(), 1.5f);
    QCOMPARE(cafe.open.minimumCharge(), 0.25f);
    QCOMPARE(cafe.open.amountFor(u"2", u"20").value_or(QString()), u"3,5"_s);
    QCOMPARE(cafe.open.timeFor(u"0,75").minutes, 30);

    // A fresh load forgets the choice.
    cafe.open.loadTariffs(cafe.store.db());
    QVERIFY(!cafe.open.selected());
    QCOMPARE(cafe.open.tariffNames(), (QStringList{u"Normal"_s, u"Bloques"_s}));
}

QTEST_MAIN(TestOpenStation)
#include "tst_openstation.moc"
