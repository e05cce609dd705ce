#include "support/testsupport.h"
#include "tariffs/tariffs.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

using Rows = std::vector<CompoundRow>;
Q_DECLARE_METATYPE(Rows)

namespace {

// Rows "end=price" separated by blanks; a price "-" has no value: "15=0.20 abc=- 60=0.60".
Rows rows(const QString& text)
{
    Rows result;
    for (const QString& item : text.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(u'=');
        CompoundRow row{parts[0], std::nullopt};
        if (parts[1] != u"-"_s)
            row.tarif = Money::fromDouble(parts[1].toDouble());
        result.push_back(row);
    }
    return result;
}

const QString Blocks = u"15=0.20 30=0.40 45=0.50 60=0.60"_s;

Tariff tariff(const QString& tipo, double tarifa = 0)
{
    return Tariff{1, u"T"_s, tarifa, 0, tipo};
}

} // namespace

class TestTariffs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::pinCafeLocale(); }
    void storeReadsTariffsInTableOrder();
    void compoundRowsStopAtAnotherName();
    void storeFailsWithoutTable();
    void workingValuesKeepTwoDecimals_data();
    void workingValuesKeepTwoDecimals();
    void timeToMoney_data();
    void timeToMoney();
    void moneyToTime_data();
    void moneyToTime();
    void secondsToTimeText_data();
    void secondsToTimeText();
};

void TestTariffs::storeReadsTariffsInTableOrder()
{
    test::TempStore t;
    QVERIFY(t.isValid());
    const QString insert =
        u"INSERT INTO TARIFAS (NOMBRE, TARIFA, TARIF_MIN, TIPO) VALUES (?,?,?,?)"_s;
    QVERIFY(t.exec(insert, {u"Zeta"_s, 1.5, 0.25, u"ST"_s}));
    QVERIFY(t.exec(insert, {u"Alfa"_s, u"2,75"_s, u"abc"_s, u"PR"_s}));
    QVERIFY(t.exec(insert, {QVariant(), QVariant(), QVariant(), QVariant()}));

    const auto list = TariffStore(t.db()).tariffs();
    QVERIFY(list.has_value());
    QCOMPARE(list->size(), std::size_t(3));
    QCOMPARE((*list)[0].name, u"Zeta"_s);
    QCOMPARE((*list)[0].tarifa, 1.5);
    QCOMPARE((*list)[0].tarifMin, 0.25);
    QCOMPARE((*list)[1].tarifa, 2.75);
    QCOMPARE((*list)[1].tarifMin, 0.0);
    QCOMPARE((*list)[1].tipo, u"PR"_s);
    QVERIFY((*list)[2].code > (*list)[1].code);
    QCOMPARE((*list)[2].tarifa, 0.0);
    QVERIFY(!(*list)[2].isCompound());
    QCOMPARE(kestrel::selectedTariff(*list, -1), &(*list)[0]); // no selection: the first
    QVERIFY(!kestrel::selectedTariff(*list, 3));
}

void TestTariffs::compoundRowsStopAtAnotherName()
{
    test::TempStore t;
    QVERIFY(t.isValid());
    const QString insert = u"INSERT INTO TAIFASC (CODIGO, VALUE, TARIF, NOMBRE) VALUES (?,?,?,?)"_s;
    QVERIFY(t.exec(insert, {7, u"30"_s, 0.4, u"Noche"_s}));
    QVERIFY(t.exec(insert, {8, u"15"_s, 9.0, u"Noche"_s}));
    QVERIFY(t.exec(insert, {7, u"15"_s, QVariant(), u"Noche"_s}));
    QVERIFY(t.exec(insert, {7, u"abc"_s, u"abc"_s, u"Noche"_s}));
    QVERIFY(t.exec(insert, {7, u"45"_s, u"0,55"_s, u"Noche"_s}));
    QVERIFY(t.exec(insert, {7, u"60"_s, 0.6, u"noche"_s}));
    QVERIFY(t.exec(insert, {7, u"90"_s, 0.9, u"Noche"_s}));

    const auto read = TariffStore(t.db()).compoundRows(7);
    QVERIFY(read.has_value());
    QStringList values;
    for (const CompoundRow& r : *read)
        values << r.value;
    QCOMPARE(values, (QStringList{u"30"_s, u"15"_s, u"abc"_s, u"45"_s}));
    QCOMPARE((*read)[0].tarif, Money::fromDouble(0.4));
    QVERIFY(!(*read)[1].tarif.has_value());
    QVERIFY(!(*read)[2].tarif.has_value());
    QCOMPARE((*read)[3].tarif, Money::fromDouble(0.55));
    QVERIFY(TariffStore(t.db()).compoundRows(99).value_or(Rows(1)).empty());

    // Rows like these reach the conversions without harm.
    const Tariff compound = tariff(u"TC"_s);
    QCOMPARE(CALCULATEA(compound, *read, u"1", u"40"), u"0,55"_s);
    QCOMPARE(CALCULATEB(compound, *read, u"0,30").minutes, 30);
}

void TestTariffs::storeFailsWithoutTable()
{
    test::TempStore t;
    QVERIFY(t.isValid());
    QVERIFY(t.exec(u"DROP TABLE TAIFASC"_s));
    QVERIFY(t.exec(u"DROP TABLE TARIFAS"_s));
    TariffStore store(t.db());
    QVERIFY(!store.compoundRows(1).has_value());
    QVERIFY(!store.lastError().isEmpty());
    QVERIFY(!store.tariffs().has_value());
}

void TestTariffs::workingValuesKeepTwoDecimals_data()
{
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<double>("stored");
    QTest::addColumn<float>("expected");
    QTest::newRow("standard") << u"ST"_s << 1.5 << 1.5f;
    QTest::newRow("tie rounds up") << u"ST"_s << 1.005 << 1.01f;
    QTest::newRow("below the tie") << u"PR"_s << 2.674 << 2.67f;
    QTest::newRow("not a number") << u"ST"_s << qQNaN() << 0.0f;
}

void TestTariffs::workingValuesKeepTwoDecimals()
{
    QFETCH(QString, tipo);
    QFETCH(double, stored);
    QFETCH(float, expected);
    const Tariff t{1, u"T"_s, stored, stored, tipo};
    QCOMPARE(hourlyRate(t), expected);
    QCOMPARE(minimumCharge(t), expected);
    const Tariff compound{1, u"T"_s, stored, stored, u"TC"_s};
    QCOMPARE(hourlyRate(compound), 0.0f);
    QCOMPARE(minimumCharge(compound), expected);
}

void TestTariffs::timeToMoney_data()
{
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<double>("tarifa");
    QTest::addColumn<QString>("blocks");
    QTest::addColumn<QString>("hours");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("expected"); // null: the box keeps its text

    QTest::newRow("hours and minutes")
        << u"ST"_s << 1.5 << QString() << u"2"_s << u"20"_s << u"3,5"_s;
    QTest::newRow("four decimals")
        << u"ST"_s << 1.13 << QString() << u"0"_s << u"7"_s << u"0,1318"_s;
    QTest::newRow("single precision")
        << u"ST"_s << 1000.01 << QString() << u"9999"_s << u"0"_s << u"9999100"_s;
    QTest::newRow("package alike") << u"PR"_s << 30.0 << QString() << u"1"_s << u"30"_s << u"45"_s;
    QTest::newRow("no rate") << u"ST"_s << 0.0 << QString() << u"3"_s << u"10"_s << u"0"_s;
    QTest::newRow("hours not a number")
        << u"ST"_s << 1.5 << QString() << u"abc"_s << u"0"_s << QString();
    QTest::newRow("minutes not whole")
        << u"ST"_s << 1.5 << QString() << u"1"_s << u"1,5"_s << QString();
    QTest::newRow("beyond the currency")
        << u"ST"_s << 1e9 << QString() << u"999999999999"_s << u"0"_s << QString();

    QTest::newRow("hour and block") << u"TC"_s << 5.0 << Blocks << u"1"_s << u"20"_s << u"1,00"_s;
    QTest::newRow("block end") << u"TC"_s << 0.0 << Blocks << u"0"_s << u"45"_s << u"0,50"_s;
    QTest::newRow("past a block end") << u"TC"_s << 0.0 << Blocks << u"0"_s << u"46"_s << u"0,60"_s;
    QTest::newRow("whole hours") << u"TC"_s << 0.0 << Blocks << u"2"_s << u"0"_s << u"1,20"_s;
    QTest::newRow("beyond every block")
        << u"TC"_s << 0.0 << Blocks << u"0"_s << u"61"_s << u"0,00"_s;
    QTest::newRow("no rows") << u"TC"_s << 0.0 << QString() << u"3"_s << u"10"_s << u"0,00"_s;
    QTest::newRow("bad block end is skipped")
        << u"TC"_s << 0.0 << u"15=0.20 abc=0.30 45=0.50"_s << u"0"_s << u"20"_s << u"0,50"_s;
    QTest::newRow("hour without price")
        << u"TC"_s << 0.0 << u"30=0.40 60=-"_s << u"2"_s << u"10"_s << u"0,40"_s;
    QTest::newRow("block without price")
        << u"TC"_s << 0.0 << u"30=- 60=0.60"_s << u"1"_s << u"10"_s << u"0,60"_s;
}

void TestTariffs::timeToMoney()
{
    QFETCH(QString, tipo);
    QFETCH(double, tarifa);
    QFETCH(QString, blocks);
    QFETCH(QString, hours);
    QFETCH(QString, minutes);
    QFETCH(QString, expected);
    const auto amount = CALCULATEA(tariff(tipo, tarifa), rows(blocks), hours, minutes);
    QCOMPARE(amount.value_or(QString()), expected);
}

void TestTariffs::moneyToTime_data()
{
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<double>("tarifa");
    QTest::addColumn<QString>("blocks");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<int>("hours"); // -1: the lists keep what they show
    QTest::addColumn<int>("minutes");

    QTest::newRow("half an hour") << u"ST"_s << 1.5 << QString() << u"0,75"_s << 0 << 30;
    QTest::newRow("36 seconds") << u"ST"_s << 1.0 << QString() << u"0,01"_s << 0 << 0;
    QTest::newRow("72 seconds") << u"ST"_s << 1.0 << QString() << u"0,02"_s << 0 << 1;
    QTest::newRow("amount rounded down first")
        << u"ST"_s << 60.0 << QString() << u"0,994"_s << 0 << 0;
    QTest::newRow("amount rounded up first")
        << u"ST"_s << 60.0 << QString() << u"0,995"_s << 0 << 1;
    QTest::newRow("keypad full stop") << u"ST"_s << 1.0 << QString() << u"1.5"_s << 1 << 30;
    QTest::newRow("longest time") << u"ST"_s << 3600.0 << QString() << u"32767"_s << 9 << 6;
    QTest::newRow("beyond the longest time")
        << u"ST"_s << 3600.0 << QString() << u"32768"_s << -1 << -1;
    QTest::newRow("no rate") << u"ST"_s << 0.0 << QString() << u"1"_s << -1 << -1;
    QTest::newRow("not a number buys nothing") << u"ST"_s << 1.0 << QString() << u"abc"_s << 0 << 0;
    QTest::newRow("negative amount") << u"ST"_s << 1.5 << QString() << u"-0,75"_s << 0 << 0;

    QTest::newRow("hour and a half") << u"TC"_s << 0.0 << Blocks << u"1,00"_s << 1 << 30;
    QTest::newRow("within a block") << u"TC"_s << 0.0 << Blocks << u"0,35"_s << 0 << 30;
    QTest::newRow("just past a block") << u"TC"_s << 0.0 << Blocks << u"0,21"_s << 0 << 30;
    QTest::newRow("between last block and hour") << u"TC"_s << 0.0 << Blocks << u"0,55"_s << 1 << 0;
    QTest::newRow("two hours") << u"TC"_s << 0.0 << Blocks << u"1,20"_s << 2 << 0;
    QTest::newRow("three hours and a block") << u"TC"_s << 0.0 << Blocks << u"2,00"_s << 3 << 15;
    QTest::newRow("no rows") << u"TC"_s << 0.0 << QString() << u"5"_s << 0 << 0;
    QTest::newRow("free hour") << u"TC"_s << 0.0 << u"15=0.20 60=0"_s << u"5"_s << 1 << 0;
    QTest::newRow("hour without price") << u"TC"_s << 0.0 << u"15=0.20 60=-"_s << u"5"_s << 1 << 0;
    QTest::newRow("bad block end taken")
        << u"TC"_s << 0.0 << u"15=0.20 abc=0.40 60=0.60"_s << u"0,30"_s << 0 << 0;
    QTest::newRow("block past the hour") << u"TC"_s << 0.0 << u"90=0.80"_s << u"0,50"_s << 1 << 30;
    QTest::newRow("too many hours") << u"TC"_s << 0.0 << u"60=0.0001"_s << u"5"_s << -1 << -1;
}

void TestTariffs::moneyToTime()
{
    QFETCH(QString, tipo);
    QFETCH(double, tarifa);
    QFETCH(QString, blocks);
    QFETCH(QString, amount);
    QFETCH(int, hours);
    QFETCH(int, minutes);
    const TimeChoice c = CALCULATEB(tariff(tipo, tarifa), rows(blocks), amount);
    QCOMPARE(c.hours.value_or(-1), hours);
    QCOMPARE(c.minutes.value_or(-1), minutes);
    QCOMPARE(c.hourSpin.value_or(-1), hours < 0 ? -1 : 59 - hours);
    QCOMPARE(c.minuteSpin.value_or(-1), minutes < 0 ? -1 : 59 - minutes);
}

void TestTariffs::secondsToTimeText_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero") << 0 << u"00:00:00"_s;
    QTest::newRow("just below a minute") << 59 << u"00:00:59"_s;
    QTest::newRow("a minute") << 60 << u"00:01:00"_s;
    QTest::newRow("minute rolls into the hour") << 3600 << u"01:00:00"_s;
    QTest::newRow("hours, minutes, seconds") << 3725 << u"01:02:05"_s;
    QTest::newRow("largest") << 32767 << u"09:06:07"_s;
}

void TestTariffs::secondsToTimeText()
{
    QFETCH(int, seconds);
    QFETCH(QString, expected);
    qint16 s = qint16(seconds);
    QCOMPARE(kestrel::secondsToTimeText(s), expected);
    QCOMPARE(int(s), seconds % 60);
}

QTEST_GUILESS_MAIN(TestTariffs)
#include "tst_tariffs.moc"
