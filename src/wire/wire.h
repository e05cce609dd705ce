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

// Cuts what the console sends into whole messages, however TCP delivers it: split over several
// reads or several joined in one. A message ends at the terminator.
class Framer {
public:
    // What may wait for its terminator; beyond it the waiting bytes are dropped, so a peer that
    // never ends a message cannot fill the memory.
    static constexpr qsizetype MaxPending = 1 << 20;

    // Adds the bytes that arrived; returns the messages they complete, oldest first, decoded and
    // without their terminator.
    QStringList feed(QByteArrayView bytes);
    void clear() { m_pending.clear(); }

private:
    QByteArray m_pending;
};

} // namespace kestrel::Wire
