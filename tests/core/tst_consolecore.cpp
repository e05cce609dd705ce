// The console's rules that need no window: display settings, the counter reset, the journal of
// the day, key codes and the search address.
#include "billing/journal.h"
#include "billing/journalofday.h"
#include "core/virtualkeys.h"
#include "core/webbrowser.h"
#include "operators/operatorsession.h"
#include "stations/counters.h"
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
    void twipsAtTheScreensResolution_data();
    void twipsAtTheScreensResolution();
    void clearingCountersSparesSessions();
    void journalOfTheDay_data();
    void journalOfTheDay();
    void keyCodes_data();
    void keyCodes();
    void searchAddress_data();
    void searchAddress();
};

void TestConsoleCore::displaySettings_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    // messages volume journal search cobrar modo vender config promo
    QTest::addColumn<QString>("shown");
    QTest::addColumn<double>("subTwips");
    QTest::addColumn<double>("usuarioTwips");

    QTest::newRow("nothing written: all shown") << ""
                                                << ""
                                                << "111111111" << 1000.0 << 1440.0;
    QTest::newRow("messages off") << "Visualizacion0"
                                  << "0"
                                  << "011111111" << 1000.0 << 1440.0;
    QTest::newRow("volume off") << "Visualizacion1"
                                << "0"
                                << "101111111" << 1000.0 << 1440.0;
    QTest::newRow("journal off") << "Visualizacion2"
                                 << "0"
                                 << "110111111" << 1000.0 << 1440.0;
    QTest::newRow("search off") << "Visualizacion3"
                                << "0"
                                << "111011111" << 1000.0 << 1440.0;
    QTest::newRow("Sub hidden") << "Visualizacion4"
                                << "0"
                                << "111111111" << 0.0 << 1440.0;
    QTest::newRow("Sub doubled") << "Visualizacion4"
                                 << "2"
                                 << "111111111" << 2000.0 << 1440.0;
    QTest::newRow("Cobrar off") << "Visualizacion5"
                                << "0"
                                << "111101111" << 1000.0 << 1440.0;
    QTest::newRow("Modo off") << "Visualizacion6"
                              << "0"
                              << "111110111" << 1000.0 << 1440.0;
    QTest::newRow("Vender off") << "Visualizacion7"
                                << "0"
                                << "111111011" << 1000.0 << 1440.0;
    QTest::newRow("Config off") << "Visualizacion8"
                                << "0"
                                << "111111101" << 1000.0 << 1440.0;
    QTest::newRow("Usuario wider") << "Visualizacion9"
                                   << "1,5"
                                   << "111111111" << 1000.0 << 1440.0;
    QTest::newRow("Usuario half") << "Visualizacion9"
                                  << "0.5"
                                  << "111111111" << 1000.0 << 720.0;
    QTest::newRow("promo off") << "Visualizacion10"
                               << "0"
                               << "111111110" << 1000.0 << 1440.0;
    QTest::newRow("text counts as 0") << "Visualizacion0"
                                      << "no"
                                      << "011111111" << 1000.0 << 1440.0;
    QTest::newRow("journal filter is not shown") << "Visualizacion11"
                                                 << "0"
                                                 << "111111111" << 1000.0 << 1440.0;
}

void TestConsoleCore::displaySettings()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, shown);
    QFETCH(double, subTwips);
    QFETCH(double, usuarioTwips);
    test::MemorySettingsStore store;
    Settings settings(store);
    if (!key.isEmpty())
        settings.write(key, value);

    const DisplayLayout d = Visualizacion(settings);
    QString got;
    for (bool b : {d.messages, d.volume, d.journal, d.search, d.cobrar, d.modo, d.vender,
                   d.configuracion, d.promo})
        got += b ? u'1' : u'0';
    QCOMPARE(got, shown);
    QCOMPARE(d.subTwips, subTwips);
    QCOMPARE(d.usuarioTwips, usuarioTwips);
}

void TestConsoleCore::twipsAtTheScreensResolution_data()
{
    QTest::addColumn<double>("twips");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<int>("pixels");
    QTest::newRow("an inch at 96 dpi") << 1440.0 << 96.0 << 96;
    QTest::newRow("Sub at 96 dpi") << 1000.0 << 96.0 << 67;
    QTest::newRow("Sub at 144 dpi") << 1000.0 << 144.0 << 100;
    QTest::newRow("hidden") << 0.0 << 96.0 << 0;
    QTest::newRow("negative hides") << -1000.0 << 96.0 << 0;
    QTest::newRow("absurdly wide is capped") << 1e300 << 96.0 << 100000;
}

void TestConsoleCore::twipsAtTheScreensResolution()
{
    QFETCH(double, twips);
    QFETCH(double, dpi);
    QFETCH(int, pixels);
    QCOMPARE(twipsToPixels(twips, dpi), pixels);
}

void TestConsoleCore::clearingCountersSparesSessions()
{
    Station used;
    used.pc = u"PC01"_s;
    used.tiempo = u"0:12:00"_s;
    used.usuario = u"ana"_s;
    used.sub = u"0,30"_s;
    used.total = u"4,10"_s;
    used.LSTCLWA = u"3"_s;
    used.vartipex = u"0,30"_s;
    used.LSTTARBAS = u"1,50"_s;
    Station busy = used;
    busy.pc = u"PC02"_s;
    busy.modo = u"CONTADOR"_s;
    StationTable table;
    table.setStations({used, busy});

    clearFreeCounters(table);
    const Station& cleared = table.at(0);
    QCOMPARE(cleared.tiempo, u"0:00:00"_s);
    QCOMPARE(cleared.usuario, QString());
    QCOMPARE(cleared.sub, u"0,00"_s);
    QCOMPARE(cleared.total, u"0,00"_s);
    QCOMPARE(cleared.LSTCLWA, QString());
    QCOMPARE(cleared.vartipex, u"0,00"_s);
    QCOMPARE(cleared.LSTTARBAS, u"1,50"_s); // only the counters
    QCOMPARE(table.at(1), busy);

    clearFreeCounters(table); // twice changes nothing more
    QCOMPARE(table.at(0), cleared);
}

void TestConsoleCore::journalOfTheDay_data()
{
    QTest::addColumn<QString>("operatorName");
    QTest::addColumn<QStringList>("descriptions");
    QTest::newRow("only Ana's rows") << "Ana" << QStringList{u"a1"_s, u"a2"_s};
    QTest::newRow("operator compared without case") << "ANA" << QStringList{u"a1"_s, u"a2"_s};
    QTest::newRow("every operator") << "" << QStringList{u"a1"_s, u"b1"_s, u"a2"_s};
    QTest::newRow("an operator without rows") << "Luis" << QStringList{};
}

void TestConsoleCore::journalOfTheDay()
{
    QFETCH(QString, operatorName);
    QFETCH(QStringList, descriptions);
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

    JournalOfDay journal(store.db(), day, operatorName);
    const auto rows = journal.rows();
    QVERIFY(rows);
    QStringList got;
    for (const JournalRow& r : *rows)
        got << r.descrip;
    QCOMPARE(got, descriptions);
    for (const JournalRow& r : *rows) {
        QCOMPARE(r.fecha, u"2026-12-04"_s);
        QCOMPARE(r.valor, r.descrip == u"a1"_s ? 1.5 : r.descrip == u"b1"_s ? 0.25 : 3.75);
    }

    QVERIFY(store.exec(u"DROP TABLE INFORMES"_s));
    QVERIFY(!journal.rows());
    QVERIFY(!journal.lastError().isEmpty());
}

void TestConsoleCore::keyCodes_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("code");
    QTest::newRow("A") << int(Qt::Key_A) << 65;
    QTest::newRow("Z") << int(Qt::Key_Z) << 90;
    QTest::newRow("0") << int(Qt::Key_0) << 48;
    QTest::newRow("9") << int(Qt::Key_9) << 57;
    QTest::newRow("Shift") << int(Qt::Key_Shift) << 16;
    QTest::newRow("Ctrl") << int(Qt::Key_Control) << 17;
    QTest::newRow("Alt") << int(Qt::Key_Alt) << 18;
    QTest::newRow("F1") << int(Qt::Key_F1) << 112;
    QTest::newRow("F12") << int(Qt::Key_F12) << 123;
    QTest::newRow("Enter") << int(Qt::Key_Return) << 13;
    QTest::newRow("context menu") << int(Qt::Key_Menu) << 93;
    QTest::newRow("Down") << int(Qt::Key_Down) << 40;
    QTest::newRow("no code") << int(Qt::Key_Eacute) << 0;
}

void TestConsoleCore::keyCodes()
{
    QFETCH(int, key);
    QFETCH(int, code);
    QCOMPARE(virtualKeyCode(key), code);
}

void TestConsoleCore::searchAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("address");
    QTest::newRow("empty: the engine's page") << ""
                                              << "https://duckduckgo.com/";
    QTest::newRow("blanks only") << "   "
                                 << "https://duckduckgo.com/";
    QTest::newRow("words") << "clima quito"
                           << "https://duckduckgo.com/?q=clima%20quito";
    QTest::newRow("plus and ampersand") << "C++ & Qt"
                                        << "https://duckduckgo.com/?q=C%2B%2B%20%26%20Qt";
    QTest::newRow("accents") << "año"
                             << "https://duckduckgo.com/?q=a%C3%B1o";
}

void TestConsoleCore::searchAddress()
{
    QFETCH(QString, text);
    QFETCH(QString, address);
    QCOMPARE(kestrel::searchAddress(text).toString(QUrl::FullyEncoded), address);
}

} // namespace kestrel

QTEST_GUILESS_MAIN(kestrel::TestConsoleCore)
#include "tst_consolecore.moc"
