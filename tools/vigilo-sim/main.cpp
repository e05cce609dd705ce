// vigilo-sim: the agents of café stations, for running the console without the workstations.

#include "core/eventloop.h"
#include "simcommands.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel::sim;

namespace {

void printTo(FILE* stream, const QString& line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    // Read live by whoever runs the demo, or piped into a log.
    std::fflush(stream);
}

void printOut(const QString& line)
{
    printTo(stdout, line);
}

void printError(const QString& line)
{
    printTo(stderr, u"vigilo-sim: "_s + line);
}

// Every station takes a connection and, without --one-listener, a listening socket: a café of 500
// is past the usual soft limit of 1024 descriptors.
void raiseOpenFileLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max)
        return;
    limit.rlim_cur = limit.rlim_max;
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0)
        printError(u"cannot raise the open file limit; many stations may fail to connect"_s);
}

// The lines of the script, or nullopt after saying what is wrong with it.
std::optional<QStringList> readScript(const QString& fileName, const Simulator& simulator)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        printError(u"cannot read %1: %2"_s.arg(fileName, file.errorString()));
        return std::nullopt;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    bool valid = true;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const QString error = simulator.check(lines[i]); !error.isEmpty()) {
            printError(u"%1:%2: %3"_s.arg(fileName).arg(i + 1).arg(error));
            valid = false;
        }
    }
    return valid ? std::optional(lines) : std::nullopt;
}

// Reads what standard input has; whole lines go to the queue. At the end of input the stations
// keep running.
void readInput(QSocketNotifier& input, QByteArray& pending, CommandQueue& typed)
{
    char chunk[4096];
    const ssize_t count = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (count < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (count > 0) {
        pending.append(chunk, count);
        QStringList lines;
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            lines << QString::fromUtf8(pending.left(end));
            pending.remove(0, end + 1);
        }
        typed.append(lines);
        return;
    }
    input.setEnabled(false);
    if (!pending.isEmpty())
        typed.append({QString::fromUtf8(pending)});
    pending.clear();
}

} // namespace

int main(int argc, char* argv[])
{
    // A whole café of agents in one process: the console's event loop, for the same reason.
    const auto app = kestrel::makeApplication<QCoreApplication>(argc, argv);
    QString error;
    const auto options = parseArguments(QCoreApplication::arguments().mid(1), &error);
    if (!options) {
        printError(error);
        return 2;
    }
    if (options->help) {
        printOut(usage());
        return 0;
    }
    raiseOpenFileLimit();

    Simulator simulator(*options, printOut, printError);
    QObject::connect(&simulator, &Simulator::quitRequested, app.get(), &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QStringList script;
    if (!options->scriptFile.isEmpty()) {
        const auto lines = readScript(options->scriptFile, simulator);
        if (!lines)
            return 2;
        script = *lines;
    }
    if (!simulator.start())
        return 2;

    CommandQueue scripted(simulator);
    CommandQueue typed(simulator);
    QTimer::singleShot(0, &scripted, [&scripted, &script] { scripted.append(script); });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, &typed,
                     [&] { readInput(input, pending, typed); });
    return QCoreApplication::exec();
}
