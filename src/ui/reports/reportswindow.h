#pragma once

#include "reports/report.h"

#include <QDialog>

#include <optional>

class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QFont;
class QLabel;
class QPushButton;
class QTableView;
class QWidget;

class QChartView;

namespace kestrel {

class ReportModel;

// frminformes: the journal of one day ("Informe Diario") or of a period ("Informe
// Personalizado"), with the sum, a chart of the amounts by operator, and the way to keep it:
// a CSV file, paper or a PDF file. The console keeps one and opens it modally from its menu.
class ReportsWindow final : public QDialog {
    Q_OBJECT
public:
    explicit ReportsWindow(Report::Services services, QWidget* parent = nullptr);
    ~ReportsWindow() override;

    // "Informe Diario" and "Informe Personalizado" of the menu "&Informes": the caption and the
    // panels of the mode, the last query run again, then the dialog, modally.
    void openDaily();
    void openCustom();
    // The same without waiting on the dialog (what the tests drive).
    void prepareDaily();
    void prepareCustom();

    // "Mostrar" of each panel.
    void showDay();
    void showPeriod();

    Report& report() { return m_report; }
    QTableView* grid() const { return m_grid; }
    QChartView* chart() const { return m_chart; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int AmountColumn = 5;
    static constexpr int AmountWidth = 60;     // the least width of the amounts' column
    static constexpr int AmountAxisWidth = 80; // the chart's amounts axis and margins

    enum class Field { Day, From, To };
    void openCalendar(Field field);
    void dayChosen(QDate date);
    void turnMonth(bool forward);
    void fill();
    void fitAmountColumn();
    QFont chartLabelsFont() const;
    // How many bars the chart shows side by side with their labels readable.
    int barsThatFit() const;
    void redrawChart();
    // Where to save the report: the save dialog, with the report's first day as the name.
    QString chooseFile(const QString& title, const QString& extension, const QString& filter);
    void exportCsv();
    void printReport();
    void savePdf();

    Report m_report;
    Prompts& m_prompts;
    QDate m_today;
    ReportModel* m_model = nullptr;
    QWidget* m_dailyPanel = nullptr;
    QWidget* m_customPanel = nullptr;
    QWidget* m_calendarPanel = nullptr;
    QDateEdit* m_day = nullptr;
    QCheckBox* m_allOperators = nullptr;
    QPushButton* m_fromButton = nullptr;
    QPushButton* m_toButton = nullptr;
    QComboBox* m_operators = nullptr;
    QCalendarWidget* m_calendar = nullptr;
    QLabel* m_month = nullptr;
    QTableView* m_grid = nullptr;
    QLabel* m_total = nullptr;
    QChartView* m_chart = nullptr;
    Field m_field = Field::Day;
    BarSpan m_shownSpan = BarSpan::Hour;
    std::optional<QDate> m_from;
    std::optional<QDate> m_to;
};

} // namespace kestrel
