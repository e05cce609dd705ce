#include "printmonitor.h"

#include "journal/journal.h"
#include "core/clock.h"
#include "core/numbers.h"
#include "printing/pendingprints.h"
#include "stations/actionstore.h"

#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

double PrinterPrice::amount(std::int32_t pages) const
{
    double value = double(pages) * perPage;
    if (threshold > 0 && discount > 0 && pages >= threshold)
        value *= 1.0 - std::min(discount, 100.0) / 100.0;
    return value;
}

PrintMonitor::PrintMonitor(Services services, QObject* parent)
    : QObject(parent), m_services(std::move(services)), m_worker(new QObject),
      // The first row of a name counts, as the table is read from the top.
      m_findPrice(m_services.db, u"SELECT valorporprint, cantdest, pordesct FROM Impresoras "
                                 u"WHERE nombre = ? ORDER BY rowid LIMIT 1"_s)
{
    m_thread.setObjectName(u"spooler"_s);
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();
}

// Waits for a call still on the spooler: its own time-outs bound it.
PrintMonitor::~PrintMonitor()
{
    m_thread.quit();
    m_thread.wait();
}

void PrintMonitor::listPrinters()
{
    Spooler* spooler = &m_services.spooler;
    QMetaObject::invokeMethod(
        m_worker,
        [this, spooler] {
            const QStringList names = spooler->printers();
            QMetaObject::invokeMethod(
                this, [this, names] { emit printersListed(names); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

std::optional<PrinterPrice> PrintMonitor::priceOf(const QString& printer)
{
    if (!m_findPrice.exec({printer}))
        return std::nullopt;
    QSqlQuery& q = m_findPrice.query();
    PrinterPrice price;
    if (q.next()) {
        // The price per page is kept to the regional two decimals, as the café sees it.
        const double perPage = storedNumber(q.value(0)).value_or(0.0);
        price = {true, parseNumber(formatAmount(perPage)).value_or(0.0),
                 storedNumber(q.value(1)).value_or(0.0), storedNumber(q.value(2)).value_or(0.0)};
    }
    q.finish();
    return price;
}

bool PrintMonitor::recordable(const SpoolJob& job)
{
    return !job.ownStatusText && job.status != 0 && (job.status & JobStatus::Printing) != 0;
}

std::vector<SeenJob> PrintMonitor::poll(Spooler& spooler)
{
    std::vector<SeenJob> seen;
    const QStringList printers = spooler.printers();
    for (int p = 0; p < printers.size(); ++p) {
        const std::optional<std::vector<SpoolJob>> jobs = spooler.jobs(printers[p]);
        if (!jobs)
            continue;
        for (const SpoolJob& job : *jobs) {
            if (recordable(job))
                seen.push_back({printers[p], p, job});
        }
    }
    return seen;
}

void PrintMonitor::Obtener_Impresoras2()
{
    if (m_running)
        return;
    m_running = true;
    Spooler* spooler = &m_services.spooler;
    QMetaObject::invokeMethod(
        m_worker,
        [this, spooler] {
            std::vector<SeenJob> seen = poll(*spooler);
            QMetaObject::invokeMethod(
                this,
                [this, seen = std::move(seen)] {
                    const int before = m_services.prints.count();
                    record(seen);
                    m_running = false;
                    emit passFinished(m_services.prints.count() - before);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void PrintMonitor::cancel(const QString& printer, std::int32_t jobId)
{
    Spooler* spooler = &m_services.spooler;
    QMetaObject::invokeMethod(
        m_worker,
        [this, spooler, printer, jobId] {
            const bool ok = spooler->cancel(printer, jobId);
            QMetaObject::invokeMethod(
                this, [=, this] { emit cancelled(printer, jobId, ok); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

bool PrintMonitor::record(const std::vector<SeenJob>& seen)
{
    PendingPrints& prints = m_services.prints;
    std::vector<const SeenJob*> fresh;
    for (const SeenJob& s : seen) {
        const QString id = QString::number(s.job.id);
        const bool twice = std::any_of(fresh.begin(), fresh.end(), [&](const SeenJob* f) {
            return f->job.id == s.job.id && f->printer == s.printer;
        });
        if (!twice && !prints.has(id, s.printer))
            fresh.push_back(&s);
    }
    if (fresh.empty())
        return true;

    const QDateTime now = m_services.clock.now();
    return m_services.actions.run(u"registrar las impresiones"_s, [&](ActionStore::Action& a) {
        const std::vector<PendingPrint> before = prints.rows();
        a.onRollback([&prints, before] { prints.replaceAll(before); });
        for (const SeenJob* s : fresh) {
            // A price that cannot be read is never taken as 0: the jobs wait for the next pass.
            const std::optional<PrinterPrice> price = priceOf(s->printer);
            if (!price) {
                a.fail(u"No se pudo leer el precio de la impresora "_s + s->printer + u":\n"_s +
                       m_findPrice.lastError());
                return;
            }
            const double amount = price->amount(s->job.totalPages);
            // The list shows the amount to two decimals as a short number ("1,5"); the table
            // keeps it with its two decimals ("1,50").
            const float shown = parseSingle(formatAmount(amount)).value_or(0.0f);
            const PendingPrint row{s->printer, s->job.machine, QString::number(s->job.totalPages),
                                   formatGeneralSingle(shown), QString::number(s->job.id)};
            if (!prints.record(a, row, s->job.pagesPrinted, Journal::dateText(now.date()),
                               Journal::timeText(now.time())))
                return;
        }
    });
}

} // namespace kestrel
