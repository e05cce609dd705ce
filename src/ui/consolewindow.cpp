#include "consolewindow.h"

#include "aboutwindow.h"
#include "billing/journal.h"
#include "core/datastore.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "loginwindow.h"
#include "operators/operatorsession.h"
#include "stationlistmodel.h"
#include "stations/cyberstore.h"
#include "stations/metering.h"
#include "stations/stationtable.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

ConsoleWindow::ConsoleWindow(ConsoleServices services, QWidget* parent)
    : QMainWindow(parent), m_services(services)
{
    setObjectName(u"MAIX"_s);
    setWindowTitle(u"KESTREL 2009  [ SERVER ] "_s);

    auto* central = new QWidget(this);
    auto* caption = new QLabel(u"  Puestos"_s, central);
    caption->setObjectName(u"lblpuestos"_s);
    caption->setStyleSheet(u"QLabel { background: #2b4f7a; color: white; font-weight: bold; "
                           u"padding: 3px; }"_s);

    m_model = new StationListModel(m_services.stations, this);
    m_stationList = new QTreeView(central);
    m_stationList->setObjectName(u"LSTPCS"_s);
    m_stationList->setModel(m_model);
    m_stationList->setRootIsDecorated(false);
    m_stationList->setUniformRowHeights(true);
    m_stationList->setAlternatingRowColors(true);
    m_stationList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_stationList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_stationList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_stationList->setIconSize(QSize(20, 20));

    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(0);
    layout->addWidget(caption);
    layout->addWidget(m_stationList);
    setCentralWidget(central);

    buildMenus();
    buildStatusBar();
    resize(900, 600);

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
    m_meteringTimer->start();
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
