#pragma once

#include "core/preparedstatement.h"

#include <QDate>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QTime>

#include <array>
#include <vector>

namespace kestrel {

class Clock;
class OperatorSession;

// What a caller hands to ADDTOREG, by position: date, time, amount, user, station, description,
// operator. Only the amount, user, station and description are taken; date, time and operator
// are those of the moment of writing.
using JournalRecord = std::array<QString, 7>;
// The positions are named after the INFORMES columns they fill.
namespace JournalField {
enum : std::size_t {
    Fecha,   // date (not taken)
    Hora,    // time (not taken)
    Valor,   // amount, a regional number text
    User,    // customer; empty becomes "ANONIMO"
    Pc,      // station name
    Descrip, // what was charged
    Operador // operator (not taken)
};
}

// One row of INFORMES as stored; the fields are named after its columns.
struct JournalRow {
    QString fecha;    // date, ISO yyyy-MM-dd
    QString hora;     // time of day
    double valor = 0; // amount
    QString user;     // customer, "ANONIMO" when none
    QString pc;       // station name, empty for counter sales and accounts
    QString descrip;  // what was charged
    QString operador; // operator who was logged in
    // A new account's row has a date and no time or operator: both are stored as null.
    bool timeless = false;
};

// The operations journal: every amount the café takes, one row each, never changed afterwards.
//
// Outside an operator action, a row that cannot be written is not dropped: it is kept, reported
// through writeFailed, and written before any later row (every call of ADDTOREG and every
// metering tick tries again). Rows written inside a transaction of the caller count as written
// only once the caller commits.
//
// Inside an operator action the action is all or nothing: a row of its own that cannot be
// written fails the action (transactionFailed()), and a rolled-back action leaves none of its
// rows behind, since the stations it changed are given back as they were.
class Journal : public QObject {
    Q_OBJECT
public:
    Journal(QSqlDatabase db, const OperatorSession& session, const Clock& clock,
            QObject* parent = nullptr);

    // The journal's date and time texts; every writer and reader builds them here. Dates are ISO
    // (yyyy-MM-dd), so one day matches by equality and dates compare in calendar order.
    static QString dateText(QDate date);
    static QString timeText(QTime time);
    // A stored date as the operator reads it: the regional short date with a four-digit year.
    static QString shownDate(const QString& stored);

    // Appends the caller's record (datos) as one journal row. An empty user becomes "ANONIMO", in
    // the caller's record too. The amount is the regional text of a number; a text that is not a
    // number is refused. Returns whether the row is in the store (or in the caller's transaction).
    bool ADDTOREG(JournalRecord& datos);
    // The row of a new customer account: today's date, the amount (a regional number text), the
    // user, no station, "CUENTA NUEVA", and neither time nor operator. Same rules as ADDTOREG.
    bool addAccountRow(const QString& amount, const QString& user);

    // Writes the rows kept from earlier failures, oldest first. True when none is left.
    bool writeUnwritten();
    int unwrittenCount() const { return int(m_unwritten.size()); }

    // The caller's transaction around writes. Rows kept from earlier failures that were written
    // inside it are kept again if it is rolled back; the transaction's own rows are kept again
    // only for a tick (KeepOwnRows), whose freed stations stay freed.
    enum class OnRollback { KeepOwnRows, DropOwnRows };
    void beginTransaction(OnRollback onRollback = OnRollback::KeepOwnRows);
    void commitTransaction();
    void rollbackTransaction();
    // A row of an action (DropOwnRows) could not be written: the action must not commit.
    bool transactionFailed() const { return m_transactionFailed; }
    // Why the last row could not be written.
    QString lastError() const { return m_insert.lastError(); }

signals:
    void written();
    void writeFailed(const QString& message);

private:
    bool write(JournalRow row);
    bool insert(const JournalRow& row);

    struct Written {
        JournalRow row;
        bool own; // appended inside the transaction, not kept from before it
    };

    const OperatorSession& m_session;
    const Clock& m_clock;
    PreparedStatement m_insert;
    bool m_inTransaction = false;
    OnRollback m_onRollback = OnRollback::KeepOwnRows;
    bool m_transactionFailed = false;
    bool m_failing = false;
    std::vector<JournalRow> m_unwritten;
    std::vector<Written> m_inCallerTransaction;
};

} // namespace kestrel
