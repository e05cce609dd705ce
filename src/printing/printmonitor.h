#pragma once

#include "core/preparedstatement.h"
#include "printing/spooler.h"

#include <QObject>
#include <QSqlDatabase>
#include <QStringList>
#include <QThread>

#include <memory>
#include <optional>
#include <vector>

namespace kestrel {

class ActionStore;
class Clock;
class PendingPrints;

// A printer's price as the café set it: per page, and an optional discount on large jobs.
struct PrinterPrice {
    bool priced = false;  // the printer has a row in Impresoras ("-" otherwise)
    double perPage = 0;   // valorporprint, to the regional two decimals
    double threshold = 0; // cantdest: pages from which the discount applies
    double discount = 0;  // pordesct: percent off
    // pages × price per page; a job of `threshold` pages or more (threshold above 0) gets the
    // discount. With no discount set, as the café starts, it is the plain product.
    double amount(std::int32_t pages) const;
};

// A job seen printing on one pass, with the printer it was queued on.
struct SeenJob {
    QString printer;
    int position = 0; // the printer's place in the spooler's list
    SpoolJob job;
};

// The printer job monitor: once per metering tick it looks at the queue of every installed
// printer and records each job it sees printing, once, as a pending print charge.
//
// A job is priced when it is recorded, from the printer's row in Impresoras found by name
// (ignoring case): never from a list made when the console started, which a print server that
// answered late (or a printer added since) would have left empty, charging every job 0.
//
// The spooler is asked on a thread of its own: a pass that does not come back (cupsd stopped, a
// network printer that hangs) never holds up the tick, the window or the stations' status. A
// tick that finds the previous pass still running starts no other; the results of a pass are
// recorded on the window's thread, in one action, when it comes back.
class PrintMonitor final : public QObject {
    Q_OBJECT
public:
    struct Services {
        QSqlDatabase db;
        Spooler& spooler;
        PendingPrints& prints;
        ActionStore& actions;
        const Clock& clock;
    };

    explicit PrintMonitor(Services services, QObject* parent = nullptr);
    ~PrintMonitor() override;

    // Asks the spooler for the installed printers on the monitor's thread, after any call asked
    // for before (the spooler takes one call at a time); printersListed() brings the answer.
    void listPrinters();
    // The printer's price as Impresoras holds it now: its first row with that name, ignoring
    // case; unpriced (0) when it has none. Nothing when the table cannot be read.
    std::optional<PrinterPrice> priceOf(const QString& printer);

    // One polling pass over every printer's queue, started unless one is still running. Returns
    // at once.
    void Obtener_Impresoras2();
    bool passRunning() const { return m_running; }

    // Asks the spooler to cancel a job, on the monitor's thread; `cancelled` tells the outcome.
    void cancel(const QString& printer, std::int32_t jobId);

    // One pass over every printer, as the monitor's thread runs it: the jobs that the rule
    // records, in printer and queue order. A printer that cannot be read is skipped.
    static std::vector<SeenJob> poll(Spooler& spooler);
    // The recording rule: printing, with no status text of its own.
    static bool recordable(const SpoolJob& job);
    // Records the jobs not yet pending (job id and printer), priced, in one action.
    bool record(const std::vector<SeenJob>& seen);

signals:
    void passFinished(int recorded);
    void printersListed(const QStringList& printers);
    void cancelled(const QString& printer, int jobId, bool ok);

private:
    Services m_services;
    QThread m_thread;
    QObject* m_worker = nullptr;
    PreparedStatement m_findPrice;
    bool m_running = false;
};

} // namespace kestrel
