#pragma once

#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringView>
#include <QVariant>

#include <compare>
#include <optional>

namespace kestrel {

// Every conversion between numbers and the texts the console shows or stores lives here.
//
// Rounding is decimal: a double is taken as its 15 significant digits and a single-precision
// value as its 7 significant digits (the digits an operator would see), then rounded. Display
// formatting rounds ties away from zero (2,675 -> 2,68); currency rounds ties to even.

// The leading number of a text: leading blanks skipped, an optional sign, digits with the full
// stop as decimal sign and an optional exponent. A text without a leading number gives 0.
// "12abc" -> 12, "3,5" -> 3, "abc" -> 0, "" -> 0.
double leadingNumber(QStringView text);

// Regional fixed formatting: `decimals` decimals, a leading zero and the locale's digit grouping.
QString formatDouble(double value, int decimals, const QLocale& locale = QLocale());
QString formatSingle(float value, int decimals, const QLocale& locale = QLocale());

// An amount as the console shows it: two decimals, regional format.
inline QString formatAmount(double value, const QLocale& locale = QLocale())
{
    return formatDouble(value, 2, locale);
}

// Regional general number text: as many decimals as needed, no grouping (1.5 -> "1,5").
QString formatGeneralDouble(double value, const QLocale& locale = QLocale());
QString formatGeneralSingle(float value, const QLocale& locale = QLocale());

// Reads a regional number text back: regional decimal sign, digit grouping accepted. Where the
// locale's decimal sign is not the full stop, a text with a full stop that is not valid grouping
// ("1.5", typed on a numeric keypad) reads the full stop as decimal sign. Anything else that is
// not a number gives nothing.
std::optional<double> parseNumber(QStringView text, const QLocale& locale = QLocale());
std::optional<float> parseSingle(QStringView text, const QLocale& locale = QLocale());

// A value read from the data store as a number: a numeric value as it is, a text read in the
// regional format. Null, or a text that is not a number, gives nothing.
std::optional<double> storedNumber(const QVariant& value, const QLocale& locale = QLocale());

// The largest amount the console reads from its tariffs, prices and stock: a million million.
// It is beyond anything a café charges, even in a currency with many zeros, and far inside what
// the four-decimal currency holds (9.2e14); a stored amount beyond it is taken as unreadable.
constexpr double MaxAmount = 1e12;

// A stored amount: storedNumber(), and nothing beyond MaxAmount either way.
std::optional<double> storedAmount(const QVariant& value, const QLocale& locale = QLocale());

// An amount text re-formatted with two decimals ("1,5" -> "1,50"); a text that is not a number
// counts as 0.
QString normalizeAmount(QStringView text, const QLocale& locale = QLocale());

// Fixed-point currency with four decimals. Conversions from floating point round half to even.
class Money {
public:
    static constexpr qint64 Scale = 10000;

    constexpr Money() = default;
    static constexpr Money fromUnits(qint64 units)
    {
        Money m;
        m.m_units = units;
        return m;
    }
    static Money fromDouble(double value);
    static Money fromSingle(float value);

    constexpr qint64 units() const { return m_units; }
    double toDouble() const { return double(m_units) / Scale; }
    float toSingle() const { return float(toDouble()); }
    bool isZero() const { return m_units == 0; }

    // Regional text with `decimals` decimals (ties away from zero).
    QString format(int decimals = 2, const QLocale& locale = QLocale()) const;

    // Sums and differences stop at the largest amount the currency holds instead of wrapping.
    Money operator+(Money other) const;
    Money operator-(Money other) const;
    Money& operator+=(Money other) { return *this = *this + other; }
    Money& operator-=(Money other) { return *this = *this - other; }
    // Multiplication by a count or a rate; the result is rounded half to even.
    Money operator*(double factor) const;

    constexpr auto operator<=>(const Money&) const = default;

private:
    qint64 m_units = 0;
};

// Amount conversions remembered, for a loop that meets the same few texts again and again (the
// metering reads every station's amounts every second). Each gives what the function it names
// gives for the default locale; call newRound() before each pass, so a change of the default
// locale or a full memory starts afresh.
class AmountMemo {
public:
    void newRound();

    // The amount a text shows, as money: Money::fromDouble(parseNumber(normalizeAmount(text))).
    Money shown(const QString& text);
    // normalizeAmount(text).
    QString normalized(const QString& text);
    // formatSingle(value, 2) and value.format(2).
    QString formatted(float value);
    QString formatted(Money value);

private:
    static constexpr qsizetype Limit = 100000;

    QString m_locale;
    QHash<QString, Money> m_shown;
    QHash<QString, QString> m_normalized;
    QHash<float, QString> m_formatted;
    QHash<qint64, QString> m_formattedMoney;
};

} // namespace kestrel
