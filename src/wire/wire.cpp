#include "wire.h"

#include <array>

namespace kestrel::Wire {

namespace {

// Bytes 0x80 to 0x9F of Windows-1252; the five bytes the code page leaves undefined map to the
// control characters of the same value, as Windows itself converts them.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char toByte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (std::size_t i = 0; i < HighControls.size(); ++i) {
        if (HighControls[i] == c)
            return char(0x80 + i);
    }
    return '?';
}

} // namespace

QString message(const QString& keyword, const QStringList& fields)
{
    QString text = keyword;
    for (const QString& field : fields) {
        text += Separator;
        text += field;
    }
    text += Terminator;
    return text;
}

QStringList split(QStringView received)
{
    QStringList pieces;
    for (QStringView piece : received.split(Separator))
        pieces << piece.toString();
    return pieces;
}

QByteArray encode(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A character outside the basic plane is one "?", not two.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        bytes += toByte(c.unicode());
    }
    return bytes;
}

QString decode(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        text += (u >= 0x80 && u < 0xA0) ? QChar(HighControls[u - 0x80]) : QChar(u);
    }
    return text;
}

QStringList Framer::feed(QByteArrayView bytes)
{
    static const QByteArray terminator = encode(Terminator);
    m_pending += bytes;
    QStringList messages;
    qsizetype start = 0;
    for (qsizetype end; (end = m_pending.indexOf(terminator, start)) >= 0;
         start = end + terminator.size())
        messages << decode(QByteArrayView(m_pending).sliced(start, end - start));
    m_pending.remove(0, start);
    if (m_pending.size() > MaxPending)
        m_pending.clear();
    return messages;
}

} // namespace kestrel::Wire
