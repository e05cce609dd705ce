#include "ui/reports/reportprinter.h"

#include "core/numbers.h"
#include "journal/journal.h"
#include "reports/report.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

// Title, period and filter, a blank, the column headers; then the rows; a blank and the foot.
constexpr int HeadLines = 5;
constexpr int FootLines = 2;
constexpr int PageLines = HeadLines + ReportPrinter::RowLines + FootLines;

struct Column {
    QString header;
    double width; // share of the page width
    bool right;
};
const std::array<Column, 7> Columns{{{u"FECHA"_s, 0.13, false},
                                     {u"HORA"_s, 0.10, false},
                                     {u"DESCRIP"_s, 0.25, false},
                                     {u"USER"_s, 0.14, false},
                                     {u"PC"_s, 0.10, false},
                                     {u"VALOR"_s, 0.13, true},
                                     {u"Operador"_s, 0.15, false}}};

constexpr std::size_t AmountColumn = 5;

using Cells = std::array<QString, Columns.size()>;

class Page {
public:
    Page(QPainter& painter, const QRectF& area) : m_painter(painter), m_area(area)
    {
        m_line = area.height() / PageLines;
        m_font = painter.font();
        m_font.setPixelSize(std::max(1, int(m_line * 0.6)));
        painter.setFont(m_font);
    }

    QRectF lineRect(int line) const
    {
        return {m_area.left(), m_area.top() + line * m_line, m_area.width(), m_line};
    }

    void text(int line, const QString& text, bool bold = false, Qt::Alignment align = Qt::AlignLeft)
    {
        QFont font = m_font;
        font.setBold(bold);
        m_painter.setFont(font);
        m_painter.drawText(lineRect(line), int(align | Qt::AlignVCenter), text);
        m_painter.setFont(m_font);
    }

    // The lines a row takes: those of its longest cell.
    int height(const Cells& values, bool bold = false) const
    {
        std::size_t lines = 1;
        for (std::size_t c = 0; c < Columns.size(); ++c)
            lines = std::max(lines, std::size_t(cellLines(values, c, bold).size()));
        return int(lines);
    }

    // Draws a row from `line` on, each cell over as many lines as it takes.
    void cells(int line, const Cells& values, bool bold = false)
    {
        QFont font = m_font;
        font.setBold(bold);
        m_painter.setFont(font);
        double x = m_area.left();
        for (std::size_t c = 0; c < Columns.size(); ++c) {
            const Qt::Alignment align = Columns[c].right ? Qt::AlignRight : Qt::AlignLeft;
            const QStringList lines = cellLines(values, c, bold);
            for (qsizetype l = 0; l < lines.size(); ++l) {
                const QRectF cell(x + gap() / 2, lineRect(line + int(l)).top(), cellWidth(c),
                                  m_line);
                m_painter.drawText(cell, int(align | Qt::AlignVCenter), lines[l]);
            }
            x += Columns[c].width * m_area.width();
        }
        m_painter.setFont(m_font);
    }

    // The total's amount ends under the amounts, however wide it is.
    void total(int line, const QString& amount)
    {
        double end = m_area.left();
        for (std::size_t c = 0; c <= AmountColumn; ++c)
            end += Columns[c].width * m_area.width();
        QRectF r = lineRect(line);
        text(line, u"Total"_s, true);
        r.setRight(end - m_line * 0.15);
        QFont font = m_font;
        font.setBold(true);
        m_painter.setFont(font);
        m_painter.drawText(r, int(Qt::AlignRight | Qt::AlignVCenter), amount);
        m_painter.setFont(m_font);
    }

    void rule(int line)
    {
        const QRectF r = lineRect(line);
        m_painter.drawLine(QPointF(r.left(), r.bottom()), QPointF(r.right(), r.bottom()));
    }

private:
    double gap() const { return m_line * 0.3; }
    double cellWidth(std::size_t column) const
    {
        return Columns[column].width * m_area.width() - gap();
    }

    // A cell longer than a page of rows ends there, cut with "…".
    QStringList cellLines(const Cells& values, std::size_t column, bool bold) const
    {
        QFont font = m_font;
        font.setBold(bold);
        const double width = cellWidth(column);
        QStringList lines = ReportPrinter::wrapped(values[column], font, m_painter.device(), width);
        if (lines.size() > ReportPrinter::RowLines) {
            lines.resize(ReportPrinter::RowLines);
            lines.last() = QFontMetricsF(font, m_painter.device())
                               .elidedText(lines.last() + u'…', Qt::ElideRight, width);
        }
        return lines;
    }

    QPainter& m_painter;
    QRectF m_area;
    double m_line = 0;
    QFont m_font;
};

Cells cellsOf(const ReportRow& r)
{
    return {Journal::shownDate(r.fecha),
            r.hora,
            r.descrip,
            r.user,
            r.pc,
            r.valor ? formatAmount(*r.valor) : QString(),
            r.operador};
}

} // namespace

QStringList ReportPrinter::wrapped(const QString& text, const QFont& font, QPaintDevice* device,
                                   double width)
{
    const bool breaks = text.contains(u'\n') || text.contains(u'\r');
    if (!breaks && QFontMetricsF(font, device).horizontalAdvance(text) <= width)
        return {text};
    QString laid = text;
    laid.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n').replace(u'\n', QChar::LineSeparator);
    QTextLayout layout(laid, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << laid.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    if (lines.isEmpty())
        lines << QString();
    return lines;
}

bool ReportPrinter::print(QPrinter& printer) const
{
    printer.setDocName(m_report.title());
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRectF drawn(0, 0, area.width(), area.height()); // the painter starts at the margins

    const auto& rows = m_report.rows();
    Page p(painter, drawn);
    // Where each page's rows start, and the page of the total: after the last row, on a page
    // of its own when the last row ends a page.
    std::vector<std::size_t> pageStarts{0};
    int used = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int height = p.height(cellsOf(rows[r]));
        if (used + height > RowLines) {
            pageStarts.push_back(r);
            used = 0;
        }
        used += height;
    }
    if (used == RowLines)
        pageStarts.push_back(rows.size());
    const int pages = int(pageStarts.size());

    Cells headers;
    for (std::size_t c = 0; c < Columns.size(); ++c)
        headers[c] = Columns[c].header;
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            printer.newPage();
        p.text(0, m_report.title(), true);
        p.text(1, m_report.periodText());
        p.text(2, m_report.operatorText());
        p.cells(HeadLines - 1, headers, true);
        p.rule(HeadLines - 1);
        const std::size_t end = page < pages ? pageStarts[std::size_t(page)] : rows.size();
        int line = HeadLines;
        for (std::size_t r = pageStarts[std::size_t(page - 1)]; r < end; ++r) {
            const Cells cells = cellsOf(rows[r]);
            p.cells(line, cells);
            line += p.height(cells);
        }
        if (page == pages) {
            p.rule(line - 1);
            p.total(line, m_report.totalText());
        }
        p.text(PageLines - 1, u"Página %1 de %2"_s.arg(page).arg(pages), false, Qt::AlignRight);
    }
    return painter.end();
}

std::optional<QString> ReportPrinter::savePdf(const QString& path) const
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    if (!print(printer) || !QFileInfo(path).isFile())
        return u"No se pudo escribir el archivo PDF:\n"_s + path;
    return std::nullopt;
}

} // namespace kestrel
