#pragma once

#include "core/numbers.h"

#include <QDate>
#include <QLocale>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <limits>
#include <optional>
#include <vector>

namespace kestrel {

class Clock;
class OperatorSession;
class Prompts;
class Settings;

// One journal row as the reports show it, the fields named after the INFORMES columns. The
// amount is empty where the store holds no number.
struct ReportRow {
    QString fecha;               // date, ISO as stored
    QString hora;                // time of day
    QString descrip;             // what was charged
    QString user;                // customer
    QString pc;                  // station name
    std::optional<double> valor; // amount as stored
    QString operador;            // operator who wrote the row
    Money amount;                // what the row adds to the total (Report::rowAmount)
};

// What one bar of a report's chart holds.
enum class BarSpan { Hour, Day, Week, Month, Year };

// The bars of a chart over the days from `first` to `last`: a day each when they fit in
// `maxBars`, else a week (Monday to Sunday), a month or a year, the first whose bars fit (years
// when none do). A bar at either end holds only the days inside the period; its label names the
// days it holds.
class ChartBars final {
public:
    ChartBars(QDate first, QDate last, int maxBars);

    BarSpan span() const { return m_span; }
    int count() const;
    // The bar that holds `day`; -1 outside the period.
    int barOf(QDate day) const;
    // "4/12/2026"; "1/12/2026 – 7/12/2026" (a week); "diciembre 2026"; "2026".
    QString label(int bar) const;

private:
    // The span's count since a fixed start: days, weeks, months or years.
    qint64 unit(QDate day) const;

    QDate m_first;
    QDate m_last;
    BarSpan m_span = BarSpan::Day;
};

// The amounts of a report for its chart: one stack per operator, one bar per hour of the day (a
// report of one day) or per day, week, month or year of a longer period (ChartBars).
struct ReportSeries {
    BarSpan span = BarSpan::Hour;
    QStringList categories;
    QStringList operators; // in order of their first row; "(sin operador)" for rows without one
    std::vector<std::vector<double>> amounts; // [operator][category]
};

// frminformes' rows: the journal of one day or of a period, of every operator or only one, with
// their sum. The last query run stays the report's own, so the window can show fresh rows of it
// each time it opens. Values are always bound, never spliced into the SQL.
class Report final {
public:
    struct Services {
        QSqlDatabase db;
        const OperatorSession& session;
        const Settings& settings;
        Prompts& prompts;
        const Clock& clock;
    };

    enum class Kind { Daily, Custom };
    struct Query {
        Kind kind = Kind::Daily;
        QDate from;
        QDate to;         // equal to `from` for a daily report
        QString operador; // empty: every operator
        // Daily report without "Todos los operadores": the rows of whoever is logged in when
        // the query runs.
        bool loggedInOnly = false;
    };

    explicit Report(Services services);

    // The rows of one day: every operator's, or only the logged-in operator's.
    bool runDaily(QDate day, bool allOperators);
    // The rows from `from` to `to`, both included, of the operator chosen in the list ("Todos":
    // every operator). A date not chosen is refused with "Seleccione la fecha". A `from` after
    // `to` is read as the period between them.
    bool runCustom(std::optional<QDate> from, std::optional<QDate> to, const QString& operador);
    // The last query again (before any, today's daily report of the logged-in operator, as the
    // window opens with "Todos los operadores" unchecked).
    bool refresh();

    // "Todos", then every operator in table order.
    QStringList operatorChoices() const;
    static QString everyOperator();

    const Query& query() const { return m_query; }
    const std::vector<ReportRow>& rows() const { return m_rows; }
    Money total() const { return m_total; }
    // The sum as the window shows it: the amount, a blank and the currency symbol.
    QString totalText() const;
    QString currencySymbol() const { return m_currency; }

    // What a printed page says of the report.
    QString title() const;
    QString periodText() const;
    QString operatorText() const;

    // The amount a row adds to the total: its value with two decimals, read back in single
    // precision; nothing counts 0.
    static Money rowAmount(const std::optional<double>& valor);

    // The rows and the total as CSV (RFC 4180): a header row, the regional decimal sign without
    // grouping, ";" between fields where that sign is a comma (else ","), CRLF line ends.
    QString csvText(const QLocale& locale = QLocale()) const;
    // The CSV file: UTF-8 with a byte-order mark, so spreadsheets read the accents right.
    // Nothing on success, else why not.
    std::optional<QString> saveCsv(const QString& path, const QLocale& locale = QLocale()) const;

    // The chart's amounts, in at most `maxBars` bars where the period is longer than a day.
    ReportSeries series(int maxBars = std::numeric_limits<int>::max()) const;
    // What a bar of series(maxBars) holds, without adding up the amounts.
    BarSpan barSpan(int maxBars) const;

    // The calendar's months: January goes back to December of the year before and back.
    static QDate previousMonth(QDate firstOfMonth);
    static QDate nextMonth(QDate firstOfMonth);

    // For the bench and the tests: the query plan of the range query.
    QString rangePlan() const;

private:
    bool run(const Query& query);

    Services m_services;
    QString m_currency;
    Query m_query;
    std::vector<ReportRow> m_rows;
    Money m_total;
};

} // namespace kestrel
