#pragma once

#include "cyberstore.h"
#include "station.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace kestrel {

// Where each station id is stored in CYBER and what was last written there. Everything that
// writes stations goes through here (the metering tick and the operator actions), so a row whose
// stored values did not change is never written again and no writer works from stale values.
class StationRows {
public:
    struct Row {
        qint64 rowid = 0;
        float rate = 0;                 // TARIFBAS as stored, 0 when null or unreadable
        std::optional<Station> written; // what was last written; nothing while unknown
    };

    explicit StationRows(QSqlDatabase db);

    // Reads where the stations are stored, when not known yet. False, with lastError() set, when
    // CYBER cannot be read.
    bool ensureLoaded();
    // The first row of a station id, compared as the store compares names; nullptr when CYBER
    // has none (or cannot be read).
    Row* find(const QString& pc);

    // Writes the station into its row: nothing when the stored values are unchanged, only the
    // times when only they changed. Normalizes the station's empty amounts as CyberStore does.
    // False, with lastError() set, when the store refused.
    bool write(Row& row, Station& station);

    // Forgets what was read and written: the next write reads CYBER again and writes every row
    // in full. After stations are added or removed, or when a transaction was rolled back.
    void forget();

    QString lastError() const { return m_lastError; }

private:
    CyberStore m_cyber;
    bool m_known = false;
    QHash<QString, Row> m_rows; // by the name key of the station id
    QString m_lastError;
};

} // namespace kestrel
