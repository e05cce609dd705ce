#include "stationrows.h"

#include "core/names.h"

namespace kestrel {

StationRows::StationRows(QSqlDatabase db) : m_cyber(std::move(db)) {}

bool StationRows::ensureLoaded()
{
    if (m_known)
        return true;
    m_rows.clear();
    const auto rows = m_cyber.storedRows();
    if (!rows) {
        m_lastError = m_cyber.lastError();
        return false;
    }
    // The first row of an id is the one its updates go to.
    for (const CyberStore::StoredRow& r : *rows) {
        const QString key = nameKey(r.pc);
        if (!m_rows.contains(key))
            m_rows.insert(key, Row{r.rowid, r.rate, {}});
    }
    m_known = true;
    return true;
}

StationRows::Row* StationRows::find(const QString& pc)
{
    if (!ensureLoaded())
        return nullptr;
    const auto it = m_rows.find(nameKey(pc));
    return it == m_rows.end() ? nullptr : &it.value();
}

bool StationRows::write(Row& row, Station& s)
{
    CyberStore::fillEmptyAmounts(s);
    const auto change =
        row.written ? CyberStore::storedChange(*row.written, s) : CyberStore::StoredChange::More;
    if (change == CyberStore::StoredChange::None)
        return true;
    bool ok = false;
    if (change == CyberStore::StoredChange::TimesOnly) {
        ok = m_cyber.writeTimes(row.rowid, s);
    } else {
        const QVariantList values = CyberStore::persistedValues(s);
        ok = m_cyber.write(row.rowid, values);
        if (ok)
            row.rate = float(values.at(4).toDouble());
    }
    if (!ok) {
        m_lastError = m_cyber.lastError();
        row.written.reset();
        return false;
    }
    row.written = s;
    return true;
}

void StationRows::forget()
{
    m_known = false;
    m_rows.clear();
}

} // namespace kestrel
