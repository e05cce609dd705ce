#pragma once

#include "printing/spooler.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kestrel {

// The counter PC's CUPS, through libcups. Every call opens its own connection (connect time-out
// of about a second), gives up on an answer that stops coming for ReadTimeoutSeconds, and
// closes it: a cupsd that is gone costs the monitor a second at most, one that takes the
// connection and never answers about 4 s a call (8 s for the printer list), and nothing is left
// open between passes. No call ever asks for a password: a request that needs one fails.
//
// Rights: cupsd's stock policy leaves a job's originating host out of the answer for anyone
// but the job's owner and the system group (asked under another user name, a job comes back
// without it). For the stations' jobs to have their machine, the café's cupsd.conf should leave
// job-originating-host-name out of JobPrivateValues, e.g.
//     JobPrivateValues job-name job-originating-user-name phone
// in <Policy default>. Cancel-Job in that policy is for the job's owner and the system group
// ("Require user @OWNER @SYSTEM"); a cancel that cupsd wants a password for fails.
class CupsSpooler final : public Spooler {
public:
    // server: "host:port" (or a socket path); empty for libcups' default (CUPS_SERVER,
    // client.conf, the local cupsd).
    explicit CupsSpooler(QString server = {});

    QStringList printers() override;
    std::optional<std::vector<SpoolJob>> jobs(const QString& printer) override;
    // Job ids are unique in a cupsd: it cancels the job whichever queue holds it, the printer
    // only names the queue in the request.
    bool cancel(const QString& printer, std::int32_t jobId) override;

    // The machine as the monitor stores it: a station's name "PC03" becomes "\\PC03"; a name
    // already prefixed is kept ("\PC03", with one backslash, gets its second), any other
    // (localhost, an address) is prefixed as it is; no name stays empty.
    static QString machineName(const QString& originatingHost);
    // JobStatus bits for an IPP job-state and its job-state-reasons.
    static std::uint32_t statusBits(int jobState, const QStringList& reasons);

    // Longest wait for a connection, and for each answer once connected.
    static constexpr int ConnectTimeoutMs = 1000;
    static constexpr double ReadTimeoutSeconds = 3.0;

private:
    QString m_host; // empty: libcups' default
    int m_port = 0;
};

} // namespace kestrel
