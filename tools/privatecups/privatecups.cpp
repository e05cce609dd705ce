#include "privatecups.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

constexpr int StartTimeoutMs = 8000;
constexpr int ClientTimeoutMs = 10000;

// The backend. Run with no arguments, cupsd asks it which devices it finds: none to offer.
const char HoldJob[] = R"(#!/bin/sh
[ $# -eq 0 ] && exit 0
if [ -n "$6" ]; then pages=$(tr -cd '\f' < "$6" | wc -c); else pages=$(tr -cd '\f' | wc -c); fi
[ "$pages" -ge 1 ] || pages=1
echo "PAGE: total $pages" >&2
echo "INFO: Sending data to printer." >&2
hold=${DEVICE_URI#holdjob:/}
case $hold in '' | *[!0-9]*) hold=0 ;; esac
sleep "$hold"
exit 0
)";

QString findProgram(const QString& name)
{
    const QString inPath = QStandardPaths::findExecutable(name);
    return inPath.isEmpty() ? QStandardPaths::findExecutable(
                                  name, {u"/usr/sbin"_s, u"/sbin"_s, u"/usr/local/sbin"_s})
                            : inPath;
}

// A port of 127.0.0.1 that nothing listens on now.
int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) == 0)
        port = ntohs(addr.sin_port);
    ::close(fd);
    return port;
}

bool writeFile(const QString& path, const QByteArray& text, QFile::Permissions permissions)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(text) == text.size() && file.setPermissions(permissions);
}

const QFile::Permissions DirPermissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                          QFile::ExeOther;

} // namespace

PrivateCups::~PrivateCups()
{
    if (m_cupsd.state() == QProcess::NotRunning)
        return;
    m_cupsd.terminate();
    if (!m_cupsd.waitForFinished(5000)) {
        m_cupsd.kill();
        m_cupsd.waitForFinished(5000);
    }
}

bool PrivateCups::writeFolder(QString* error)
{
    const QDir root(m_dir.path());
    for (const char* sub : {"conf", "spool/tmp", "cache", "log", "state", "bin/backend"}) {
        if (!root.mkpath(QString::fromLatin1(sub))) {
            *error = u"cannot make %1 in %2"_s.arg(QString::fromLatin1(sub), root.path());
            return false;
        }
    }
    // The helpers of the installed cupsd, linked one by one; the backends too, with holdjob
    // beside them. As root, cupsd runs a backend that only its owner may read (holdjob) as
    // root, the only user besides the owner that can reach this folder.
    QString serverBin;
    for (const QString& candidate : {u"/usr/lib/cups"_s, u"/usr/libexec/cups"_s})
        if (QFileInfo(candidate + u"/daemon"_s).isDir())
            serverBin = candidate;
    if (serverBin.isEmpty()) {
        *error = u"no cups helper folder (/usr/lib/cups): package cups-daemon"_s;
        return false;
    }
    const QString bin = root.filePath(u"bin"_s);
    for (const QFileInfo& entry :
         QDir(serverBin).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot))
        if (entry.fileName() != u"backend"_s)
            QFile::link(entry.filePath(), bin + u'/' + entry.fileName());
    for (const QFileInfo& entry :
         QDir(serverBin + u"/backend"_s).entryInfoList(QDir::Files | QDir::NoDotAndDotDot))
        QFile::link(entry.filePath(), bin + u"/backend/"_s + entry.fileName());
    QFile::setPermissions(bin, DirPermissions);
    QFile::setPermissions(bin + u"/backend"_s, DirPermissions);
    if (!writeFile(bin + u"/backend/holdjob"_s, HoldJob,
                   QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        *error = u"cannot write the holdjob backend"_s;
        return false;
    }

    const QString path = root.path();
    const QByteArray files = u"ServerRoot %1/conf\n"
                             u"ServerBin %1/bin\n"
                             u"RequestRoot %1/spool\n"
                             u"TempDir %1/spool/tmp\n"
                             u"CacheDir %1/cache\n"
                             u"StateDir %1/state\n"
                             u"ErrorLog %1/log/error_log\n"
                             u"AccessLog %1/log/access_log\n"
                             u"PageLog %1/log/page_log\n"
                             // Accepted here; cupsd sandboxes its children on macOS only.
                             u"Sandboxing relaxed\n"_s.arg(path)
                                 .toUtf8();
    // Anyone on the loopback may do anything, without a password; the privacy of job
    // attributes stays cupsd's default (the job's owner and the system group see them all).
    const QByteArray conf = u"Listen 127.0.0.1:%1\n"
                            u"LogLevel warn\n"
                            u"MaxLogSize 0\n"
                            u"Browsing No\n"
                            u"WebInterface No\n"
                            u"DefaultAuthType None\n"
                            u"<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                            u"<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n"
                            u"</Policy>\n"_s.arg(m_port)
                                .toUtf8();
    if (!writeFile(root.filePath(u"conf/cups-files.conf"_s), files,
                   QFile::ReadOwner | QFile::WriteOwner) ||
        !writeFile(root.filePath(u"conf/cupsd.conf"_s), conf,
                   QFile::ReadOwner | QFile::WriteOwner)) {
        *error = u"cannot write the configuration"_s;
        return false;
    }
    return true;
}

bool PrivateCups::start(QString* error)
{
    QString reason;
    if (!error)
        error = &reason;
    const QString cupsd = findProgram(u"cupsd"_s);
    if (cupsd.isEmpty()) {
        *error = u"cupsd not found (package cups-daemon)"_s;
        return false;
    }
    for (const QString& client : {u"lp"_s, u"lpadmin"_s, u"cupsdisable"_s, u"lpstat"_s}) {
        if (findProgram(client).isEmpty()) {
            *error = u"%1 not found (package cups-client)"_s.arg(client);
            return false;
        }
    }
    if (!m_dir.isValid()) {
        *error = u"no temporary folder: "_s + m_dir.errorString();
        return false;
    }
    m_port = freePort();
    if (m_port == 0) {
        *error = u"no free port on 127.0.0.1"_s;
        return false;
    }
    if (!writeFolder(error))
        return false;

    const QString conf = m_dir.filePath(u"conf"_s);
    m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
    m_cupsd.start(
        cupsd, {u"-f"_s, u"-c"_s, conf + u"/cupsd.conf"_s, u"-s"_s, conf + u"/cups-files.conf"_s});
    if (!m_cupsd.waitForStarted(StartTimeoutMs)) {
        *error = u"cupsd did not start: "_s + m_cupsd.errorString();
        return false;
    }
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!deadline.hasExpired()) {
        if (answers())
            return true;
        if (m_cupsd.waitForFinished(50)) {
            *error = u"cupsd stopped: %1 %2"_s.arg(
                QString::fromLocal8Bit(m_cupsd.readAll()).trimmed(), logTail());
            return false;
        }
    }
    *error = u"cupsd does not answer on "_s + server() + u' ' + logTail();
    return false;
}

QString PrivateCups::server() const
{
    return u"127.0.0.1:%1"_s.arg(m_port);
}

bool PrivateCups::answers()
{
    QByteArray output;
    return run(u"lpstat"_s, {u"-h"_s, server(), u"-r"_s}, {}, &output) &&
           output.contains("is running");
}

bool PrivateCups::run(const QString& program, const QStringList& arguments, const QByteArray& input,
                      QByteArray* output)
{
    QProcess process;
    // The client programs speak the user's language; their answers are read in English.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"LC_ALL"_s, u"C"_s);
    process.setProcessEnvironment(environment);
    process.start(findProgram(program), arguments);
    if (!process.waitForStarted(ClientTimeoutMs))
        return false;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(ClientTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool PrivateCups::addQueue(const QString& name, int holdSeconds)
{
    // With no driver named, the queue is raw: the job goes to the backend as it came. -E after
    // -p enables the queue and makes it accept jobs.
    return run(u"lpadmin"_s, {u"-h"_s, server(), u"-p"_s, name, u"-E"_s, u"-v"_s,
                              u"holdjob:/%1"_s.arg(holdSeconds)});
}

bool PrivateCups::pause(const QString& name)
{
    return run(u"cupsdisable"_s, {u"-h"_s, server(), name});
}

int PrivateCups::submit(const QString& queue, const QString& originatingHost, int pages)
{
    QByteArray text;
    for (int page = 1; page <= pages; ++page)
        text += "Page " + QByteArray::number(page) + "\n\f";
    // cupsd keeps the job-originating-host-name that a client on the loopback sends (as
    // cups-lpd hands on the computer it served): lp -o sends it as a job attribute. lp reads a
    // backslash in an option as an escape: doubled, it arrives as one.
    QString host = originatingHost;
    host.replace(u"\\"_s, u"\\\\"_s);
    QByteArray output;
    if (!run(u"lp"_s,
             {u"-h"_s, server(), u"-d"_s, queue, u"-t"_s, u"kestrel"_s, u"-o"_s,
              u"job-originating-host-name="_s + host},
             text, &output))
        return -1;
    // "request id is QUEUE-ID (0 file(s))"
    static const QRegularExpression id(u"request id is .*-(\\d+) "_s);
    const QRegularExpressionMatch match = id.match(QString::fromLocal8Bit(output));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString PrivateCups::logTail() const
{
    QFile log(m_dir.filePath(u"log/error_log"_s));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = log.readAll();
    return QString::fromLocal8Bit(all.right(2000));
}

} // namespace kestrel
