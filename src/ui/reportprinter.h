#pragma once

#include <QString>

#include <optional>

class QPagedPaintDevice;
class QPrinter;

namespace kestrel {

class Report;

// A report on paper or in a PDF file: the title, the period, the operator filter, the rows under
// their column headers and the total, "Página n de m" at the foot of every page. Every page has
// the same number of row lines, whatever the paper, so a report always takes the same pages:
// the lines shrink to fit the page instead.
class ReportPrinter final {
public:
    static constexpr int RowsPerPage = 40;

    explicit ReportPrinter(const Report& report) : m_report(report) {}

    // Pages of a report of `rows` rows: the total takes the line after the last row.
    static int pageCount(int rows) { return rows / RowsPerPage + 1; }

    // Paints the report on a printer set up by the print dialog (or for a PDF). False when the
    // printer cannot be painted on.
    bool print(QPrinter& printer) const;
    // The report as a PDF file, A4. Nothing on success, else why not.
    std::optional<QString> savePdf(const QString& path) const;

private:
    const Report& m_report;
};

} // namespace kestrel
