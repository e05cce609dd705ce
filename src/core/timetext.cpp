#include "timetext.h"

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
    // Read on every tick for every station: no splitting into a list.
    const QStringView t = text.trimmed();
    const qsizetype first = t.indexOf(u':');
    if (first < 0)
        return std::nullopt;
    const qsizetype second = t.indexOf(u':', first + 1);
    const QStringView hours = t.left(first);
    const QStringView minutes =
        second < 0 ? t.mid(first + 1) : t.mid(first + 1, second - first - 1);
    const QStringView secondsText = second < 0 ? QStringView() : t.mid(second + 1);
    const auto h = wholeNumber(hours, 6);
    const auto m = wholeNumber(minutes, 2);
    const auto s = second < 0 ? std::optional<qint64>(0) : wholeNumber(secondsText, 2);
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
    QString text = QString::number(f.hours);
    text.reserve(text.size() + 6);
    text += u':';
    text += QChar(u'0' + f.minutes / 10);
    text += QChar(u'0' + f.minutes % 10);
    text += u':';
    text += QChar(u'0' + f.seconds / 10);
    text += QChar(u'0' + f.seconds % 10);
    return text;
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
