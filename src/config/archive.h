#pragma once

#include <QDate>
#include <QString>

namespace kestrel {

class ActionStore;
class Clock;
class DataStore;
class Prompts;

// "Nueva Base de datos": keeps a copy of the data store as it is today, Database_D_M_YYYY.mdb
// beside it, and then empties the journal (INFORMES) and the pending prints (Impresiones) of
// the live store. Everything else stays in the live store.
//
// The copy is a snapshot of the live store taken with SQLite's online backup under one read
// transaction, so writers on other connections (WAL) go on meanwhile. It is written under a
// temporary name, checked with a connection of its own (integrity, and the same journal and
// print rows the live store held at the snapshot) and only then renamed to the archive name.
// The emptying removes only the rows the archive holds: a row written after the snapshot stays.
class Archive final {
public:
    struct Services {
        const DataStore& store;
        ActionStore& actions;
        Prompts& prompts;
        const Clock& clock;
    };

    enum class Outcome {
        Declined,   // No to a question: nothing written
        CopyFailed, // no archive written (none half-written left), nothing emptied
        NotEmptied, // the archive is written, but the store refused the emptying
        Done,       // archived and emptied: the journal grid and pending prints must be read again
    };
    struct Result {
        Outcome outcome = Outcome::Declined;
        QString path;           // the archive's file
        qint64 journalRows = 0; // INFORMES rows archived and removed
        qint64 printRows = 0;   // Impresiones rows archived and removed
    };

    explicit Archive(Services services);

    // Asks, copies, checks, empties and tells the operator how it went.
    Result run();

    // The archive for this day in this folder: Database_4_12_2026.mdb, no leading zeros.
    static QString archivePath(const QString& folder, QDate date);

private:
    struct Snapshot {
        qint64 journalRows = 0;
        qint64 journalLast = 0; // largest rowid copied, 0 for none
        qint64 printRows = 0;
        qint64 printLast = 0;
    };
    // Writes the checked snapshot to `target`; the reason on failure, with nothing left behind.
    QString copyTo(const QString& target, Snapshot* snapshot) const;

    Services m_services;
};

} // namespace kestrel
