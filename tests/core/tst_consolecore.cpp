// The console's rules that need no window: display settings, the counter reset, the journal of
// the day, key codes and the search address.
#include "core/operatorsession.h"
#include "core/virtualkeys.h"
#include "core/webbrowser.h"
#include "journal/journal.h"
#include "journal/journalofday.h"
#include "stations/display.h"
#include "stations/stationtable.h"
#include "support/testsupport.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

class TestConsoleCore : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::pinCafeLocale(); }
    void displaySettings_data();
    void displaySettings();
    void widthsKeysAndSearch();
    void journalOfTheDay_data();
    void journalOfTheDay();
};

void TestConsoleCore::displaySettings_data()
{
    // The parts shown, one digit each as in shownParts; the widths in twips.
    test::addRows("key | value | shown | Sub width | Usuario width", R"(
        nothing written: all shown |               |   |111111111|1000|1440
        messages off               |Visualizacion0 |0  |011111111|1000|1440
        volume off                 |Visualizacion1 |0  |101111111|1000|1440
        journal off                |Visualizacion2 |0  |110111111|1000|1440
        search off                 |Visualizacion3 |0  |111011111|1000|1440
        Sub hidden                 |Visualizacion4 |0  |111111111|0   |1440
        Sub doubled                |Visualizacion4 |2  |111111111|2000|1440
        Cobrar off                 |Visualizacion5 |0  |111101111|1000|1440
        Modo off                   |Visualizacion6 |0  |111110111|1000|1440
        Vender off                 |Visualizacion7 |0  |111111011|1000|1440
        Config off                 |Visualizacion8 |0  |111111101|1000|1440
        Usuario: leading number    |Visualizacion9 |1,5|111111111|1000|1440
        Usuario half               |Visualizacion9 |0.5|111111111|1000|720
        promo off                  |Visualizacion10|0  |111111110|1000|1440
        text counts as 0           |Visualizacion0 |no |011111111|1000|1440
        journal filter not shown   |Visualizacion11|0  |111111111|1000|1440)");
}

void TestConsoleCore::displaySettings()
{
    QFETCH(test::Row, r);
    test::MemorySettingsStore store;
    Settings settings(store);
    if (!r[u"key"].isEmpty())
        settings.write(r[u"key"], r[u"value"]);
    const DisplayLayout d = Visualizacion(settings);
    QStringList shown;
    for (bool b : {d.messages, d.volume, d.journal, d.search, d.chargeButton, d.modeButton,
                   d.sellButton, d.optionsButton, d.promo})
        shown << QString::number(b);
    const char* shownParts = "messages | volume | journal | search | charge | mode | sell | "
                             "options | promo";
    COMPARE_RECORDS({shown}, shownParts, {r[u"shown"].split(QString(), Qt::SkipEmptyParts)});
    QCOMPARE(d.subTwips, r[u"Sub width"].toDouble());
    QCOMPARE(d.userTwips, r[u"Usuario width"].toDouble());
}

void TestConsoleCore::widthsKeysAndSearch()
{
    // Twips at the screen's resolution; nothing below zero; an absurd width is capped.
    QCOMPARE(twipsToPixels(1440, 96), 96);
    QCOMPARE(twipsToPixels(1000, 96), 67);
    QCOMPARE(twipsToPixels(-1000, 96), 0);
    QCOMPARE(twipsToPixels(1e300, 96), 100000);
    // The virtual-key codes the operator's shortcuts are made of.
    QCOMPARE(virtualKeyCode(Qt::Key_A), 65);
    QCOMPARE(virtualKeyCode(Qt::Key_Control), 17);
    QCOMPARE(virtualKeyCode(Qt::Key_F1), 112);
    QCOMPARE(virtualKeyCode(Qt::Key_Menu), 93);
    QCOMPARE(virtualKeyCode(Qt::Key_Eacute), 0);
    // The search box's page: the engine's own page when empty, every reserved sign encoded.
    const auto search = [](const QString& text) {
        return searchAddress(text).toString(QUrl::FullyEncoded);
    };
    QCOMPARE(search(u"   "_s), u"https://duckduckgo.com/"_s);
    QCOMPARE(search(u"C++ & año"_s), u"https://duckduckgo.com/?q=C%2B%2B%20%26%20a%C3%B1o"_s);
}

void TestConsoleCore::journalOfTheDay_data()
{
    // The operator of the grid (empty: every operator); the rows it shows.
    test::addRows("operator | rows", R"(
        only Ana's rows         |Ana |a1 a2
        operator without case   |ANA |a1 a2
        every operator          |    |a1 b1 a2
        an operator without rows|Luis|)");
}

void TestConsoleCore::journalOfTheDay()
{
    QFETCH(test::Row, r);
    test::TempStore store;
    QVERIFY(store.isValid());
    const QDate day(2026, 12, 4);
    const auto add = [&](QDate date, const QString& op, const QString& descrip, QVariant valor) {
        QVERIFY(store.exec(u"INSERT INTO INFORMES (FECHA, HORA, VALOR, USER, PC, DESCRIP, "
                           u"OPERADOR) VALUES (?, '09:00:00', ?, 'ANONIMO', 'PC01', ?, ?)"_s,
                           {Journal::dateText(date), valor, descrip, op}));
    };
    add(day, u"Ana"_s, u"a1"_s, 1.5);
    add(day.addDays(-1), u"Ana"_s, u"yesterday"_s, 2.0);
    add(day, u"Beto"_s, u"b1"_s, 0.25);
    add(day, u"Ana"_s, u"a2"_s, u"3,75"_s); // an amount stored as text by an earlier version
    add(day.addDays(1), u"Beto"_s, u"tomorrow"_s, 2.0);

    JournalOfDay journal(store.db(), day, r[u"operator"]);
    const auto rows = journal.rows();
    QVERIFY(rows);
    QStringList got;
    for (const JournalRow& row : *rows)
        got << row.descrip;
    QCOMPARE(got, r[u"rows"].split(u' ', Qt::SkipEmptyParts));
    for (const JournalRow& row : *rows) {
        QCOMPARE(row.fecha, u"2026-12-04"_s);
        QCOMPARE(row.valor, row.descrip == u"a1"_s ? 1.5 : row.descrip == u"b1"_s ? 0.25 : 3.75);
    }

    QVERIFY(store.exec(u"DROP TABLE INFORMES"_s));
    QVERIFY(!journal.rows());
    QVERIFY(!journal.lastError().isEmpty());
}

} // namespace kestrel

QTEST_GUILESS_MAIN(kestrel::TestConsoleCore)
#include "tst_consolecore.moc"
