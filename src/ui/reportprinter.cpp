#include "reportprinter.h"

#include "billing/journal.h"
#include "core/numbers.h"
#include "reports/report.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

// Title, period and filter, a blank, the column headers; then the rows; a blank and the foot.
constexpr int HeadLines = 5;
constexpr int FootLines = 2;
constexpr int PageLines = HeadLines + ReportPrinter::RowsPerPage + FootLines;

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

    void cells(int line, const std::array<QString, 7>& values, bool bold = false)
    {
        QFont font = m_font;
        font.setBold(bold);
        m_painter.setFont(font);
        const QFontMetricsF metrics(font, m_painter.device());
        const double gap = m_line * 0.3;
        double x = m_area.left();
        for (std::size_t c = 0; c < Columns.size(); ++c) {
            const double width = Columns[c].width * m_area.width();
            const QRectF cell(x + gap / 2, lineRect(line).top(), width - gap, m_line);
            const Qt::Alignment align = Columns[c].right ? Qt::AlignRight : Qt::AlignLeft;
            m_painter.drawText(cell, int(align | Qt::AlignVCenter),
                               metrics.elidedText(values[c], Qt::ElideRight, cell.width()));
            x += width;
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
    QPainter& m_painter;
    QRectF m_area;
    double m_line = 0;
    QFont m_font;
};

} // namespace

bool ReportPrinter::print(QPrinter& printer) const
{
    printer.setDocName(m_report.title());
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRectF drawn(0, 0, area.width(), area.height()); // the painter starts at the margins

    const auto& rows = m_report.rows();
    const int pages = pageCount(int(rows.size()));
    std::size_t next = 0;
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            printer.newPage();
        Page p(painter, drawn);
        p.text(0, m_report.title(), true);
        p.text(1, m_report.periodText());
        p.text(2, m_report.operatorText());
        std::array<QString, 7> headers;
        for (std::size_t c = 0; c < Columns.size(); ++c)
            headers[c] = Columns[c].header;
        p.cells(HeadLines - 1, headers, true);
        p.rule(HeadLines - 1);
        int line = HeadLines;
        for (; line < HeadLines + RowsPerPage && next < rows.size(); ++line, ++next) {
            const ReportRow& r = rows[next];
            p.cells(line, {Journal::shownDate(r.fecha), r.hora, r.descrip, r.user, r.pc,
                           r.valor ? formatAmount(*r.valor) : QString(), r.operador});
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
