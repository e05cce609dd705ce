// The console driven as the operator drives it, against station agents in this process.
#include "app/startup.h"
#include "journal/journal.h"
#include "operators/shortcuts.h"
#include "printing/printmonitor.h"
#include "stationagent.h"
#include "support/testsupport.h"
#include "ui/accounts/accountswindow.h"
#include "ui/common/aboutwindow.h"
#include "ui/common/messageboxprompts.h"
#include "ui/console/consoledialogs.h"
#include "ui/console/consolewindow.h"
#include "ui/console/messagespanel.h"
#include "ui/console/shortcutkeys.h"
#include "ui/operators/loginwindow.h"
#include "ui/options/optionsdialog.h"
#include "ui/options/shortcutspage.h"
#include "ui/sales/saledialog.h"
#include "ui/stations/chargedialog.h"
#include "ui/stations/openstationdialog.h"
#include "ui/stations/swapdialog.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

// A list's rows, each its columns' texts joined by "|".
QStringList rowsOf(QAbstractItemView* view, std::initializer_list<int> columns)
{
    QStringList rows;
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        QStringList texts;
        for (int column : columns)
            texts << view->model()->index(row, column).data().toString();
        rows << texts.join(u'|');
    }
    return rows;
}

// A café of two stations whose agents run in this process, with the console shown: PC01 counts
// for its second minute at 0,50 and owes 15,30 and a print job of 1,50 sent under its name in
// lower case; PC02 is free. The journal holds a row of today by admin and one by "otro".
struct Cafe {
    sim::StationAgent pc01{u"pc01"_s, u"aa"_s};
    sim::StationAgent pc02{u"pc02"_s, u"bb"_s};
    test::TempStore store;
    test::MemorySettingsStore settingsStore;
    Settings settings{settingsStore};
    test::ScriptedPrompts prompts;
    test::ScriptedSpooler spooler;
    std::unique_ptr<Startup> startup;
    ConsoleWindow* console = nullptr;

    bool open()
    {
        test::pinCafeLocale();
        QVariantList values;
        for (sim::StationAgent* agent : {&pc01, &pc02}) {
            agent->setMessageGapMs(5);
            if (!agent->listen(QHostAddress::LocalHost, 0))
                return false;
            values << QVariant(u"127.0.0.1:"_s + QString::number(agent->port()));
        }
        const QString today = Journal::dateText(QDate::currentDate());
        if (!store.exec(u"INSERT INTO CYBER (PC, PCIP, TIEMPO, vartipex2, MODALIDAD, LSTVARX, "
                        u"TARIFA, TOTAL, PCNAME) VALUES ('PC01', ?, '0:02:00', '0:02:00', "
                        u"'CONTADOR', '1', 0.5, 15.3, '\\\\PC01'), "
                        u"('PC02', ?, '0:00:00', NULL, NULL, NULL, 0, 0, NULL)"_s,
                        values) ||
            !store.exec(u"INSERT INTO TARIFAS (NOMBRE, TARIFA, TARIF_MIN, TIPO) VALUES "
                        u"('Normal', 1.5, 0.5, 'ST')"_s) ||
            !store.exec(u"INSERT INTO Impresiones (PC, impresora, cantidad, valor, jobid) VALUES "
                        u"('\\\\pc01', 'Laser', 3, '1,50', 12)"_s) ||
            !store.exec(u"INSERT INTO INFORMES (FECHA, HORA, VALOR, USER, PC, DESCRIP, OPERADOR) "
                        u"VALUES (?, '08:00:00', 1, 'ANONIMO', 'PC01', 'mía', 'admin'), "
                        u"(?, '08:10:00', 2.5, 'ANONIMO', 'PC02', 'suya', 'otro')"_s,
                        {today, today}))
            return false;
        startup = std::make_unique<Startup>(store.store(), settings, prompts, nullptr, &spooler);
        QSignalSpy shown(startup.get(), &Startup::consoleShown);
        startup->begin(); // the only operator has no password: the splash, then the console
        const bool splashFirst = !startup->loginWindow()->isVisible() && !startup->console() &&
                                 startup->splash()->isVisible();
        return shown.wait(5000) && splashFirst && !startup->splash()->isVisible() &&
               (console = startup->console());
    }
    QTreeView* list() const { return console->stationList(); }
    const ConsoleActions& act() const { return console->actions(); }
    ConsoleDialogs& dialogs() const { return console->dialogs(); }
    void select(int row) { list()->setCurrentIndex(list()->model()->index(row, 0)); }
    QString stations(std::initializer_list<int> cs) { return rowsOf(list(), cs).join(u';'); }
    QString journal() { return rowsOf(console->journalGrid(), {2, 5}).join(u';'); }
    template <typename T = QWidget> T* find(const QString& n) { return console->findChild<T*>(n); }
};

} // namespace

// The day's steps run in their order over one café, each from where the one before left it.
class TestConsole : public QObject {
    Q_OBJECT
private slots:
    void dayTimersMeterAndSupervise();
    void dayCommandsFollowTheSelection();
    void dayChargeFreesTheStation();
    void dayMessagesGoBothWays();
    void dayStationOpenedChangedAndLocked();
    void dayPrintJobRecordedAndRemoved();
    void dayAccountCreatedAndListed();
    void dayChangeOfOperatorAppliesRights();
    void dayClosingAsksFirst();
    void cleanupTestCase() { m_day.reset(); }

    void questionsTakeTheirLetter_data();
    void questionsTakeTheirLetter();
    void displaySettingsShapeTheWindow_data();
    void displaySettingsShapeTheWindow();
    void theOptionsWriteOnlyOnAplicar();
    void shortcutsRunTheirActions();

private:
    std::unique_ptr<Cafe> m_day;
};

// The timers supervise the agents and meter; the prompts' buttons speak Spanish.
void TestConsole::dayTimersMeterAndSupervise()
{
    m_day = std::make_unique<Cafe>();
    Cafe& c = *m_day;
    QVERIFY(c.open());
    QMessageBox box(QMessageBox::Question, u"Kestrel"_s, u"?"_s,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel);
    speakSpanish(box);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), u"&Sí"_s);
    QCOMPARE(box.button(QMessageBox::No)->text(), u"&No"_s);
    QCOMPARE(box.button(QMessageBox::Ok)->text(), u"&Aceptar"_s);
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), u"&Cancelar"_s);
    QTimer* metering = c.console->meteringTimer();
    QVERIFY(metering->isActive());
    QCOMPARE(metering->interval(), 1000);
    metering->stop(); // the times below are checked to the second
    QVERIFY(QTest::qWaitFor([&] { return c.pc01.statusCount() && c.pc02.statusCount(); }, 10000));
    QCOMPARE(c.pc01.lastStatus().value(0), u"1"_s);
    QCOMPARE(c.pc01.lastStatus().value(2), u"$ 0,50"_s);
    QVERIFY(!c.list()->model()->index(0, 0).data(Qt::DecorationRole).isNull());
    c.startup->metering().tick();
    QCOMPARE(c.stations({0, 1, 2}), u"PC01|0:02:01|CONTADOR;PC02|0:00:00|"_s);
    QCOMPARE(c.console->statusPanel(1)->text(), u"Puestos libres: 1 Ocupados: 1"_s);
    QVERIFY(!c.console->statusPanel(3)->text().isEmpty());
    QVERIFY(c.console->statusPanel(4)->text().contains(u':'));
}

// "Limpiar" resets free stations; commands follow the selected station, the menu's agent
// commands ask first and "Apagar los puestos" does not.
void TestConsole::dayCommandsFollowTheSelection()
{
    QVERIFY(m_day);
    Cafe& c = *m_day;
    c.startup->stations().update(1, [](Station& s) { s.tiempo = u"0:30:00"_s; });
    c.find<QPushButton>(u"cmdlimpiar"_s)->click();
    QCOMPARE(c.stations({1}), u"0:02:01;0:00:00"_s);
    c.select(1);
    QVERIFY(!c.act().charge->isEnabled());
    c.select(0);
    QVERIFY(c.act().charge->isEnabled());
    c.prompts.answerNext(true);
    c.act().shutDown->trigger();
    c.act().shutDownAll->trigger();
    QTRY_COMPARE(c.pc01.receivedKeywords().count(u"6"_s), 2);
    QTRY_COMPARE(c.pc02.receivedKeywords().count(u"6"_s), 1);
    QCOMPARE(c.prompts.questions, QStringList{u"Apagar Puesto PC01"_s});
}

// Charged, PC01 is freed and locked, the grid shows the rows, the print list empties.
void TestConsole::dayChargeFreesTheStation()
{
    QVERIFY(m_day);
    Cafe& c = *m_day;
    c.act().charge->trigger();
    ChargeDialog* charge = c.dialogs().chargeDialog();
    QVERIFY(charge && QTest::qWaitForWindowActive(charge));
    auto* tendered = charge->findChild<QLineEdit*>(u"txtcantidad"_s);
    tendered->clear();
    QTest::keyClicks(tendered, u"20"_s);
    QCOMPARE(rowsOf(charge->findChild<QTreeWidget*>(u"lstservicios"_s), {0, 1, 2}),
             (QStringList{u"3|SERVICIO DE IMPRESION|1,50"_s, u"1|ALQUILER DE PC|0,50"_s}));
    QCOMPARE(charge->findChild<QLabel*>(u"lblcambio"_s)->text(), u"2,70"_s);
    c.prompts.answerNext(true);
    charge->findChild<QPushButton*>(u"cmdcobrar"_s)->click();
    QVERIFY(!charge->isVisible());
    QVERIFY(!c.act().charge->isEnabled());
    QCOMPARE(c.stations({2}), u";"_s);
    QCOMPARE(c.journal(), u"mía|1,00;CONTADOR|0,50;3 IMPRESION(ES) |1,50"_s);
    QCOMPARE(c.console->printList()->topLevelItemCount(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(c.pc01.screenLocked(), 5000);
}

// Messages go both ways, a long one in a taller row; the volume goes to the selected station.
void TestConsole::dayMessagesGoBothWays()
{
    QVERIFY(m_day);
    Cafe& c = *m_day;
    auto* messages = c.find<QTreeWidget>(u"lstmensajes"_s);
    c.pc02.send(u"MSGBOX"_s, {u"Se trabó la impresora"_s});
    QTRY_COMPARE(messages->topLevelItemCount(), 1); // each message in a read of its own
    // A long message: a taller row of at most MaxLines lines, its tool tip the whole text kept.
    const QString essay = u"La impresora sigue trabada, "_s.repeated(100);
    c.pc02.send(u"MSGBOX"_s, {essay});
    QTRY_COMPARE(messages->topLevelItemCount(), 2);
    QCOMPARE(rowsOf(messages, {0}), QStringList(2, u"PC02"_s)); // the sender, not the selection
    QCOMPARE(messages->currentItem(), messages->topLevelItem(1));
    QCOMPARE(messages->topLevelItem(1)->toolTip(2), essay.left(2000) + u'…');
    const int line = messages->fontMetrics().lineSpacing();
    const auto height = [&](int row) {
        return messages->visualItemRect(messages->topLevelItem(row)).height();
    };
    QVERIFY(height(0) < 2 * line);
    QVERIFY(height(1) >= MessagesPanel::MaxLines * line);
    QVERIFY(height(1) < (MessagesPanel::MaxLines + 1) * line);
    c.select(1);
    auto* text = c.find<QLineEdit>(u"txtmensaje"_s);
    text->setText(u"Ya la reviso"_s);
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(text->text(), QString());
    QCOMPARE(rowsOf(messages, {0, 2}).value(2), u"S > PC02|Ya la reviso"_s);
    QTRY_COMPARE(c.pc02.receivedKeywords().count(u"MSGBOX2"_s), 1); // admin may chat
    text->setText(u"borrador"_s);
    c.find<QPushButton>(u"cmdlimpiarmensajes"_s)->click();
    QCOMPARE(messages->topLevelItemCount(), 0);
    QCOMPARE(text->text(), QString());
    c.find<QScrollBar>(u"volumen"_s)->setValue(40);
    QTRY_COMPARE(c.pc02.receivedKeywords().count(u"SETVOL"_s), 1);
    QCOMPARE(c.pc02.received().last().fields, QStringList{u"40"_s});
}

// PC02 is opened counting and waiting for the start press (its agent is told), made prepaid,
// given time and locked from the menu without a question.
void TestConsole::dayStationOpenedChangedAndLocked()
{
    QVERIFY(m_day);
    Cafe& c = *m_day;
    QVERIFY(c.act().open->isEnabled());
    QVERIFY(!c.act().lockEntry->isEnabled());
    c.act().open->trigger();
    OpenStationDialog* open = c.dialogs().openStationDialog();
    const auto choose = [&](const QString& mode, const QStringList& buttons) {
        QVERIFY(open->isVisible());
        QCOMPARE(open->mode(), mode);
        QCOMPARE(open->findChild<QLabel*>(u"lblpuesto"_s)->text(), u"ABRIR PUESTO PC02"_s);
        open->findChild<QComboBox*>(u"cmbtarifa"_s)->setCurrentIndex(0);
        for (const QString& name : buttons + QStringList{u"cmdaceptar"_s})
            open->findChild<QAbstractButton*>(name)->click();
        QVERIFY(!open->isVisible());
    };
    choose(u"OPEN"_s, {u"optcontador"_s, u"chkesperar"_s});
    QCOMPARE(c.stations({1, 2, 4}).section(u';', 1), u"0:00:00|EN ESPERA|0,50"_s);
    QVERIFY(!c.act().open->isEnabled());
    QVERIFY(c.act().charge->isEnabled());
    QTRY_COMPARE(c.pc02.lastStatus().value(0), u"2"_s);
    c.act().charge->trigger(); // the amount tendered stays, the change is this bill's
    ChargeDialog* charge = c.dialogs().chargeDialog();
    QCOMPARE(charge->findChild<QLineEdit*>(u"txtcantidad"_s)->text(), u"20"_s);
    QCOMPARE(charge->findChild<QLabel*>(u"lblcambio"_s)->text(), u"20,00"_s);
    charge->findChild<QPushButton*>(u"cmdcancelar"_s)->click();
    c.act().mode->trigger();
    choose(u"MODO"_s, {u"optprepago"_s, u"cmdq45"_s});
    QCOMPARE(c.stations({1, 2}).section(u';', 1), u"0:45:00|PREPAGO"_s);
    c.act().addTime->trigger();
    choose(u"INCREM"_s, {u"cmdq15"_s});
    QCOMPARE(c.startup->stations().at(1).vartipex3, u"0:59:00"_s);
    c.settingsStore.write(u"questitolock"_s, u"1"_s);
    c.act().lockEntry->trigger(); // enabled: a disabled entry would do nothing
    QCOMPARE(c.stations({2}), u";"_s);
    QVERIFY(!c.act().lockEntry->isEnabled());
    QCOMPARE(c.prompts.questions.size(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(c.pc02.screenLocked(), 5000);
}

// The monitor records PC02's printing job from the ticks; "Remover" asks, and takes it.
void TestConsole::dayPrintJobRecordedAndRemoved()
{
    QVERIFY(m_day);
    Cafe& c = *m_day;
    c.spooler.set({u"Laser"_s},
                  {{u"Laser"_s, {{40, u"\\\\PC02"_s, 2, 1, JobStatus::Printing, false}}}});
    QTreeWidget* prints = c.console->printList();
    const auto ticked = [&] { return c.startup->metering().tick(), prints->topLevelItemCount(); };
    QTRY_COMPARE(ticked(), 1);
    QSignalSpy passes(&c.startup->monitor(), &PrintMonitor::passFinished);
    c.spooler.set({u"Laser"_s}, {{u"Laser"_s, {}}});
    QTRY_VERIFY(ticked() == 1 && passes.size() >= 2); // the job has left the queue
    prints->setCurrentItem(prints->topLevelItem(0));
    for (const bool yes : {false, true}) {
        c.prompts.answerNext(yes);
        c.act().removePrint->trigger();
    }
    QCOMPARE(prints->topLevelItemCount(), 0);
    QCOMPARE(c.prompts.questions.takeLast(), u"Desea remover de la lista?"_s);
    c.prompts.questions.removeLast();
}

// "Nuevo" of "&Cuentas" creates an account that the accounts window then lists.
void TestConsole::dayAccountCreatedAndListed()
{
    QVERIFY(m_day);
    Cafe& c = *m_day;
    c.act().accounts->trigger();
    c.act().newAccount->trigger();
    OpenStationDialog* open = c.dialogs().openStationDialog();
    QCOMPARE(open->mode(), u"CREATE"_s);
    open->findChild<QLineEdit*>(u"txtusuario"_s)->setText(u"ana"_s);
    open->findChild<QComboBox*>(u"cmbtarifa"_s)->setCurrentIndex(0);
    for (const char* name : {"cmdq1h", "cmdaceptar"})
        open->findChild<QAbstractButton*>(name)->click();
    QTableWidget* accounts = c.dialogs().accountsWindow()->grid();
    QCOMPARE(accounts->rowCount(), 1);
    QCOMPARE(accounts->item(0, 0)->text(), u"ana"_s);
    QCOMPARE(accounts->item(0, 1)->text(), u"1:00:00"_s);
    c.dialogs().accountsWindow()->close();
}

// "Cambiar Operador": a name and a password typed and a button pressed. What the operator is
// told, the password left, the operator shown, then "+" shown or "-" hidden: the toolbar's
// "Configuracion", the menus "&Informes" and "&Operadores", the entries "Configuracion", "Nuevo"
// and "Administrar". A change applies at once, without a second splash.
void TestConsole::dayChangeOfOperatorAppliesRights()
{
    QVERIFY(m_day);
    Cafe& c = *m_day;
    const ConsoleActions& a = c.act();
    const auto reachable = [&] {
        QString out;
        for (const QAction* action :
             {a.options, a.reportsMenu->menuAction(), a.operatorsMenu->menuAction(), a.optionsEntry,
              a.newAccount, a.products})
            out += action->isVisible() ? u'+' : u'-';
        return out;
    };
    QCOMPARE(c.console->statusPanel(2)->text(), u"Operador: admin"_s);
    QCOMPARE(reachable(), u"++++++"_s);
    QVERIFY(c.store.addOperator(u"Lectora"_s, u"l"_s,
                                {int(Right::ViewReports), int(Right::ModifyOptions)}));
    QVERIFY(c.store.addOperator(u"Caja"_s, u"c"_s, {}));
    QSignalSpy shown(c.startup.get(), &Startup::consoleShown);
    LoginWindow* login = c.startup->loginWindow();
    auto* user = login->findChild<QLineEdit*>(u"txtusuario"_s);
    auto* password = login->findChild<QLineEdit*>(u"txtpassword"_s);
    const struct {
        QString name, secret;
        const char* button;
        QString told, passwordLeft, shownOperator, rights;
    } attempts[] = {
        {u""_s, u"x"_s, "cmdingresar", u"2 Ingrese el usuario"_s, u"x"_s, u"admin"_s, u"++++++"_s},
        {u"nadie"_s, u"x"_s, "cmdingresar", u"3 Usuario incorrecto"_s, u"x"_s, u"admin"_s,
         u"++++++"_s},
        {u"caja"_s, u"C"_s, "cmdingresar", u"3 Contraseña incorrecta"_s, u""_s, u"admin"_s,
         u"++++++"_s},
        {u"caja"_s, u"c"_s, "cmdingresar", u""_s, u"c"_s, u"Caja"_s, u"------"_s},
        {u"lectora"_s, u"l"_s, "cmdingresar", u""_s, u"l"_s, u"Lectora"_s, u"++-+--"_s},
        // "Cancelar" keeps the operator in force, even with a valid name typed.
        {u"caja"_s, u"c"_s, "cmdsalir", u""_s, u"c"_s, u"Lectora"_s, u"++-+--"_s},
    };
    for (const auto& t : attempts) {
        if (!login->isVisible()) {
            a.changeOperator->trigger();
            QCOMPARE(user->text(), QString()); // the boxes open empty
            QCOMPARE(password->text(), QString());
        }
        user->setText(t.name);
        password->setText(t.secret);
        login->findChild<QPushButton*>(t.button)->click();
        QStringList told;
        for (const auto& said : std::exchange(c.prompts.told, {}))
            told << QString::number(int(said.icon)) + u' ' + said.text;
        QCOMPARE(told.join(u';'), t.told);
        QCOMPARE(password->text(), t.passwordLeft);
        QCOMPARE(c.console->statusPanel(2)->text(), u"Operador: "_s + t.shownOperator);
        QCOMPARE(reachable(), t.rights);
        if (login->isVisible()) // open for a change of operator, its "Salir" cancels it
            QCOMPARE(login->findChild<QPushButton*>(u"cmdsalir"_s)->text(), u"Cancelar"_s);
    }
    QVERIFY(!login->isVisible());
    QVERIFY(shown.isEmpty());
}

// Closing asks first; "No" keeps the console.
void TestConsole::dayClosingAsksFirst()
{
    QVERIFY(m_day);
    Cafe& c = *m_day;
    c.prompts.answerNext(false);
    QVERIFY(!c.console->close());
    c.prompts.answerNext(true);
    QVERIFY(c.console->close());
    QCOMPARE(c.prompts.questions.mid(2), QStringList(2, u"Desea cerrar el programa ?"_s));
    m_day.reset();
}

void TestConsole::questionsTakeTheirLetter_data()
{
    test::addRows("key | answer", R"(
        S answers Sí               |S     |yes
        N answers No               |N     |no
        Enter takes No, the default|Return|no
        another letter does nothing|A     |none)");
}

// The operator answers a question from the keyboard, on the box the prompts really show.
void TestConsole::questionsTakeTheirLetter()
{
    QFETCH(test::Row, r);
    const Qt::Key key = QKeySequence::fromString(r[u"key"])[0].key();
    bool pressed = false;
    bool unanswered = false;
    QObject timers; // the timers go with this row
    QTimer::singleShot(0, &timers, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, key);
            pressed = true;
        }
    });
    // A key the box does not take leaves it open: it is closed here, and the test says so.
    QTimer::singleShot(1500, &timers, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            unanswered = true;
            box->close();
        }
    });
    MessageBoxPrompts prompts;
    const bool yes = prompts.askYesNo(u"Desea bloquear ?"_s);
    QVERIFY(pressed);
    QCOMPARE(unanswered ? u"none"_s : yes ? u"yes"_s : u"no"_s, r[u"answer"]);
}

void TestConsole::displaySettingsShapeTheWindow_data()
{
    // The "Visualizacion" keys written 0 (or "key=value"), then what is hidden: panels, toolbar
    // buttons, the list's columns "Sub" and "Usuario", "otro" the other operator's journal row.
    test::addRows("settings | hidden", R"(
    nothing off         |        |otro
    messages, Sub, promo, Cobrar|0 4 5 10|panelmensajes panelpromo opcobrar Sub otro
    journal, Modo, Vender, Usuario|2 6 7 9|panelregistro Modo cmdvender Usuario otro
    Configuracion       |8       |opconfig otro
    only the promo left |0 1 3   |panelmensajes panelvolumen panelbuscar otro
    all side panels |0 1 3 10|panelmensajes panelvolumen panelbuscar panelpromo panellateral otro
    every operator's journal|11=1|
    )");
}

// The operator, admin, has every right: the setting alone hides "Configuracion".
void TestConsole::displaySettingsShapeTheWindow()
{
    QFETCH(test::Row, r);
    Cafe c;
    c.settingsStore.write(u"Visualizacion9"_s, u"2"_s); // "Usuario" two inches wide
    for (const QString& setting : r[u"settings"].split(u' ', Qt::SkipEmptyParts))
        c.settingsStore.write(u"Visualizacion"_s + setting.section(u'=', 0, 0),
                              setting.contains(u'=') ? setting.section(u'=', 1) : u"0"_s);
    QVERIFY(c.open());
    const ConsoleActions& a = c.act();
    const QHash<QString, QAction*> buttons{{u"opcobrar"_s, a.charge},
                                           {u"Modo"_s, a.mode},
                                           {u"cmdvender"_s, a.sell},
                                           {u"opconfig"_s, a.options}};
    QStringList hidden;
    for (const QString& name :
         u"panelmensajes panelvolumen panelregistro panelbuscar panelpromo "
         u"panellateral opcobrar Modo cmdvender opconfig Sub Usuario otro"_s.split(u' ')) {
        const int column = name == u"Sub"_s ? 4 : name == u"Usuario"_s ? 3 : 0;
        QAction* action = buttons.value(name);
        const bool shown = name == u"otro"_s ? c.journal() == u"mía|1,00;suya|2,50"_s
                           : column          ? !c.list()->isColumnHidden(column)
                           : action          ? action->isVisible()
                                             : c.find(name)->isVisible();
        if (!shown)
            hidden << name;
    }
    QCOMPARE(hidden, r[u"hidden"].split(u' ', Qt::SkipEmptyParts));
    QVERIFY(c.journal().startsWith(u"mía|1,00"_s));
    if (!hidden.contains(u"Usuario"_s))
        QCOMPARE(c.list()->columnWidth(3), 2 * c.console->logicalDpiX());
}

// "Configuracion" from the menu: "Cerrar" keeps what is stored, the dialog opens again on the
// stored values; the lock options go to both connected agents; "Aplicar" writes the keys, sets
// the supervision's interval, hides what the display boxes hide and puts the operator's
// shortcuts in force.
void TestConsole::theOptionsWriteOnlyOnAplicar()
{
    Cafe c;
    QVERIFY(c.open());
    QVERIFY(QTest::qWaitFor([&] { return c.pc01.statusCount() > 0 && c.pc02.statusCount() > 0; }));
    c.act().optionsEntry->trigger();
    OptionsDialog* options = c.dialogs().optionsDialog();
    QVERIFY(options && options->isVisible() && !options->isModal());
    auto* tax = options->findChild<QLineEdit*>(u"txtimpuesto"_s);
    QCOMPARE(tax->text(), u"12"_s);
    tax->setText(u"15"_s);
    options->findChild<QPushButton*>(u"cmdcerrar"_s)->click();
    QCOMPARE(c.settingsStore.read(u"IMPUESTO"_s, u"absent"_s), u"absent"_s);
    c.act().options->trigger();
    options = c.dialogs().optionsDialog();
    tax = options->findChild<QLineEdit*>(u"txtimpuesto"_s);
    QCOMPARE(tax->text(), u"12"_s);

    options->findChild<QRadioButton*>(u"optbloqueo3"_s)->click();
    options->findChild<QCheckBox*>(u"chksinserver"_s)->setChecked(true);
    c.pc01.clearReceived();
    c.pc02.clearReceived();
    options->findChild<QPushButton*>(u"cmdaplicartodos"_s)->click();
    for (sim::StationAgent* agent : {&c.pc01, &c.pc02}) {
        QVERIFY(QTest::qWaitFor([&] { return agent->receivedKeywords().contains(u"BLOCKOPT"_s); }));
        for (const auto& m : agent->received())
            if (m.keyword == u"BLOCKOPT"_s)
                QCOMPARE(m.fields, (QStringList{u"3"_s, u"0"_s, u"1"_s}));
    }

    tax->setText(u"15"_s);
    options->findChild<QComboBox*>(u"cmbintervalo"_s)->setEditText(u"2"_s);
    options->findChild<QCheckBox*>(u"chkvisual7"_s)->setChecked(false); // "Vender"
    ShortcutsPage* keys = options->shortcutsPage();
    c.prompts.answerNext(true);
    keys->findChild<QPushButton*>(u"cmdpredeterminada"_s)->click();
    QCOMPARE(keys->list()->topLevelItemCount(), 4);
    options->findChild<QPushButton*>(u"cmdaplicar"_s)->click();
    QVERIFY(!options->isVisible());
    QCOMPARE(c.settingsStore.read(u"IMPUESTO"_s, {}), u"15"_s);
    QCOMPARE(c.console->supervisionTimer()->interval(), 1200);
    QVERIFY(!c.act().sell->isVisible());
    QCOMPARE(c.console->shortcutKeys().shortcuts().evaluate(u"17+66"_s),
             int(ShortcutAction::Bloquear));
    QCOMPARE(c.store.scalar(u"SELECT count(*) FROM Teclado WHERE Operador = 'admin'"_s),
             QVariant(4));
}

// The default shortcuts and two of the operator's own, pressed on the console: Ctrl+A opens a
// free station and only beeps on a busy one, Ctrl+C swaps, Ctrl+L clears one station, B alone
// locks after Ctrl was pressed (but not while typing in the search box), and the later of two
// rows with the same keys wins.
void TestConsole::shortcutsRunTheirActions()
{
    Cafe c;
    c.store.exec(u"INSERT INTO Teclado (Codigo, Accion, Operador, CodAsc, CodAcc) VALUES "
                 u"('Ctrl+A', 'Habilitar', 'admin', '17+65', '1'), "
                 u"('Ctrl+B', 'Bloquear', 'admin', '17+66', '2'), "
                 u"('Ctrl+C', 'Cambiar', 'admin', '17+67', '6'), "
                 u"('Ctrl+L', 'Limpiar Todo', 'admin', '17+76', '7'), "
                 u"('Alt+A', 'Habilitar', 'admin', '18+65', '1'), "
                 u"('Ctrl+K', 'Cobrar', 'admin', '17+75', '9'), "
                 u"('Ctrl+K', 'Cobrar', 'ADMIN', '17+75', '3'), "
                 u"('Ctrl+V', 'Vender', 'otro', '17+86', '9')"_s);
    QVERIFY(c.open());
    QWindow* window = c.console->windowHandle();
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(window, key, modifiers);
        QCoreApplication::processEvents();
    };
    c.console->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(c.console));
    c.list()->setFocus();

    c.select(1); // PC02, free
    press(Qt::Key_A, Qt::ControlModifier);
    OpenStationDialog* open = c.dialogs().openStationDialog();
    QVERIFY(open && open->isVisible());
    QCOMPARE(open->findChild<QLabel*>(u"lblpuesto"_s)->text(), u"ABRIR PUESTO PC02"_s);
    open->reject();
    press(Qt::Key_A, Qt::AltModifier); // before the menu "&Archivo" can take it
    QVERIFY(open->isVisible());
    open->reject();
    c.select(0); // PC01, counting
    press(Qt::Key_A, Qt::ControlModifier);
    QVERIFY(!open->isVisible());
    QVERIFY(!c.console->shortcutKeys().EvaluarKeys(u"17+0"_s));  // Ctrl alone
    QVERIFY(!c.console->shortcutKeys().EvaluarKeys(u"17+86"_s)); // another operator's

    press(Qt::Key_K, Qt::ControlModifier); // the later row: Cobrar, not Vender
    QVERIFY(c.dialogs().chargeDialog() && c.dialogs().chargeDialog()->isVisible());
    QVERIFY(!c.console->findChild<SaleDialog*>());
    c.dialogs().chargeDialog()->reject();

    // Ctrl+C: the swap dialog offers PC02; without a destination it says so, then PC01's
    // session moves to PC02.
    bool offered = false;
    QTimer whenShown;
    whenShown.start(10);
    connect(&whenShown, &QTimer::timeout, [&] {
        SwapDialog* swap = c.dialogs().swapDialog();
        if (!swap || !swap->isVisible())
            return;
        whenShown.stop();
        offered = swap->destinations()->count() == 1 &&
                  swap->destinations()->item(0)->text() == u"PC02"_s;
        swap->destinations()->setCurrentRow(-1);
        swap->findChild<QPushButton*>(u"cmdintercambiar"_s)->click();
        swap->destinations()->setCurrentRow(0);
        swap->findChild<QPushButton*>(u"cmdintercambiar"_s)->click();
    });
    press(Qt::Key_C, Qt::ControlModifier);
    QVERIFY(offered);
    QVERIFY(c.prompts.toldTexts().contains(u"Seleccione el destino"_s));
    QVERIFY(c.stations({2}).startsWith(u";CONTADOR"_s));
    QCOMPARE(c.store.scalar(u"SELECT MODALIDAD FROM CYBER WHERE PC = 'PC02'"_s).toString(),
             u"CONTADOR"_s);

    c.select(1);
    press(Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(c.stations({1, 4, 5}).section(u';', 1), u"0:00:00|0,00|0,00"_s);
    QCOMPARE(c.store.scalar(u"SELECT TOTAL FROM CYBER WHERE PC = 'PC02'"_s).toDouble(), 0.0);

    // B alone: Ctrl is remembered from Ctrl+L. Typed into the search box it is only a letter.
    c.console->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(c.console));
    c.find<QLineEdit>(u"txtbuscar"_s)->setFocus();
    press(Qt::Key_B);
    QCOMPARE(c.find<QLineEdit>(u"txtbuscar"_s)->text(), u"b"_s);
    QVERIFY(c.stations({2}).endsWith(u";CONTADOR"_s));
    c.list()->setFocus();
    press(Qt::Key_B);
    QVERIFY(QTest::qWaitFor([&] { return c.stations({2}) == u";"_s; }));
}

QTEST_MAIN(TestConsole)
#include "tst_console.moc"
