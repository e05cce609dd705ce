#pragma once

#include "station.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <optional>
#include <vector>

namespace kestrel {

// Reads and writes the stations' rows of table CYBER.
class CyberStore {
public:
    explicit CyberStore(QSqlDatabase db);

    // Every row in table order; nulls read as the texts a free station shows. Never refuses a
    // row. Returns nothing when the table cannot be read.
    std::optional<std::vector<Station>> load();

    enum class PersistResult { Written, NotFound, Failed };

    // Writes the station into the first row with its id. Amounts are stored as the numbers they
    // show (two decimals), the hourly rate as its single-precision number. An empty running
    // charge or total is first set to zero; the computer name is written only once reported (not
    // "-"), the MAC only when not empty; PC and PCIP are never written here.
    PersistResult persist(Station& station);

    QString lastError() const { return m_lastError; }

private:
    QSqlDatabase m_db;
    QSqlQuery m_update;
    bool m_prepared = false;
    QString m_lastError;
};

} // namespace kestrel
