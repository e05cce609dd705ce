#include "timetext.h"

#include <QStringList>

namespace kestrel::TimeText {

namespace {

constexpr qint64 MaxHours = 999999; // far beyond any session; keeps the arithmetic in range

std::optional<qint64> wholeNumber(QStringView field, int maxDigits)
{
    if (field.isEmpty() || field.size() > maxDigits)
        return std::nullopt;
    qint64 value = 0;
    for (QChar c : field) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + c.digitValue();
    }
    return value;
}

} // namespace

std::optional<Fields> fields(QStringView text)
{
    const QStringView t = text.trimmed();
    const auto parts = t.split(u':');
    if (parts.size() != 2 && parts.size() != 3)
        return std::nullopt;
    const auto h = wholeNumber(parts[0], 6);
    const auto m = wholeNumber(parts[1], 2);
    const auto s = parts.size() == 3 ? wholeNumber(parts[2], 2) : std::optional<qint64>(0);
    if (!h || !m || !s || *h > MaxHours || *m > 59 || *s > 59)
        return std::nullopt;
    return Fields{*h, int(*m), int(*s)};
}

std::optional<qint64> toSeconds(QStringView text)
{
    const auto f = fields(text);
    if (!f)
        return std::nullopt;
    return f->hours * 3600 + f->minutes * 60 + f->seconds;
}

QString format(const Fields& f)
{
    return QStringLiteral("%1:%2:%3")
        .arg(f.hours)
        .arg(f.minutes, 2, 10, QLatin1Char('0'))
        .arg(f.seconds, 2, 10, QLatin1Char('0'));
}

QString fromSeconds(qint64 seconds)
{
    if (seconds <= 0)
        return zero();
    seconds = std::min(seconds, MaxHours * 3600 + 3599);
    return format(Fields{seconds / 3600, int(seconds / 60 % 60), int(seconds % 60)});
}

std::optional<QString> add(QStringView a, QStringView b)
{
    const auto x = toSeconds(a);
    const auto y = toSeconds(b);
    if (!x || !y)
        return std::nullopt;
    return fromSeconds(*x + *y);
}

std::optional<QString> subtract(QStringView a, QStringView b)
{
    const auto x = toSeconds(a);
    const auto y = toSeconds(b);
    if (!x || !y)
        return std::nullopt;
    return fromSeconds(*x - *y);
}

std::optional<QString> stepOneSecond(QStringView text)
{
    const auto x = text.trimmed().isEmpty() ? std::optional<qint64>(0) : toSeconds(text);
    if (!x)
        return std::nullopt;
    return fromSeconds(*x + 1);
}

} // namespace kestrel::TimeText
