#include "printpass.h"

#include "printing/cupsspooler.h"
#include "privatecups.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

constexpr int Queues = 3;
constexpr int Jobs = 50;
constexpr int Passes = 100;

// One pass, as the monitor makes it; the jobs seen, or -1 when a printer could not be read.
int pass(Spooler& spooler)
{
    int seen = 0;
    for (const QString& printer : spooler.printers()) {
        const auto jobs = spooler.jobs(printer);
        if (!jobs)
            return -1;
        seen += int(jobs->size());
    }
    return seen;
}

} // namespace

int runPrintPassBench()
{
    PrivateCups cups;
    QString error;
    if (!cups.start(&error)) {
        std::fprintf(stderr, "private cupsd: %s\n", qPrintable(error));
        return 1;
    }
    QStringList queues;
    for (int i = 1; i <= Queues; ++i) {
        queues << u"printer%1"_s.arg(i);
        // Stopped, so that the jobs stay queued while they are read.
        if (!cups.addQueue(queues.back(), 0) || !cups.pause(queues.back())) {
            std::fprintf(stderr, "cannot set up queue %s\n", qPrintable(queues.back()));
            return 1;
        }
    }
    for (int i = 0; i < Jobs; ++i) {
        const QString host = u"PC%1"_s.arg(i % 20 + 1, 2, 10, QChar(u'0'));
        if (cups.submit(queues[i % Queues], host, i % 5 + 1) <= 0) {
            std::fprintf(stderr, "cannot queue job %d\n", i + 1);
            return 1;
        }
    }

    CupsSpooler spooler(cups.server());
    pass(spooler); // the first connection and the first answers
    std::vector<double> times;
    int least = Jobs;
    int most = 0;
    for (int i = 0; i < Passes; ++i) {
        QElapsedTimer timer;
        timer.start();
        const int seen = pass(spooler);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        least = std::min(least, seen);
        most = std::max(most, seen);
    }
    std::sort(times.begin(), times.end());
    const double median =
        Passes % 2 ? times[Passes / 2] : (times[Passes / 2 - 1] + times[Passes / 2]) / 2.0;
    std::printf("print passes       %d (printers(), then jobs() of each of %d printers)\n", Passes,
                Queues);
    std::printf("print pass median  %.2f ms (worst %.2f ms)\n", median, times.back());
    std::printf("print jobs seen    %d of %d queued (least in a pass %d)\n", most, Jobs, least);
    return least == Jobs ? 0 : 1;
}

} // namespace kestrel
