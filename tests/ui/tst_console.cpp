// The console driven as the operator drives it, against station agents in this process.
#include "app/startup.h"
#include "billing/journal.h"
#include "core/webbrowser.h"
#include "link/stationsockets.h"
#include "link/supervision.h"
#include "stationagent.h"
#include "stations/stationtable.h"
#include "support/testsupport.h"
#include "ui/chargedialog.h"
#include "ui/consolewindow.h"
#include "ui/openstationdialog.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

class RecordingBrowser final : public WebBrowser {
public:
    bool open(const QUrl& address) override
    {
        opened << address;
        return true;
    }
    QList<QUrl> opened;
};

// A café of two stations whose agents run in this process, with the console shown.
struct Cafe {
    sim::StationAgent pc01{u"pc01"_s, u"aa"_s};
    sim::StationAgent pc02{u"pc02"_s, u"bb"_s};
    test::TempStore store;
    test::MemorySettingsStore settingsStore;
    Settings settings{settingsStore};
    test::ScriptedPrompts prompts;
    RecordingBrowser browser;
    std::unique_ptr<Startup> startup;
    ConsoleWindow* console = nullptr;

    bool open()
    {
        test::pinCafeLocale();
        pc01.setMessageGapMs(5);
        pc02.setMessageGapMs(5);
        if (!pc01.listen(QHostAddress::LocalHost, 0) || !pc02.listen(QHostAddress::LocalHost, 0))
            return false;
        const auto address = [](const sim::StationAgent& a) -> QString {
            return u"127.0.0.1:"_s + QString::number(a.port());
        };
        if (!store.exec(u"INSERT INTO CYBER (PC, PCIP, TIEMPO, vartipex2, MODALIDAD, LSTVARX, "
                        u"TARIFA, TOTAL) VALUES "
                        u"('PC01', ?, '0:02:00', '0:02:00', 'CONTADOR', '1', 0.5, 1.5), "
                        u"('PC02', ?, '0:00:00', NULL, NULL, NULL, 0, 0)"_s,
                        QVariantList{address(pc01), address(pc02)}) ||
            !store.exec(u"INSERT INTO TARIFAS (NOMBRE, TARIFA, TARIF_MIN, TIPO) VALUES "
                        u"('Normal', 1.5, 0.5, 'ST')"_s))
            return false;
        startup = std::make_unique<Startup>(store.store(), settings, prompts, &browser);
        QSignalSpy shown(startup.get(), &Startup::consoleShown);
        startup->begin();
        if (!shown.wait(5000))
            return false;
        console = startup->console();
        return true;
    }

    void select(int row)
    {
        QTreeView* list = console->stationList();
        list->setCurrentIndex(list->model()->index(row, 0));
    }
    template <typename T> T* find(const QString& name) { return console->findChild<T*>(name); }
    QAction* entry(const QString& name) { return find<QAction>(name); }
    const Station& station(int index) { return startup->stations().at(index); }
    QTreeWidget* journalGrid() { return console->journalGrid(); }
    // The journal grid's descriptions and amounts, one "DESCRIP=VALOR" text per row.
    QStringList journalRows()
    {
        QStringList rows;
        for (int i = 0; i < journalGrid()->topLevelItemCount(); ++i)
            rows << journalGrid()->topLevelItem(i)->text(2) + u'=' +
                        journalGrid()->topLevelItem(i)->text(5);
        return rows;
    }

    // One round of the supervision, then until both agents are connected and told.
    bool connectAll()
    {
        ConnectionSupervision& supervision = startup->supervision();
        supervision.tick();
        StationSockets& sockets = startup->sockets();
        if (!QTest::qWaitFor([&] { return sockets.isConnected(0) && sockets.isConnected(1); },
                             5000))
            return false;
        supervision.tick();
        return QTest::qWaitFor([&] { return pc01.statusCount() && pc02.statusCount(); }, 5000);
    }
};

} // namespace

class TestConsole : public QObject {
    Q_OBJECT
private slots:
    void stationMenu();
    void supervisionRunsWithTheConsole();
    void chatBothWays();
    void volumeGoesToTheSelectedStation();
    void lockFromTheMenu();
    void windowAreasAndToolbar();
    void displaySettingsShapeTheWindow();
    void journalGridFollowsTheOperatorFilter_data();
    void journalGridFollowsTheOperatorFilter();
    void counterResetAndSpeed();
    void searchAndKeys();
    void roadOfASession();
};

void TestConsole::stationMenu()
{
    Cafe cafe;
    QVERIFY(cafe.open());
    auto* menu = cafe.find<QMenu>(u"mnupuestos"_s);
    QVERIFY(menu);
    QCOMPARE(menu->title(), u"&Puestos"_s);
    QStringList captions;
    for (QAction* a : menu->actions())
        captions << a->text();
    QCOMPARE(captions,
             (QStringList{u"1.       Habilitar"_s, u"2.       Bloquear"_s,
                          u"3.       Aumentar tiempo"_s, u"4.       Intercambiar"_s,
                          u"5.       Cerrar todos los programas"_s, u"6.       Cerrar Control"_s,
                          u"7.       Cerrar Sesion"_s, u"8.       Reiniciar"_s,
                          u"9.       Apagar"_s, u"10.     Apagar los puestos"_s}));

    // The lock follows the selected station.
    cafe.select(1);
    QVERIFY(!cafe.entry(u"smnucerrar"_s)->isEnabled());
    cafe.select(0);
    QVERIFY(cafe.entry(u"smnucerrar"_s)->isEnabled());

    // Asked first, sent only on Yes.
    QVERIFY(cafe.connectAll());
    cafe.prompts.answerNext(false);
    cafe.entry(u"smnureset"_s)->trigger();
    cafe.prompts.answerNext(true);
    cafe.entry(u"smnuapa"_s)->trigger();
    QCOMPARE(cafe.prompts.questions,
             (QStringList{u"Reiniciar Puesto PC01"_s, u"Apagar Puesto PC01"_s}));
    cafe.entry(u"smnuapaall"_s)->trigger();
    QTRY_COMPARE(cafe.pc02.receivedKeywords().count(u"6"_s), 1);
    QTRY_COMPARE(cafe.pc01.receivedKeywords().count(u"6"_s), 2);
    QCOMPARE(cafe.pc01.receivedKeywords().count(u"7"_s), 0);
}

void TestConsole::supervisionRunsWithTheConsole()
{
    Cafe cafe;
    QVERIFY(cafe.open());
    QTimer* timer = cafe.console->supervisionTimer();
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 900);
    // Left to its own timer, the console connects and keeps the agents told.
    QTRY_VERIFY_WITH_TIMEOUT(cafe.pc01.statusCount() >= 2, 10000);
    QCOMPARE(cafe.pc01.lastStatus().value(0), u"1"_s);
    QCOMPARE(cafe.pc01.lastStatus().value(2), u"$ 0,50"_s);
    QTRY_COMPARE(
        cafe.console->stationList()->model()->index(0, 0).data(Qt::DecorationRole).isNull(), false);
    QCOMPARE(cafe.startup->stations().at(0).icon, u"imghabilitar"_s);
    QCOMPARE(cafe.startup->stations().at(0).pcnames, u"\\\\PC01"_s);
}

void TestConsole::chatBothWays()
{
    Cafe cafe;
    QVERIFY(cafe.open());
    QVERIFY(cafe.connectAll());
    auto* messages = cafe.find<QTreeWidget>(u"lstmensajes"_s);
    auto* text = cafe.find<QLineEdit>(u"txtmensaje"_s);

    cafe.select(0);
    cafe.pc02.send(u"MSGBOX"_s, {u"Se trabó la impresora"_s});
    QTRY_COMPARE(messages->topLevelItemCount(), 1);
    QCOMPARE(messages->topLevelItem(0)->text(0), u"PC02"_s); // the sender, not the selection
    QCOMPARE(messages->currentItem(), messages->topLevelItem(0));

    cafe.select(1);
    text->setText(u"Ya la reviso"_s);
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(text->text(), QString());
    QCOMPARE(messages->topLevelItemCount(), 2);
    QCOMPARE(messages->topLevelItem(1)->text(0), u"S > PC02"_s);
    QCOMPARE(messages->topLevelItem(1)->text(2), u"Ya la reviso"_s);
    // The operator, admin, has the chat right.
    QTRY_COMPARE(cafe.pc02.receivedKeywords().count(u"MSGBOX2"_s), 1);
    QCOMPARE(cafe.pc02.received().last().fields, QStringList{u"Ya la reviso"_s});

    text->setText(u"borrador"_s);
    cafe.find<QPushButton>(u"cmdlimpiarmensajes"_s)->click();
    QCOMPARE(messages->topLevelItemCount(), 0);
    QCOMPARE(text->text(), QString());
}

void TestConsole::volumeGoesToTheSelectedStation()
{
    Cafe cafe;
    QVERIFY(cafe.open());
    QVERIFY(cafe.connectAll());
    cafe.select(1);
    cafe.find<QScrollBar>(u"volumen"_s)->setValue(40);
    QTRY_COMPARE(cafe.pc02.receivedKeywords().count(u"SETVOL"_s), 1);
    QCOMPARE(cafe.pc02.received().last().fields, QStringList{u"40"_s});
    QCOMPARE(cafe.pc01.receivedKeywords().count(u"SETVOL"_s), 0);
}

void TestConsole::lockFromTheMenu()
{
    Cafe cafe;
    QVERIFY(cafe.open());
    QVERIFY(cafe.connectAll());
    cafe.settingsStore.write(u"questitolock"_s, u"1"_s);
    cafe.select(0);
    cafe.entry(u"smnucerrar"_s)->trigger(); // the menu's lock does not ask
    QVERIFY(cafe.prompts.questions.isEmpty());
    QCOMPARE(cafe.startup->stations().at(0).modo, QString());
    QCOMPARE(cafe.store.scalar(u"SELECT COUNT(*) FROM INFORMES"_s).toInt(), 1);
    QVERIFY(!cafe.entry(u"smnucerrar"_s)->isEnabled());

    cafe.startup->supervision().tick();
    QTRY_COMPARE(cafe.pc01.lastStatus().value(0), QString());
    QVERIFY(cafe.pc01.screenLocked());
}

void TestConsole::windowAreasAndToolbar()
{
    Cafe cafe;
    QVERIFY(cafe.open());
    QCOMPARE(cafe.console->windowTitle(), u"KESTREL 2009  [ SERVER ] "_s);
    for (const auto& [name, caption] : {std::pair{u"lblpuestos"_s, u"  Puestos"_s},
                                        {u"lblregistro"_s, u"  Registro de operaciones"_s},
                                        {u"lblimpresiones"_s, u"  Impresiones a cobrar"_s},
                                        {u"lblmensajes"_s, u"  Mensajes"_s},
                                        {u"lblvolumen"_s, u"  Volumen"_s},
                                        {u"lblbuscar"_s, u"Buscar en Internet"_s}}) {
        auto* widget = cafe.find<QWidget>(name);
        QVERIFY2(widget, qPrintable(name));
        QCOMPARE(widget->property("text").toString(), caption);
    }

    // Eight buttons, by key, in their order.
    QStringList keys, captions;
    for (QAction* a : cafe.find<QToolBar>(u"Toolbar1"_s)->actions()) {
        keys << a->objectName();
        captions << a->text();
    }
    QCOMPARE(keys, (QStringList{u"opopen"_s, u"opclose"_s, u"opcobrar"_s, u"Modo"_s, u"cmdaumen"_s,
                                u"cmdinterc"_s, u"cmdvender"_s, u"opconfig"_s}));
    QCOMPARE(captions,
             (QStringList{u"Habilitar"_s, u"Bloquear"_s, u"Cobrar"_s, u"Modo"_s, u"Aumentar"_s,
                          u"Intercambiar"_s, u"Vender"_s, u"Configuracion"_s}));

    // Every menu entry is there with its caption.
    for (const auto& [name, caption] : {std::pair{u"mnucconfig"_s, u"Configuracion"_s},
                                        {u"submenuchanop"_s, u"Cambiar Operador"_s},
                                        {u"mnuend"_s, u"Salir"_s},
                                        {u"submenvender"_s, u"&Vender"_s},
                                        {u"mnuarticulos"_s, u"Administrar"_s},
                                        {u"subnuevo"_s, u"Nuevo"_s},
                                        {u"submmbus"_s, u"Buscar/Modificar"_s},
                                        {u"submenuOp"_s, u"Administrar operadores"_s},
                                        {u"smnudiario"_s, u"Informe Diario"_s},
                                        {u"mnuinf2"_s, u"Informe Personalizado"_s},
                                        {u"printerdel"_s, u"Remover"_s},
                                        {u"mnuclearlst"_s, u"Limpiar todos los trabajos"_s},
                                        {u"mnuprintcanc"_s, u"Cancelar impresion actual"_s}}) {
        QAction* entry = cafe.entry(name);
        QVERIFY2(entry, qPrintable(name));
        QCOMPARE(entry->text(), caption);
    }

    // The journal panel's captions switch between the grid and the pending print list.
    QVERIFY(cafe.console->journalGrid()->isVisible());
    cafe.find<QPushButton>(u"lblimpresiones"_s)->click();
    QVERIFY(cafe.find<QTreeWidget>(u"lstimpresiones"_s)->isVisible());
    QVERIFY(!cafe.console->journalGrid()->isVisible());
    cafe.find<QPushButton>(u"lblregistro"_s)->click();
    QVERIFY(cafe.console->journalGrid()->isVisible());
}

void TestConsole::displaySettingsShapeTheWindow()
{
    Cafe cafe;
    cafe.settingsStore.write(u"Visualizacion0"_s, u"0"_s); // messages
    cafe.settingsStore.write(u"Visualizacion4"_s, u"0"_s); // "Sub"
    cafe.settingsStore.write(u"Visualizacion5"_s, u"0"_s); // "Cobrar"
    cafe.settingsStore.write(u"Visualizacion9"_s, u"2"_s); // "Usuario" two inches
    QVERIFY(cafe.open());
    QTreeView* list = cafe.console->stationList();
    QVERIFY(list->isColumnHidden(4));
    QVERIFY(!list->isColumnHidden(3));
    QCOMPARE(list->columnWidth(3), 2 * cafe.console->logicalDpiX());
    QVERIFY(!cafe.find<QWidget>(u"panelmensajes"_s)->isVisible());
    QVERIFY(cafe.find<QWidget>(u"panelvolumen"_s)->isVisible());
    QVERIFY(!cafe.entry(u"opcobrar"_s)->isVisible());
    QVERIFY(cafe.entry(u"Modo"_s)->isVisible());
}

void TestConsole::journalGridFollowsTheOperatorFilter_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("own rows by default") << QString() << QStringList{u"mine=1,00"_s};
    QTest::newRow("own rows with 0") << u"0"_s << QStringList{u"mine=1,00"_s};
    QTest::newRow("every operator with 1")
        << u"1"_s << QStringList{u"mine=1,00"_s, u"theirs=2,50"_s};
}

void TestConsole::journalGridFollowsTheOperatorFilter()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, rows);
    Cafe cafe;
    if (!filter.isNull())
        cafe.settingsStore.write(u"Visualizacion11"_s, filter);
    const QString today = Journal::dateText(QDate::currentDate());
    const QString yesterday = Journal::dateText(QDate::currentDate().addDays(-1));
    QVERIFY(cafe.store.exec(
        u"INSERT INTO INFORMES (FECHA, HORA, VALOR, USER, PC, DESCRIP, OPERADOR) VALUES "
        u"(?, '08:00:00', 1, 'ANONIMO', 'PC01', 'mine', 'admin'), "
        u"(?, '08:10:00', 2.5, 'ANONIMO', 'PC02', 'theirs', 'otro'), "
        u"(?, '23:00:00', 7, 'ANONIMO', 'PC02', 'yesterday', 'admin')"_s,
        {today, today, yesterday}));
    QVERIFY(cafe.open());
    QCOMPARE(cafe.journalRows(), rows);
}

void TestConsole::counterResetAndSpeed()
{
    Cafe cafe;
    QVERIFY(cafe.open());
    cafe.console->meteringTimer()->stop();
    cafe.startup->stations().update(1, [](Station& s) {
        s.tiempo = u"0:30:00"_s;
        s.total = u"2,00"_s;
    });
    auto* clear = cafe.find<QPushButton>(u"cmdlimpiar"_s);
    QCOMPARE(clear->toolTip(), u"Limpiar contadores , subtotales y totales"_s);
    clear->click();
    QCOMPARE(cafe.station(1).tiempo, u"0:00:00"_s);
    QCOMPARE(cafe.station(1).total, u"0,00"_s);
    QCOMPARE(cafe.station(0).tiempo, u"0:02:00"_s); // in a session: untouched

    cafe.find<QSlider>(u"sldvelocidad"_s)->setValue(250);
    QCOMPARE(cafe.console->meteringTimer()->interval(), 250);
}

void TestConsole::searchAndKeys()
{
    Cafe cafe;
    QVERIFY(cafe.open());
    auto* box = cafe.find<QLineEdit>(u"txtbuscar"_s);
    box->setText(u"horario bus"_s);
    QTest::keyClick(box, Qt::Key_Return);
    box->clear();
    cafe.find<QPushButton>(u"cmdbuscar"_s)->click();
    QCOMPARE(cafe.browser.opened,
             (QList<QUrl>{searchAddress(u"horario bus"_s), searchAddress(QString())}));

    // Keys reach the shortcut hook once each, whichever control has the focus.
    QSignalSpy keys(cafe.console, &ConsoleWindow::keyDown);
    cafe.console->activateWindow();
    // The click presses Ctrl first, as the operator's hand does.
    QTest::keyClick(cafe.console->windowHandle(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(keys.count(), 2);
    QCOMPARE(keys.at(0).at(0).toInt(), 17);
    QCOMPARE(keys.at(1).at(0).toInt(), 65);
}

// A day's road: open a station counting, change it to prepaid, add time, charge another with its
// prints, and see the agents told and the journal grid filled.
void TestConsole::roadOfASession()
{
    Cafe cafe;
    QVERIFY(cafe.store.exec(u"INSERT INTO Impresiones (PC, impresora, cantidad, pagimpres, valor, "
                            u"fecha, hora, jobid) VALUES ('\\\\pc01', 'Laser', 3, 3, '1,50', "
                            u"'2026-12-04', '09:00:00', 12)"_s));
    QVERIFY(cafe.open());
    QVERIFY(cafe.connectAll());
    cafe.console->meteringTimer()->stop(); // the times below are checked to the second
    ConnectionSupervision& supervision = cafe.startup->supervision();

    // Open PC02, counting.
    cafe.select(1);
    QVERIFY(cafe.entry(u"opopen"_s)->isEnabled());
    QVERIFY(!cafe.entry(u"opcobrar"_s)->isEnabled());
    cafe.entry(u"opopen"_s)->trigger();
    OpenStationDialog* open = cafe.console->openStationDialog();
    QVERIFY(open && open->isVisible());
    open->findChild<QComboBox*>(u"cmbtarifa"_s)->setCurrentIndex(0);
    open->findChild<QRadioButton*>(u"optcontador"_s)->click();
    open->findChild<QPushButton*>(u"cmdaceptar"_s)->click();
    QVERIFY(!open->isVisible());
    QCOMPARE(cafe.station(1).modo, u"CONTADOR"_s);
    QCOMPARE(cafe.station(1).LSTCLWA, u"1"_s);
    QCOMPARE(cafe.station(1).sub, u"0,50"_s);
    QVERIFY(!cafe.entry(u"opopen"_s)->isEnabled());
    QVERIFY(cafe.entry(u"opcobrar"_s)->isEnabled());
    supervision.tick();
    QTRY_COMPARE(cafe.pc02.lastStatus().value(0), u"1"_s);
    QVERIFY(!cafe.pc02.screenLocked());

    // Change it to prepaid, 45 minutes.
    cafe.entry(u"Modo"_s)->trigger();
    QVERIFY(open->isVisible());
    open->findChild<QComboBox*>(u"cmbtarifa"_s)->setCurrentIndex(0);
    open->findChild<QRadioButton*>(u"optprepago"_s)->click();
    open->findChild<QPushButton*>(u"cmdq45"_s)->click();
    open->findChild<QPushButton*>(u"cmdaceptar"_s)->click();
    QCOMPARE(cafe.station(1).modo, u"PREPAGO"_s);
    QCOMPARE(cafe.station(1).vartipex3, u"0:45:00"_s);
    QCOMPARE(cafe.station(1).tiempo, u"0:45:00"_s);
    supervision.tick();
    QTRY_COMPARE(cafe.pc02.lastStatus().value(0), u"3"_s);
    QCOMPARE(cafe.pc02.lastStatus().value(1), u"0:45:00"_s);

    // Add a quarter of an hour (less the minute the addition costs).
    QVERIFY(cafe.entry(u"cmdaumen"_s)->isEnabled());
    cafe.entry(u"cmdaumen"_s)->trigger();
    QVERIFY(open->isVisible());
    open->findChild<QPushButton*>(u"cmdq15"_s)->click();
    open->findChild<QPushButton*>(u"cmdaceptar"_s)->click();
    QCOMPARE(cafe.station(1).vartipex3, u"0:59:00"_s);

    // Charge PC01: its rental, and its print job recorded under its computer name in lower case.
    cafe.select(0);
    QVERIFY(cafe.entry(u"opcobrar"_s)->isEnabled());
    cafe.entry(u"opcobrar"_s)->trigger();
    ChargeDialog* charge = cafe.console->chargeDialog();
    QVERIFY(charge && charge->isVisible());
    QCOMPARE(charge->findChild<QTreeWidget*>(u"lstservicios"_s)->topLevelItemCount(), 2);
    QCOMPARE(charge->findChild<QLabel*>(u"lbltotal"_s)->text(), u"3,00"_s);
    auto* tendered = charge->findChild<QLineEdit*>(u"txtcantidad"_s);
    auto* cobrar = charge->findChild<QPushButton*>(u"cmdcobrar"_s);

    tendered->setText(u"2,99"_s);
    cobrar->click();
    QCOMPARE(cafe.prompts.toldTexts(), QStringList{u"Cantidad incorrecta"_s});
    tendered->setText(u"3"_s);
    QCOMPARE(charge->findChild<QLabel*>(u"lblcambio"_s)->text(), u"0"_s);
    cafe.prompts.answerNext(false);
    cobrar->click();
    QCOMPARE(cafe.prompts.questions, QStringList{u"Esta todo correcto ?"_s});
    QVERIFY(charge->isVisible());
    QCOMPARE(cafe.station(0).modo, u"CONTADOR"_s);
    QVERIFY(cafe.journalRows().isEmpty());

    cafe.prompts.answerNext(true);
    cobrar->click();
    QVERIFY(!charge->isVisible());
    QCOMPARE(cafe.station(0).modo, QString());
    QCOMPARE(cafe.journalRows(), (QStringList{u"CONTADOR=0,50"_s, u"3 IMPRESION(ES) =1,50"_s}));
    QCOMPARE(cafe.find<QTreeWidget>(u"lstimpresiones"_s)->topLevelItemCount(), 0);
    QCOMPARE(cafe.store.scalar(u"SELECT COUNT(*) FROM Impresiones"_s).toInt(), 0);
    QVERIFY(!cafe.entry(u"opcobrar"_s)->isEnabled());
    QVERIFY(cafe.prompts.unexpectedQuestions.isEmpty());
    supervision.tick();
    QTRY_VERIFY(cafe.pc01.screenLocked());
}

QTEST_MAIN(TestConsole)
#include "tst_console.moc"
