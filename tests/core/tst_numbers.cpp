#include "core/numbers.h"
#include "support/testsupport.h"

#include <QTest>

#include <limits>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::pinCafeLocale(); }

    void leadingNumber_data();
    void leadingNumber();
    void formatDouble_data();
    void formatDouble();
    void formatSingle_data();
    void formatSingle();
    void formatGeneral_data();
    void formatGeneral();
    void parseNumber_data();
    void parseNumber();
    void parseNumberInEnglishLocale();
    void normalizeAmount_data();
    void normalizeAmount();
    void moneyFromDouble_data();
    void moneyFromDouble();
    void moneyArithmeticIsExact();
    void moneyFormat_data();
    void moneyFormat();
    void storedNumber_data();
    void storedNumber();
    void memoGivesWhatTheConversionsGive_data();
    void memoGivesWhatTheConversionsGive();
    void memoFollowsTheLocale();
};

void TestNumbers::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("empty") << u""_s << 0.0;
    QTest::newRow("no number") << u"abc"_s << 0.0;
    QTest::newRow("number then text") << u"12abc"_s << 12.0;
    QTest::newRow("leading blanks") << u"  \t7"_s << 7.0;
    QTest::newRow("comma ends the number") << u"3,5"_s << 3.0;
    QTest::newRow("full stop is the decimal sign") << u"3.5"_s << 3.5;
    QTest::newRow("negative") << u"-2"_s << -2.0;
    QTest::newRow("plus sign") << u"+4"_s << 4.0;
    QTest::newRow("no integer digits") << u".5"_s << 0.5;
    QTest::newRow("trailing full stop") << u"5."_s << 5.0;
    QTest::newRow("exponent") << u"1e3"_s << 1000.0;
    QTest::newRow("exponent without digits") << u"1e"_s << 1.0;
    QTest::newRow("second full stop ends it") << u"1.2.3"_s << 1.2;
    QTest::newRow("sign apart from digits") << u"- 5"_s << 0.0;
    QTest::newRow("minutes text") << u"10 min"_s << 10.0;
    QTest::newRow("hex is not read") << u"0x1A"_s << 0.0;
    QTest::newRow("lone sign") << u"-"_s << 0.0;
    QTest::newRow("huge exponent") << u"1e999"_s << 0.0;
}

void TestNumbers::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(kestrel::leadingNumber(text), expected);
}

void TestNumbers::formatDouble_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero") << 0.0 << 2 << u"0,00"_s;
    QTest::newRow("grouping") << 1234567.891 << 2 << u"1.234.567,89"_s;
    QTest::newRow("leading zero") << 0.5 << 2 << u"0,50"_s;
    // Ties are decided on the digits the operator sees, not on the binary value.
    QTest::newRow("tie up, binary below") << 1.005 << 2 << u"1,01"_s;
    QTest::newRow("tie up") << 2.675 << 2 << u"2,68"_s;
    QTest::newRow("negative tie away from zero") << -1.005 << 2 << u"-1,01"_s;
    QTest::newRow("smallest tie") << 0.005 << 2 << u"0,01"_s;
    QTest::newRow("below half") << 0.0049 << 2 << u"0,00"_s;
    QTest::newRow("no negative zero") << -0.001 << 2 << u"0,00"_s;
    QTest::newRow("carry into grouping") << 999.995 << 2 << u"1.000,00"_s;
    QTest::newRow("binary sum") << 0.1 + 0.2 << 2 << u"0,30"_s;
    QTest::newRow("tiny") << 1e-20 << 2 << u"0,00"_s;
    QTest::newRow("no decimals") << 2.5 << 0 << u"3"_s;
    QTest::newRow("four decimals") << 1.23456 << 4 << u"1,2346"_s;
    QTest::newRow("negative grouping") << -1234.5 << 2 << u"-1.234,50"_s;
}

void TestNumbers::formatDouble()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, expected);
    QCOMPARE(kestrel::formatDouble(value, decimals), expected);
}

void TestNumbers::formatSingle_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("asDouble");
    // A single-precision value is rounded on its own seven digits: 0.285f is 0.28499999642...
    QTest::newRow("single tie") << 0.285f << u"0,29"_s << u"0,28"_s;
    QTest::newRow("single below tie") << 1.005f << u"1,01"_s << u"1,00"_s;
    QTest::newRow("plain") << 1.15f << u"1,15"_s << u"1,15"_s;
    QTest::newRow("tenth") << 0.1f << u"0,10"_s << u"0,10"_s;
    QTest::newRow("grouping") << 1234567.0f << u"1.234.567,00"_s << u"1.234.567,00"_s;
}

void TestNumbers::formatSingle()
{
    QFETCH(float, value);
    QFETCH(QString, expected);
    QFETCH(QString, asDouble);
    QCOMPARE(kestrel::formatSingle(value, 2), expected);
    QCOMPARE(kestrel::formatDouble(double(value), 2), asDouble);
}

void TestNumbers::formatGeneral_data()
{
    QTest::addColumn<bool>("single");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one and a half") << true << 1.5 << u"1,5"_s;
    QTest::newRow("single tenth") << true << double(0.1f) << u"0,1"_s;
    QTest::newRow("whole") << true << 1.0 << u"1"_s;
    QTest::newRow("no grouping") << true << 1234567.0 << u"1234567"_s;
    QTest::newRow("seven digits") << true << 12345678.0 << u"12345680"_s;
    QTest::newRow("negative") << true << -2.25 << u"-2,25"_s;
    QTest::newRow("small") << true << double(0.0001f) << u"0,0001"_s;
    QTest::newRow("zero") << true << 0.0 << u"0"_s;
    QTest::newRow("double sum") << false << 0.1 + 0.2 << u"0,3"_s;
    QTest::newRow("double third") << false << 1.0 / 3.0 << u"0,333333333333333"_s;
}

void TestNumbers::formatGeneral()
{
    QFETCH(bool, single);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(single ? formatGeneralSingle(float(value)) : formatGeneralDouble(value), expected);
}

void TestNumbers::parseNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("expected");
    QTest::newRow("grouped amount") << u"1.234,50"_s << true << 1234.5;
    QTest::newRow("ungrouped") << u"1234,5"_s << true << 1234.5;
    QTest::newRow("decimal comma") << u"1,5"_s << true << 1.5;
    QTest::newRow("keypad full stop") << u"1.5"_s << true << 1.5;
    QTest::newRow("full stop as grouping") << u"1.500"_s << true << 1500.0;
    QTest::newRow("zero is never grouped") << u"0.500"_s << true << 0.5;
    QTest::newRow("negative zero group") << u"-0.285"_s << true << -0.285;
    QTest::newRow("misplaced grouping") << u"12.34,5"_s << false << 0.0;
    QTest::newRow("two commas") << u"1,2,3"_s << false << 0.0;
    QTest::newRow("two full stops") << u"1.2.3"_s << false << 0.0;
    QTest::newRow("text") << u"abc"_s << false << 0.0;
    QTest::newRow("number then text") << u"12abc"_s << false << 0.0;
    QTest::newRow("empty") << u""_s << false << 0.0;
    QTest::newRow("blanks around") << u"  2,5 "_s << true << 2.5;
    QTest::newRow("negative") << u"-3,25"_s << true << -3.25;
}

void TestNumbers::parseNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, expected);
    const auto value = kestrel::parseNumber(text);
    QCOMPARE(value.has_value(), valid);
    if (valid)
        QCOMPARE(*value, expected);
}

void TestNumbers::parseNumberInEnglishLocale()
{
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    QCOMPARE(kestrel::parseNumber(u"1,234.50"_s, en).value_or(-1), 1234.5);
    QCOMPARE(kestrel::parseNumber(u"1.5"_s, en).value_or(-1), 1.5);
    QVERIFY(!kestrel::parseNumber(u"1,5"_s, en).has_value());
    QCOMPARE(kestrel::formatAmount(1234.5, en), u"1,234.50"_s);
}

void TestNumbers::normalizeAmount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one decimal") << u"1,5"_s << u"1,50"_s;
    QTest::newRow("grouped") << u"1234,567"_s << u"1.234,57"_s;
    QTest::newRow("not a number") << u"abc"_s << u"0,00"_s;
    QTest::newRow("empty") << u""_s << u"0,00"_s;
}

void TestNumbers::normalizeAmount()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(kestrel::normalizeAmount(text), expected);
}

void TestNumbers::moneyFromDouble_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("units");
    QTest::newRow("tie to even zero") << 0.00005 << qint64(0);
    QTest::newRow("tie to even two") << 0.00015 << qint64(2);
    QTest::newRow("tie stays even") << 0.00025 << qint64(2);
    QTest::newRow("above tie") << 0.000251 << qint64(3);
    QTest::newRow("negative tie") << -0.00015 << qint64(-2);
    QTest::newRow("four decimals") << 1.23456 << qint64(12346);
    QTest::newRow("binary tenth") << 0.1 << qint64(1000);
    QTest::newRow("saturates") << 1e20 << std::numeric_limits<qint64>::max();
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << qint64(0);
}

void TestNumbers::moneyFromDouble()
{
    QFETCH(double, value);
    QFETCH(qint64, units);
    QCOMPARE(Money::fromDouble(value).units(), units);
}

void TestNumbers::moneyArithmeticIsExact()
{
    QCOMPARE(Money::fromDouble(0.1) + Money::fromDouble(0.2), Money::fromDouble(0.3));
    QCOMPARE(Money::fromSingle(0.1f).units(), qint64(1000));
    QCOMPARE((Money::fromDouble(1.5) * 3.0).units(), qint64(45000));
    QCOMPARE((Money::fromUnits(3) * 1e6).units(), qint64(3000000));  // whole factors exactly
    QCOMPARE((Money::fromUnits(12345) * 0.5).units(), qint64(6172)); // ties to even
    QCOMPARE((Money::fromDouble(12.0) * -2.0).format(), u"-24,00"_s);
    QCOMPARE((Money::fromDouble(10.0) - Money::fromDouble(0.01)).format(), u"9,99"_s);
    QVERIFY(Money::fromDouble(0.3) > Money::fromDouble(0.2999));
}

void TestNumbers::moneyFormat_data()
{
    QTest::addColumn<qint64>("units");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("expected");
    QTest::newRow("below half") << qint64(12345) << 2 << u"1,23"_s;
    QTest::newRow("display tie away") << qint64(16250) << 2 << u"1,63"_s;
    QTest::newRow("three decimals") << qint64(16250) << 3 << u"1,625"_s;
    QTest::newRow("grouping") << qint64(12345670000) << 2 << u"1.234.567,00"_s;
}

void TestNumbers::moneyFormat()
{
    QFETCH(qint64, units);
    QFETCH(int, decimals);
    QFETCH(QString, expected);
    QCOMPARE(Money::fromUnits(units).format(decimals), expected);
}

void TestNumbers::storedNumber_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("expected");
    QTest::newRow("real") << QVariant(1.5) << true << 1.5;
    QTest::newRow("integer") << QVariant(qlonglong(7)) << true << 7.0;
    QTest::newRow("regional text") << QVariant(u"1.234,5"_s) << true << 1234.5;
    QTest::newRow("keypad text") << QVariant(u"0.25"_s) << true << 0.25;
    QTest::newRow("null") << QVariant() << false << 0.0;
    QTest::newRow("words") << QVariant(u"diez"_s) << false << 0.0;
    QTest::newRow("empty text") << QVariant(u""_s) << false << 0.0;
    QTest::newRow("infinite") << QVariant(std::numeric_limits<double>::infinity()) << false << 0.0;
}

void TestNumbers::storedNumber()
{
    QFETCH(QVariant, stored);
    QFETCH(bool, isNumber);
    QFETCH(double, expected);
    const auto value = kestrel::storedNumber(stored);
    QCOMPARE(value.has_value(), isNumber);
    if (value)
        QCOMPARE(*value, expected);
}

void TestNumbers::memoGivesWhatTheConversionsGive_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("single");
    QTest::newRow("amount") << u"1,5"_s << 1.5f;
    QTest::newRow("tie") << u"2,675"_s << 2.675f;
    QTest::newRow("grouped") << u"1.234,567"_s << 1234.567f;
    QTest::newRow("time text") << u"0:00:00"_s << 0.0f;
    QTest::newRow("empty") << QString() << -0.005f;
}

void TestNumbers::memoGivesWhatTheConversionsGive()
{
    QFETCH(QString, text);
    QFETCH(float, single);
    AmountMemo memo;
    memo.newRound();
    for (int pass = 0; pass < 2; ++pass) { // the remembered answer is the first one
        QCOMPARE(memo.normalized(text), kestrel::normalizeAmount(text));
        QCOMPARE(memo.shown(text),
                 Money::fromDouble(kestrel::parseNumber(kestrel::normalizeAmount(text)).value()));
        QCOMPARE(memo.formatted(single), kestrel::formatSingle(single, 2));
        const Money m = Money::fromSingle(single);
        QCOMPARE(memo.formatted(m), m.format(2));
    }
}

void TestNumbers::memoFollowsTheLocale()
{
    AmountMemo memo;
    memo.newRound();
    QCOMPARE(memo.normalized(u"1,5"_s), u"1,50"_s);
    QLocale::setDefault(QLocale::c());
    memo.newRound();
    const QString english = memo.normalized(u"1.5"_s);
    test::pinCafeLocale();
    QCOMPARE(english, u"1.50"_s);
    memo.newRound();
    QCOMPARE(memo.normalized(u"1,5"_s), u"1,50"_s);
}

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
