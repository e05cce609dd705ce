#include "names.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

namespace kestrel {

namespace {

// Walks a text code point by code point, each folded; a lone surrogate stands for itself.
class Folded {
public:
    explicit Folded(QStringView text) : m_text(text) {}
    bool hasNext() const { return m_pos < m_text.size(); }
    char32_t next()
    {
        const QChar c = m_text[m_pos++];
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && m_pos < m_text.size() && m_text[m_pos].isLowSurrogate())
            code = QChar::surrogateToUcs4(c, m_text[m_pos++]);
        return QChar::toCaseFolded(code);
    }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

// The collation gets the store's UTF-8 text. Names are mostly ASCII: those compare byte by byte
// with A to Z folded, the rest as decoded text.
int collate(void*, int lengthA, const void* a, int lengthB, const void* b)
{
    const auto* x = static_cast<const unsigned char*>(a);
    const auto* y = static_cast<const unsigned char*>(b);
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    int i = 0;
    for (; i < lengthA && i < lengthB && x[i] < 0x80 && y[i] < 0x80; ++i) {
        const int cx = lower(x[i]);
        const int cy = lower(y[i]);
        if (cx != cy)
            return cx < cy ? -1 : 1;
    }
    if (i == lengthA || i == lengthB)
        return (i < lengthA) - (i < lengthB);
    return compareNames(QString::fromUtf8(reinterpret_cast<const char*>(x + i), lengthA - i),
                        QString::fromUtf8(reinterpret_cast<const char*>(y + i), lengthB - i));
}

} // namespace

int compareNames(QStringView a, QStringView b)
{
    Folded i(a);
    Folded j(b);
    while (i.hasNext() && j.hasNext()) {
        const char32_t x = i.next();
        const char32_t y = j.next();
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (i.hasNext())
        return 1;
    return j.hasNext() ? -1 : 0;
}

QString nameKey(QStringView name)
{
    QString key;
    key.reserve(name.size());
    Folded i(name);
    while (i.hasNext()) {
        for (char16_t unit : QChar::fromUcs4(i.next()))
            key.append(QChar(unit));
    }
    return key;
}

bool nameStartsWith(QStringView name, QStringView prefix)
{
    Folded i(name);
    Folded j(prefix);
    while (j.hasNext()) {
        if (!i.hasNext() || i.next() != j.next())
            return false;
    }
    return true;
}

bool installNameCollation(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3* connection = *static_cast<sqlite3* const*>(handle.constData());
    return connection && sqlite3_create_collation(connection, "NOCASE", SQLITE_UTF8, nullptr,
                                                  &collate) == SQLITE_OK;
}

} // namespace kestrel
