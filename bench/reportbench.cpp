#include "reportbench.h"

#include "benchsupport.h"

#include "journal/journal.h"
#include "core/clock.h"
#include "core/datastore.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "core/operatorsession.h"
#include "reports/report.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

constexpr int Rows = 200000;
constexpr int Runs = 5;

// Five operators over the shifts of every day of 2026, from 08:00 to 23:00; one row in fifty
// is a new account's (no time, no operator), one in a hundred has no amount.
bool fillYear(QSqlDatabase db)
{
    const QStringList operators{u"Marta"_s, u"Luis"_s, u"Begoña"_s, u"Iván"_s, u"Rocío"_s};
    const QStringList what{u"ALQUILER PC"_s, u"VENTA"_s, u"IMPRESION"_s, u"AUMENTO DE SALDO"_s};
    QRandomGenerator random(2026);
    db.transaction();
    QSqlQuery insert(db);
    insert.prepare(u"INSERT INTO INFORMES (FECHA, HORA, VALOR, USER, PC, DESCRIP, OPERADOR) "
                   u"VALUES (?, ?, ?, ?, ?, ?, ?)"_s);
    const QDate first(2026, 1, 1);
    for (int i = 0; i < Rows; ++i) {
        const QDate day = first.addDays(qint64(i) * 365 / Rows);
        const int second = 8 * 3600 + int(random.bounded(15 * 3600));
        const bool account = i % 50 == 0;
        insert.addBindValue(Journal::dateText(day));
        insert.addBindValue(account ? QVariant() : Journal::timeText(QTime(0, 0).addSecs(second)));
        insert.addBindValue(i % 100 == 1 ? QVariant() : QVariant(random.bounded(2000) / 100.0));
        insert.addBindValue(u"cliente%1"_s.arg(random.bounded(400)));
        insert.addBindValue(u"PC%1"_s.arg(random.bounded(40) + 1, 2, 10, QChar(u'0')));
        insert.addBindValue(what[int(random.bounded(what.size()))]);
        insert.addBindValue(account ? QVariant() : operators[(second / 3600 - 8) / 3]);
        if (!insert.exec()) {
            db.rollback();
            return false;
        }
    }
    return db.commit();
}

} // namespace

int runReportBench()
{
    QTemporaryDir dir;
    DataStore store;
    if (!bench::openNewStore(dir, store))
        return 1;
    if (!fillYear(store.database())) {
        std::fprintf(stderr, "could not fill the journal\n");
        return 1;
    }

    // What the year costs the console's start: opening the store, page check included.
    std::vector<double> opens, checks;
    for (int run = 0; run < Runs; ++run) {
        store.close();
        QElapsedTimer timer;
        timer.start();
        if (const auto error = store.open(DataStore::pathIn(dir.path()))) {
            std::fprintf(stderr, "%s\n", qPrintable(*error));
            return 1;
        }
        opens.push_back(double(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        QSqlQuery check(store.database());
        if (!check.exec(u"PRAGMA quick_check(5)"_s) || !check.next())
            return 1;
        checks.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(opens.begin(), opens.end());
    std::sort(checks.begin(), checks.end());

    bench::DefaultSettings none;
    Settings settings(none);
    OperatorSession session;
    session.logIn({u"admin"_s, {}, {}});
    SystemClock clock;
    bench::PrintedPrompts prompts;
    Report report({store.database(), session, settings, prompts, clock});

    std::vector<double> times;
    bool allRows = true;
    qsizetype categories = 0;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const bool ok =
            report.runCustom(QDate(2026, 1, 1), QDate(2026, 12, 31), Report::everyOperator());
        const ReportSeries series = report.series();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        categories = series.categories.size();
        allRows = allRows && ok && report.rows().size() == std::size_t(Rows);
    }
    std::sort(times.begin(), times.end());
    std::printf("journal rows       %d (a year, 5 operators)\n", Rows);
    std::printf("rows read          %zu, total %s, %lld days on the chart\n", report.rows().size(),
                qPrintable(report.total().format(2)), static_cast<long long>(categories));
    std::printf("year report median %.1f ms over %d runs (min %.1f, max %.1f): query, total and "
                "chart series\n",
                times[times.size() / 2], Runs, times.front(), times.back());
    std::printf("query plan         %s\n", qPrintable(report.rangePlan()));
    std::printf("store open median  %.1f ms over %d runs (min %.1f, max %.1f), of which the page "
                "check %.1f ms (%.1f MB store)\n",
                opens[opens.size() / 2], Runs, opens.front(), opens.back(),
                checks[checks.size() / 2],
                double(QFileInfo(DataStore::pathIn(dir.path())).size()) / 1e6);
    return allRows ? 0 : 1;
}

} // namespace kestrel
