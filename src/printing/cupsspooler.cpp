#include "printing/cupsspooler.h"

#include <cups/cups.h>

#include <sys/socket.h>

#include <iterator>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

// A request that needs a password fails instead of asking on a terminal nobody watches.
const char* noPassword(const char*, http_t*, const char*, const char*, void*)
{
    return nullptr;
}

// One connection for one call, closed when the call is over.
class Connection {
public:
    Connection(const QString& host, int port)
    {
        cupsSetPasswordCB2(noPassword, nullptr); // per thread in libcups
        const QByteArray name = host.isEmpty() ? QByteArray(cupsServer()) : host.toUtf8();
        m_http = httpConnect2(name.constData(), port > 0 ? port : ippPort(), nullptr, AF_UNSPEC,
                              cupsEncryption(), 1, CupsSpooler::ConnectTimeoutMs, nullptr);
        // Without a time-out callback, a wait longer than this gives up with an error.
        if (m_http)
            httpSetTimeout(m_http, CupsSpooler::ReadTimeoutSeconds, nullptr, nullptr);
    }
    ~Connection()
    {
        if (m_http)
            httpClose(m_http);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    http_t* get() const { return m_http; }

private:
    http_t* m_http = nullptr;
};

bool succeeded(ipp_status_t status)
{
    return status <= IPP_STATUS_OK_EVENTS_COMPLETE;
}

const char* const RequestedAttributes[] = {
    "job-id",
    "job-originating-host-name",
    "job-state",
    "job-impressions",
    "job-impressions-completed",
    "job-media-sheets",
    "job-media-sheets-completed",
    "job-printer-state-message",
    "job-state-message",
    "job-state-reasons",
};

// One job's attributes as Get-Jobs returns them; -1 for a number that is not there.
struct JobAttributes {
    int id = -1;
    QString host;
    int state = -1;
    int impressions = -1;
    int impressionsCompleted = -1;
    int sheets = -1;
    int sheetsCompleted = -1;
    QString printerMessage;
    QString stateMessage;
    QStringList reasons;

    void read(ipp_attribute_t* attr)
    {
        const QByteArray name = ippGetName(attr);
        const ipp_tag_t tag = ippGetValueTag(attr);
        if (tag == IPP_TAG_INTEGER || tag == IPP_TAG_ENUM) {
            const int value = ippGetInteger(attr, 0);
            if (name == "job-id")
                id = value;
            else if (name == "job-state")
                state = value;
            else if (name == "job-impressions")
                impressions = value;
            else if (name == "job-impressions-completed")
                impressionsCompleted = value;
            else if (name == "job-media-sheets")
                sheets = value;
            else if (name == "job-media-sheets-completed")
                sheetsCompleted = value;
            return;
        }
        const char* text = ippGetString(attr, 0, nullptr);
        if (!text)
            return;
        if (name == "job-originating-host-name")
            host = QString::fromUtf8(text).trimmed();
        else if (name == "job-printer-state-message")
            printerMessage = QString::fromUtf8(text).trimmed();
        else if (name == "job-state-message")
            stateMessage = QString::fromUtf8(text).trimmed();
        else if (name == "job-state-reasons")
            for (int i = 0; i < ippGetCount(attr); ++i)
                reasons << QString::fromUtf8(ippGetString(attr, i, nullptr));
    }

    SpoolJob toJob() const
    {
        SpoolJob job;
        job.id = id;
        job.machine = CupsSpooler::machineName(host);
        job.pagesPrinted = impressionsCompleted >= 0 ? impressionsCompleted
                           : sheetsCompleted >= 0    ? sheetsCompleted
                                                     : 0;
        job.totalPages = impressions > 0 ? impressions : sheets > 0 ? sheets : job.pagesPrinted;
        job.status = CupsSpooler::statusBits(state, reasons);
        // cupsd learns a raw job's pages from the backend a moment after the job starts: until
        // then the job is still being prepared, not printing, or it would be recorded (once, for
        // good) with no pages and charged nothing.
        if ((job.status & JobStatus::Printing) && job.totalPages <= 0)
            job.status = (job.status & ~std::uint32_t(JobStatus::Printing)) | JobStatus::Spooling;
        // Which text counts as the job's own. While a job prints, cupsd copies every progress
        // line of the backend onto it as job-printer-state-message ("Sending data to
        // printer." on any ordinary job here): counted, every printing job would have a text of
        // its own and none would ever be recorded. So that message counts only on a job that
        // is not printing, where it is what was left by an attempt that failed ("Paper jam" on
        // a job put back in the queue). job-state-message, which this cupsd does not send but
        // other IPP servers use for the job's own trouble, counts in any state.
        job.ownStatusText = !stateMessage.isEmpty() ||
                            (state != IPP_JSTATE_PROCESSING && !printerMessage.isEmpty());
        return job;
    }
};

} // namespace

CupsSpooler::CupsSpooler(QString server)
{
    // "host:port", a host alone, or a socket path.
    m_host = std::move(server);
    if (!m_host.startsWith(u'/') && m_host.count(u':') == 1) {
        const qsizetype colon = m_host.indexOf(u':');
        m_port = m_host.mid(colon + 1).toInt();
        m_host.truncate(colon);
    }
}

QStringList CupsSpooler::printers()
{
    Connection connection(m_host, m_port);
    if (!connection.get())
        return {};
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(connection.get(), &dests);
    QStringList names;
    for (int i = 0; i < count; ++i) {
        if (dests[i].instance && *dests[i].instance)
            continue; // an instance is a set of options on a queue already listed
        names << QString::fromUtf8(dests[i].name);
    }
    cupsFreeDests(count, dests);
    return names;
}

std::optional<std::vector<SpoolJob>> CupsSpooler::jobs(const QString& printer)
{
    if (printer.isEmpty())
        return std::nullopt; // "/printers/" names no queue
    Connection connection(m_host, m_port);
    if (!connection.get())
        return std::nullopt;
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                     "/printers/%s", printer.toUtf8().constData());
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOBS);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr,
                 "not-completed");
    ippAddBoolean(request, IPP_TAG_OPERATION, "my-jobs", 0);
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  int(std::size(RequestedAttributes)), nullptr, RequestedAttributes);

    ipp_t* response = cupsDoRequest(connection.get(), request, "/"); // frees the request
    if (!response || !succeeded(ippGetStatusCode(response))) {
        ippDelete(response);
        return std::nullopt;
    }
    // Each job is a run of job attributes; runs are parted by a separator.
    std::vector<SpoolJob> jobs;
    std::optional<JobAttributes> current;
    const auto finish = [&] {
        if (current && current->id > 0)
            jobs.push_back(current->toJob());
        current.reset();
    };
    for (ipp_attribute_t* attr = ippFirstAttribute(response); attr;
         attr = ippNextAttribute(response)) {
        if (ippGetGroupTag(attr) != IPP_TAG_JOB || !ippGetName(attr)) {
            finish();
            continue;
        }
        if (!current)
            current.emplace();
        current->read(attr);
    }
    finish();
    ippDelete(response);
    return jobs;
}

bool CupsSpooler::cancel(const QString& printer, std::int32_t jobId)
{
    // libcups reads 0 as "the current job" and -1 as "every job": only a real id goes out.
    if (jobId <= 0)
        return false;
    Connection connection(m_host, m_port);
    if (!connection.get())
        return false;
    return succeeded(cupsCancelJob2(connection.get(), printer.toUtf8().constData(), jobId, 0));
}

QString CupsSpooler::machineName(const QString& originatingHost)
{
    qsizetype start = 0;
    while (start < originatingHost.size() && originatingHost[start] == u'\\')
        ++start;
    if (start == originatingHost.size())
        return {};
    return u"\\\\"_s + originatingHost.mid(start);
}

std::uint32_t CupsSpooler::statusBits(int jobState, const QStringList& reasons)
{
    std::uint32_t bits = 0;
    switch (jobState) {
    case IPP_JSTATE_PENDING:
        // Waiting its turn, like a Windows job with no bits; still arriving: spooling.
        if (reasons.contains(u"job-incoming"_s))
            bits = JobStatus::Spooling;
        break;
    case IPP_JSTATE_HELD:
        bits = JobStatus::Paused;
        break;
    case IPP_JSTATE_PROCESSING:
        bits = JobStatus::Printing;
        break;
    case IPP_JSTATE_STOPPED:
        // Halted in the middle of printing and waiting for someone to act: paused, and an
        // error so that it is shown as needing attention. Not printing, so not recorded. (Here
        // cupsdisable and a backend that stops its queue both put the job back to pending
        // instead; stopped is the rarer case.)
        bits = JobStatus::Paused | JobStatus::Error;
        break;
    case IPP_JSTATE_CANCELED:
        bits = JobStatus::Deleted;
        break;
    case IPP_JSTATE_ABORTED:
        bits = JobStatus::Error;
        break;
    case IPP_JSTATE_COMPLETED:
        bits = JobStatus::Printed | JobStatus::Complete;
        break;
    default:
        break;
    }
    // Cancelled while printing: the job is being taken out.
    if (jobState == IPP_JSTATE_PROCESSING || jobState == IPP_JSTATE_STOPPED)
        for (const QString& reason : reasons)
            if (reason.startsWith(u"job-canceled"_s) || reason == u"processing-to-stop-point"_s)
                bits |= JobStatus::Deleting;
    return bits;
}

} // namespace kestrel
