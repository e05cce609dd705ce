#pragma once

#include "station.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <functional>
#include <set>
#include <vector>

namespace kestrel {

class Journal;
class Prompts;
class StationRows;
class StationTable;

// The one way an operator action reaches the data store (opening, changing or extending a
// session, locking, charging, and whatever later windows add). Each action is one transaction:
// the stations it changed are written to CYBER at once, together with its journal rows and every
// other row it writes, so a crash at any moment leaves all of it or none of it. The operator is
// told that an action is done only after that commit.
//
// The work of an action must not ask the operator anything (a question box lets timers and
// sockets run in the middle of it): ask first, then run the action.
class ActionStore final {
public:
    struct Services {
        QSqlDatabase db;
        StationTable& stations;
        StationRows& rows;
        Journal& journal;
        Prompts& prompts;
    };

    // What the work of an action can do besides changing stations through the station table.
    class Action {
    public:
        QSqlDatabase db() const { return m_db; }
        // Runs one statement with its values bound in order; a statement the store refuses fails
        // the action with the store's reason. Returns whether it ran.
        bool exec(const QString& sql, const QVariantList& values = {});
        // The same on the caller's query, for what it tells afterwards (rows, last insert id).
        bool exec(QSqlQuery& q, const QString& sql, const QVariantList& values = {});
        // Nothing of the action is kept; `error` is for the operator.
        void fail(const QString& error);
        bool failed() const { return !m_error.isEmpty(); }
        // Gives back something the work changed in memory outside the station table, should the
        // action be rolled back. Undo steps run newest first.
        void onRollback(std::function<void()> undo) { m_undo.push_back(std::move(undo)); }

    private:
        friend class ActionStore;
        explicit Action(QSqlDatabase db) : m_db(std::move(db)) {}
        QSqlDatabase m_db;
        QString m_error;
        std::vector<std::function<void()>> m_undo;
    };

    explicit ActionStore(Services services);
    ActionStore(const ActionStore&) = delete;
    ActionStore& operator=(const ActionStore&) = delete;

    // Runs `work` as one action and commits it. When it cannot be committed the stations are as
    // they were, none of its journal rows is kept, its undo steps have run, the operator is told
    // what could not be done (`what`, "abrir el puesto PC01") and why, and false comes back. An
    // action run inside another joins it: both are committed or given back together.
    bool run(const QString& what, const std::function<void(Action&)>& work);

    bool inAction() const { return m_current != nullptr; }

private:
    bool commit(Action& action);
    void rollBack(Action& action);

    Services m_services;
    Action* m_current = nullptr;
    std::vector<Station> m_before; // the station table as the action found it
    std::set<int> m_touched;
    bool m_allTouched = false;
};

} // namespace kestrel
