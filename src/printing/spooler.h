#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace kestrel {

// Status bits of a spooled job, as the monitor reads them.
namespace JobStatus {
enum : std::uint32_t {
    Paused = 0x01,
    Error = 0x02,
    Deleting = 0x04,
    Spooling = 0x08,
    Printing = 0x10, // the bit the monitor records on
    Offline = 0x20,
    PaperOut = 0x40,
    Printed = 0x80,
    Deleted = 0x100,
    Blocked = 0x200,
    UserIntervention = 0x400,
    Restart = 0x800,
    Complete = 0x1000,
};
}

// One job in a printer's queue.
struct SpoolJob {
    std::int32_t id = 0;
    QString machine; // the computer that submitted it ("\\PC03" or "PC03")
    std::int32_t totalPages = 0;
    std::int32_t pagesPrinted = 0;
    std::uint32_t status = 0;   // JobStatus bits
    bool ownStatusText = false; // the job carries a status text of its own

    bool operator==(const SpoolJob&) const = default;
};

// The counter PC's print spooler, as the printer job monitor uses it. Implementations may block
// (a network printer that does not answer): the monitor calls them away from the window's thread,
// one call at a time, never two at once.
class Spooler {
public:
    virtual ~Spooler() = default;

    // The installed printers, in the spooler's order; an empty list when there are none or the
    // spooler does not answer.
    virtual QStringList printers() = 0;
    // The jobs queued on one printer, in queue order; nothing when the printer cannot be opened,
    // read or enumerated (the monitor skips it for this pass).
    virtual std::optional<std::vector<SpoolJob>> jobs(const QString& printer) = 0;
    // Cancels one job; false when the spooler refused or does not answer.
    virtual bool cancel(const QString& printer, std::int32_t jobId) = 0;
};

} // namespace kestrel
