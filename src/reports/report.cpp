#include "report.h"

#include "core/clock.h"
#include "core/names.h"
#include "core/operatorsession.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "journal/journal.h"

#include <QHash>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTime>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

// FECHA between two ISO dates walks the FECHA index; its entries are in (FECHA, rowid) order, so
// the rows come out by day and, within a day, in the order they were written, without a sort.
const QString RangeSql = u"SELECT FECHA, HORA, DESCRIP, USER, PC, VALOR, OPERADOR FROM INFORMES "
                         u"WHERE FECHA BETWEEN ? AND ?"_s;
const QString OperatorSql = u" AND OPERADOR = ?"_s;
const QString OrderSql = u" ORDER BY FECHA, rowid"_s;

QString text(const QSqlQuery& q, int column)
{
    return q.isNull(column) ? QString() : q.value(column).toString();
}

// RFC 4180: a field holding the separator, a quote or a line break is quoted, quotes doubled.
// A text that a spreadsheet would take for a formula (customers name their accounts, and names
// reach the journal) gets a leading apostrophe, so it shows as the text it is; amounts are
// numbers and stay as they are.
QString csvField(QString value, QChar separator, bool text = true)
{
    static const QString formulaStarts = u"=+-@\t\r"_s;
    if (text && !value.isEmpty() && formulaStarts.contains(value.front()))
        value.prepend(u'\'');
    if (!value.contains(separator) && !value.contains(u'"') && !value.contains(u'\n') &&
        !value.contains(u'\r'))
        return value;
    QString quoted = value;
    quoted.replace(u"\""_s, u"\"\""_s);
    return u'"' + quoted + u'"';
}

} // namespace

Report::Report(Services services)
    : m_services(std::move(services)), m_currency(m_services.settings.currencySymbol())
{
    const QDate today = m_services.clock.now().date();
    m_query = {Kind::Daily, today, today, {}, true};
}

QString Report::everyOperator()
{
    return u"Todos"_s;
}

bool Report::runDaily(QDate day, bool allOperators)
{
    return run({Kind::Daily, day, day, {}, !allOperators});
}

bool Report::runCustom(std::optional<QDate> from, std::optional<QDate> to, const QString& operador)
{
    if (!from || !to || !from->isValid() || !to->isValid()) {
        m_services.prompts.tell(Prompts::Icon::Information, u"Seleccione la fecha"_s);
        return false;
    }
    if (*from > *to)
        std::swap(from, to);
    return run(
        {Kind::Custom, *from, *to, operador == everyOperator() ? QString() : operador, false});
}

bool Report::refresh()
{
    return run(m_query);
}

bool Report::run(const Query& query)
{
    m_query = query;
    m_rows.clear();
    m_total = Money();
    const QString operador = query.loggedInOnly ? m_services.session.name() : query.operador;
    const bool filtered = query.loggedInOnly || !operador.isEmpty();

    QSqlQuery q(m_services.db);
    q.setForwardOnly(true);
    bool ok = q.prepare(RangeSql + (filtered ? OperatorSql : QString()) + OrderSql);
    if (ok) {
        q.addBindValue(Journal::dateText(query.from));
        q.addBindValue(Journal::dateText(query.to));
        if (filtered)
            q.addBindValue(operador);
        ok = q.exec();
    }
    if (!ok) {
        m_services.prompts.tell(Prompts::Icon::Critical,
                                u"No se pudo leer el registro de operaciones:\n"_s +
                                    q.lastError().text());
        return false;
    }
    // A café's amounts repeat (prices, tariffs): each is converted once.
    QHash<double, Money> amounts;
    while (q.next()) {
        ReportRow row{text(q, 0), text(q, 1), text(q, 2),
                      text(q, 3), text(q, 4), storedNumber(q.value(5)),
                      text(q, 6), {}};
        if (row.valor) {
            auto it = amounts.constFind(*row.valor);
            if (it == amounts.cend())
                it = amounts.insert(*row.valor, rowAmount(row.valor));
            row.amount = *it;
        }
        m_total += row.amount;
        m_rows.push_back(std::move(row));
    }
    return true;
}

Money Report::rowAmount(const std::optional<double>& valor)
{
    if (!valor)
        return {};
    return Money::fromSingle(parseSingle(formatAmount(*valor)).value_or(0.0f));
}

QStringList Report::operatorChoices() const
{
    QStringList choices{everyOperator()};
    QSqlQuery q(m_services.db);
    q.setForwardOnly(true);
    if (q.exec(u"SELECT Usuario FROM Operadores ORDER BY rowid"_s)) {
        while (q.next())
            choices << text(q, 0);
    }
    return choices;
}

QString Report::totalText() const
{
    return m_total.format() + u' ' + m_currency;
}

QString Report::title() const
{
    return m_query.kind == Kind::Daily ? u"Informe Diario"_s : u"Informe Personalizado"_s;
}

QString Report::periodText() const
{
    const QString from = Journal::shownDate(Journal::dateText(m_query.from));
    if (m_query.from == m_query.to)
        return u"Fecha: "_s + from;
    return u"Desde "_s + from + u" hasta "_s + Journal::shownDate(Journal::dateText(m_query.to));
}

QString Report::operatorText() const
{
    const QString operador = m_query.loggedInOnly ? m_services.session.name() : m_query.operador;
    return u"Operador: "_s + (operador.isEmpty() ? everyOperator() : operador);
}

QString Report::csvText(const QLocale& regional) const
{
    // Spreadsheets read "1234,50" as a number in every setup; "1.234,50" not always.
    QLocale locale = regional;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    const QChar separator = locale.decimalPoint() == u","_s ? u';' : u',';
    constexpr int AmountColumn = 5;
    auto line = [separator](const QStringList& fields) -> QString {
        QStringList out;
        for (qsizetype i = 0; i < fields.size(); ++i)
            out << csvField(fields[i], separator, i != AmountColumn);
        return out.join(separator) + u"\r\n"_s;
    };
    QString csv =
        line({u"FECHA"_s, u"HORA"_s, u"DESCRIP"_s, u"USER"_s, u"PC"_s, u"VALOR"_s, u"Operador"_s});
    for (const ReportRow& r : m_rows)
        csv += line({Journal::shownDate(r.fecha), r.hora, r.descrip, r.user, r.pc,
                     r.valor ? formatAmount(*r.valor, locale) : QString(), r.operador});
    csv += line({u"Total"_s, {}, {}, {}, {}, m_total.format(2, locale), {}});
    return csv;
}

std::optional<QString> Report::saveCsv(const QString& path, const QLocale& locale) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    file.write("\xEF\xBB\xBF");
    file.write(csvText(locale).toUtf8());
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

ChartBars::ChartBars(QDate first, QDate last, int maxBars) : m_first(first), m_last(last)
{
    for (BarSpan span : {BarSpan::Day, BarSpan::Week, BarSpan::Month}) {
        m_span = span;
        if (count() <= maxBars)
            return;
    }
    m_span = BarSpan::Year;
}

int ChartBars::count() const
{
    if (!m_first.isValid() || !m_last.isValid() || m_last < m_first)
        return 0;
    return int(unit(m_last) - unit(m_first) + 1);
}

qint64 ChartBars::unit(QDate day) const
{
    switch (m_span) {
    case BarSpan::Hour:
    case BarSpan::Day:
        break;
    case BarSpan::Week:
        // Julian day 0 was a Monday: a Monday's number divides by 7.
        return day.addDays(1 - day.dayOfWeek()).toJulianDay() / 7;
    case BarSpan::Month:
        return qint64(day.year()) * 12 + day.month() - 1;
    case BarSpan::Year:
        return day.year();
    }
    return day.toJulianDay();
}

int ChartBars::barOf(QDate day) const
{
    if (!day.isValid() || day < m_first || day > m_last)
        return -1;
    return int(unit(day) - unit(m_first));
}

QString ChartBars::label(int bar) const
{
    const auto shown = [](QDate day) { return Journal::shownDate(Journal::dateText(day)); };
    switch (m_span) {
    case BarSpan::Hour:
    case BarSpan::Day:
        break;
    case BarSpan::Week: {
        const QDate monday = m_first.addDays(1 - m_first.dayOfWeek() + 7 * qint64(bar));
        const QDate from = std::max(monday, m_first);
        const QDate to = std::min(monday.addDays(6), m_last);
        return from == to ? shown(from) : shown(from) + u" – "_s + shown(to);
    }
    case BarSpan::Month: {
        const QDate month = QDate(m_first.year(), m_first.month(), 1).addMonths(bar);
        return QLocale().standaloneMonthName(month.month()) + u' ' + QString::number(month.year());
    }
    case BarSpan::Year:
        return QString::number(m_first.year() + bar);
    }
    return shown(m_first.addDays(bar));
}

namespace {

// The days of a longer report's chart: from the first day with rows to the last (days between
// without rows show as gaps).
ChartBars barsOf(const std::vector<ReportRow>& rows, int maxBars)
{
    return {QDate::fromString(rows.front().fecha, Qt::ISODate),
            QDate::fromString(rows.back().fecha, Qt::ISODate), maxBars};
}

} // namespace

BarSpan Report::barSpan(int maxBars) const
{
    if (m_query.from == m_query.to)
        return BarSpan::Hour;
    return m_rows.empty() ? BarSpan::Day : barsOf(m_rows, maxBars).span();
}

ReportSeries Report::series(int maxBars) const
{
    ReportSeries s;
    s.span = barSpan(maxBars);
    std::optional<ChartBars> bars;
    if (s.span == BarSpan::Hour) {
        for (int h = 0; h < 24; ++h)
            s.categories << u"%1"_s.arg(h, 2, 10, QChar(u'0'));
    } else if (!m_rows.empty()) {
        bars = barsOf(m_rows, maxBars);
        for (int b = 0; b < bars->count(); ++b)
            s.categories << bars->label(b);
    }

    QHash<QString, int> stackOf;   // by the name's key: "MARTA" and "Marta" stack together
    QHash<QString, int> stackAsIs; // by the name as written, to fold each spelling once
    std::vector<std::vector<Money>> sums;
    QString lastDate;
    int lastBar = -1;
    for (const ReportRow& r : m_rows) {
        qint64 category = -1;
        if (!bars) {
            const QTime time = QTime::fromString(r.hora, u"HH:mm:ss"_s);
            if (time.isValid())
                category = time.hour();
        } else {
            // Rows come by day: a day's date is read once.
            if (r.fecha != lastDate) {
                lastDate = r.fecha;
                lastBar = bars->barOf(QDate::fromString(r.fecha, Qt::ISODate));
            }
            category = lastBar;
        }
        // A row without a readable time (a new account's) counts in the total, not on the chart.
        if (category < 0 || category >= s.categories.size())
            continue;
        auto it = stackAsIs.constFind(r.operador);
        if (it == stackAsIs.cend()) {
            const QString key = nameKey(r.operador);
            auto stack = stackOf.constFind(key);
            if (stack == stackOf.cend()) {
                stack = stackOf.insert(key, int(s.operators.size()));
                s.operators << (r.operador.isEmpty() ? u"(sin operador)"_s : r.operador);
                sums.emplace_back(std::size_t(s.categories.size()));
            }
            it = stackAsIs.insert(r.operador, *stack);
        }
        sums[std::size_t(*it)][std::size_t(category)] += r.amount;
    }
    for (const std::vector<Money>& stack : sums) {
        std::vector<double>& bars = s.amounts.emplace_back();
        bars.reserve(stack.size());
        for (Money m : stack)
            bars.push_back(m.toDouble());
    }
    return s;
}

QDate Report::previousMonth(QDate firstOfMonth)
{
    return QDate(firstOfMonth.year(), firstOfMonth.month(), 1).addMonths(-1);
}

QDate Report::nextMonth(QDate firstOfMonth)
{
    return QDate(firstOfMonth.year(), firstOfMonth.month(), 1).addMonths(1);
}

QString Report::rangePlan() const
{
    QSqlQuery q(m_services.db);
    QStringList plan;
    if (q.prepare(u"EXPLAIN QUERY PLAN "_s + RangeSql + OperatorSql + OrderSql)) {
        q.addBindValue(u"2026-01-01"_s);
        q.addBindValue(u"2026-12-31"_s);
        q.addBindValue(u"x"_s);
        if (q.exec()) {
            while (q.next())
                plan << q.value(3).toString();
        }
    }
    return plan.join(u'\n');
}

} // namespace kestrel
