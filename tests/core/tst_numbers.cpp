// The conversions every rule leans on: numbers and money in the café's regional format, time
// texts, names compared ignoring case, and the key rule of numeric boxes.
#include "core/names.h"
#include "core/numbers.h"
#include "core/numerickeys.h"
#include "core/timetext.h"
#include "support/testsupport.h"

#include <QTest>

#include <limits>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {
constexpr qint64 Most = std::numeric_limits<qint64>::max();
constexpr qint64 Least = std::numeric_limits<qint64>::min();

QString text(std::optional<double> value)
{
    return value ? QString::number(*value, 'g', 17) : u"-"_s;
}
} // namespace

class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::pinCafeLocale(); }

    void formatting_data()
    {
        // Ties are decided on the digits the operator sees, away from zero, not on the binary
        // value; a single-precision value on its own seven digits (0.285f is 0.28499999642...).
        test::addRows("format | value | shown", R"(
            grouping              |fixed          |1234567.891      |1.234.567,89
            leading zero          |fixed          |0.5              |0,50
            tie up, binary below  |fixed          |1.005            |1,01
            negative tie          |fixed          |-1.005           |-1,01
            no negative zero      |fixed          |-0.001           |0,00
            carry into grouping   |fixed          |999.995          |1.000,00
            single tie            |single         |0.285            |0,29
            single tie as double  |fixed          |0.28499999642372 |0,28
            general half          |general single |1.5              |1,5
            general, no grouping  |general single |1234567          |1234567
            general seven digits  |general single |12345678         |12345680
            general double        |general double |0.333333333333333|0,333333333333333
            normalized            |normalized     |1234,567         |1.234,57
            normalized, no number |normalized     |abc              |0,00)");
    }
    void formatting()
    {
        QFETCH(test::Row, r);
        const double value = r[u"value"].toDouble();
        const QString format = r[u"format"];
        const QString shown = format == u"fixed"            ? formatDouble(value, 2)
                              : format == u"single"         ? formatSingle(float(value), 2)
                              : format == u"general single" ? formatGeneralSingle(float(value))
                              : format == u"general double" ? formatGeneralDouble(value)
                                                            : normalizeAmount(r[u"value"]);
        QCOMPARE(shown, r[u"shown"]);
    }

    void reading_data()
    {
        // Text as the operator or the store gives it: leading number, regional number, amount
        // (storedAmount, nothing beyond MaxAmount); "-" is no number.
        test::addRows("text | leading | regional | amount", R"(
            empty                 |             |0     |-      |-
            number then text      |12abc        |12    |-      |-
            comma ends the leading|3,5          |3     |3.5    |3.5
            full stop is decimal  |3.5          |3.5   |3.5    |3.5
            grouped amount        |1.234,50     |1.234 |1234.5 |1234.5
            full stop as grouping |1.500        |1.5   |1500   |1500
            zero is never grouped |-0.285       |-0.285|-0.285 |-0.285
            blanks around         | 2,5         |2     |2.5    |2.5
            exponent              |1e3          |1000  |1000   |1000
            sign apart            |- 5          |0     |-      |-
            misplaced grouping    |12.34,5      |12.34 |-      |-
            two commas            |1,2,3        |1     |-      |-
            at the limit          |1e12         |1e12  |1e12   |1e12
            beyond the limit      |1e300        |1e300 |1e300  |-
            huge exponent         |1e999        |0     |-      |-)");
    }
    void reading()
    {
        QFETCH(test::Row, r);
        const auto number = [&](QStringView name) {
            return r[name] == u"-" ? r[name] : text(r[name].toDouble());
        };
        QCOMPARE(text(leadingNumber(r[u"text"])), number(u"leading"));
        QCOMPARE(text(parseNumber(r[u"text"])), number(u"regional"));
        QCOMPARE(text(storedAmount(r[u"text"])), number(u"amount"));
        QCOMPARE(text(storedAmount(QVariant(1e300))), u"-"_s); // a stored number as well
    }

    void money()
    {
        const auto units = [](double v) { return Money::fromDouble(v).units(); };
        QCOMPARE(units(0.00005), 0); // ties to even
        QCOMPARE(units(0.00015), 2);
        QCOMPARE(Money::fromSingle(0.1f).units(), 1000);
        QCOMPARE(Money::fromDouble(0.1) + Money::fromDouble(0.2), Money::fromDouble(0.3));
        QCOMPARE((Money::fromUnits(12345) * 0.5).units(), 6172);
        QCOMPARE(Money::fromUnits(16250).format(2), u"1,63"_s);
        QCOMPARE(units(std::numeric_limits<double>::quiet_NaN()), 0);
        // Beyond the currency, amounts stop at its ends instead of wrapping.
        QCOMPARE(units(1e300), Most);
        QCOMPARE((Money::fromUnits(Most) + Money::fromUnits(1)).units(), Most);
        QCOMPARE((Money::fromUnits(Least) - Money::fromUnits(1)).units(), Least);
        QCOMPARE((Money::fromUnits(Most) - Money::fromUnits(-5)).units(), Most);
        QCOMPARE((Money::fromUnits(Most) * 3.0).units(), Most);
        QCOMPARE((Money::fromUnits(Least) * 2.0).units(), Least);
        Money total = Money::fromUnits(Most - 1);
        total += Money::fromUnits(10);
        QCOMPARE(total.units(), Most);
    }

    void timeTexts_data()
    {
        // "-": not a time.
        test::addRows("text | seconds | a second later | minus 0:06:00 | plus 0:20:00", R"(
            zero                 |0:00:00   |0     |0:00:01 |0:00:00 |0:20:00
            empty steps from 0   |          |-     |0:00:01 |-       |-
            fields unpadded      |9:5:3     |32703 |9:05:04 |8:59:03 |9:25:03
            padded hours         |09:59:59  |35999 |10:00:00|9:53:59 |10:19:59
            no seconds           |1:05      |3900  |1:05:01 |0:59:00 |1:25:00
            past a day           |23:59:59  |86399 |24:00:00|23:53:59|24:19:59
            carry into hours     |0:50:10   |3010  |0:50:11 |0:44:10 |1:10:10
            has run out          |0:05:00   |300   |0:05:01 |0:00:00 |0:25:00
            blanks around        | 0:10:00  |600   |0:10:01 |0:04:00 |0:30:00
            minutes 60           |0:60:00   |-     |-       |-       |-
            negative             |-1:00:00  |-     |-       |-       |-
            four fields          |1:00:00:00|-     |-       |-       |-
            three-digit minutes  |0:005:00  |-     |-       |-       |-
            decimal seconds      |0:00:1.5  |-     |-       |-       |-)");
    }
    void timeTexts()
    {
        QFETCH(test::Row, r);
        const QString text = r[u"text"];
        const auto seconds = TimeText::toSeconds(text);
        QCOMPARE(seconds ? QString::number(*seconds) : u"-"_s, r[u"seconds"]);
        QCOMPARE(TimeText::stepOneSecond(text).value_or(u"-"_s), r[u"a second later"]);
        QCOMPARE(TimeText::subtract(text, u"0:06:00").value_or(u"-"_s), r[u"minus 0:06:00"]);
        QCOMPARE(TimeText::add(text, u"0:20:00").value_or(u"-"_s), r[u"plus 0:20:00"]);
        if (seconds)
            QCOMPARE(TimeText::fromSeconds(*seconds + 1), r[u"a second later"]);
    }

    void names_data()
    {
        // The sign of compareNames(a, b); whether a starts with b.
        test::addRows("a | b | sign | starts with", R"(
            ascii                 |PC01          |pc01          |0 |1
            n with tilde          |MUÑOZ         |muñoz         |0 |1
            accents               |BEGOÑA ÁLVAREZ|begoña álvarez|0 |1
            greek                 |ΛΑΜΔΑ         |λαμδα         |0 |1
            accent is a letter    |jose          |josé          |-1|0
            prefix                |Joaquín       |JOA           |1 |1
            shorter first         |jo            |JOSE          |-1|0
            not a prefix          |ajo           |jo            |-1|0
            beyond 16 bits        |a😀b          |A😀B          |0 |1)");
    }
    void names()
    {
        QFETCH(test::Row, r);
        const QString a = r[u"a"], b = r[u"b"];
        const int c = compareNames(a, b);
        QCOMPARE((c > 0) - (c < 0), r.number(u"sign"));
        QCOMPARE(compareNames(b, a), -c);
        QCOMPARE(nameKey(a) == nameKey(b), c == 0);
        QCOMPARE(nameStartsWith(a, b), r.yes(u"starts with"));
    }

    void numericKeys()
    {
        using K = NumericKey;
        const struct {
            int key;
            const char16_t* text;
            bool control;
            K expected;
        } keys[] = {
            {Qt::Key_7, u"7", false, K::Accept},       {Qt::Key_Comma, u",", false, K::Accept},
            {Qt::Key_Period, u".", false, K::Accept},  {Qt::Key_Backspace, u"\b", false, K::Accept},
            {Qt::Key_Return, u"\r", false, K::Enter},  {Qt::Key_A, u"a", false, K::Refuse},
            {Qt::Key_Minus, u"-", false, K::Refuse},   {Qt::Key_Space, u" ", false, K::Refuse},
            {Qt::Key_Delete, u"\x7f", false, K::Pass}, {Qt::Key_Escape, u"\x1b", false, K::Pass},
            {Qt::Key_A, u"\x01", true, K::Pass},       {Qt::Key_V, u"v", true, K::Pass},
            {Qt::Key_Home, u"", false, K::Pass},
        };
        for (const auto& k : keys)
            QCOMPARE(classifyNumericKey(k.key, QString::fromUtf16(k.text), k.control), k.expected);
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
