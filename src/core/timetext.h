#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace kestrel {

// Durations as the console shows them: "h:mm:ss", hours without padding, minutes and seconds
// with two digits. Texts are read like a time of day ("9:5:3" and "1:05" are accepted), except
// that the hours may pass 23: a session longer than a day keeps counting instead of wrapping.
namespace TimeText {

struct Fields {
    qint64 hours = 0;
    int minutes = 0;
    int seconds = 0;
};

// Hours, minutes and optional seconds; minutes and seconds 0 to 59. Blanks around are ignored.
std::optional<Fields> fields(QStringView text);
std::optional<qint64> toSeconds(QStringView text);

// "h:mm:ss" of a number of seconds; a negative duration has no text and shows as "0:00:00".
QString fromSeconds(qint64 seconds);
QString format(const Fields& fields);

// Sum and difference of two time texts. The difference never goes below "0:00:00" (a remaining
// time that would be negative has run out). An operand that is not a time gives nothing.
std::optional<QString> add(QStringView a, QStringView b);
std::optional<QString> subtract(QStringView a, QStringView b);

// One second later; an empty text counts as "0:00:00". Not a time: nothing.
std::optional<QString> stepOneSecond(QStringView text);

inline const QString& zero()
{
    static const QString z = QStringLiteral("0:00:00");
    return z;
}

} // namespace TimeText
} // namespace kestrel
