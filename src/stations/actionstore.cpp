#include "actionstore.h"

#include "journal/journal.h"
#include "core/prompts.h"
#include "stationrows.h"
#include "stationtable.h"

#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

void ActionStore::Action::fail(const QString& error)
{
    if (m_error.isEmpty())
        m_error = error.isEmpty() ? u"error desconocido"_s : error;
}

bool ActionStore::Action::exec(const QString& sql, const QVariantList& values)
{
    QSqlQuery q(m_db);
    return exec(q, sql, values);
}

bool ActionStore::Action::exec(QSqlQuery& q, const QString& sql, const QVariantList& values)
{
    bool ok = q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    ok = ok && q.exec();
    if (!ok)
        fail(q.lastError().text());
    return ok;
}

ActionStore::ActionStore(Services services) : m_services(std::move(services)) {}

bool ActionStore::run(const QString& what, const std::function<void(Action&)>& work)
{
    if (m_current) {
        work(*m_current);
        return !m_current->failed();
    }

    Action action(m_services.db);
    StationTable& stations = m_services.stations;
    m_before = stations.stations();
    m_touched.clear();
    m_allTouched = false;
    const auto one = QObject::connect(&stations, &StationTable::stationChanged,
                                      [this](int index) { m_touched.insert(index); });
    const auto all = QObject::connect(&stations, &StationTable::allStationsChanged,
                                      [this] { m_allTouched = true; });

    const bool began = m_services.db.transaction();
    if (began)
        m_services.journal.beginTransaction(Journal::OnRollback::DropOwnRows);
    else
        action.fail(m_services.db.lastError().text());
    m_current = &action;
    if (!action.failed())
        work(action);
    const bool done = !action.failed() && commit(action);
    m_current = nullptr;
    QObject::disconnect(one);
    QObject::disconnect(all);

    if (!done) {
        if (began) {
            m_services.db.rollback();
            m_services.journal.rollbackTransaction();
        }
        rollBack(action);
        m_services.prompts.notify(Prompts::Icon::Critical, u"No se pudo "_s + what +
                                                               u": no se guardó nada.\n"_s +
                                                               action.m_error);
    }
    m_before.clear();
    return done;
}

bool ActionStore::commit(Action& action)
{
    if (m_services.journal.transactionFailed()) {
        action.fail(u"no se pudo escribir en el registro de operaciones:\n"_s +
                    m_services.journal.lastError());
        return false;
    }
    StationTable& stations = m_services.stations;
    StationRows& rows = m_services.rows;
    for (int i = 0; i < stations.count(); ++i) {
        if (!m_allTouched && !m_touched.count(i))
            continue;
        // A station without a CYBER row is kept in memory only, as the metering keeps it.
        Station station = stations.at(i);
        StationRows::Row* row = rows.find(station.pc);
        if (!row) {
            if (!rows.ensureLoaded()) {
                action.fail(rows.lastError());
                return false;
            }
            continue;
        }
        if (!rows.write(*row, station)) {
            action.fail(rows.lastError());
            return false;
        }
    }
    if (!m_services.db.commit()) {
        action.fail(m_services.db.lastError().text());
        return false;
    }
    m_services.journal.commitTransaction();
    return true;
}

void ActionStore::rollBack(Action& action)
{
    // The rows' memory of what was written may hold the action's values.
    m_services.rows.forget();
    StationTable& stations = m_services.stations;
    for (int i = 0; i < stations.count() && std::size_t(i) < m_before.size(); ++i) {
        if ((m_allTouched || m_touched.count(i)) && !(stations.at(i) == m_before[std::size_t(i)]))
            stations.update(i, [&](Station& s) { s = m_before[std::size_t(i)]; });
    }
    for (auto it = action.m_undo.rbegin(); it != action.m_undo.rend(); ++it)
        (*it)();
}

} // namespace kestrel
