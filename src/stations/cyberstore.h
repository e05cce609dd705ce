#pragma once

#include "core/preparedstatement.h"
#include "station.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariantList>

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

    // The values a station is stored with, in column order. Amounts are stored as the numbers
    // they show (two decimals), the hourly rate as its single-precision number. An empty running
    // charge or total is first set to zero (in the station too); the computer name is written
    // only once reported (not "-"), the MAC only when not empty; PC and PCIP are never written
    // here.
    static QVariantList persistedValues(Station& station);
    static void fillEmptyAmounts(Station& station);

    // What differs between two states of a station in the columns written: nothing, only
    // the times (what most ticks change), or more.
    enum class StoredChange { None, TimesOnly, More };
    static StoredChange storedChange(const Station& before, const Station& after);

    // Where each station id is stored: every row's rowid, id and hourly rate, in table order.
    struct StoredRow {
        qint64 rowid = 0;
        QString pc;     // PC: the station's name
        float rate = 0; // TARIFBAS as a single-precision number, 0 when null
    };
    std::optional<std::vector<StoredRow>> storedRows();

    // Writes persisted values into the row with that rowid.
    bool write(qint64 rowid, const QVariantList& values);
    // Writes only the time and the elapsed time.
    bool writeTimes(qint64 rowid, const Station& station);

    QString lastError() const { return m_lastError; }

private:
    bool run(PreparedStatement& statement, const QVariantList& values);

    QSqlDatabase m_db;
    PreparedStatement m_updateByRowid;
    PreparedStatement m_updateTimes;
    QString m_lastError;
};

} // namespace kestrel
