// CupsSpooler against a cupsd of the test's own: the printers, the jobs as the monitor reads
// them, cancelling, and a cupsd that is not there.
#include "charging/charge.h"
#include "printing/cupsspooler.h"
#include "printing/pendingprints.h"
#include "printing/printmonitor.h"
#include "privatecups.h"
#include "support/testsupport.h"

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

std::optional<SpoolJob> find(const std::optional<std::vector<SpoolJob>>& jobs, int id)
{
    if (jobs)
        for (const SpoolJob& job : *jobs)
            if (job.id == id)
                return job;
    return std::nullopt;
}

// Asks again until the condition holds, for ten seconds at most.
bool eventually(const std::function<bool()>& condition)
{
    for (QDeadlineTimer deadline(10000); !deadline.hasExpired(); QThread::msleep(100))
        if (condition())
            return true;
    return false;
}

} // namespace

class CupsSpoolerTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;
    PrivateCups m_cups;
    std::unique_ptr<CupsSpooler> m_spooler;

private slots:
    void initTestCase()
    {
        QString error;
        if (!m_cups.start(&error))
            QSKIP(qPrintable(u"the private cupsd did not start: "_s + error));
        // The test's own user options, with an instance of zeta, and libcups' default server:
        // set before libcups' first use on this thread.
        QVERIFY(QDir(m_home.path()).mkpath(u".cups"_s));
        QFile options(m_home.filePath(u".cups/lpoptions"_s));
        QVERIFY(options.open(QIODevice::WriteOnly) && options.write("Dest zeta/draft\n") > 0);
        options.close();
        qputenv("HOME", m_home.path().toUtf8());
        qputenv("CUPS_SERVER", m_cups.server().toUtf8());
        // zeta prints for 5 s; alpha is stopped, its jobs stay queued. Made out of order.
        QVERIFY(m_cups.addQueue(u"zeta"_s, 5));
        QVERIFY(m_cups.addQueue(u"alpha"_s, 0) && m_cups.pause(u"alpha"_s));
        m_spooler = std::make_unique<CupsSpooler>(m_cups.server());
    }

    void printers()
    {
        const QStringList names{u"alpha"_s, u"zeta"_s};
        QCOMPARE(m_spooler->printers(), names);
        QCOMPARE(CupsSpooler().printers(), names); // through CUPS_SERVER
    }

    void queuedJob_data()
    {
        test::addRows("originating host | machine", R"(
    station name    |PC03     |\\PC03
    already prefixed|\\PC05   |\\PC05
    one backslash   |\PC06    |\\PC06
    localhost       |localhost|\\localhost
    loopback address|127.0.0.1|\\127.0.0.1
    )");
    }

    void queuedJob()
    {
        QFETCH(test::Row, r);
        const int id = m_cups.submit(u"alpha"_s, r[u"originating host"], 2);
        QVERIFY(id > 0);
        const auto jobs = m_spooler->jobs(u"alpha"_s);
        QVERIFY(jobs && !jobs->empty());
        QCOMPARE(jobs->back().id, id); // queue order: the last sent comes last
        QCOMPARE(jobs->back().machine, r[u"machine"]);
        QCOMPARE(jobs->back().status & JobStatus::Printing, 0u);
        QVERIFY(!jobs->back().ownStatusText);
    }

    void cancel_data()
    {
        // The job id asked on alpha, "new": the job just queued there.
        test::addRows("job | accepted", R"(
    current job|0    |no
    every job  |-1   |no
    unknown job|99999|no
    queued job |new  |yes
    )");
    }

    void cancel()
    {
        QFETCH(test::Row, r);
        const int id = m_cups.submit(u"alpha"_s, u"PC07"_s, 1);
        QVERIFY(id > 0);
        const auto before = m_spooler->jobs(u"alpha"_s);
        QVERIFY(find(before, id));
        const bool accepted = r.yes(u"accepted");
        const int asked = r[u"job"] == u"new"_s ? id : r.number(u"job");
        QCOMPARE(m_spooler->cancel(u"alpha"_s, asked), accepted);
        const auto after = m_spooler->jobs(u"alpha"_s);
        QVERIFY(after);
        QCOMPARE(after->size() + accepted, before->size());
        QCOMPARE(find(after, id).has_value(), !accepted);
    }

    void unknownPrinter() { QVERIFY(!m_spooler->jobs(u"nosuch"_s)); }

    void noServer()
    {
        CupsSpooler gone(u"127.0.0.1:1"_s); // nothing listens there
        QVERIFY(gone.printers().isEmpty());
        QVERIFY(!gone.jobs(u"zeta"_s));
        QVERIFY(!gone.cancel(u"zeta"_s, 1));
    }

    // Jobs sent from two stations are recorded once each while they print, priced, read back by
    // a console that starts again, and charged to the station of that computer name.
    void recordedPricedReloadedCharged()
    {
        test::CounterServices c;
        QVERIFY(
            c.store.exec(u"INSERT INTO Impresoras (nombre, valorporprint) VALUES ('eta', 0.5)"_s));
        QVERIFY(c.store.exec(u"INSERT INTO CYBER (PC, PCNAME, MODALIDAD, LSTVARX, TIEMPO, "
                             u"vartipex2, TARIFA) VALUES ('PC03', '\\\\pc03', 'CONTADOR', '1', "
                             u"'0:01:00', '0:01:00', 0.25)"_s));
        QVERIFY(c.loadStations());
        QVERIFY(m_cups.addQueue(u"eta"_s, 2));
        const int mine = m_cups.submit(u"eta"_s, u"PC03"_s, 3);
        const int theirs = m_cups.submit(u"eta"_s, u"PC04"_s, 1);
        QVERIFY(mine > 0 && theirs > 0);
        {
            PendingPrints prints(c.store.db());
            PrintMonitor monitor({c.store.db(), *m_spooler, prints, c.actions, c.clock});
            QSignalSpy passes(&monitor, &PrintMonitor::passFinished);
            // eta prints one job after the other, 2 s each: passes until both were seen.
            QVERIFY(eventually([&] {
                monitor.Obtener_Impresoras2();
                passes.wait(2000);
                return prints.count() == 2;
            }));
            QCOMPARE(prints.rows()[0].valor, u"1,5"_s);
        }
        PendingPrints prints(c.store.db());
        QVERIFY(prints.reload());
        QCOMPARE(prints.count(), 2);
        const PendingPrint& p = prints.rows()[0];
        COMPARE_FIELDS(u"\\\\PC03 | 3 | 1,50 | %1"_s.arg(mine),
                       "maquina | cantidad | valor | jobid", p.maquina, p.cantidad, p.valor,
                       p.jobid);
        // Seen printing with its pages counted, and no status text of its own.
        QCOMPARE(c.store.scalar(u"SELECT pagimpres FROM Impresiones WHERE jobid = ?"_s, {mine}),
                 QVariant(3));
        Charging charging({c.stations, c.actions, prints, c.commands, c.journal, c.prompts});
        c.prompts.answerNext(true);
        QCOMPARE(charging.COBRAR(charging.build(0).value(), u"5"_s), Charging::Outcome::Charged);
        COMPARE_RECORDS(
            c.journalRows(), c.journalColumns,
            test::Records{{u"0,25"_s, u"ANONIMO"_s, u"PC03"_s, u"CONTADOR"_s, u"Marta"_s},
                          {u"1,50"_s, u"ANONIMO"_s, u"PC03"_s, u"3 IMPRESION(ES) "_s, u"Marta"_s}});
        COMPARE_RECORDS(c.store.rows(u"SELECT PC FROM Impresiones"_s), "PC", "\\\\PC04");
    }
};

} // namespace kestrel

QTEST_GUILESS_MAIN(kestrel::CupsSpoolerTest)
#include "tst_cupsspooler.moc"
