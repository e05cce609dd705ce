#include "soak.h"

#include "benchsupport.h"

#include "journal/journal.h"
#include "core/clock.h"
#include "core/datastore.h"
#include "core/heaptrim.h"
#include "core/prompts.h"
#include "link/linksender.h"
#include "link/messagelist.h"
#include "link/requests.h"
#include "link/stationsockets.h"
#include "link/supervision.h"
#include "core/operatorsession.h"
#include "stationagent.h"
#include "stations/actionstore.h"
#include "stations/stationrows.h"
#include "stations/stationtable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

const QHostAddress FirstAgent(u"127.2.0.1"_s);

// Resident memory of this process, in kilobytes.
qint64 residentKb()
{
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLongLong() * sysconf(_SC_PAGESIZE) / 1024;
}

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

std::vector<Station> agentStations(int count, const QHostAddress& first)
{
    std::vector<Station> stations{std::size_t(count)};
    for (int i = 0; i < count; ++i) {
        Station& s = stations[std::size_t(i)];
        s.pc = u"PC%1"_s.arg(i + 1, 3, 10, QChar(u'0'));
        s.LSTIPS = QHostAddress(first.toIPv4Address() + quint32(i)).toString();
        s.tiempo = u"0:00:00"_s;
        s.sub = u"0,00"_s;
    }
    return stations;
}

int runSoakAgents(int agents, int flapMs)
{
    // Stations that come and go: each one, on average every flapMs, stops its agent and starts it
    // again, as a workstation does when it restarts or its cable is pulled.
    std::vector<std::unique_ptr<sim::StationAgent>> list;
    for (int i = 0; i < agents; ++i) {
        auto agent = std::make_unique<sim::StationAgent>(u"pc%1"_s.arg(i + 1),
                                                         u"00:16:3e:00:%1"_s.arg(i, 4, 16));
        if (!agent->listen(QHostAddress(FirstAgent.toIPv4Address() + quint32(i)), 6969)) {
            std::fprintf(stderr, "%s\n", qPrintable(agent->errorString()));
            return 1;
        }
        list.push_back(std::move(agent));
    }
    std::printf("ready\n");
    std::fflush(stdout);
    QTimer flap;
    const int periodMs = 20;
    QObject::connect(&flap, &QTimer::timeout, [&] {
        const double chance = double(periodMs) / double(std::max(flapMs, 1));
        for (auto& agent : list) {
            if (agent->isConnected() && QRandomGenerator::global()->generateDouble() < chance) {
                agent->close();
                agent->listen(agent->address(), agent->port());
            }
        }
    });
    flap.start(periodMs);
    return QCoreApplication::exec();
}

int runSoak(int agents, int minutes, int flapMs, bool trim)
{
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);

    QProcess flapping;
    flapping.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    flapping.start(
        QCoreApplication::applicationFilePath(),
        {u"--soak-agents"_s, QString::number(agents), u"--flap-ms"_s, QString::number(flapMs)});
    if (!flapping.waitForReadyRead(30000)) {
        std::fprintf(stderr, "the agents did not start\n");
        return 1;
    }

    // The console's side of the link, as it runs in the console: sockets, supervision, and the
    // requests of every agent handled against a data store.
    QTemporaryDir dir;
    const QString path = DataStore::pathIn(dir.path());
    DataStore store;
    if (DataStore::create(path) || store.open(path))
        return 1;
    bench::PrintedPrompts prompts;
    SystemClock clock;
    OperatorSession session;
    session.logIn({u"admin"_s, {}, {}});
    StationTable table;
    table.setStations(agentStations(agents, FirstAgent));
    StationSockets sockets;
    sockets.reset(agents);
    LinkSender link(sockets, session);
    Journal journal(store.database(), session, clock);
    StationRows rows(store.database());
    ActionStore actions({store.database(), table, rows, journal, prompts});
    MessageList messages;
    RequestDispatcher requests({table, actions, store.database(), link, messages, clock});
    ConnectionSupervision supervision(table, sockets, link);
    supervision.setCurrencySymbol(u"$"_s);
    qint64 connections = 0; // every agent announces its name once per connection
    QObject::connect(&sockets, &StationSockets::received, [&](int index, const QByteArray& bytes) {
        connections += bytes.startsWith("GETNAME#");
        requests.dispatchBytes(index, bytes);
    });
    supervision.start();

    // As the console does, unless asked to show what happens without it.
    HeapTrimmer trimmer;
    if (trim)
        trimmer.start();
    runFor(60000); // the first minute: everything the console keeps is in place
    const qint64 baseKb = residentKb();
    const qint64 baseConnections = connections;
    std::printf("soak agents        %d, each dropping every %d ms on average%s\n", agents, flapMs,
                trim ? "" : " (memory not trimmed)");
    std::printf("after a minute     %lld KB resident, %lld connections\n",
                static_cast<long long>(baseKb), static_cast<long long>(connections));
    QElapsedTimer wall;
    wall.start();
    for (int minute = 1; minute <= minutes; ++minute) {
        runFor(60000);
        const qint64 kb = residentKb();
        const qint64 made = connections - baseConnections;
        std::printf("minute %3d         %lld KB (%+lld KB), %lld reconnections (%.1f/s), %+.1f "
                    "bytes per reconnection\n",
                    minute, static_cast<long long>(kb), static_cast<long long>(kb - baseKb),
                    static_cast<long long>(made), double(made) * 1000.0 / double(wall.elapsed()),
                    made > 0 ? double(kb - baseKb) * 1024.0 / double(made) : 0.0);
        std::fflush(stdout);
    }
    const qint64 made = connections - baseConnections;
    std::printf("soak growth        %+.1f KB per thousand reconnections (%lld in %d min)\n",
                made > 0 ? double(residentKb() - baseKb) * 1000.0 / double(made) : 0.0,
                static_cast<long long>(made), minutes);
    flapping.kill();
    flapping.waitForFinished();
    return 0;
}

} // namespace kestrel
