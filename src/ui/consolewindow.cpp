#include "consolewindow.h"

#include "aboutwindow.h"
#include "billing/journal.h"
#include "core/datastore.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "link/messagelist.h"
#include "link/remotecommands.h"
#include "link/requests.h"
#include "link/supervision.h"
#include "loginwindow.h"
#include "operators/operatorsession.h"
#include "stationlistmodel.h"
#include "stations/cyberstore.h"
#include "stations/display.h"
#include "stations/metering.h"
#include "stations/stationtable.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

// The caption bar over each area of the console.
QLabel* areaCaption(const QString& text, const QString& name, QWidget* parent)
{
    auto* caption = new QLabel(text, parent);
    caption->setObjectName(name);
    caption->setStyleSheet(u"QLabel { background: #2b4f7a; color: white; font-weight: bold; "
                           u"padding: 3px; }"_s);
    return caption;
}

} // namespace

ConsoleWindow::ConsoleWindow(ConsoleServices services, QWidget* parent)
    : QMainWindow(parent), m_services(services)
{
    setObjectName(u"MAIX"_s);
    setWindowTitle(u"KESTREL 2009  [ SERVER ] "_s);

    auto* central = new QSplitter(Qt::Horizontal, this);
    auto* stationArea = new QWidget(central);
    auto* caption = areaCaption(u"  Puestos"_s, u"lblpuestos"_s, stationArea);

    m_model = new StationListModel(m_services.stations, this);
    m_stationList = new QTreeView(stationArea);
    m_stationList->setObjectName(u"LSTPCS"_s);
    m_stationList->setModel(m_model);
    m_stationList->setRootIsDecorated(false);
    m_stationList->setUniformRowHeights(true);
    m_stationList->setAlternatingRowColors(true);
    m_stationList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_stationList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_stationList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_stationList->setIconSize(QSize(20, 20));
    m_stationList->installEventFilter(this);
    m_stationList->viewport()->installEventFilter(this);

    auto* layout = new QVBoxLayout(stationArea);
    layout->setContentsMargins(4, 4, 0, 4);
    layout->setSpacing(0);
    layout->addWidget(caption);
    layout->addWidget(m_stationList);
    central->addWidget(stationArea);
    central->addWidget(buildSidePanels());
    central->setStretchFactor(0, 1);
    central->setStretchFactor(1, 0);
    central->setSizes({715, 385});
    setCentralWidget(central);

    buildMenus();
    buildStatusBar();
    resize(1100, 640);

    // The metering runs once a second from the end of the load until the program ends.
    m_meteringTimer = new QTimer(this);
    m_meteringTimer->setObjectName(u"XMTIMER"_s);
    m_meteringTimer->setInterval(1000);
    connect(m_meteringTimer, &QTimer::timeout, &m_services.metering, &Metering::tick);
    connect(&m_services.metering, &Metering::ticked, this, &ConsoleWindow::showMeteringStatus);
    connect(&m_services.metering, &Metering::storeFailed, this, [this](const QString& message) {
        m_services.prompts.notify(Prompts::Icon::Critical, message);
    });
    connect(&m_services.journal, &Journal::writeFailed, this, [this](const QString& message) {
        m_services.prompts.notify(Prompts::Icon::Critical, message);
    });

    connect(&m_services.login, &LoginWindow::loggedIn, this, [this](bool changeOfOperator) {
        if (changeOfOperator)
            validarOperator();
    });

    // The connection supervision runs from the end of the load until the program ends.
    m_supervisionTimer = new QTimer(this);
    m_supervisionTimer->setObjectName(u"TMRPING"_s);
    m_supervisionTimer->setInterval(ConnectionSupervision::IntervalMs);
    connect(m_supervisionTimer, &QTimer::timeout, &m_services.supervision,
            &ConnectionSupervision::tick);

    connect(&m_services.requests, &RequestDispatcher::stationCommandsChanged, this,
            &ConsoleWindow::EnDisOpc);
    connect(&m_services.requests, &RequestDispatcher::storeFailed, this,
            [this](const QString& message) {
                m_services.prompts.notify(Prompts::Icon::Critical, message);
            });
    connect(&m_services.commands, &RemoteCommands::stationCommandsChanged, this,
            &ConsoleWindow::EnDisOpc);
    connect(&m_services.metering, &Metering::prepaidEnded, this, &ConsoleWindow::EnDisOpc);
    connect(m_stationList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &ConsoleWindow::EnDisOpc);
    connect(&m_services.messages, &MessageList::rowAdded, this, &ConsoleWindow::showMessageRow);
    connect(&m_services.messages, &MessageList::cleared, m_messages, &QTreeWidget::clear);
}

QWidget* ConsoleWindow::buildSidePanels()
{
    auto* side = new QWidget(this);
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 4, 4, 4);
    layout->setSpacing(0);

    auto* messagePanel = new QWidget(side);
    messagePanel->setObjectName(u"panelmensajes"_s);
    auto* messageLayout = new QVBoxLayout(messagePanel);
    messageLayout->setContentsMargins(0, 0, 0, 0);
    messageLayout->setSpacing(3);
    messageLayout->addWidget(areaCaption(u"  Mensajes"_s, u"lblmensajes"_s, messagePanel));
    m_messages = new QTreeWidget(messagePanel);
    m_messages->setObjectName(u"lstmensajes"_s);
    m_messages->setHeaderLabels({u"PC"_s, u"HORA"_s, u"MENSAJE"_s});
    m_messages->setRootIsDecorated(false);
    m_messages->setUniformRowHeights(true);
    m_messages->setColumnWidth(0, 75);
    m_messages->setColumnWidth(1, 60);
    m_messages->setWordWrap(true);
    messageLayout->addWidget(m_messages, 1);
    m_messageText = new QLineEdit(messagePanel);
    m_messageText->setObjectName(u"txtmensaje"_s);
    messageLayout->addWidget(m_messageText);
    auto* buttons = new QHBoxLayout;
    auto* send = new QPushButton(u"Enviar"_s, messagePanel);
    send->setObjectName(u"cmdenviar"_s);
    auto* clear = new QPushButton(u"Limpiar"_s, messagePanel);
    clear->setObjectName(u"cmdlimpiarmensajes"_s);
    buttons->addWidget(send);
    buttons->addWidget(clear);
    messageLayout->addLayout(buttons);
    layout->addWidget(messagePanel, 1);
    connect(send, &QPushButton::clicked, this, &ConsoleWindow::sendChat);
    connect(m_messageText, &QLineEdit::returnPressed, this, &ConsoleWindow::sendChat);
    connect(clear, &QPushButton::clicked, this, [this] {
        m_services.commands.clearMessages();
        m_messageText->clear();
    });

    layout->addSpacing(6);
    auto* volumePanel = new QWidget(side);
    volumePanel->setObjectName(u"panelvolumen"_s);
    auto* volumeLayout = new QVBoxLayout(volumePanel);
    volumeLayout->setContentsMargins(0, 0, 0, 0);
    volumeLayout->addWidget(areaCaption(u"  Volumen"_s, u"lblvolumen"_s, volumePanel));
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(u"Min"_s, volumePanel));
    m_volume = new QScrollBar(Qt::Horizontal, volumePanel);
    m_volume->setObjectName(u"volumen"_s);
    m_volume->setRange(0, 100);
    m_volume->setPageStep(10);
    bar->addWidget(m_volume, 1);
    bar->addWidget(new QLabel(u"Max"_s, volumePanel));
    volumeLayout->addLayout(bar);
    layout->addWidget(volumePanel);
    connect(m_volume, &QScrollBar::valueChanged, this,
            [this](int value) { m_services.commands.setVolume(selectedStation(), value); });
    return side;
}

void ConsoleWindow::sendChat()
{
    if (m_services.commands.chat(selectedStation(), m_messageText->text()))
        m_messageText->clear();
}

void ConsoleWindow::showMessageRow(int row)
{
    const MessageList::Row& r = m_services.messages.rows().at(row);
    auto* item = new QTreeWidgetItem(m_messages, {r.pc, r.hora, r.mensaje});
    item->setToolTip(2, r.mensaje); // a long message is cut in its column
    m_messages->setCurrentItem(item);
}

int ConsoleWindow::selectedStation() const
{
    const QModelIndexList rows = m_stationList->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return -1;
    return StationTable::indexOfRow(rows.first().row() + 1);
}

void ConsoleWindow::EnDisOpc()
{
    auto action = [this](const QString& name) { return findChild<QAction*>(name); };
    StationCommands current;
    current.menuBloquear = action(u"smnucerrar"_s)->isEnabled();
    const StationCommands c =
        kestrel::EnDisOpc(m_services.stations, selectedStation(), m_services.session, current);
    action(u"smnucerrar"_s)->setEnabled(c.menuBloquear);
}

bool ConsoleWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_stationList->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            EnDisOpc();
            m_stationMenu->popup(mouse->globalPosition().toPoint());
        }
    } else if (watched == m_stationList && event->type() == QEvent::KeyRelease) {
        EnDisOpc();
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Menu)
            m_stationMenu->popup(m_stationList->mapToGlobal(QPoint(0, 0)));
    }
    return QMainWindow::eventFilter(watched, event);
}

QMenu* ConsoleWindow::addMenu(const QString& name, const QString& caption)
{
    QMenu* menu = menuBar()->addMenu(caption);
    menu->setObjectName(name);
    return menu;
}

QAction* ConsoleWindow::addEntry(QMenu* menu, const QString& name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

void ConsoleWindow::addPendingEntry(QMenu* menu, const QString& name, const QString& caption)
{
    addEntry(menu, name, caption)->setEnabled(false);
}

void ConsoleWindow::buildMenus()
{
    QMenu* archivo = addMenu(u"mnuarchivo"_s, u"&Archivo"_s);
    addPendingEntry(archivo, u"mnucconfig"_s, u"Configuracion"_s);
    connect(addEntry(archivo, u"submenuchanop"_s, u"Cambiar Operador"_s), &QAction::triggered,
            &m_services.login, &LoginWindow::openForChange);
    archivo->addSeparator();
    connect(addEntry(archivo, u"mnuend"_s, u"Salir"_s), &QAction::triggered, this, &QWidget::close);

    buildStationMenu();

    QMenu* articulos = addMenu(u"mnuarticulosmenu"_s, u"Articulos"_s);
    addPendingEntry(articulos, u"submenvender"_s, u"&Vender"_s);
    addPendingEntry(articulos, u"mnuarticulos"_s, u"Administrar"_s);

    QMenu* cuentas = addMenu(u"mnucuentas"_s, u"&Cuentas"_s);
    addPendingEntry(cuentas, u"subnuevo"_s, u"Nuevo"_s);
    addPendingEntry(cuentas, u"submmbus"_s, u"Buscar/Modificar"_s);

    addPendingEntry(addMenu(u"mnuoperadores"_s, u"&Operadores"_s), u"submenuOp"_s,
                    u"Administrar operadores"_s);

    QMenu* informes = addMenu(u"mnuinformes"_s, u"&Informes"_s);
    addPendingEntry(informes, u"smnudiario"_s, u"Informe Diario"_s);
    addPendingEntry(informes, u"mnuinf2"_s, u"Informe Personalizado"_s);

    QMenu* acerca = addMenu(u"mnuacerca"_s, u"&Acerca de"_s);
    connect(addEntry(acerca, u"mnuabout"_s, u"Acerca de Kestrel"_s), &QAction::triggered, this,
            [this] {
                AboutWindow about(this);
                about.exec();
            });
}

void ConsoleWindow::buildStationMenu()
{
    using Command = RemoteCommands::AgentCommand;
    RemoteCommands& commands = m_services.commands;
    m_stationMenu = addMenu(u"mnupuestos"_s, u"&Puestos"_s);
    QMenu* menu = m_stationMenu;
    addPendingEntry(menu, u"smnuAbrir"_s, u"1.       Habilitar"_s);
    connect(addEntry(menu, u"smnucerrar"_s, u"2.       Bloquear"_s), &QAction::triggered, this,
            [this, &commands] { commands.LOCKPC(selectedStation()); });
    addPendingEntry(menu, u"submnutm"_s, u"3.       Aumentar tiempo"_s);
    addPendingEntry(menu, u"smnuIntercambiar"_s, u"4.       Intercambiar"_s);
    const struct {
        const char16_t* name;
        const char16_t* caption;
        Command command;
    } agentEntries[] = {
        {u"smnuconrolvol", u"5.       Cerrar todos los programas", Command::ClosePrograms},
        {u"mnucontrol", u"6.       Cerrar Control", Command::CloseAgent},
        {u"smnucerrars", u"7.       Cerrar Sesion", Command::CloseSession},
        {u"smnureset", u"8.       Reiniciar", Command::Restart},
        {u"smnuapa", u"9.       Apagar", Command::ShutDown},
    };
    for (const auto& entry : agentEntries) {
        const Command command = entry.command;
        connect(addEntry(menu, QString::fromUtf16(entry.name), QString::fromUtf16(entry.caption)),
                &QAction::triggered, this,
                [this, &commands, command] { commands.send(selectedStation(), command); });
    }
    connect(addEntry(menu, u"smnuapaall"_s, u"10.     Apagar los puestos"_s), &QAction::triggered,
            &commands, &RemoteCommands::Shutdownall);
}

void ConsoleWindow::buildStatusBar()
{
    for (int i = 0; i < 4; ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(u"panel%1"_s.arg(i + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(i == 0 ? 220 : 110);
        statusBar()->addWidget(panel, i == 0 ? 1 : 0);
        m_panels << panel;
    }
}

void ConsoleWindow::showMeteringStatus()
{
    const Metering& metering = m_services.metering;
    statusPanel(1)->setText(metering.stationsText());
    statusPanel(3)->setText(metering.dateText());
    statusPanel(4)->setText(metering.timeText());
}

QLabel* ConsoleWindow::statusPanel(int panel) const
{
    return m_panels.value(panel - 1);
}

void ConsoleWindow::load()
{
    m_currencySymbol = m_services.settings.currencySymbol();

    CyberStore cyber(m_services.store.database());
    if (auto stations = cyber.load()) {
        m_services.stations.setStations(std::move(*stations));
    } else {
        m_services.stations.setStations({});
        m_services.prompts.tell(Prompts::Icon::Critical,
                                u"No se pudo leer la tabla de puestos (CYBER):\n"_s +
                                    cyber.lastError());
    }
    QHeaderView* header = m_stationList->header();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->resizeSection(StationListModel::Pc, 150);
    header->resizeSection(StationListModel::Tiempo, 90);
    header->resizeSection(StationListModel::Modo, 110);
    header->resizeSection(StationListModel::Usuario, 140);
    header->resizeSection(StationListModel::Sub, 100);
    header->resizeSection(StationListModel::Total, 110);
    header->setStretchLastSection(false);
    if (m_services.stations.count() > 0)
        m_stationList->setCurrentIndex(m_model->index(0, 0));

    validarOperator();
    EnDisOpc();
    m_meteringTimer->start();
    m_services.supervision.setCurrencySymbol(m_currencySymbol);
    m_supervisionTimer->start();
}

void ConsoleWindow::validarOperator()
{
    const OperatorSession& session = m_services.session;
    auto show = [this](const QString& name, bool visible) {
        if (auto* action = findChild<QAction*>(name))
            action->setVisible(visible);
    };
    auto showMenu = [this](const QString& name, bool visible) {
        if (auto* menu = findChild<QMenu*>(name))
            menu->menuAction()->setVisible(visible);
    };
    show(u"mnucconfig"_s, session.has(Right::ModifyOptions));
    show(u"subnuevo"_s, session.has(Right::CreateAccounts));
    showMenu(u"mnuinformes"_s, session.has(Right::ViewReports));
    showMenu(u"mnuoperadores"_s, session.has(Right::CreateOperators));
    show(u"mnuarticulos"_s, session.has(Right::AdminProducts));
    statusPanel(2)->setText(u"Operador: "_s + session.name());
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
