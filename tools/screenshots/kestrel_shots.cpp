// kestrel-shots OUTDIR: starts the console on a fresh demo café with its station agents in this
// process, lets it run a few seconds, and saves pictures of the console (with a long customer
// message), the messages panel, a Yes/No question, the open-station dialog, the charge dialog, the
// pending print list, the accounts window, the catalogue, a sale, the operators, the daily
// report with its chart and last year's report charted by month as PNG files in OUTDIR, and the
// daily report as PDF; first, the question of a first start without a data store.
//
// kestrel-shots OUTDIR --setup: a new café set up from the options dialog alone, as a new
// operator would: a fresh data store (as --init-db makes it), three stations, a standard and a
// compound tariff, a package and a printer price, the lock options sent, default shortcuts,
// "Aplicar"; then a station opened, counted and charged. Every options page is saved as a picture
// on the way (options-*.png) and each step is printed.
#include "app/startup.h"
#include "core/datastore.h"
#include "core/demodata.h"
#include "core/settings.h"
#include "journal/journal.h"
#include "link/supervision.h"
#include "metering/metering.h"
#include "printing/spooler.h"
#include "products/catalogue.h"
#include "stationagent.h"
#include "stations/stationtable.h"
#include "ui/accounts/accountswindow.h"
#include "ui/common/firstrundialog.h"
#include "ui/common/messageboxprompts.h"
#include "ui/console/consoledialogs.h"
#include "ui/console/consolewindow.h"
#include "ui/operators/operatorswindow.h"
#include "ui/options/optionsdialog.h"
#include "ui/options/printerspage.h"
#include "ui/options/shortcutspage.h"
#include "ui/options/stationspage.h"
#include "ui/options/tariffeditor.h"
#include "ui/options/tariffpages.h"
#include "ui/reports/reportprinter.h"
#include "ui/reports/reportswindow.h"
#include "ui/sales/productswindow.h"
#include "ui/sales/saledialog.h"
#include "ui/stations/chargedialog.h"
#include "ui/stations/openstationdialog.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;
using namespace kestrel;

namespace {

void fail(const QString& text)
{
    std::fprintf(stderr, "kestrel-shots: %s\n", qPrintable(text));
    std::exit(1);
}

// Runs the event loop until the condition holds or the time is up.
bool waitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void pause(int ms)
{
    waitFor([] { return false; }, ms);
}

void save(QWidget* widget, const QString& file)
{
    widget->raise();
    widget->activateWindow();
    pause(300);
    if (!widget->grab().save(file))
        fail(u"could not write "_s + file);
    std::printf("%s\n", qPrintable(file));
}

// The whole screen, as the operator sees it.
void saveScreen(const QString& file)
{
    pause(300);
    if (!QGuiApplication::primaryScreen()->grabWindow(0).save(file))
        fail(u"could not write "_s + file);
    std::printf("%s\n", qPrintable(file));
}

// A new data store, as --init-db makes it, opened.
void openNewStore(DataStore& store, const QString& path)
{
    if (const auto error = DataStore::create(path))
        fail(*error);
    if (auto error = store.open(path))
        fail(*error);
}

// The agents of stations PC01, PC02 ... on 127.0.0.2, 127.0.0.3 ..., port 6969; their customers
// press start by themselves.
std::vector<std::unique_ptr<sim::StationAgent>> startAgents(int count)
{
    std::vector<std::unique_ptr<sim::StationAgent>> agents;
    for (int i = 1; i <= count; ++i) {
        const QString name = u"PC%1"_s.arg(i, 2, 10, QLatin1Char('0'));
        auto agent = std::make_unique<sim::StationAgent>(
            name, u"00:1A:2B:3C:4D:%1"_s.arg(i, 2, 10, QLatin1Char('0')));
        agent->setAutoStart(true);
        if (!agent->listen(QHostAddress(u"127.0.0.%1"_s.arg(i + 1)), 6969))
            fail(u"agent "_s + name + u" cannot listen (is the demo running?)"_s);
        agents.push_back(std::move(agent));
    }
    return agents;
}

// The operator without password is logged in: the splash, then the console.
ConsoleWindow* showConsole(Startup& startup)
{
    bool shown = false;
    QObject::connect(&startup, &Startup::consoleShown, [&] { shown = true; });
    startup.begin();
    if (!waitFor([&] { return shown; }, 10000))
        fail(u"the console did not open"_s);
    return startup.console();
}

// Rows of a café day: the journal grid and the pending print list have something to show.
void addDayRows(QSqlDatabase db)
{
    const QString today = Journal::dateText(QDate::currentDate());
    QSqlQuery q(db);
    const struct {
        const char16_t* hora;
        double valor;
        const char16_t* user;
        const char16_t* pc;
        const char16_t* descrip;
    } rows[] = {
        {u"08:41:10", 0.50, u"ANONIMO", u"PC03", u"CONTADOR"},
        {u"09:02:55", 1.00, u"maria", u"PC06", u"PREPAGO"},
        {u"09:15:30", 0.75, u"ANONIMO", u"PC04", u"3 IMPRESION(ES) "},
        {u"09:40:02", 1.25, u"ANONIMO", u"PC01", u"CONTADOR"},
        {u"10:05:47", 1234.50, u"Muñoz, \"el Flaco\" Andrade", u"PC05",
         u"AUMENTO DE SALDO (cuenta prepagada para todo el semestre)"},
    };
    for (const auto& r : rows) {
        q.prepare(u"INSERT INTO INFORMES (FECHA, HORA, VALOR, USER, PC, DESCRIP, OPERADOR) "
                  u"VALUES (?, ?, ?, ?, ?, ?, 'admin')"_s);
        for (const QVariant& v :
             QVariantList{today, QString::fromUtf16(r.hora), r.valor, QString::fromUtf16(r.user),
                          QString::fromUtf16(r.pc), QString::fromUtf16(r.descrip)})
            q.addBindValue(v);
        if (!q.exec())
            fail(u"journal rows: "_s + q.lastError().text());
    }
    q.prepare(u"INSERT INTO Impresiones (PC, impresora, cantidad, pagimpres, valor, fecha, hora, "
              u"jobid) VALUES ('\\\\PC02', 'Epson L3150', 4, 4, ?, ?, '09:51:12', 17)"_s);
    q.addBindValue(formatAmount(0.40));
    q.addBindValue(today);
    if (!q.exec())
        fail(u"pending prints: "_s + q.lastError().text());
}

// A year of last year's journal, a few rows a day by two operators, for the chart of a long
// period.
void addYearRows(QSqlDatabase db)
{
    const QDate first(QDate::currentDate().year() - 1, 1, 1);
    QSqlQuery q(db);
    db.transaction();
    q.prepare(u"INSERT INTO INFORMES (FECHA, HORA, VALOR, USER, PC, DESCRIP, OPERADOR) "
              u"VALUES (?, ?, ?, 'ANONIMO', ?, 'CONTADOR', ?)"_s);
    for (QDate day = first; day.year() == first.year(); day = day.addDays(1)) {
        const int busy = 3 + day.dayOfWeek() % 4 + day.month() % 3; // weekends and seasons
        for (int r = 0; r < busy; ++r) {
            for (const QVariant& v :
                 QVariantList{Journal::dateText(day), u"%1:15:00"_s.arg(9 + r, 2, 10, QChar(u'0')),
                              0.5 + 0.25 * ((day.day() + r) % 5), u"PC0%1"_s.arg(1 + r % 8),
                              r % 3 ? u"admin"_s : u"luis"_s})
                q.addBindValue(v);
            if (!q.exec())
                fail(u"year rows: "_s + q.lastError().text());
        }
    }
    db.commit();
}

// The café's printer, with PC03's job printing and PC05's waiting behind it.
class DemoSpooler final : public Spooler {
public:
    QStringList printers() override { return {u"Epson L3150"_s}; }
    std::optional<std::vector<SpoolJob>> jobs(const QString&) override
    {
        return std::vector<SpoolJob>{{21, u"\\\\PC03"_s, 6, 2, JobStatus::Printing, false},
                                     {22, u"\\\\PC05"_s, 1, 0, JobStatus::Spooling, false}};
    }
    bool cancel(const QString&, std::int32_t) override { return true; }
};

// The operator of the setup: says Yes to every question and reads every notice; an error ends
// the run.
class YesPrompts final : public Prompts {
public:
    bool askYesNo(const QString& text) override
    {
        std::printf("  ? %s -> Sí\n", qPrintable(text.simplified()));
        return true;
    }
    void tell(Icon icon, const QString& text) override
    {
        std::printf("  ! %s\n", qPrintable(text.simplified()));
        if (icon == Icon::Critical)
            fail(u"the console reported an error"_s);
    }
    void notify(Icon icon, const QString& text) override { tell(icon, text); }
};

template <typename T = QWidget> T* child(QObject* parent, const QString& name)
{
    T* found = parent->findChild<T*>(name);
    if (!found)
        fail(u"no "_s + name);
    return found;
}

void step(const char* text)
{
    std::printf("%s\n", text);
}

// The modal dialog that `open` brings up is filled in and accepted by `fill`.
void whenModal(const std::function<void(QWidget*)>& fill)
{
    QTimer::singleShot(300, [fill] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            fail(u"no dialog came up"_s);
        fill(modal);
    });
}

int setupTrial(const QString& outDir)
{
    QTemporaryDir dir;
    DataStore store;
    openNewStore(store, DataStore::pathIn(dir.path()));
    const auto agents = startAgents(3);
    IniSettingsStore settingsStore(dir.filePath(u"Kestrel.conf"_s));
    Settings settings(settingsStore);
    YesPrompts prompts;
    DemoSpooler spooler;
    Startup startup(store, settings, prompts, nullptr, &spooler);
    ConsoleWindow* console = showConsole(startup);
    step("A fresh store: the console shows no station. Archivo > Configuracion.");
    console->actions().optionsEntry->trigger();
    OptionsDialog* options = console->dialogs().optionsDialog();
    if (!options)
        fail(u"no options dialog"_s);
    save(options, outDir + u"/options-general.png"_s);

    step("Puestos > Agregar, three times.");
    options->showPage(OptionsDialog::Puestos);
    auto* stations = options->findChild<StationsPage*>();
    for (int i = 1; i <= 3; ++i) {
        whenModal([i](QWidget* editor) {
            child<QLineEdit>(editor, u"txtpc"_s)->setText(u"PC0%1"_s.arg(i));
            child<QLineEdit>(editor, u"txtip"_s)->setText(u"127.0.0.%1"_s.arg(i + 1));
            child<QPushButton>(editor, u"cmdaceptar"_s)->click();
        });
        child<QPushButton>(stations, u"cmdagregar"_s)->click();
    }
    save(options, outDir + u"/options-stations.png"_s);

    step("Tarifas > Estandar > Añadir: Normal, 1,50 an hour, 0,50 at least.");
    options->showPage(OptionsDialog::Estandar);
    auto* standard = options->findChild<StandardTariffsPage*>();
    child<QPushButton>(standard, u"cmdanadir"_s)->click();
    TariffEditor* editor = standard->editor();
    child<QLineEdit>(editor, u"txtnombre"_s)->setText(u"Normal"_s);
    child<QLineEdit>(editor, u"txtvalor1"_s)->setText(u"1,50"_s);
    child<QLineEdit>(editor, u"txtvalor2"_s)->setText(u"0,50"_s);
    save(editor, outDir + u"/options-tariff-editor.png"_s);
    child<QPushButton>(editor, u"cmdaceptar"_s)->click();
    save(options, outDir + u"/options-standard.png"_s);

    step("Tarifas > Tarifas Predefinidas: 60 minutes for 1,00.");
    options->showPage(OptionsDialog::Tarifas);
    save(options, outDir + u"/options-tariffs.png"_s);
    child<QPushButton>(options, u"cmdpredefinidas"_s)->click();
    auto* packages = options->findChild<PredefinedTariffsPage*>();
    child<QPushButton>(packages, u"cmdanadir"_s)->click();
    editor = packages->editor();
    child<QLineEdit>(editor, u"txtnombre"_s)->setText(u"Una hora"_s);
    child<QLineEdit>(editor, u"txtvalor1"_s)->setText(u"60"_s);
    child<QLineEdit>(editor, u"txtvalor2"_s)->setText(u"1,00"_s);
    child<QPushButton>(editor, u"cmdaceptar"_s)->click();
    save(options, outDir + u"/options-predefined.png"_s);

    step("Tarifas > Compuestas: Bloques, with its four intervals.");
    options->showPage(OptionsDialog::Compuestas);
    auto* compound = options->findChild<CompoundTariffsPage*>();
    child<QLineEdit>(compound, u"txtnombre"_s)->setText(u"Bloques"_s);
    child<QPushButton>(compound, u"cmdanadir"_s)->click();
    save(options, outDir + u"/options-compound.png"_s);

    step("Puestos > Configuracion: the lock options to every connected station.");
    if (!waitFor([&] { return agents[2]->statusCount() >= 1; }, 10000))
        fail(u"the new stations were not connected"_s);
    options->showPage(OptionsDialog::Bloqueo);
    child<QRadioButton>(options, u"optbloqueo1"_s)->click();
    child<QPushButton>(options, u"cmdaplicartodos"_s)->click();
    if (!waitFor([&] { return agents[2]->receivedKeywords().contains(u"BLOCKOPT"_s); }, 5000))
        fail(u"BLOCKOPT did not arrive"_s);
    save(options, outDir + u"/options-lock.png"_s);
    options->showPage(OptionsDialog::VisualizacionPage);
    save(options, outDir + u"/options-display.png"_s);

    step("Impresiones: Epson L3150 at 0.25 a page.");
    options->showPage(OptionsDialog::Impresiones);
    auto* printers = options->findChild<PrintersPage*>();
    auto* printerList = child<QTreeWidget>(printers, u"lstimpresoras"_s);
    if (!waitFor(
            [&] {
                return printerList->topLevelItemCount() > 0 &&
                       printerList->topLevelItem(0)->text(0) == u"Epson L3150"_s;
            },
            5000))
        fail(u"the printer was not listed"_s);
    printerList->setCurrentItem(printerList->topLevelItem(0));
    emit printerList->itemClicked(printerList->topLevelItem(0), 0);
    child<QLineEdit>(printers, u"txtvalor"_s)->setText(u"0.25"_s);
    child<QPushButton>(printers, u"cmdguardar"_s)->click();
    save(options, outDir + u"/options-printers.png"_s);

    step("Teclado > Predeterminada.");
    options->showPage(OptionsDialog::Teclado);
    ShortcutsPage* keys = options->shortcutsPage();
    child<QPushButton>(keys, u"cmdpredeterminada"_s)->click();
    step("Teclado > Cobrar > Agregar > Teclas: Ctrl+K.");
    keys->choices()->setCurrentRow(2);
    child<QPushButton>(keys, u"cmdagregar"_s)->click();
    whenModal([&](QWidget* capture) {
        for (const Qt::Key key : {Qt::Key_Control, Qt::Key_K}) {
            QKeyEvent down(QEvent::KeyPress, key,
                           key == Qt::Key_K ? Qt::ControlModifier : Qt::NoModifier);
            QCoreApplication::sendEvent(capture, &down);
        }
        save(capture, outDir + u"/capture.png"_s);
        child<QPushButton>(capture, u"cmdaceptar"_s)->click();
    });
    child<QPushButton>(keys, u"cmdteclas"_s)->click();
    save(options, outDir + u"/options-shortcuts.png"_s);

    step("Aplicar.");
    child<QPushButton>(options, u"cmdaplicar"_s)->click();
    if (options->isVisible())
        fail(u"Aplicar left the dialog open"_s);

    step("PC01 opened counting under Normal, a minute and a second, then charged.");
    QTreeView* list = console->stationList();
    if (list->model()->rowCount() != 3)
        fail(u"the console does not list the three stations"_s);
    list->setCurrentIndex(list->model()->index(0, 0));
    console->dialogs().SHOWPC(OpenMode::Open);
    OpenStationDialog* open = console->dialogs().openStationDialog();
    child<QComboBox>(open, u"cmbtarifa"_s)->setCurrentIndex(0);
    child<QRadioButton>(open, u"optcontador"_s)->click();
    child<QPushButton>(open, u"cmdaceptar"_s)->click();
    // A counting session is journaled once it has run a whole minute.
    pause(61500);
    saveScreen(outDir + u"/setup-console.png"_s);
    console->dialogs().showCharge();
    ChargeDialog* charge = console->dialogs().chargeDialog();
    child<QLineEdit>(charge, u"txtcantidad"_s)->setText(u"2"_s);
    save(charge, outDir + u"/setup-charge.png"_s);
    child<QPushButton>(charge, u"cmdcobrar"_s)->click();
    pause(500);
    QSqlQuery q(store.database());
    q.exec(u"SELECT VALOR, PC, DESCRIP FROM INFORMES"_s);
    while (q.next())
        std::printf("  journal: %s %s %s\n", qPrintable(q.value(0).toString()),
                    qPrintable(q.value(1).toString()), qPrintable(q.value(2).toString()));
    q.exec(u"SELECT NOMBRE, TARIFA, TARIF_MIN, TIPO FROM TARIFAS"_s);
    while (q.next())
        std::printf("  tariff: %s %s %s %s\n", qPrintable(q.value(0).toString()),
                    qPrintable(q.value(1).toString()), qPrintable(q.value(2).toString()),
                    qPrintable(q.value(3).toString()));
    q.exec(u"SELECT nombre, valorporprint FROM Impresoras"_s);
    while (q.next())
        std::printf("  printer: %s %s\n", qPrintable(q.value(0).toString()),
                    qPrintable(q.value(1).toString()));
    saveScreen(outDir + u"/setup-charged.png"_s);

    step("PC02 opened counting, then moved to PC03 with Ctrl+C.");
    list->setCurrentIndex(list->model()->index(1, 0));
    console->dialogs().SHOWPC(OpenMode::Open);
    child<QComboBox>(open, u"cmbtarifa"_s)->setCurrentIndex(0);
    child<QRadioButton>(open, u"optcontador"_s)->click();
    child<QPushButton>(open, u"cmdaceptar"_s)->click();
    pause(1500);
    whenModal([&](QWidget* swap) {
        child<QListWidget>(swap, u"lstpuesto"_s)->setCurrentRow(1);
        save(swap, outDir + u"/swap.png"_s);
        child<QPushButton>(swap, u"cmdintercambiar"_s)->click();
    });
    console->activateWindow();
    list->setFocus();
    QKeyEvent ctrl(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
    QKeyEvent c(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QCoreApplication::sendEvent(console->windowHandle(), &ctrl);
    QCoreApplication::sendEvent(console->windowHandle(), &c);
    pause(1200);
    saveScreen(outDir + u"/setup-swapped.png"_s);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    installSpanishTranslation();
    QCoreApplication::setOrganizationName(u"Kestrel"_s);
    QCoreApplication::setApplicationName(u"Kestrel"_s);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"screenshots"_s;
    QDir().mkpath(outDir);
    if (argc > 2 && qstrcmp(argv[2], "--setup") == 0)
        return setupTrial(outDir);

    {
        // An installed console started from the menu by a cashier, before any café exists.
        FirstRunDialog firstRun(u"/home/cajero/.local/share/kestrel"_s);
        firstRun.show();
        save(&firstRun, outDir + u"/first-run.png"_s);
    }

    QTemporaryDir dir;
    DataStore store;
    openNewStore(store, DataStore::pathIn(dir.path()));
    if (auto error = seedDemoCafe(store.database(), {u"Epson L3150"_s}))
        fail(*error);
    addDayRows(store.database());
    addYearRows(store.database());
    const auto agents = startAgents(8); // the demo café's

    IniSettingsStore settingsStore(dir.filePath(u"Kestrel.conf"_s));
    Settings settings(settingsStore);
    StandardErrorPrompts prompts;
    DemoSpooler spooler;
    Startup startup(store, settings, prompts, nullptr, &spooler);
    ConsoleWindow* console = showConsole(startup);

    // Let the café run: connections, names, a few seconds of metering, customers' messages.
    if (!waitFor([&] { return agents[7]->statusCount() >= 2; }, 10000))
        fail(u"the agents were not reached"_s);
    agents[3]->send(u"MSGBOX"_s, {u"Se trabó la impresora"_s});
    pause(300);
    agents[5]->send(u"MSGBOX"_s,
                    {u"Buenas tardes: la impresora del fondo dice que no tiene papel y la hoja que "
                     u"mandé salió a medias. ¿Me la pueden volver a imprimir? Es el formulario del "
                     u"banco, dos páginas, y necesito también una copia a color de la cédula por "
                     u"los dos lados. Gracias, estoy en el puesto 6."_s});
    pause(2500);
    saveScreen(outDir + u"/console.png"_s);
    save(console->findChild<QWidget*>(u"panelmensajes"_s), outDir + u"/messages.png"_s);

    // A Yes/No question as every prompt asks it.
    QMessageBox question(QMessageBox::Question, u"Kestrel"_s, u"Desea cerrar el programa ?"_s,
                         QMessageBox::Yes | QMessageBox::No, console);
    speakSpanish(question);
    question.show();
    saveScreen(outDir + u"/question.png"_s);
    question.close();

    // Opening a free station for an hour, prepaid.
    QTreeView* list = console->stationList();
    list->setCurrentIndex(list->model()->index(0, 0));
    console->dialogs().SHOWPC(OpenMode::Open);
    OpenStationDialog* open = console->dialogs().openStationDialog();
    if (!open || !open->isVisible())
        fail(u"the open-station dialog did not show"_s);
    if (auto* tariffs = open->findChild<QComboBox*>(u"cmbtarifa"_s))
        tariffs->setCurrentIndex(0);
    if (auto* prepaid = open->findChild<QRadioButton*>(u"optprepago"_s))
        prepaid->click();
    if (auto* hour = open->findChild<QPushButton*>(u"cmdq1h"_s))
        hour->click();
    save(open, outDir + u"/open-station.png"_s);
    open->reject();

    // Charging the counting station with its pending print job.
    list->setCurrentIndex(list->model()->index(1, 0));
    console->dialogs().showCharge();
    ChargeDialog* charge = console->dialogs().chargeDialog();
    if (!charge || !charge->isVisible())
        fail(u"the charge dialog did not show"_s);
    if (auto* tendered = charge->findChild<QLineEdit*>(u"txtcantidad"_s))
        tendered->setText(u"5"_s);
    save(charge, outDir + u"/charge.png"_s);
    charge->reject();

    // The pending print list, with the job the monitor recorded from PC03.
    if (auto* tab = console->findChild<QPushButton*>(u"lblimpresiones"_s))
        tab->click();
    if (!waitFor([&] { return console->printList()->topLevelItemCount() >= 2; }, 5000))
        fail(u"the print monitor recorded nothing"_s);
    saveScreen(outDir + u"/prints.png"_s);

    // The accounts, searched by the start of a name.
    console->dialogs().showAccounts();
    AccountsWindow* accounts = console->dialogs().accountsWindow();
    save(accounts, outDir + u"/accounts.png"_s);
    if (auto* search = accounts->findChild<QLineEdit*>(u"txtbuscar"_s)) {
        search->setText(u"MU"_s);
        accounts->search();
    }
    save(accounts, outDir + u"/accounts-search.png"_s);
    accounts->close();

    // The catalogue, a sale of two products, the operators and the day's report.
    console->dialogs().showProducts();
    save(console->findChild<ProductsWindow*>(), outDir + u"/products.png"_s);
    console->findChild<ProductsWindow*>()->hide();
    console->dialogs().showSale();
    auto* sale = console->findChild<SaleDialog*>();
    auto* picker = console->findChild<ProductsWindow*>();
    emit picker->addRequested(Product{2, u"Café"_s, u"Taza"_s, 100, 0.75, 0.20}, u"2"_s);
    emit picker->addRequested(Product{1, u"Agua 500 ml"_s, {}, 24, 0.50, 0.25}, u"1"_s);
    if (auto* paid = sale->findChild<QLineEdit*>(u"txtpago"_s))
        paid->setText(u"5"_s);
    save(sale, outDir + u"/sale.png"_s);
    sale->hide();
    console->dialogs().showOperators();
    save(console->findChild<OperatorsWindow*>(), outDir + u"/operators.png"_s);
    console->findChild<OperatorsWindow*>()->hide();
    ReportsWindow& report = console->dialogs().reportsWindow();
    report.prepareDaily();
    if (auto* all = report.findChild<QCheckBox*>(u"chktodos"_s))
        all->setChecked(true);
    if (auto* show = report.findChild<QPushButton*>(u"cmdmostrar"_s))
        show->click();
    report.show();
    save(&report, outDir + u"/report.png"_s);
    if (const auto error = ReportPrinter(report.report()).savePdf(outDir + u"/report.pdf"_s))
        fail(*error);
    std::printf("%s\n", qPrintable(outDir + u"/report.pdf"_s));

    // Last year's report: its own controls only, the chart by month.
    report.prepareCustom();
    auto* calendar = report.findChild<QCalendarWidget*>(u"calendario"_s);
    const int lastYear = QDate::currentDate().year() - 1;
    for (const auto& [button, date] : {std::pair{u"cmddesde"_s, QDate(lastYear, 1, 1)},
                                       std::pair{u"cmdhasta"_s, QDate(lastYear, 12, 31)}}) {
        report.findChild<QPushButton*>(button)->click();
        emit calendar->clicked(date);
    }
    report.findChild<QPushButton*>(u"cmdmostrar2"_s)->click();
    save(&report, outDir + u"/report-year.png"_s);
    return 0;
}
