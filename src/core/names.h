#pragma once

#include <QString>
#include <QStringView>

class QSqlDatabase;

namespace kestrel {

// Names (accounts, operators, products, stations, machines) compare ignoring case for every
// letter, not only A to Z: "MUÑOZ" is "muñoz" and "BEGOÑA" is "Begoña". Each code point is
// compared by its simple case folding, so the order is total and the same everywhere: in the
// store's NOCASE comparisons, in memory and in hash keys.
int compareNames(QStringView a, QStringView b);
inline bool sameName(QStringView a, QStringView b)
{
    return compareNames(a, b) == 0;
}

// The key under which a name is kept in a hash: equal keys for names that compare equal.
QString nameKey(QStringView name);

// Whether `name` starts with `prefix`, ignoring case as above.
bool nameStartsWith(QStringView name, QStringView prefix);

// Replaces SQLite's NOCASE (which folds A to Z only) on this connection by the comparison above,
// so every column declared NOCASE, its indexes and every "COLLATE NOCASE" follow it. Must run
// before the connection runs its first statement. Returns false when the driver is not SQLite.
bool installNameCollation(const QSqlDatabase& db);

} // namespace kestrel
