#include "reports/report.h"
#include "support/testsupport.h"
#include "ui/reports/reportprinter.h"
#include "ui/reports/reportswindow.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCalendarWidget>
#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedBarSeries>
#include <QTableView>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

// Marta is logged in. Day 4 has rows of Marta (once spelt MARTA), Luis and a new account's
// row without time or operator.
struct Fixture : test::CounterServices {
    Fixture()
    {
        store.addOperator(u"Marta"_s, u""_s, {});
        store.addOperator(u"Luis"_s, u""_s, {});
        store.exec(u"INSERT INTO INFORMES (FECHA, HORA, VALOR, DESCRIP, OPERADOR) VALUES "
                   u"('2026-12-03', '10:00:00', 1, 'A', 'Marta'), "
                   u"('2026-12-04', '08:15:00', 2, 'B', 'Marta'), "
                   u"('2026-12-04', '09:30:00', 3, 'C', 'Luis'), "
                   u"('2026-12-04', '09:45:00', 4, 'D', 'MARTA'), "
                   u"('2026-12-04', NULL, 10, 'N', NULL), "
                   u"('2026-12-05', '11:00:00', 5, 'E', 'Luis')"_s);
    }
    Report report{{store.db(), session, settings, prompts, clock}};
};

QStringList descrips(const Report& report)
{
    QStringList d;
    for (const ReportRow& r : report.rows())
        d << r.descrip;
    return d;
}

// The reports window on the fixture.
struct Window : Fixture {
    ReportsWindow w{{store.db(), session, settings, prompts, clock}};
    QCalendarWidget* calendar = w.findChild<QCalendarWidget*>(u"calendario"_s);
    QPushButton* find(const char* name) const { return w.findChild<QPushButton*>(name); }
    // Opens the calendar with `button` and clicks `date`.
    void pick(const char* button, QDate date)
    {
        QTest::mouseClick(find(button), Qt::LeftButton);
        emit calendar->clicked(date);
    }
};

std::optional<QDate> day(const QString& iso)
{
    return iso.isEmpty() ? std::nullopt : std::optional(QDate::fromString(iso, Qt::ISODate));
}

// RFC 4180 read back: quoted fields with doubled quotes and line breaks, CRLF between records.
QList<QStringList> readCsv(const QString& text, QChar sep)
{
    QList<QStringList> records{{}};
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted && c == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
            field += text[++i];
        else if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == sep)
            records.last() << std::exchange(field, {});
        else if (!quoted && c == u'\r' && text.mid(i, 2) == u"\r\n"_s) {
            records.last() << std::exchange(field, {});
            records << QStringList{};
            ++i;
        } else
            field += c;
    }
    records.removeLast(); // after the last CRLF
    return records;
}

} // namespace

class TestReports : public QObject {
    Q_OBJECT
private slots:
    void dayAndRange_data()
    {
        test::addRows("mode | from | to | operator | rows | total", R"(
    daily, every operator    |daily |2026-12-04|          |all  |B C D N    |19,00 USD
    daily, logged-in only    |daily |2026-12-04|          |     |B D        |6,00 USD
    range of that one day    |range |2026-12-04|2026-12-04|Todos|B C D N    |19,00 USD
    range, every operator    |range |2026-12-03|2026-12-05|Todos|A B C D N E|25,00 USD
    range, one operator      |range |2026-12-03|2026-12-05|marta|A B D      |7,00 USD
    range, dates swapped     |range |2026-12-05|2026-12-04|Luis |C E        |8,00 USD
    range without rows       |range |2025-01-01|2025-12-31|Todos|           |0,00 USD
    )");
    }
    void dayAndRange()
    {
        QFETCH(test::Row, r);
        Fixture x;
        x.memory.write(u"moneda"_s, u"USD"_s);
        Report report{{x.store.db(), x.session, x.settings, x.prompts, x.clock}};
        const QString who = r[u"operator"];
        QVERIFY(r[u"mode"] == u"daily"_s ? report.runDaily(*day(r[u"from"]), who == u"all"_s)
                                         : report.runCustom(day(r[u"from"]), day(r[u"to"]), who));
        QCOMPARE(descrips(report), r[u"rows"].split(u' ', Qt::SkipEmptyParts));
        QCOMPARE(report.totalText(), r[u"total"]);
        QVERIFY(x.prompts.told.isEmpty());
    }

    void dateNotChosen_data()
    {
        test::addRows("from | to", "no Desde|  |2026-12-05\nno Hasta|2026-12-03|");
    }
    void dateNotChosen()
    {
        QFETCH(test::Row, r);
        Fixture x;
        QVERIFY(x.report.runDaily(QDate(2026, 12, 3), true));
        QVERIFY(!x.report.runCustom(day(r[u"from"]), day(r[u"to"]), u"Todos"_s));
        QCOMPARE(x.prompts.toldTexts(), QStringList{u"Seleccione la fecha"_s});
        QCOMPARE(x.prompts.told[0].icon, Prompts::Icon::Information);
        QCOMPARE(descrips(x.report), QStringList{u"A"_s}); // the rows shown stay
    }

    void totals_data()
    {
        // VALOR values as SQL literals.
        test::addRows("VALOR | total", R"(
    two decimals before adding |1.005, 2.675, 0.004|3,69 $
    empty and null count 0     |NULL, '', 5        |5,00 $
    single precision           |123456.78          |123.456,80 $
    regional text of old store |'2,50', 1          |3,50 $
    )");
    }
    void totals()
    {
        QFETCH(test::Row, r);
        Fixture x;
        for (const QString& v : r[u"VALOR"].split(u", "_s))
            x.store.exec(u"INSERT INTO INFORMES (FECHA, VALOR) VALUES ('2027-01-01', %1)"_s.arg(v));
        QVERIFY(x.report.runCustom(QDate(2027, 1, 1), QDate(2027, 1, 1), u"Todos"_s));
        QCOMPARE(x.report.totalText(), r[u"total"]);
    }

    void rangeUsesTheDateIndex()
    {
        Fixture x;
        const QString plan = x.report.rangePlan();
        QVERIFY2(plan.contains(u"USING INDEX INFORMES_FECHA"_s), qPrintable(plan));
        QVERIFY2(!plan.contains(u"TEMP B-TREE"_s), qPrintable(plan));
    }

    void months_data()
    {
        test::addRows(
            "from | way | to",
            "jan back|2026-01|<|2025-12\ndec on|2025-12|>|2026-01\nmid|2026-07|<|2026-06");
    }
    void months()
    {
        QFETCH(test::Row, r);
        const QDate from = QDate::fromString(r[u"from"], u"yyyy-MM"_s);
        const QDate to =
            r[u"way"] == u"<"_s ? Report::previousMonth(from) : Report::nextMonth(from);
        QCOMPARE(to.toString(u"yyyy-MM"_s), r[u"to"]);
    }

    void chartBars_data()
    {
        // The bars that fit; a day and its bar.
        test::addRows("first | last | fit | span | bars | first label | last label | day | bar", R"(
    days that fit        |2026-12-03|2026-12-05|20|day  |3 |3/12/2026|5/12/2026|2026-12-04|1
    a month in 31 bars   |2026-12-01|2026-12-31|31|day  |31|1/12/2026|31/12/2026|2026-12-31|30
    weeks Monday-Sunday  |2026-12-01|2026-12-31|20|week |5 |1/12/2026 – 6/12/2026|28/12/2026 – 31/12/2026|2026-12-14|2
    a week of one day    |2026-12-06|2027-01-20|10|week |8 |6/12/2026|18/1/2027 – 20/1/2027|2026-12-07|1
    a year by month      |2026-01-01|2026-12-31|20|month|12|enero 2026|diciembre 2026|2026-07-31|6
    months over new year |2025-11-15|2026-02-10|4 |month|4 |noviembre 2025|febrero 2026|2026-01-01|2
    years when none fit  |2020-06-01|2026-12-31|20|year |7 |2020|2026|2023-03-01|3
    )");
    }
    void chartBars()
    {
        QFETCH(test::Row, r);
        test::pinCafeLocale();
        const QDate first = *day(r[u"first"]), last = *day(r[u"last"]);
        const ChartBars bars(first, last, r.number(u"fit"));
        const QStringList spans{u"hour"_s, u"day"_s, u"week"_s, u"month"_s, u"year"_s};
        QCOMPARE(spans.value(int(bars.span())), r[u"span"]);
        QCOMPARE(bars.count(), r.number(u"bars"));
        QCOMPARE(bars.label(0), r[u"first label"]);
        QCOMPARE(bars.label(bars.count() - 1), r[u"last label"]);
        QCOMPARE(bars.barOf(*day(r[u"day"])), r.number(u"bar"));
        QCOMPARE(bars.barOf(first), 0);
        QCOMPARE(bars.barOf(last.addDays(1)), -1);
        QCOMPARE(bars.barOf(first.addDays(-1)), -1);
    }

    void series_data()
    {
        // The bars that fit; the non-empty bars per operator.
        test::addRows("from | to | fit | categories | stacks", R"(
    one day by hour   |2026-12-04|2026-12-04|1 |24|Marta 08=2 09=4; Luis 09=3
    range by day      |2026-12-03|2026-12-05|20|3 |Marta 0=1 1=6; Luis 1=3 2=5; (sin operador) 1=10
    range in one week |2026-12-03|2026-12-05|2 |1 |Marta 0=7; Luis 0=8; (sin operador) 0=10
    )");
    }
    void series()
    {
        QFETCH(test::Row, r);
        Fixture x;
        QVERIFY(x.report.runCustom(day(r[u"from"]), day(r[u"to"]), u"Todos"_s));
        const int fit = r.number(u"fit");
        const ReportSeries s = x.report.series(fit);
        QCOMPARE(s.categories.size(), r.number(u"categories"));
        QCOMPARE(x.report.barSpan(fit), s.span);
        const bool perHour = s.span == BarSpan::Hour;
        QVERIFY(!perHour || s.categories.mid(9, 3) == QStringList({u"09"_s, u"10"_s, u"11"_s}));
        QStringList stacks;
        for (std::size_t o = 0; o < s.amounts.size(); ++o) {
            QString stack = s.operators[qsizetype(o)];
            for (std::size_t c = 0; c < s.amounts[o].size(); ++c)
                if (s.amounts[o][c] != 0)
                    stack +=
                        u" %1=%2"_s.arg(perHour ? s.categories[qsizetype(c)] : QString::number(c))
                            .arg(s.amounts[o][c]);
            stacks << stack;
        }
        QCOMPARE(stacks, r[u"stacks"].split(u"; "_s));
    }

    void csvReadBack_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("total");
        QTest::newRow("decimal comma")
            << QLocale(u"es_EC"_s) << u";"_s << u"1234,50"_s << u"1224,50"_s;
        QTest::newRow("decimal point")
            << QLocale(u"en_US"_s) << u","_s << u"1234.50"_s << u"1224.50"_s;
    }
    void csvReadBack()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, separator);
        QFETCH(QString, amount);
        QFETCH(QString, total);
        Fixture x;
        const QString odd = u"Café; \"doble\", dos\nlíneas"_s;
        x.store.exec(u"INSERT INTO INFORMES (FECHA, HORA, VALOR, USER, DESCRIP, OPERADOR) "
                     u"VALUES ('2026-12-06', '12:00:00', 1234.5, ?, ?, 'Luis')"_s,
                     {u"a,b"_s, odd});
        // Texts a spreadsheet would run as formulas; a negative amount.
        x.store.exec(u"INSERT INTO INFORMES (FECHA, VALOR, DESCRIP, USER, PC) VALUES "
                     u"('2026-12-06', NULL, '=1+1', '@A1', '\tPC'), "
                     u"('2026-12-06', -10, '-2+3', '+57 1', char(13) || 'x')"_s);
        QVERIFY(x.report.runCustom(QDate(2026, 12, 6), QDate(2026, 12, 6), u"Todos"_s));
        QTemporaryDir dir;
        const QString path = dir.filePath(u"informe.csv"_s);
        QCOMPARE(x.report.saveCsv(path, locale), std::nullopt);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QList<QStringList> rows = readCsv(QString::fromUtf8(bytes.mid(3)), separator[0]);
        QCOMPARE(rows.size(), 5);
        QCOMPARE(rows[0], QStringList({u"FECHA"_s, u"HORA"_s, u"DESCRIP"_s, u"USER"_s, u"PC"_s,
                                       u"VALOR"_s, u"Operador"_s}));
        QCOMPARE(
            rows[1],
            (QStringList{u"6/12/2026"_s, u"12:00:00"_s, odd, u"a,b"_s, {}, amount, u"Luis"_s}));
        QCOMPARE(rows[2].mid(2, 4), (QStringList{u"'=1+1"_s, u"'@A1"_s, u"'\tPC"_s, {}}));
        QCOMPARE(rows[3].mid(2, 4), (QStringList{u"'-2+3"_s, u"'+57 1"_s, u"'\rx"_s,
                                                 separator == u";"_s ? u"-10,00"_s : u"-10.00"_s}));
        QCOMPARE(rows[4], (QStringList{u"Total"_s, {}, {}, {}, {}, total, {}}));
    }

    void pdfPages_data()
    {
        // How many rows have a description of several lines.
        test::addRows("rows | pages | wrapped",
                      "empty|0|1|0\nalmost a page|39|1|0\ntotal on its own page|40|2|0\n"
                      "five hundred|500|13|0\nwrapped cell takes lines|39|2|1");
    }
    void pdfPages()
    {
        QFETCH(test::Row, r);
        Fixture x;
        x.store.exec(u"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                     u"INSERT INTO INFORMES (FECHA, HORA, VALOR, DESCRIP, OPERADOR) SELECT "
                     u"'2027-02-01', '10:00:00', i, CASE WHEN i <= ? THEN ? ELSE 'fila ' || i "
                     u"END, 'Marta' FROM n WHERE i > 0"_s,
                     {r.number(u"rows"), r.number(u"wrapped"),
                      u"Muñoz, \"el Flaco\": recarga de tiempo, dos impresiones a color y una "
                      u"copia de la cédula por los dos lados"_s});
        QVERIFY(x.report.runDaily(QDate(2027, 2, 1), true));
        QCOMPARE(int(x.report.rows().size()), r.number(u"rows"));
        QTemporaryDir dir;
        const QString path = dir.filePath(u"informe.pdf"_s);
        QCOMPARE(ReportPrinter(x.report).savePdf(path), std::nullopt);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray pdf = file.readAll();
        const int pages = int(pdf.count("/Type /Page")) - int(pdf.count("/Type /Pages"));
        QCOMPARE(pages, r.number(u"pages"));
    }

    void wrappedCells_data()
    {
        // "\n" is a line break; the width in pixels.
        test::addRows("text | width | lines", R"(
    fits                |Café|200|1
    empty               ||50|1
    line break kept     |uno\ndos|200|2
    words over lines    |Muñoz, "el Flaco": recarga de tiempo y dos impresiones a color|90|>1
    word longer than cell|ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOP|60|>1
    )");
    }
    void wrappedCells()
    {
        QFETCH(test::Row, r);
        const QString text = r[u"text"].replace(u"\\n"_s, u"\n"_s);
        QImage page(400, 400, QImage::Format_RGB32);
        QFont font;
        font.setPixelSize(12);
        const double width = r[u"width"].toDouble();
        const QStringList lines = ReportPrinter::wrapped(text, font, &page, width);
        const QFontMetricsF metrics(font, &page);
        for (const QString& line : lines)
            QVERIFY2(metrics.horizontalAdvance(line) <= width, qPrintable(line));
        const QRegularExpression blanks(u"\\s"_s);
        QCOMPARE(lines.join(QString()).remove(blanks), QString(text).remove(blanks)); // all there
        QVERIFY(r[u"lines"] == u">1"_s ? lines.size() > 1 : lines.size() == r.number(u"lines"));
    }

    void windowShowsTheRangeChosen()
    {
        Window x;
        ReportsWindow& w = x.w;
        auto* custom = w.findChild<QWidget*>(u"frapersonalizado"_s);
        QCOMPARE(w.findChild<QComboBox*>()->count(), 4); // Todos, admin, Marta, Luis
        w.prepareCustom();
        QCOMPARE(w.windowTitle(), u"Informe Personalizado"_s);
        QVERIFY(custom->isVisibleTo(&w) && !w.findChild<QWidget*>(u"fradiario"_s)->isVisibleTo(&w));
        QCOMPARE(w.grid()->model()->rowCount(), 2); // today's rows of Marta
        QTest::mouseClick(x.find("cmdmostrar2"), Qt::LeftButton);
        QCOMPARE(x.prompts.toldTexts(), QStringList{u"Seleccione la fecha"_s});

        QTest::mouseClick(x.find("cmddesde"), Qt::LeftButton);
        QVERIFY(x.calendar->parentWidget()->isVisibleTo(&w));
        QTest::mouseClick(x.find("cmdsiguiente"), Qt::LeftButton);
        QCOMPARE(x.calendar->yearShown(), 2027);
        QCOMPARE(x.calendar->monthShown(), 1);
        emit x.calendar->clicked(QDate(2026, 12, 3));
        QVERIFY(!x.calendar->parentWidget()->isVisibleTo(&w));
        QCOMPARE(x.find("cmddesde")->text(), u"3/12/2026"_s);
        x.pick("cmdhasta", QDate(2026, 12, 5));
        w.findChild<QComboBox*>()->setCurrentText(u"Luis"_s);
        QTest::mouseClick(x.find("cmdmostrar2"), Qt::LeftButton);
        QCOMPARE(w.grid()->model()->rowCount(), 2);
        QCOMPARE(w.findChild<QLabel*>(u"lbltotal"_s)->text(), u"8,00 $"_s);
        auto* stacks = qobject_cast<QStackedBarSeries*>(w.chart()->chart()->series().value(0));
        QVERIFY(stacks);
        QCOMPARE(stacks->count(), 1);
        QCOMPARE(stacks->barSets()[0]->sum(), 8.0);
    }

    // A year of days is charted by month, on the window's own width; the daily report keeps the
    // range until a day is chosen.
    void windowChartsAYearByMonth()
    {
        Window x;
        ReportsWindow& w = x.w;
        x.store.exec(u"WITH RECURSIVE d(day) AS (SELECT date('2025-01-01') UNION ALL SELECT "
                     u"date(day, '+1 day') FROM d WHERE day < '2025-12-31') INSERT INTO INFORMES "
                     u"(FECHA, HORA, VALOR, OPERADOR) SELECT day, '10:00:00', 12345.5, 'Luis' "
                     u"FROM d"_s);
        w.prepareCustom();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        x.pick("cmddesde", QDate(2025, 1, 1));
        x.pick("cmdhasta", QDate(2025, 12, 31));
        QTest::mouseClick(x.find("cmdmostrar2"), Qt::LeftButton);
        QCOMPARE(w.grid()->model()->rowCount(), 365);
        QCOMPARE(w.chart()->chart()->title(), u"Importe por mes"_s);
        auto* months = qobject_cast<QBarCategoryAxis*>(w.chart()->chart()->axes(Qt::Horizontal)[0]);
        QCOMPARE(months->count(), 12);
        QCOMPARE(months->at(0), u"enero 2025"_s);
        // "12.345,50" on one line: the amounts' column is as wide as its widest amount.
        const QAbstractItemView* grid = w.grid();
        QVERIFY(w.grid()->columnWidth(5) >= grid->sizeHintForColumn(5));

        w.prepareDaily();
        QVERIFY(!w.findChild<QWidget*>(u"frapersonalizado"_s)->isVisibleTo(&w) &&
                w.findChild<QWidget*>(u"fradiario"_s)->isVisibleTo(&w));
        QCOMPARE(w.grid()->model()->rowCount(), 365); // the range again
        x.pick("cmdseleccionar", QDate(2026, 12, 3)); // the daily report at once
        QCOMPARE(w.grid()->model()->data(w.grid()->model()->index(0, 2)).toString(), u"A"_s);
        QCOMPARE(w.grid()->model()->rowCount(), 1);
    }
};

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
