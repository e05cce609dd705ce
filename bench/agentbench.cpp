#include "agentbench.h"

#include "wire/wire.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

constexpr int IdleSeconds = 20;
constexpr int Changes = 40;

// The system's monotonic clock in microseconds, as the agent's trace prints it.
qint64 monotonicUs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

// CPU time (user and system) of a process in milliseconds, and its resident memory in KB.
std::pair<double, qint64> usage(qint64 pid)
{
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    double cpuMs = 0;
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray text = stat.readAll();
        const QList<QByteArray> f = text.mid(text.lastIndexOf(')') + 2).split(' ');
        cpuMs = double(f.value(11).toLongLong() + f.value(12).toLongLong()) * 1000.0 /
                double(sysconf(_SC_CLK_TCK));
    }
    qint64 rssKb = 0;
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                rssKb = line.simplified().split(' ').value(1).toLongLong();
    return {cpuMs, rssKb};
}

QByteArray status(const char* code)
{
    return Wire::encode(Wire::message(
        u"SENDSTAT"_s, {QString::fromLatin1(code), u"0:10:00"_s, u"$ 0,50"_s, u"127.0.4.1"_s, {}}));
}

} // namespace

int runAgentBench()
{
    QTemporaryDir dir;
    QFile config(dir.filePath(u"agent.conf"_s));
    if (!config.open(QIODevice::WriteOnly) ||
        config.write("[Agent]\nconsole=127.0.0.1\ncafe=Banco de pruebas\n") < 0)
        return 1;
    config.close();
    QProcess agent;
    agent.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    agent.start(QCoreApplication::applicationDirPath() + u"/kestrel-agent"_s,
                {u"--config"_s, config.fileName(), u"--options"_s, dir.filePath(u"opciones"_s),
                 u"--listen"_s, u"127.0.4.1"_s, u"--port"_s, u"7969"_s, u"--dry-run"_s,
                 u"--trace"_s});
    if (!agent.waitForStarted(5000) || !agent.waitForReadyRead(20000)) {
        std::fprintf(stderr, "kestrel-agent did not start\n");
        return 1;
    }
    agent.readAll(); // its first screen
    QTcpSocket console;
    console.connectToHost(u"127.0.4.1"_s, 7969);
    if (!console.waitForConnected(5000)) {
        std::fprintf(stderr, "cannot reach kestrel-agent: %s\n", qPrintable(console.errorString()));
        return 1;
    }

    // Idle: a free station's status every 900 ms, as the console sends it.
    const auto [cpuBefore, rssBefore] = usage(agent.processId());
    QElapsedTimer wall;
    wall.start();
    for (int i = 0; i < IdleSeconds * 1000 / 900; ++i) {
        console.write(status(""));
        console.waitForBytesWritten(1000);
        QThread::msleep(900);
        console.readAll();
    }
    const auto [cpuAfter, rss] = usage(agent.processId());
    const double idleShare = (cpuAfter - cpuBefore) * 100.0 / double(wall.elapsed());

    // Changes: each status turns the screen over; the agent's trace says when it showed it.
    std::vector<double> latencies;
    for (int i = 0; i < Changes; ++i) {
        agent.readAll();
        const qint64 sent = monotonicUs();
        console.write(status(i % 2 ? "" : "1"));
        console.waitForBytesWritten(1000);
        QByteArray line;
        while (!line.contains(" pantalla ") && agent.waitForReadyRead(2000))
            line = agent.readLine();
        if (line.contains(" pantalla "))
            latencies.push_back(double(line.left(line.indexOf(' ')).toLongLong() - sent) / 1000.0);
        QThread::msleep(300);
    }
    console.abort();
    agent.kill();
    agent.waitForFinished(5000);

    std::sort(latencies.begin(), latencies.end());
    std::printf("agent idle         %.2f %% of one core over %d s (a status every 900 ms), %lld KB "
                "resident (%lld KB at start)\n",
                idleShare, IdleSeconds, static_cast<long long>(rss),
                static_cast<long long>(rssBefore));
    if (latencies.empty()) {
        std::printf("agent screen       no change was shown\n");
        return 1;
    }
    std::printf("agent screen       %.1f ms median from a status with a new state to the new "
                "screen shown, %.1f ms worst, %zu of %d changes\n",
                latencies[latencies.size() / 2], latencies.back(), latencies.size(), Changes);
    return int(latencies.size()) == Changes ? 0 : 1;
}

} // namespace kestrel
