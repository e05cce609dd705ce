#pragma once

#include "accounts/accounts.h"
#include "core/clock.h"
#include "core/datastore.h"
#include "core/operatorsession.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "journal/journal.h"
#include "link/linksender.h"
#include "link/messagelist.h"
#include "link/remotecommands.h"
#include "link/requests.h"
#include "link/stationsockets.h"
#include "link/supervision.h"
#include "metering/metering.h"
#include "printing/pendingprints.h"
#include "printing/spooler.h"
#include "stations/actionstore.h"
#include "stations/stationrows.h"
#include "stations/stationtable.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <QWaitCondition>

#include <memory>

namespace kestrel::test {

// Numbers and dates as the target cafés see them: decimal comma, grouping with full stops.
void pinCafeLocale();

// One row of a table-driven test, its fields by name.
class Row {
public:
    Row() = default;
    Row(QStringList names, QStringList values)
        : m_names(std::move(names)), m_values(std::move(values))
    {}
    // The field called `name`, as written; a name the table lacks ends the test run at once.
    QString operator[](QStringView name) const;
    int number(QStringView name) const { return (*this)[name].toInt(); }
    // "yes" or "1".
    bool yes(QStringView name) const;
    // The fields named in `columns` ("pages | amount"), in that order.
    QStringList fields(const QString& columns) const;

private:
    QStringList m_names;
    QStringList m_values;
};

// The rows of a table-driven test written as text, one row a line: the row's name, then its
// fields, separated by "|" (blanks around them ignored). `columns` names the fields in order
// ("status | pages | recorded"); each row gets one column "r" holding a Row, read with
// QFETCH(test::Row, r) and r[u"pages"].
void addRows(const char* columns, const char* table);

// Records, each its fields as texts. As text: one a line, "|" between the fields (blanks around
// them ignored), or `between` and `field` as given.
using Records = QList<QStringList>;
Records records(const QString& text, QChar between = u'\n', QChar field = u'|');
inline Records records(const Records& all)
{
    return all;
}
// COMPARE_RECORDS(actual, columns, expected...) compares records field by field, the expected as
// records() takes them; a failure names the first record and field that differ, the fields by the
// names in `columns` ("VALOR | USER"). COMPARE_FIELDS(expected, columns, values...) compares the
// values as one record.
bool compareRecords(const Records& actual, const QString& columns, const Records& expected,
                    const char* file, int line);
#define COMPARE_RECORDS(actual, columns, ...)                                                      \
    do {                                                                                           \
        if (!kestrel::test::compareRecords(actual, columns, kestrel::test::records(__VA_ARGS__),   \
                                           __FILE__, __LINE__))                                    \
            return;                                                                                \
    } while (false)
#define COMPARE_FIELDS(expected, columns, ...)                                                     \
    COMPARE_RECORDS((kestrel::test::Records{{__VA_ARGS__}}), columns, expected)

// Stations and pending prints as records, their fields named by stationColumns and printColumns.
Records fields(const Station& s);
Records fields(const PendingPrint& p);
template <typename T> Records fields(const std::vector<T>& all)
{
    Records records;
    for (const T& one : all)
        records << fields(one);
    return records;
}
inline constexpr const char* stationColumns =
    "pc | tiempo | modo | usuario | sub | total | LSTCLWA | LSTESTTUS | LSTIPS | LSTMACS | pcnames "
    "| LSTTARBAS | TARIFM | TARFC | vartipex | vartipex2 | vartipex3 | icon";
inline constexpr const char* printColumns = "impresora | maquina | cantidad | valor | jobid";
#define COMPARE_STATIONS(actual, ...)                                                              \
    COMPARE_RECORDS(kestrel::test::fields(actual), kestrel::test::stationColumns,                  \
                    kestrel::test::fields(__VA_ARGS__))

// Spoils a store file's page accounting as a disk fault would: its tables still read, its quick
// check fails.
bool damagePages(const QString& path);

// Runs statements on a store file through a plain connection of its own, as another program
// would; false when one fails (the rest are not run).
bool alterStore(const QString& path, const QStringList& statements);

// Prompts answered from a script. Every question and notice is recorded; a question with no
// scripted answer is answered No.
class ScriptedPrompts final : public Prompts {
public:
    struct Told {
        Icon icon;
        QString text;
    };

    void answerNext(bool yes) { m_answers << yes; }
    bool askYesNo(const QString& text) override;
    void tell(Icon icon, const QString& text) override;
    void notify(Icon icon, const QString& text) override { notified << Told{icon, text}; }

    QStringList questions;
    QList<Told> notified;
    QList<Told> told;

    QStringList toldTexts() const;

private:
    QList<bool> m_answers;
};

// Settings kept in memory, starting empty.
class MemorySettingsStore final : public SettingsStore {
public:
    QString read(const QString& key, const QString& defaultValue) const override
    {
        return m_values.value(key, defaultValue);
    }
    void write(const QString& key, const QString& value) override { m_values.insert(key, value); }

private:
    QHash<QString, QString> m_values;
};

// A clock that stands still until the test moves it.
class ManualClock final : public Clock {
public:
    explicit ManualClock(QDateTime now = QDateTime(QDate(2026, 12, 4), QTime(9, 5, 3)))
        : m_now(std::move(now))
    {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& now) { m_now = now; }

private:
    QDateTime m_now;
};

// Station connections that record what is written; every station is connected unless the test
// says otherwise.
class RecordingConnections final : public StationConnections {
public:
    struct Sent {
        int index;
        QByteArray bytes;
    };

    bool isConnected(int index) const override { return !closed.contains(index); }
    void write(int index, const QByteArray& bytes) override { sent << Sent{index, bytes}; }

    // The messages written to one station, as text.
    QStringList sentTo(int index) const;

    QList<int> closed;
    QList<Sent> sent;
};

// A fresh data store in its own temporary folder, open.
class TempStore {
public:
    TempStore();
    bool isValid() const { return m_valid; }
    QString dir() const { return m_dir.path(); }
    QString path() const { return DataStore::pathIn(m_dir.path()); }
    DataStore& store() { return m_store; }
    QSqlDatabase db() const { return m_store.database(); }

    // Runs one statement with its values bound in order; fails the test on error.
    bool exec(const QString& sql, const QVariantList& values = {});
    // Inserts one row with the given columns; the others stay null.
    bool insert(const QString& table, const QVariantMap& columns);
    // Adds an operator with the rights at the given positions (0 to 7, in column order).
    bool addOperator(const QString& name, const QVariant& password, const QList<int>& rights);
    // The first column of the first row.
    QVariant scalar(const QString& sql, const QVariantList& values = {});
    // Every row, its columns as texts (a real number as SQLite shows it: 2.0, 1.5).
    Records rows(const QString& sql, const QVariantList& values = {});

private:
    QTemporaryDir m_dir;
    DataStore m_store;
    bool m_valid = false;
};

// What the counter PC works with, over a fresh store: settings in memory, recorded connections, a
// standing clock, scripted prompts, the journal, the station table with the actions that write
// it, the remote commands and the metering. The operator "Marta" (no rights) is logged in and the
// café's number format pinned.
struct CounterServices {
    CounterServices()
    {
        pinCafeLocale();
        session.logIn({QStringLiteral("Marta"), {}, {}});
    }

    TempStore store;
    MemorySettingsStore memory;
    Settings settings{memory};
    OperatorSession session;
    RecordingConnections links;
    LinkSender sender{links, session};
    ManualClock clock;
    ScriptedPrompts prompts;
    Journal journal{store.db(), session, clock};
    StationTable stations;
    StationRows rows{store.db()};
    ActionStore actions{{store.db(), stations, rows, journal, prompts}};
    MessageList messages;
    RemoteCommands commands{
        {stations, actions, sender, journal, settings, prompts, clock, messages}};
    Metering metering{{stations, rows, store.db(), settings, sender, journal, clock}};
    Accounts accounts{{store.db(), stations, actions, journal, prompts, clock}};

    // Loads the station table from CYBER as the console does at start.
    bool loadStations();
    // The journal rows, in table order.
    static constexpr const char* journalColumns = "VALOR | USER | PC | DESCRIP | OPERADOR";
    Records journalRows();
};

// The counter's services linked through real sockets to stations PC01, PC02... at the given
// "address:port"s, as the console links them at start.
struct LinkedCounter : CounterServices {
    explicit LinkedCounter(const QStringList& addresses);

    StationSockets sockets;
    LinkSender wire{sockets, session};
    ConnectionSupervision supervision{stations, sockets, wire};
    RequestDispatcher requests{{stations, actions, store.db(), wire, messages, clock}};
    RemoteCommands remote{{stations, actions, wire, journal, settings, prompts, clock, messages}};
};

// A spooler whose printers and queues the test sets. hang() makes every call wait until
// release(): a print server that does not answer. Calls may come from the monitor's thread.
class ScriptedSpooler final : public Spooler {
public:
    void set(const QStringList& printers, const QHash<QString, std::vector<SpoolJob>>& queues);
    void hang();
    void release();

    QStringList printers() override;
    std::optional<std::vector<SpoolJob>> jobs(const QString& printer) override;
    bool cancel(const QString& printer, std::int32_t jobId) override;

    QStringList cancelled() const;

private:
    void waitWhileHung();

    mutable QMutex m_mutex;
    QWaitCondition m_released;
    bool m_hung = false;
    QStringList m_printers;
    QHash<QString, std::vector<SpoolJob>> m_queues; // a printer without a queue cannot be read
    QStringList m_cancelled;
};

} // namespace kestrel::test
