#include "numbers.h"

#include <QtNumeric>

#include <cmath>
#include <limits>

namespace kestrel {

namespace {

enum class Tie { AwayFromZero, ToEven };

constexpr int DoubleDigits = 15;
constexpr int SingleDigits = 7;

// A finite number as its significant decimal digits: value = 0.digits x 10^intDigits, sign apart.
struct DecimalDigits {
    bool negative = false;
    QString digits;    // no leading zero, at least one digit
    int intDigits = 0; // position of the decimal point counted from the first digit

    static DecimalDigits of(double value, int significant)
    {
        DecimalDigits d;
        // 'e' notation is locale independent: "-2.67500000000000e+00".
        const QString e = QString::number(value, 'e', significant - 1);
        const qsizetype ePos = e.indexOf(u'e');
        QStringView mantissa = QStringView(e).left(ePos);
        if (mantissa.startsWith(u'-')) {
            d.negative = true;
            mantissa = mantissa.mid(1);
        }
        for (QChar c : mantissa) {
            if (c.isDigit())
                d.digits.append(c);
        }
        d.intDigits = QStringView(e).mid(ePos + 1).toInt() + 1;
        return d;
    }

    // The value rounded to `decimals` places, as a whole number of 10^-decimals units, in digits.
    QString roundedUnits(int decimals, Tie tie) const
    {
        const qsizetype keep = qsizetype(intDigits) + decimals;
        if (keep < 0)
            return QStringLiteral("0");
        QString kept = digits.left(keep);
        while (kept.size() < keep)
            kept.append(u'0');
        const QStringView rest = QStringView(digits).mid(std::min(keep, digits.size()));
        bool up = false;
        if (!rest.isEmpty()) {
            const QChar first = rest.front();
            if (first > u'5') {
                up = true;
            } else if (first == u'5') {
                bool moreThanHalf = false;
                for (QChar c : rest.mid(1))
                    moreThanHalf = moreThanHalf || c != u'0';
                const bool lastOdd = !kept.isEmpty() && (kept.back().digitValue() % 2 == 1);
                up = moreThanHalf || tie == Tie::AwayFromZero || lastOdd;
            }
        }
        if (kept.isEmpty())
            kept = QStringLiteral("0");
        if (up) {
            qsizetype i = kept.size() - 1;
            while (i >= 0 && kept[i] == u'9') {
                kept[i] = u'0';
                --i;
            }
            if (i < 0)
                kept.prepend(u'1');
            else
                kept[i] = QChar(kept[i].unicode() + 1);
        }
        while (kept.size() > 1 && kept.front() == u'0')
            kept.remove(0, 1);
        return kept;
    }
};

// "[-]int.frac" in C notation with exactly `decimals` decimals.
QString plainText(bool negative, const QString& units, int decimals)
{
    QString padded = units;
    while (padded.size() <= decimals)
        padded.prepend(u'0');
    QString text = padded.left(padded.size() - decimals);
    if (decimals > 0)
        text += u'.' + padded.right(decimals);
    if (negative && units != QLatin1String("0"))
        text.prepend(u'-');
    return text;
}

double roundedValue(double value, int significant, int decimals, Tie tie)
{
    if (!std::isfinite(value) || value == 0.0)
        return std::isfinite(value) ? 0.0 : value;
    const DecimalDigits d = DecimalDigits::of(value, significant);
    return plainText(d.negative, d.roundedUnits(decimals, tie), decimals).toDouble();
}

QString fixedText(double value, int significant, int decimals, const QLocale& locale)
{
    double r = roundedValue(value, significant, decimals, Tie::AwayFromZero);
    if (r == 0.0)
        r = 0.0; // no "-0,00"
    return locale.toString(r, 'f', decimals);
}

QString generalText(double value, int significant, const QLocale& locale)
{
    if (!std::isfinite(value) || value == 0.0)
        return QStringLiteral("0");
    const DecimalDigits d = DecimalDigits::of(value, significant);
    QString digits = d.digits;
    while (digits.size() > 1 && digits.back() == u'0')
        digits.chop(1);
    QString intPart;
    QString fracPart;
    if (d.intDigits <= 0) {
        intPart = QStringLiteral("0");
        fracPart = QString(-d.intDigits, u'0') + digits;
    } else {
        intPart = digits.left(d.intDigits);
        while (intPart.size() < d.intDigits)
            intPart.append(u'0');
        fracPart = digits.mid(d.intDigits);
    }
    QString text = intPart;
    if (!fracPart.isEmpty())
        text += locale.decimalPoint() + fracPart;
    if (d.negative)
        text.prepend(locale.negativeSign());
    return text;
}

Money moneyOf(double value, int significant)
{
    if (!std::isfinite(value) || value == 0.0)
        return {};
    const DecimalDigits d = DecimalDigits::of(value, significant);
    const QString units = d.roundedUnits(4, Tie::ToEven);
    bool ok = false;
    const qint64 n = units.toLongLong(&ok);
    if (!ok) // beyond the range of the currency: saturate rather than wrap
        return Money::fromUnits(d.negative ? std::numeric_limits<qint64>::min()
                                           : std::numeric_limits<qint64>::max());
    return Money::fromUnits(d.negative ? -n : n);
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

} // namespace

double leadingNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && text[i] >= u'0' && text[i] <= u'9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    qsizetype end = i;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        const qsizetype expStart = j;
        while (j < n && text[j] >= u'0' && text[j] <= u'9')
            ++j;
        if (j > expStart)
            end = j;
    }
    QString number = text.mid(start, end - start).toString();
    if (number.endsWith(u'.'))
        number.chop(1);
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

QString formatDouble(double value, int decimals, const QLocale& locale)
{
    return fixedText(value, DoubleDigits, decimals, locale);
}

QString formatSingle(float value, int decimals, const QLocale& locale)
{
    return fixedText(double(value), SingleDigits, decimals, locale);
}

QString formatGeneralDouble(double value, const QLocale& locale)
{
    return generalText(value, DoubleDigits, locale);
}

QString formatGeneralSingle(float value, const QLocale& locale)
{
    return generalText(double(value), SingleDigits, locale);
}

std::optional<double> parseNumber(QStringView text, const QLocale& locale)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    double value = locale.toDouble(trimmed, &ok);
    // No number is grouped as "0.500": there the full stop can only be a decimal sign.
    const QStringView magnitude =
        trimmed.startsWith(u'-') || trimmed.startsWith(u'+') ? trimmed.mid(1) : trimmed;
    const QString zeroGroupPrefix = QChar(u'0') + locale.groupSeparator();
    const bool zeroGroup = magnitude.startsWith(zeroGroupPrefix);
    if ((!ok || zeroGroup) && locale.decimalPoint() != QLatin1String(".") &&
        trimmed.contains(u'.') && !trimmed.contains(locale.decimalPoint())) {
        value = QLocale::c().toDouble(trimmed, &ok);
    }
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<float> parseSingle(QStringView text, const QLocale& locale)
{
    const auto value = parseNumber(text, locale);
    if (!value || std::abs(*value) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return float(*value);
}

std::optional<double> storedNumber(const QVariant& value, const QLocale& locale)
{
    if (value.isNull())
        return std::nullopt;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        const double d = value.toDouble();
        return std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
    }
    default:
        return parseNumber(value.toString(), locale);
    }
}

std::optional<double> storedAmount(const QVariant& value, const QLocale& locale)
{
    const std::optional<double> number = storedNumber(value, locale);
    if (!number || std::abs(*number) > MaxAmount)
        return std::nullopt;
    return number;
}

QString normalizeAmount(QStringView text, const QLocale& locale)
{
    return formatAmount(parseNumber(text, locale).value_or(0.0), locale);
}

Money Money::fromDouble(double value)
{
    return moneyOf(value, DoubleDigits);
}

Money Money::fromSingle(float value)
{
    return moneyOf(double(value), SingleDigits);
}

QString Money::format(int decimals, const QLocale& locale) const
{
    return formatDouble(toDouble(), decimals, locale);
}

Money Money::operator+(Money other) const
{
    qint64 sum = 0;
    if (qAddOverflow(m_units, other.m_units, &sum))
        return fromUnits(other.m_units > 0 ? std::numeric_limits<qint64>::max()
                                           : std::numeric_limits<qint64>::min());
    return fromUnits(sum);
}

Money Money::operator-(Money other) const
{
    qint64 difference = 0;
    if (qSubOverflow(m_units, other.m_units, &difference))
        return fromUnits(other.m_units < 0 ? std::numeric_limits<qint64>::max()
                                           : std::numeric_limits<qint64>::min());
    return fromUnits(difference);
}

Money Money::operator*(double factor) const
{
    // A whole factor (a count of hours, of pages) multiplies exactly; a product beyond the
    // currency stops at its largest amount, as fromDouble does.
    if (factor == std::trunc(factor) && std::abs(factor) < 1e18) {
        qint64 product = 0;
        if (!qMulOverflow(m_units, qint64(factor), &product))
            return fromUnits(product);
        const bool negative = (m_units < 0) != (factor < 0);
        return fromUnits(negative ? std::numeric_limits<qint64>::min()
                                  : std::numeric_limits<qint64>::max());
    }
    return fromDouble(toDouble() * factor);
}

void AmountMemo::newRound()
{
    const QString locale = QLocale().name();
    if (locale != m_locale ||
        m_shown.size() + m_normalized.size() + m_formatted.size() + m_formattedMoney.size() >
            Limit) {
        m_locale = locale;
        m_shown.clear();
        m_normalized.clear();
        m_formatted.clear();
        m_formattedMoney.clear();
    }
}

Money AmountMemo::shown(const QString& text)
{
    if (auto it = m_shown.constFind(text); it != m_shown.cend())
        return it.value();
    const Money value = Money::fromDouble(parseNumber(normalizeAmount(text)).value_or(0.0));
    m_shown.insert(text, value);
    return value;
}

QString AmountMemo::normalized(const QString& text)
{
    if (auto it = m_normalized.constFind(text); it != m_normalized.cend())
        return it.value();
    return *m_normalized.insert(text, normalizeAmount(text));
}

QString AmountMemo::formatted(float value)
{
    if (auto it = m_formatted.constFind(value); it != m_formatted.cend())
        return it.value();
    return *m_formatted.insert(value, formatSingle(value, 2));
}

QString AmountMemo::formatted(Money value)
{
    if (auto it = m_formattedMoney.constFind(value.units()); it != m_formattedMoney.cend())
        return it.value();
    return *m_formattedMoney.insert(value.units(), value.format(2));
}

} // namespace kestrel
