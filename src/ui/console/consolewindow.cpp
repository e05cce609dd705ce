#include "ui/console/consolewindow.h"

#include "core/datastore.h"
#include "core/operatorsession.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "core/webbrowser.h"
#include "journal/journal.h"
#include "journal/journalofday.h"
#include "link/remotecommands.h"
#include "link/requests.h"
#include "link/supervision.h"
#include "metering/metering.h"
#include "operators/shortcuts.h"
#include "printing/pendingprints.h"
#include "printing/printmonitor.h"
#include "stations/counters.h"
#include "stations/cyberstore.h"
#include "stations/display.h"
#include "stations/stationtable.h"
#include "tariffs/openstation.h"
#include "ui/common/aboutwindow.h"
#include "ui/console/consoledialogs.h"
#include "ui/console/journalpanel.h"
#include "ui/console/shortcutkeys.h"
#include "ui/console/sidepanel.h"
#include "ui/console/stationlistmodel.h"
#include "ui/console/stationpanel.h"
#include "ui/operators/loginwindow.h"
#include "ui/reports/reportswindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

ConsoleWindow::ConsoleWindow(ConsoleServices services, QWidget* parent)
    : QMainWindow(parent), m_services(std::move(services))
{
    setObjectName(u"MAIX"_s);
    setWindowTitle(u"KESTREL 2009  [ SERVER ] "_s);

    auto* central = new QSplitter(Qt::Horizontal, this);
    auto* left = new QSplitter(Qt::Vertical, central);
    left->setObjectName(u"splitterpuestos"_s);
    m_stationPanel = new StationPanel(m_services.stations, m_services.actions, left);
    m_journalPanel = new JournalPanel(
        {m_services.prints, m_services.monitor, m_services.actions, m_services.prompts}, left);
    left->addWidget(m_stationPanel);
    left->addWidget(m_journalPanel);
    left->setStretchFactor(0, 3);
    left->setStretchFactor(1, 2);
    left->setChildrenCollapsible(false);
    central->addWidget(left);
    const auto selected = [this] { return selectedStation(); };
    m_sidePanel = new SidePanel({m_services.messages, m_services.commands, m_services.browser,
                                 m_services.prompts, selected},
                                central);
    central->addWidget(m_sidePanel);
    central->setStretchFactor(0, 1);
    central->setStretchFactor(1, 0);
    central->setChildrenCollapsible(false);
    central->setSizes({760, 340});
    setCentralWidget(central);

    m_dialogs = std::make_unique<ConsoleDialogs>(m_services, *this, selected);

    QToolBar* toolBar = addToolBar(u"Puestos"_s);
    toolBar->setObjectName(u"Toolbar1"_s);
    toolBar->setMovable(false);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolBar->setIconSize(QSize(32, 32));
    m_actions = buildActions(*this, *toolBar, actionTable());
    m_journalPanel->setPrinterMenu(m_actions.printerMenu);
    m_keys = new ShortcutKeys(m_services, *m_dialogs, selected, *m_actions.addTime, *this);

    for (int i = 0; i < 4; ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(u"panel%1"_s.arg(i + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(i == 0 ? 220 : 110);
        statusBar()->addWidget(panel, i == 0 ? 1 : 0);
        m_statusPanels << panel;
    }
    resize(1100, 700);

    // XMTIMER: the metering runs once a second from the end of the load until the program ends.
    m_meteringTimer = new QTimer(this);
    m_meteringTimer->setObjectName(u"XMTIMER"_s);
    m_meteringTimer->setInterval(1000);
    connectServices();
}

ConsoleWindow::~ConsoleWindow() = default;

std::vector<ActionRow> ConsoleWindow::actionTable()
{
    using A = ConsoleActions;
    using M = ConsoleMenu;
    using Command = RemoteCommands::AgentCommand;
    // Pointers, copied into each handler: the services and dialogs live as long as the window.
    RemoteCommands* commands = &m_services.commands;
    ConsoleDialogs* d = m_dialogs.get();
    const auto show = [d](OpenMode mode) { return [d, mode] { d->SHOWPC(mode); }; };
    const auto send = [this, commands](Command command) {
        return [this, commands, command] { commands->send(selectedStation(), command); };
    };
    const auto browse = [this](const char16_t* address) {
        return [this, url = QUrl(QString::fromUtf16(address))] { m_services.browser.open(url); };
    };
    const auto charge = [d] { d->showCharge(); };
    const auto swap = [d] { d->Interchangepues(); };
    const auto sell = [d] { d->showSale(); };
    const auto options = [d] { d->showOptions(); };
    return {
        {&A::open, u"opopen"_s, u"Habilitar"_s, M::ToolBar, show(OpenMode::Open),
         u"imghabilitar"_s},
        {&A::lock, u"opclose"_s, u"Bloquear"_s, M::ToolBar,
         [this, commands] { commands->LockPC2(selectedStation()); }, u"imgbloqueado"_s},
        {&A::charge, u"opcobrar"_s, u"Cobrar"_s, M::ToolBar, charge, u"imgcobrar"_s},
        {&A::mode, u"Modo"_s, u"Modo"_s, M::ToolBar, show(OpenMode::Modo), u"imgmodo"_s},
        {&A::addTime, u"cmdaumen"_s, u"Aumentar"_s, M::ToolBar, show(OpenMode::Increm),
         u"imgaumen"_s},
        {&A::swap, u"cmdinterc"_s, u"Intercambiar"_s, M::ToolBar, swap, u"imginter"_s},
        {&A::sell, u"cmdvender"_s, u"Vender"_s, M::ToolBar, sell, u"icarticulos"_s},
        {&A::options, u"opconfig"_s, u"Configuracion"_s, M::ToolBar, options, u"imgconfig"_s},

        {&A::optionsEntry, u"mnucconfig"_s, u"Configuracion"_s, M::Archivo, options},
        {&A::changeOperator, u"submenuchanop"_s, u"Cambiar Operador"_s, M::Archivo,
         [this] { m_services.login.openForChange(); }},
        {&A::quit, u"mnuend"_s, u"Salir"_s, M::Archivo, [this] { close(); }, {}, true},

        {&A::openEntry, u"smnuAbrir"_s, u"1.       Habilitar"_s, M::Puestos, show(OpenMode::Open)},
        {&A::lockEntry, u"smnucerrar"_s, u"2.       Bloquear"_s, M::Puestos,
         [this, commands] { commands->LOCKPC(selectedStation()); }},
        {&A::addTimeEntry, u"submnutm"_s, u"3.       Aumentar tiempo"_s, M::Puestos,
         show(OpenMode::Increm)},
        {&A::swapEntry, u"smnuIntercambiar"_s, u"4.       Intercambiar"_s, M::Puestos, swap},
        {&A::closePrograms, u"smnuconrolvol"_s, u"5.       Cerrar todos los programas"_s,
         M::Puestos, send(Command::ClosePrograms)},
        {&A::closeAgent, u"mnucontrol"_s, u"6.       Cerrar Control"_s, M::Puestos,
         send(Command::CloseAgent)},
        {&A::closeSession, u"smnucerrars"_s, u"7.       Cerrar Sesion"_s, M::Puestos,
         send(Command::CloseSession)},
        {&A::restart, u"smnureset"_s, u"8.       Reiniciar"_s, M::Puestos, send(Command::Restart)},
        {&A::shutDown, u"smnuapa"_s, u"9.       Apagar"_s, M::Puestos, send(Command::ShutDown)},
        {&A::shutDownAll, u"smnuapaall"_s, u"10.     Apagar los puestos"_s, M::Puestos,
         [commands] { commands->Shutdownall(); }},

        {&A::sellEntry, u"submenvender"_s, u"&Vender"_s, M::Articulos, sell},
        {&A::products, u"mnuarticulos"_s, u"Administrar"_s, M::Articulos,
         [d] { d->showProducts(); }},
        {&A::newAccount, u"subnuevo"_s, u"Nuevo"_s, M::Cuentas, show(OpenMode::Create)},
        {&A::accounts, u"submmbus"_s, u"Buscar/Modificar"_s, M::Cuentas,
         [d] { d->showAccounts(); }},
        {&A::operators, u"submenuOp"_s, u"Administrar operadores"_s, M::Operadores,
         [d] { d->showOperators(); }},
        {&A::dailyReport, u"smnudiario"_s, u"Informe Diario"_s, M::Informes,
         [d] { d->reportsWindow().openDaily(); }},
        {&A::customReport, u"mnuinf2"_s, u"Informe Personalizado"_s, M::Informes,
         [d] { d->reportsWindow().openCustom(); }},
        {&A::about, u"mnuabout"_s, u"Acerca de Kestrel"_s, M::AcercaDe,
         [this] { AboutWindow(this).exec(); }},
        {&A::webPage, u"mnuweb"_s, u"Página web de Kestrel"_s, M::AcercaDe,
         browse(u"https://kestrel.example.org/")},
        {&A::help, u"mnuayuda"_s, u"Ayuda en línea"_s, M::AcercaDe,
         browse(u"https://kestrel.example.org/ayuda")},
        {&A::updates, u"mnuactualizar"_s, u"Buscar actualizaciones"_s, M::AcercaDe,
         browse(u"https://kestrel.example.org/descargas")},

        {&A::removePrint, u"printerdel"_s, u"Remover"_s, M::Impresoras,
         [this] { m_journalPanel->removePrint(); }},
        {&A::clearPrints, u"mnuclearlst"_s, u"Limpiar todos los trabajos"_s, M::Impresoras,
         [this] { m_journalPanel->clearPrints(); }},
        {&A::cancelPrint, u"mnuprintcanc"_s, u"Cancelar impresion actual"_s, M::Impresoras,
         [this] { m_journalPanel->cancelPrint(); }},
    };
}

void ConsoleWindow::connectServices()
{
    Metering& metering = m_services.metering;
    Prompts* prompts = &m_services.prompts;
    const auto critical = [prompts](const QString& message) {
        prompts->notify(Prompts::Icon::Critical, message);
    };
    connect(m_meteringTimer, &QTimer::timeout, &metering, &Metering::tick);
    connect(&metering, &Metering::ticked, this, &ConsoleWindow::showMeteringStatus);
    // The printers are looked at after the status bar, once a tick; the pass runs off this thread.
    connect(&metering, &Metering::ticked, &m_services.monitor, &PrintMonitor::Obtener_Impresoras2);
    connect(&m_services.monitor, &PrintMonitor::cancelled, this,
            [prompts](const QString& printer, int job, bool ok) {
                if (!ok)
                    prompts->notify(
                        Prompts::Icon::Exclamation,
                        u"No se pudo cancelar el trabajo %1 de la impresora "_s.arg(job) + printer +
                            u'.');
            });
    connect(&metering, &Metering::storeFailed, this, critical);
    connect(&m_services.journal, &Journal::writeFailed, this, critical);
    connect(&m_services.requests, &RequestDispatcher::storeFailed, this, critical);
    // Every row written (a charge, a lock, the end of a prepaid session) shows in the grid.
    connect(&m_services.journal, &Journal::written, this, &ConsoleWindow::refreshJournal);
    connect(&m_services.login, &LoginWindow::loggedIn, this, [this](bool changeOfOperator) {
        if (changeOfOperator)
            validarOperator();
    });

    connect(&m_services.requests, &RequestDispatcher::stationCommandsChanged, this,
            &ConsoleWindow::EnDisOpc);
    connect(&m_services.commands, &RemoteCommands::stationCommandsChanged, this,
            &ConsoleWindow::EnDisOpc);
    connect(&metering, &Metering::prepaidEnded, this, &ConsoleWindow::EnDisOpc);
    connect(m_stationPanel, &StationPanel::selectionTouched, this, &ConsoleWindow::EnDisOpc);
    connect(m_stationPanel, &StationPanel::menuRequested, m_actions.stationMenu,
            [this](const QPoint& at) { m_actions.stationMenu->popup(at); });
    connect(m_stationPanel, &StationPanel::speedChanged, m_meteringTimer,
            qOverload<int>(&QTimer::setInterval));

    ConsoleDialogs* dialogs = m_dialogs.get();
    connect(dialogs, &ConsoleDialogs::stationChanged, this, &ConsoleWindow::EnDisOpc);
    connect(dialogs, &ConsoleDialogs::intervalChanged, supervisionTimer(),
            qOverload<int>(&QTimer::setInterval));
    connect(dialogs, &ConsoleDialogs::optionsApplied, this, &ConsoleWindow::Visualizacion);
    connect(dialogs, &ConsoleDialogs::shortcutsSaved, m_keys, &ShortcutKeys::Loadteclas);
    connect(dialogs, &ConsoleDialogs::archived, this, [this] {
        refreshJournal();
        m_services.prints.reload();
    });
}

QTreeView* ConsoleWindow::stationList() const
{
    return m_stationPanel->list();
}

QTreeWidget* ConsoleWindow::journalGrid() const
{
    return m_journalPanel->grid();
}

QTreeWidget* ConsoleWindow::printList() const
{
    return m_journalPanel->printList();
}

QTimer* ConsoleWindow::supervisionTimer() const
{
    return &m_services.supervision.timer();
}

int ConsoleWindow::selectedStation() const
{
    return m_stationPanel->selectedStation();
}

void ConsoleWindow::refreshJournal()
{
    m_journalPanel->refreshJournal();
}

void ConsoleWindow::EnDisOpc()
{
    ConsoleActions& a = m_actions;
    const StationCommands current{a.open->isEnabled(),         a.lock->isEnabled(),
                                  a.charge->isEnabled(),       a.mode->isEnabled(),
                                  a.addTime->isEnabled(),      a.swap->isEnabled(),
                                  a.openEntry->isEnabled(),    a.lockEntry->isEnabled(),
                                  a.addTimeEntry->isEnabled(), a.swapEntry->isEnabled()};
    const StationCommands c =
        kestrel::EnDisOpc(m_services.stations, selectedStation(), m_services.session, current);
    a.open->setEnabled(c.open);
    a.lock->setEnabled(c.lock);
    a.charge->setEnabled(c.charge);
    a.mode->setEnabled(c.mode);
    a.addTime->setEnabled(c.addTime);
    a.openEntry->setEnabled(c.menuOpen);
    a.lockEntry->setEnabled(c.menuLock);
    a.addTimeEntry->setEnabled(c.menuAddTime);
    a.swap->setEnabled(c.swap);
    a.swapEntry->setEnabled(c.menuSwap);
}

void ConsoleWindow::Visualizacion()
{
    const DisplayLayout d = kestrel::Visualizacion(m_services.settings);
    m_sidePanel->showParts(d.search, d.messages, d.volume, d.promo);
    m_journalPanel->setVisible(d.journal);
    const double dpi = logicalDpiX();
    m_stationPanel->showColumn(StationListModel::Sub, twipsToPixels(d.subTwips, dpi));
    m_stationPanel->showColumn(StationListModel::Usuario, twipsToPixels(d.userTwips, dpi));
    m_actions.charge->setVisible(d.chargeButton);
    m_actions.mode->setVisible(d.modeButton);
    m_actions.sell->setVisible(d.sellButton);
    m_configButtonShown = d.optionsButton;
    showConfigButton();
}

void ConsoleWindow::showMeteringStatus()
{
    const Metering& metering = m_services.metering;
    statusPanel(1)->setText(metering.stationsText());
    statusPanel(3)->setText(metering.dateText());
    statusPanel(4)->setText(metering.timeText());
}

void ConsoleWindow::load()
{
    m_currencySymbol = m_services.settings.currencySymbol();
    m_dialogs->setCurrencySymbol(m_currencySymbol);
    Visualizacion();

    if (!m_services.prints.reload())
        m_services.prompts.tell(Prompts::Icon::Critical,
                                u"No se pudo leer la lista de impresiones (Impresiones):\n"_s +
                                    m_services.prints.lastError());

    CyberStore cyber(m_services.store.database());
    if (auto stations = cyber.load()) {
        m_services.stations.setStations(std::move(*stations));
    } else {
        m_services.stations.setStations({});
        m_services.prompts.tell(Prompts::Icon::Critical,
                                u"No se pudo leer la tabla de puestos (CYBER):\n"_s +
                                    cyber.lastError());
    }
    m_stationPanel->resetColumns();
    m_journalPanel->showJournal(m_services.journalOfDay());

    EnDisOpc();
    validarOperator();
    m_keys->Loadteclas();
    m_meteringTimer->start();
    m_services.supervision.setCurrencySymbol(m_currencySymbol);
    m_services.supervision.start();
}

void ConsoleWindow::validarOperator()
{
    const OperatorSession& session = m_services.session;
    m_actions.optionsEntry->setVisible(session.has(Right::ModifyOptions));
    showConfigButton();
    m_actions.newAccount->setVisible(session.has(Right::CreateAccounts));
    m_actions.reportsMenu->menuAction()->setVisible(session.has(Right::ViewReports));
    m_actions.operatorsMenu->menuAction()->setVisible(session.has(Right::CreateOperators));
    m_actions.products->setVisible(session.has(Right::AdminProducts));
    statusPanel(2)->setText(u"Operador: "_s + session.name());
}

// Like its menu entry, the button needs the operator's right: a later login of an operator with
// the right shows it again.
void ConsoleWindow::showConfigButton()
{
    m_actions.options->setVisible(m_configButtonShown &&
                                  m_services.session.has(Right::ModifyOptions));
}

void ConsoleWindow::closeEvent(QCloseEvent* event)
{
    if (!m_services.prompts.askYesNo(u"Desea cerrar el programa ?"_s)) {
        event->ignore();
        return;
    }
    // Nothing to save: stations and charges are already in the data store.
    event->accept();
    QCoreApplication::quit();
}

} // namespace kestrel
