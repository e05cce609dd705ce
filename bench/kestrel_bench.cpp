// Measures the metering tick of a large café against the cheapest possible write of the same
// rows, so the figure says how much the metering adds to what the disk costs anyway; then the
// station link: the console's supervision of many agents played by vigilo-sim on loopback
// addresses, as CPU time per second and as the longest wait of an agent for its status.
// --print-pass times the print monitor's pass over the queues of a private cupsd instead;
// --report the reports window's year of journal rows.

#include "agentbench.h"
#include "benchsupport.h"
#include "journal/journal.h"
#include "core/clock.h"
#include "core/datastore.h"
#include "core/eventloop.h"
#include "core/settings.h"
#include "link/linksender.h"
#include "link/stationsockets.h"
#include "link/supervision.h"
#include "core/operatorsession.h"
#include "printpass.h"
#include "reportbench.h"
#include "soak.h"
#include "stations/cyberstore.h"
#include "metering/metering.h"
#include "stations/stationrows.h"
#include "stations/stationtable.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QHostAddress>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

// Agents that are all connected and take every message.
class SinkConnections final : public StationConnections {
public:
    bool isConnected(int) const override { return true; }
    void write(int, const QByteArray& bytes) override { written += bytes.size(); }
    qint64 written = 0;
};

// The console's own side of the status gap: when each station's status is handed to its socket.
// The gap the agents measure adds the simulator's own delays to it.
class TimedConnections final : public StationConnections {
public:
    TimedConnections(StationSockets& sockets, int count)
        : m_sockets(sockets), m_last(std::size_t(count), -1)
    {
        m_clock.start();
    }
    bool isConnected(int index) const override { return m_sockets.isConnected(index); }
    void write(int index, const QByteArray& bytes) override
    {
        const qint64 now = m_clock.nsecsElapsed();
        qint64& last = m_last.at(std::size_t(index));
        if (m_timing && last >= 0)
            m_worstGapNs = std::max(m_worstGapNs, now - last);
        last = now;
        m_sockets.write(index, bytes);
    }
    // Gaps that end from now on count.
    void startTiming() { m_timing = true; }
    qint64 worstGapMs() const { return m_worstGapNs / 1000000; }

private:
    StationSockets& m_sockets;
    QElapsedTimer m_clock;
    std::vector<qint64> m_last;
    qint64 m_worstGapNs = 0;
    bool m_timing = false;
};

bool exec(QSqlQuery& q, const QString& sql, const QVariantList& values = {})
{
    q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(sql), qPrintable(q.lastError().text()));
        return false;
    }
    return true;
}

// N stations in running sessions: a quarter each counting by the hour, counting under a
// compound tariff, prepaid, and prepaid from a customer account.
bool fillCafe(QSqlDatabase db, int stations)
{
    QSqlQuery q(db);
    if (!db.transaction())
        return false;
    for (int code = 1; code <= 4; ++code) {
        for (const auto& [value, price] :
             {std::pair{u"15"_s, 0.25}, {u"30"_s, 0.45}, {u"45"_s, 0.60}, {u"60"_s, 0.75}}) {
            if (!exec(q,
                      u"INSERT INTO TAIFASC (CODIGO, VALUE, TARIF, NOMBRE) VALUES (?, ?, ?, ?)"_s,
                      {code, value, price * code, u"Bloques %1"_s.arg(code)}))
                return false;
        }
    }
    for (int i = 0; i < stations; ++i) {
        const QString pc = u"PC%1"_s.arg(i + 1, 4, 10, QChar(u'0'));
        const QString elapsed =
            u"0:%1:%2"_s.arg(i % 60, 2, 10, QChar(u'0')).arg((i * 7) % 60, 2, 10, QChar(u'0'));
        const int kind = i % 4;
        const bool compound = kind == 1;
        const bool prepaid = kind >= 2;
        const QString user = kind == 3 ? u"cliente%1"_s.arg(i) : QString();
        if (!user.isEmpty() &&
            !exec(q,
                  u"INSERT INTO CUENTAS (USER, PASSWORD, TIMERES, TARIFBAS) VALUES (?, '', ?, 1)"_s,
                  {user, u"9:00:00"_s}))
            return false;
        if (!exec(q,
                  u"INSERT INTO CYBER (PC, PCIP, TIEMPO, MODALIDAD, TARIFA, TARIFBAS, CLIENTE, "
                  u"TOTAL, LSTVARX, vartipex, vartipex2, vartipex3, PCMAC, PCNAME, TARIFM, TARFC) "
                  u"VALUES (?, ?, ?, ?, 0, ?, ?, 0, ?, '0,00', ?, ?, '', '-', ?, ?)"_s,
                  {pc, u"10.0.%1.%2"_s.arg(i / 250).arg(i % 250 + 2), elapsed,
                   prepaid ? u"PREPAGO"_s : u"CONTADOR"_s, compound ? 0.0 : 1.5, user,
                   prepaid ? u"3"_s : u"1"_s, elapsed, prepaid ? u"9:00:00"_s : QString(),
                   compound ? u"TC"_s : QString(),
                   compound ? QString::number(i % 4 + 1) : QString()}))
            return false;
    }
    return db.commit();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0.0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0);
}

double ms(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto toMs = [](timeval t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return toMs(usage.ru_utime) + toMs(usage.ru_stime);
}

// The system's load average over the last minute: other work on the machine shows in the figures.
QString loadAverage()
{
    QFile file(u"/proc/loadavg"_s);
    if (!file.open(QIODevice::ReadOnly))
        return u"?"_s;
    return QString::fromLatin1(file.readAll().split(' ').value(0));
}

struct LinkRun {
    int connected = 0;           // before timing
    double cpuPercent = 0;       // of one core
    QString worstGapMs = u"?"_s; // on a connection that lived on, as the agents saw it
    qint64 sentGapMs = 0;        // as the console handed the statuses to the sockets
    double longestTickMs = 0;
    double longestIntervalMs = 0; // from the start of one tick to the next
    double delivered = 0;         // statuses that arrived, % of one per agent and tick
    bool complete = false;
};

// One run of the supervision against agents agents played by a fresh vigilo-sim, timed for
// seconds seconds once all are connected.
LinkRun runLink(int agents, int seconds)
{
    LinkRun run;
    const QString first = u"127.1.0.1"_s;
    QProcess sim;
    // Its complaints (a port another program holds) go where the benchmark's go.
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(
        QCoreApplication::applicationDirPath() + u"/vigilo-sim"_s,
        {u"--range"_s, first, QString::number(agents), u"--changes-only"_s, u"--one-listener"_s});
    if (!sim.waitForStarted(5000)) {
        std::fprintf(stderr, "vigilo-sim did not start: %s\n", qPrintable(sim.errorString()));
        return run;
    }
    // Its first line says every agent listens ("N stations listening, ..."); it ends otherwise.
    while (!sim.canReadLine() && sim.waitForReadyRead(30000)) {
    }
    if (!sim.readLine().contains(" stations listening")) {
        std::fprintf(stderr, "vigilo-sim did not start listening\n");
        sim.kill();
        sim.waitForFinished(5000);
        return run;
    }
    // What the simulator prints, but for its answers to "stats": "stats stations=N connected=N
    // statuses=N worst_gap_ms=N".
    QList<QByteArray> statsLines;
    const auto drain = [&] {
        while (sim.canReadLine()) {
            const QByteArray line = sim.readLine().trimmed();
            if (line.startsWith("stats "))
                statsLines << line;
        }
    };
    QObject::connect(&sim, &QProcess::readyReadStandardOutput, drain);

    OperatorSession session;
    session.logIn({u"admin"_s, {}, {}});
    StationTable table;
    table.setStations(agentStations(agents, QHostAddress(first)));
    StationSockets sockets;
    sockets.reset(agents);
    TimedConnections timed(sockets, agents);
    LinkSender link(timed, session);
    ConnectionSupervision supervision(table, sockets, link);
    supervision.setCurrencySymbol(u"$"_s);
    // The rounds themselves: how long the longest slice of one took, and the longest time from
    // one round to the next.
    QElapsedTimer tickClock;
    tickClock.start();
    qint64 lastTickNs = -1;
    qint64 longestTickNs = 0;
    qint64 longestIntervalNs = 0;
    bool timing = false;
    QObject::connect(&supervision.timer(), &QTimer::timeout, [&] {
        const qint64 start = tickClock.nsecsElapsed();
        if (timing)
            longestIntervalNs = std::max(longestIntervalNs, start - lastTickNs);
        lastTickNs = start;
    });
    QObject::connect(&supervision, &ConnectionSupervision::sliceServed, [&](qint64 ns) {
        if (timing)
            longestTickNs = std::max(longestTickNs, ns);
    });
    supervision.start();

    const auto connected = [&] {
        int n = 0;
        for (int i = 0; i < agents; ++i)
            n += sockets.isConnected(i);
        return n;
    };
    // The event loop sleeps between events, as the console's does.
    const auto runFor = [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    QElapsedTimer wait;
    wait.start();
    while (connected() < agents && wait.elapsed() < 60000)
        runFor(100);
    run.connected = connected();

    // The counts start afresh for the timed seconds. Not waited for: the console's loop must run
    // on, or its next status would be late by the simulator's answer.
    sim.write("stats clear\n");
    sim.waitForBytesWritten(1000); // into the pipe, however busy this loop gets
    timed.startTiming();
    timing = true;

    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = cpuMs();
    runFor(seconds * 1000);
    const double cpu = cpuMs() - cpuBefore;
    const double elapsed = ms(wall);
    run.cpuPercent = cpu * 100.0 / elapsed;
    supervision.timer().stop();

    sim.write("stats\n");
    while (statsLines.size() < 2 && sim.waitForReadyRead(10000))
        drain();
    sim.write("quit\n");
    if (!sim.waitForFinished(5000))
        sim.kill();
    QHash<QByteArray, QByteArray> after;
    for (const QByteArray& field : statsLines.value(1).split(' '))
        if (const qsizetype eq = field.indexOf('='); eq > 0)
            after.insert(field.left(eq), field.mid(eq + 1));
    if (after.contains("worst_gap_ms"))
        run.worstGapMs = QString::fromLatin1(after.value("worst_gap_ms"));
    // Every agent one status a tick: what arrived against that.
    const double expected = double(agents) * elapsed / ConnectionSupervision::IntervalMs;
    run.delivered = double(after.value("statuses").toLongLong()) * 100.0 / expected;
    run.sentGapMs = timed.worstGapMs();
    run.longestTickMs = double(longestTickNs) / 1e6;
    run.longestIntervalMs = double(longestIntervalNs) / 1e6;
    run.complete = run.connected == agents && after.contains("statuses");
    return run;
}

// The supervision of agents agents, runs times over: the console's CPU time (user and system)
// per second of supervision and the longest wait of one agent between two status messages.
int measureLink(int agents, int seconds, int runs)
{
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);

    std::printf("link event loop    %s\n", qPrintable(eventDispatcherName()));
    std::printf("link agents        %d, %d runs of %d s each once all are connected (load %s)\n",
                agents, runs, seconds, qPrintable(loadAverage()));
    std::fflush(stdout);
    std::vector<double> cpu;
    int worstGap = -1;
    qint64 worstSent = 0;
    bool complete = true;
    for (int r = 1; r <= runs; ++r) {
        const LinkRun run = runLink(agents, seconds);
        std::printf("link run %d         %.2f %% of one core, worst gap %s ms at the agents (%lld "
                    "ms as sent), %d connected, %.0f %% of the statuses due arrived; round slices up "
                    "to %.0f ms long, rounds up to %.0f ms apart (load %s)\n",
                    r, run.cpuPercent, qPrintable(run.worstGapMs), run.sentGapMs, run.connected,
                    run.delivered, run.longestTickMs, run.longestIntervalMs,
                    qPrintable(loadAverage()));
        std::fflush(stdout);
        cpu.push_back(run.cpuPercent);
        bool isNumber = false;
        const int gap = run.worstGapMs.toInt(&isNumber);
        worstGap = isNumber ? std::max(worstGap, gap) : worstGap;
        worstSent = std::max(worstSent, run.sentGapMs);
        complete = complete && run.complete;
    }
    std::printf("link CPU           %.2f %% of one core, the median of the runs (min %.2f, max "
                "%.2f): the console's CPU time per second of supervision\n",
                median(cpu), *std::min_element(cpu.begin(), cpu.end()),
                *std::max_element(cpu.begin(), cpu.end()));
    std::printf("link worst gap     %d ms, the worst of the runs, between two status messages to "
                "one agent as it read them (tick %d ms)\n",
                worstGap, ConnectionSupervision::IntervalMs);
    std::printf("link sent gap      %lld ms, the worst of the runs, between two status messages to "
                "one agent as the console wrote them\n",
                worstSent);
    return complete ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    // The console's event loop, so that the link figure is the console's.
    const auto app = makeApplication<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(u"kestrel-bench"_s);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Times the metering tick of a café in full use."_s);
    parser.addHelpOption();
    const QCommandLineOption stationsOption(u"stations"_s, u"Stations in the café."_s, u"N"_s,
                                            u"1000"_s);
    const QCommandLineOption ticksOption(u"ticks"_s, u"Ticks to time."_s, u"N"_s, u"100"_s);
    const QCommandLineOption agentsOption(
        u"agents"_s, u"Simulated agents for the link figure (0: none)."_s, u"N"_s, u"500"_s);
    const QCommandLineOption secondsOption(u"link-seconds"_s, u"Seconds of supervision to time."_s,
                                           u"S"_s, u"10"_s);
    const QCommandLineOption runsOption(u"link-runs"_s, u"Runs of the link figure."_s, u"R"_s,
                                        u"3"_s);
    const QCommandLineOption soakOption(
        u"soak"_s, u"Soak of the link instead: minutes of agents coming and going."_s, u"MIN"_s);
    const QCommandLineOption flapOption(
        u"flap-ms"_s, u"Soak: how often each agent drops, on average (ms)."_s, u"MS"_s, u"3500"_s);
    const QCommandLineOption untrimmedOption(
        u"untrimmed"_s, u"Soak: without giving freed memory back (to compare)."_s);
    const QCommandLineOption agentOption(
        u"agent"_s, u"The station agent instead: idle cost and the time to a new screen."_s);
    const QCommandLineOption printPassOption(
        u"print-pass"_s,
        u"The print monitor's pass instead: 3 queues of a private cupsd, 50 jobs."_s);
    const QCommandLineOption reportOption(
        u"report"_s,
        u"The reports instead: a year of 200 000 journal rows, its query, total and chart."_s);
    QCommandLineOption soakAgentsOption(u"soak-agents"_s, u"(the soak's own agents)"_s, u"N"_s);
    soakAgentsOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(stationsOption);
    parser.addOption(ticksOption);
    parser.addOption(agentsOption);
    parser.addOption(secondsOption);
    parser.addOption(runsOption);
    parser.addOption(soakOption);
    parser.addOption(flapOption);
    parser.addOption(untrimmedOption);
    parser.addOption(printPassOption);
    parser.addOption(agentOption);
    parser.addOption(reportOption);
    parser.addOption(soakAgentsOption);
    parser.process(*app);
    if (parser.isSet(reportOption))
        return runReportBench();
    if (parser.isSet(agentOption))
        return runAgentBench();
    if (parser.isSet(printPassOption))
        return runPrintPassBench();
    if (parser.isSet(soakAgentsOption))
        return runSoakAgents(parser.value(soakAgentsOption).toInt(),
                             parser.value(flapOption).toInt());
    if (parser.isSet(soakOption))
        return runSoak(parser.isSet(agentsOption) ? parser.value(agentsOption).toInt() : 200,
                       parser.value(soakOption).toInt(), parser.value(flapOption).toInt(),
                       !parser.isSet(untrimmedOption));
    const int agents = parser.value(agentsOption).toInt();
    const int linkSeconds = parser.value(secondsOption).toInt();
    const int stationCount = parser.value(stationsOption).toInt();
    const int ticks = parser.value(ticksOption).toInt();
    if (stationCount <= 0 || ticks <= 0) {
        std::fprintf(stderr, "--stations and --ticks take a positive number\n");
        return 1;
    }

    QTemporaryDir dir;
    DataStore store;
    if (!bench::openNewStore(dir, store))
        return 1;
    if (!fillCafe(store.database(), stationCount))
        return 1;

    bench::DefaultSettings defaults;
    Settings settings(defaults);
    OperatorSession session;
    session.logIn({u"admin"_s, {}, {}});
    SystemClock clock;
    SinkConnections connections;
    LinkSender link(connections, session);
    Journal journal(store.database(), session, clock);
    StationTable table;
    auto loaded = CyberStore(store.database()).load();
    if (!loaded)
        return 1;
    table.setStations(std::move(*loaded));
    StationRows rows(store.database());
    Metering metering({table, rows, store.database(), settings, link, journal, clock});
    QString failure;
    QObject::connect(&metering, &Metering::storeFailed, [&](const QString& m) { failure = m; });

    metering.tick(); // the first tick reads where each station is stored
    std::vector<double> tickTimes;
    for (int i = 0; i < ticks; ++i) {
        QElapsedTimer timer;
        timer.start();
        metering.tick();
        tickTimes.push_back(ms(timer));
    }
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        return 1;
    }

    // The floor: one prepared UPDATE per row, all rows in one transaction.
    QSqlDatabase db = store.database();
    QSqlQuery update(db);
    update.prepare(u"UPDATE CYBER SET TIEMPO = ? WHERE rowid = ?"_s);
    std::vector<double> floorTimes;
    for (int i = 0; i < ticks; ++i) {
        QElapsedTimer timer;
        timer.start();
        db.transaction();
        for (int row = 1; row <= stationCount; ++row) {
            update.addBindValue(u"0:00:%1"_s.arg(i % 60, 2, 10, QChar(u'0')));
            update.addBindValue(row);
            update.exec();
        }
        db.commit();
        floorTimes.push_back(ms(timer));
    }

    const double tick = median(tickTimes);
    const double floor = median(floorTimes);
    std::printf("stations           %d (counter, compound, prepaid, account: a quarter each)\n",
                stationCount);
    std::printf("ticks              %d\n", ticks);
    std::printf("tick median        %.2f ms (min %.2f, max %.2f)\n", tick,
                *std::min_element(tickTimes.begin(), tickTimes.end()),
                *std::max_element(tickTimes.begin(), tickTimes.end()));
    std::printf("floor median       %.2f ms (bare prepared UPDATE of the same rows)\n", floor);
    std::printf("tick / floor       %.2f\n", floor > 0 ? tick / floor : 0.0);
    std::fflush(stdout);
    if (agents <= 0)
        return 0;
    return measureLink(agents, std::max(linkSeconds, 1),
                       std::max(parser.value(runsOption).toInt(), 1));
}
