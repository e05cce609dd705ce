#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace kestrel {

// A cupsd of its own for the tests and the benchmark: every file it keeps is in a temporary
// folder, it listens on a free port of 127.0.0.1 only and runs as the current user (under root,
// it runs the backend, which only its owner may read, as root too). The machine's own cupsd, if
// any, and /etc/cups are not touched.
//
// Its printers are raw queues on the backend holdjob, which prints nothing: it counts the
// form feeds of the job as its pages (one at least), reports them to cupsd ("PAGE: total N"),
// writes a progress line as a real backend does, and keeps the job printing for the seconds
// named by its device URI (holdjob:/N).
class PrivateCups {
public:
    PrivateCups() = default;
    ~PrivateCups(); // stops cupsd: terminate, wait, kill
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    // Writes the folder, starts cupsd and waits until it answers (a few seconds at most). False
    // with the reason in *error when cupsd or the client programs are missing or it does not
    // come up.
    bool start(QString* error = nullptr);
    // "127.0.0.1:PORT", for CupsSpooler and the client programs' -h.
    QString server() const;

    // A raw queue printing on holdjob:/holdSeconds, enabled and accepting jobs.
    bool addQueue(const QString& name, int holdSeconds);
    // Stops the queue (cupsdisable): its jobs wait in it.
    bool pause(const QString& name);
    // Queues a text of `pages` pages, each ending in a form feed, as sent from the computer
    // originatingHost; the job id, or -1.
    int submit(const QString& queue, const QString& originatingHost, int pages);

    // The end of cupsd's error log, to explain a failure.
    QString logTail() const;

private:
    bool run(const QString& program, const QStringList& arguments, const QByteArray& input = {},
             QByteArray* output = nullptr);
    bool answers();
    bool writeFolder(QString* error);

    QTemporaryDir m_dir;
    QProcess m_cupsd;
    int m_port = 0;
    QString m_clientBin; // where lp, lpadmin and cupsdisable were found
};

} // namespace kestrel
