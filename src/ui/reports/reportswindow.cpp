#include "ui/reports/reportswindow.h"

#include "core/clock.h"
#include "core/prompts.h"
#include "journal/journal.h"
#include "ui/common/widgets.h"
#include "ui/reports/reportprinter.h"

#include <QAbstractTableModel>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCalendarWidget>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSplitter>
#include <QStackedBarSeries>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

// The grid reads the report's rows where they are: a year of a busy café is a few hundred
// thousand rows, too many for an item each.
class ReportModel final : public QAbstractTableModel {
public:
    ReportModel(const Report& report, QObject* parent)
        : QAbstractTableModel(parent), m_report(report)
    {}

    void reset()
    {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : int(m_report.rows().size());
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 7; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        const ReportRow& r = m_report.rows()[std::size_t(index.row())];
        if (role == Qt::TextAlignmentRole && index.column() == 5)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
        case 0:
            return Journal::shownDate(r.fecha);
        case 1:
            return r.hora;
        case 2:
            return r.descrip;
        case 3:
            return r.user;
        case 4:
            return r.pc;
        case 5:
            return r.valor ? formatAmount(*r.valor) : QString();
        default:
            return r.operador;
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const QStringList headers{u"FECHA"_s, u"HORA"_s,  u"DESCRIP"_s, u"USER"_s,
                                         u"PC"_s,    u"VALOR"_s, u"Operador"_s};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return headers.value(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    const Report& m_report;
};

namespace {

// The date field shows dates as the journal grid does: regional, with a four-digit year.
QString dateFormat()
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(u"yyyy"_s))
        format.replace(u"yy"_s, u"yyyy"_s);
    return format;
}

} // namespace

ReportsWindow::ReportsWindow(Report::Services services, QWidget* parent)
    : QDialog(parent), m_report(services), m_prompts(services.prompts),
      m_today(services.clock.now().date())
{
    setObjectName(u"frminformes"_s);
    setWindowTitle(u"Informe Diario"_s);

    m_dailyPanel = new QWidget(this);
    m_dailyPanel->setObjectName(u"fradiario"_s);
    m_day = new QDateEdit(m_today, m_dailyPanel);
    m_day->setObjectName(u"Dia"_s);
    m_day->setDisplayFormat(dateFormat());
    QPushButton* choose = namedButton(m_dailyPanel, u"Seleccionar"_s, u"cmdseleccionar"_s);
    m_allOperators = new QCheckBox(u"Todos los operadores"_s, m_dailyPanel);
    m_allOperators->setObjectName(u"chktodos"_s);
    QPushButton* showDay = namedButton(m_dailyPanel, u"Mostrar"_s, u"cmdmostrar"_s);
    auto* daily = new QHBoxLayout(m_dailyPanel);
    daily->setContentsMargins(0, 0, 0, 0);
    daily->addWidget(new QLabel(u"Fecha : "_s, m_dailyPanel));
    daily->addWidget(m_day);
    daily->addWidget(choose);
    daily->addWidget(m_allOperators);
    daily->addStretch();
    daily->addWidget(showDay);

    m_customPanel = new QWidget(this);
    m_customPanel->setObjectName(u"frapersonalizado"_s);
    m_fromButton = namedButton(m_customPanel, u"Desde"_s, u"cmddesde"_s);
    m_toButton = namedButton(m_customPanel, u"Hasta"_s, u"cmdhasta"_s);
    m_operators = new QComboBox(m_customPanel);
    m_operators->setObjectName(u"cmboperador"_s);
    m_operators->addItems(m_report.operatorChoices());
    m_operators->setCurrentIndex(0);
    QPushButton* showPeriod = namedButton(m_customPanel, u"Mostrar"_s, u"cmdmostrar2"_s);
    auto* custom = new QHBoxLayout(m_customPanel);
    custom->setContentsMargins(0, 0, 0, 0);
    custom->addWidget(m_fromButton);
    custom->addWidget(m_toButton);
    custom->addWidget(new QLabel(u"Operador :"_s, m_customPanel));
    custom->addWidget(m_operators);
    custom->addStretch();
    custom->addWidget(showPeriod);
    m_customPanel->hide();

    m_calendarPanel = new QWidget(this);
    m_calendarPanel->setObjectName(u"fracalendario"_s);
    m_calendar = new QCalendarWidget(m_calendarPanel);
    m_calendar->setObjectName(u"calendario"_s);
    m_calendar->setNavigationBarVisible(false);
    m_month = new QLabel(m_calendarPanel);
    m_month->setObjectName(u"lblmes"_s);
    m_month->setAlignment(Qt::AlignCenter);
    QPushButton* previous = namedButton(m_calendarPanel, u"<"_s, u"cmdanterior"_s);
    QPushButton* next = namedButton(m_calendarPanel, u">"_s, u"cmdsiguiente"_s);
    auto* months = new QHBoxLayout;
    months->addWidget(previous);
    months->addWidget(m_month, 1);
    months->addWidget(next);
    auto* calendar = new QVBoxLayout(m_calendarPanel);
    calendar->setContentsMargins(0, 0, 0, 0);
    calendar->addLayout(months);
    calendar->addWidget(m_calendar);
    m_calendarPanel->hide();

    m_model = new ReportModel(m_report, this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(u"grdinformes"_s);
    m_grid->setModel(m_model);
    readOnlyRows(m_grid);
    m_grid->setWordWrap(false); // a row is one line; an amount is never split
    // Narrow enough that every column shows beside the chart on a 1024x768 screen; the amounts'
    // column is fitted to them on each fill.
    for (const auto& [column, width] :
         {std::pair{0, 80}, {1, 64}, {2, 130}, {3, 76}, {4, 48}, {AmountColumn, AmountWidth}})
        m_grid->setColumnWidth(column, width);
    m_chart = new QChartView(this);
    m_chart->setObjectName(u"grafico"_s);
    m_chart->setRenderHint(QPainter::Antialiasing);
    m_chart->setMinimumWidth(320);
    m_chart->installEventFilter(this);
    auto* split = new QSplitter(this);
    split->addWidget(m_grid);
    split->addWidget(m_chart);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setSizes({600, 380});

    m_total = new QLabel(this);
    m_total->setObjectName(u"lbltotal"_s);
    QPushButton* exportCsv = namedButton(this, u"Exportar…"_s, u"cmdexportar"_s);
    QPushButton* print = namedButton(this, u"Imprimir…"_s, u"cmdimprimir"_s);
    QPushButton* pdf = namedButton(this, u"Guardar PDF…"_s, u"cmdpdf"_s);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(u"Total :"_s, this));
    bottom->addWidget(m_total);
    bottom->addStretch();
    for (QPushButton* b : {exportCsv, print, pdf})
        bottom->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_dailyPanel);
    layout->addWidget(m_customPanel);
    layout->addWidget(m_calendarPanel);
    layout->addWidget(split, 1);
    layout->addLayout(bottom);
    resize(1000, 560);

    connect(choose, &QPushButton::clicked, this, [this] { openCalendar(Field::Day); });
    connect(m_fromButton, &QPushButton::clicked, this, [this] { openCalendar(Field::From); });
    connect(m_toButton, &QPushButton::clicked, this, [this] { openCalendar(Field::To); });
    connect(showDay, &QPushButton::clicked, this, &ReportsWindow::showDay);
    connect(showPeriod, &QPushButton::clicked, this, &ReportsWindow::showPeriod);
    connect(m_calendar, &QCalendarWidget::clicked, this, &ReportsWindow::dayChosen);
    connect(m_calendar, &QCalendarWidget::currentPageChanged, this, [this](int year, int month) {
        m_month->setText(QLocale().standaloneMonthName(month) + u' ' + QString::number(year));
    });
    connect(previous, &QPushButton::clicked, this, [this] { turnMonth(false); });
    connect(next, &QPushButton::clicked, this, [this] { turnMonth(true); });
    connect(exportCsv, &QPushButton::clicked, this, &ReportsWindow::exportCsv);
    connect(print, &QPushButton::clicked, this, &ReportsWindow::printReport);
    connect(pdf, &QPushButton::clicked, this, &ReportsWindow::savePdf);
    fill();
}

ReportsWindow::~ReportsWindow() = default;

void ReportsWindow::prepareDaily()
{
    setWindowTitle(u"Informe Diario"_s);
    m_customPanel->hide();
    m_calendarPanel->hide();
    m_dailyPanel->show();
    m_report.refresh();
    fill();
}

void ReportsWindow::prepareCustom()
{
    setWindowTitle(u"Informe Personalizado"_s);
    m_calendarPanel->hide();
    m_dailyPanel->hide();
    m_customPanel->show();
    m_report.refresh();
    fill();
}

void ReportsWindow::openDaily()
{
    prepareDaily();
    exec();
}

void ReportsWindow::openCustom()
{
    prepareCustom();
    exec();
}

void ReportsWindow::showDay()
{
    m_report.runDaily(m_day->date(), m_allOperators->isChecked());
    fill();
}

void ReportsWindow::showPeriod()
{
    if (m_report.runCustom(m_from, m_to, m_operators->currentText()))
        fill();
}

void ReportsWindow::openCalendar(Field field)
{
    m_field = field;
    m_calendar->setSelectedDate(m_today);
    m_calendar->setCurrentPage(m_today.year(), m_today.month());
    m_month->setText(QLocale().standaloneMonthName(m_today.month()) + u' ' +
                     QString::number(m_today.year()));
    m_calendarPanel->show();
    m_calendarPanel->raise();
}

void ReportsWindow::turnMonth(bool forward)
{
    const QDate shown(m_calendar->yearShown(), m_calendar->monthShown(), 1);
    const QDate page = forward ? Report::nextMonth(shown) : Report::previousMonth(shown);
    m_calendar->setCurrentPage(page.year(), page.month());
}

void ReportsWindow::dayChosen(QDate date)
{
    m_calendarPanel->hide();
    const QString caption = Journal::shownDate(Journal::dateText(date));
    switch (m_field) {
    case Field::From:
        m_from = date;
        m_fromButton->setText(caption);
        break;
    case Field::To:
        m_to = date;
        m_toButton->setText(caption);
        break;
    case Field::Day:
        m_day->setDate(date);
        showDay();
        break;
    }
}

void ReportsWindow::fill()
{
    m_model->reset();
    m_total->setText(m_report.totalText());
    fitAmountColumn();
    redrawChart();
}

// The widest amount has the most digits: the largest one, with a sign when any is negative.
void ReportsWindow::fitAmountColumn()
{
    double largest = 0;
    bool negative = false;
    for (const ReportRow& r : m_report.rows()) {
        if (r.valor) {
            largest = std::max(largest, std::abs(*r.valor));
            negative = negative || *r.valor < 0;
        }
    }
    const QString widest = formatAmount(negative ? -largest : largest);
    // As the grid's items measure and draw it: the text's own width rounded up, a margin each
    // side, the grid line, and a pixel of air either side.
    const int text =
        int(std::ceil(QFontMetricsF(m_grid->font(), m_grid).horizontalAdvance(widest)));
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_grid) + 1;
    const int width = text + 2 * margin + (m_grid->showGrid() ? 1 : 0) + 2;
    m_grid->setColumnWidth(AmountColumn, std::max(AmountWidth, width));
}

QFont ReportsWindow::chartLabelsFont() const
{
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    return small;
}

int ReportsWindow::barsThatFit() const
{
    // A bar takes a line of its upright label and some air; the amounts' axis takes its part of
    // the width.
    const int pitch = QFontMetrics(chartLabelsFont()).height() * 3 / 2;
    return std::max(1, (m_chart->width() - AmountAxisWidth) / std::max(1, pitch));
}

bool ReportsWindow::eventFilter(QObject* watched, QEvent* event)
{
    // A wider or narrower chart may hold bars of another length.
    if (watched == m_chart && event->type() == QEvent::Resize &&
        m_report.barSpan(barsThatFit()) != m_shownSpan)
        redrawChart();
    return QDialog::eventFilter(watched, event);
}

void ReportsWindow::redrawChart()
{
    const ReportSeries s = m_report.series(barsThatFit());
    m_shownSpan = s.span;
    auto* chart = new QChart;
    chart->setLocalizeNumbers(true);
    static const QString titles[] = {u"Importe por hora"_s, u"Importe por día"_s,
                                     u"Importe por semana"_s, u"Importe por mes"_s,
                                     u"Importe por año"_s};
    chart->setTitle(titles[int(s.span)]);
    auto* stacks = new QStackedBarSeries(chart);
    for (std::size_t o = 0; o < s.amounts.size(); ++o) {
        auto* set = new QBarSet(s.operators[qsizetype(o)], stacks);
        QList<qreal> values(s.amounts[o].begin(), s.amounts[o].end());
        set->append(values);
        stacks->append(set);
    }
    chart->addSeries(stacks);
    auto* categories = new QBarCategoryAxis(chart);
    categories->append(s.categories);
    // Upright labels would be cut to "..." for 24 hours or a month of days.
    categories->setLabelsAngle(-90);
    categories->setTruncateLabels(false);
    categories->setLabelsFont(chartLabelsFont());
    chart->addAxis(categories, Qt::AlignBottom);
    stacks->attachAxis(categories);
    auto* amounts = new QValueAxis(chart);
    amounts->setLabelFormat(u"%.2f"_s);
    chart->addAxis(amounts, Qt::AlignLeft);
    stacks->attachAxis(amounts);
    chart->legend()->setAlignment(Qt::AlignBottom);
    // The view gives up the old chart without deleting it.
    QChart* old = m_chart->chart();
    m_chart->setChart(chart);
    delete old;
}

QString ReportsWindow::chooseFile(const QString& title, const QString& extension,
                                  const QString& filter)
{
    const QString suggested =
        u"informe-"_s + Journal::dateText(m_report.query().from) + u'.' + extension;
    return QFileDialog::getSaveFileName(this, title, suggested, filter);
}

void ReportsWindow::exportCsv()
{
    const QString path = chooseFile(u"Exportar informe"_s, u"csv"_s, u"Archivos CSV (*.csv)"_s);
    if (path.isEmpty())
        return;
    if (const std::optional<QString> error = m_report.saveCsv(path))
        m_prompts.tell(Prompts::Icon::Critical,
                       u"No se pudo guardar el archivo:\n"_s + path + u"\n"_s + *error);
}

void ReportsWindow::printReport()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(m_report.title());
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(u"Imprimir informe"_s);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!ReportPrinter(m_report).print(printer))
        m_prompts.tell(Prompts::Icon::Critical, u"No se pudo imprimir el informe."_s);
}

void ReportsWindow::savePdf()
{
    const QString path = chooseFile(u"Guardar PDF"_s, u"pdf"_s, u"Documentos PDF (*.pdf)"_s);
    if (path.isEmpty())
        return;
    if (const std::optional<QString> error = ReportPrinter(m_report).savePdf(path))
        m_prompts.tell(Prompts::Icon::Critical, *error);
}

} // namespace kestrel
