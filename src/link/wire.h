#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace kestrel::Wire {

// Messages between the console and the station agents: a keyword and fields joined by the
// separator. The console ends what it sends with the terminator; the agents send none, and
// nothing is escaped.
inline constexpr QStringView Separator = u"#LVX#";
inline constexpr QStringView Terminator = u"#LVXF#";

// keyword#LVX#field1#LVX#field2...#LVXF#
QString message(const QString& keyword, const QStringList& fields);

// A received text cut at every separator: piece 0 is the keyword, the rest are the fields. The
// terminator is not looked for.
QStringList split(QStringView received);

// Text to and from the wire bytes: Windows-1252, so "ñ" is the single byte 0xF1. A character the
// code page cannot carry goes out as "?".
QByteArray encode(QStringView text);
QString decode(QByteArrayView bytes);

} // namespace kestrel::Wire
