#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QFont;
class QPaintDevice;
class QPrinter;

namespace kestrel {

class Report;

// A report on paper or in a PDF file: the title, the period, the operator filter, the rows under
// their column headers and the total, "Página n de m" at the foot of every page. Every page has
// the same number of lines, whatever the paper: the lines shrink to fit the page instead. A cell
// too long for its column goes on over the next lines of its row, so a row takes as many lines
// as its longest cell, and a row that does not fit under the last one starts the next page.
class ReportPrinter final {
public:
    // The lines of a page that hold rows (and, after the last row, the total).
    static constexpr int RowLines = 40;

    explicit ReportPrinter(const Report& report) : m_report(report) {}

    // A cell's text in lines no wider than `width` in `font` on `device`: broken at blanks and
    // line breaks, a word longer than the width anywhere. Never empty: "" is one empty line.
    static QStringList wrapped(const QString& text, const QFont& font, QPaintDevice* device,
                               double width);

    // Paints the report on a printer set up by the print dialog (or for a PDF). False when the
    // printer cannot be painted on.
    bool print(QPrinter& printer) const;
    // The report as a PDF file, A4. Nothing on success, else why not.
    std::optional<QString> savePdf(const QString& path) const;

private:
    const Report& m_report;
};

} // namespace kestrel
