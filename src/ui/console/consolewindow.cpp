#include "consolewindow.h"

#include "aboutwindow.h"
#include "accounts/accounts.h"
#include "areacaption.h"
#include "chargedialog.h"
#include "config/archive.h"
#include "config/printeradmin.h"
#include "config/stationadmin.h"
#include "config/tariffadmin.h"
#include "core/clock.h"
#include "core/datastore.h"
#include "core/operatorsession.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "core/virtualkeys.h"
#include "core/webbrowser.h"
#include "icons.h"
#include "journal/journal.h"
#include "journal/journalofday.h"
#include "link/messagelist.h"
#include "link/remotecommands.h"
#include "link/requests.h"
#include "link/supervision.h"
#include "loginwindow.h"
#include "messagespanel.h"
#include "metering/metering.h"
#include "openstationdialog.h"
#include "operators/shortcuts.h"
#include "optionsdialog.h"
#include "printing/pendingprints.h"
#include "printing/printmonitor.h"
#include "products/catalogue.h"
#include "products/sale.h"
#include "stationlistmodel.h"
#include "stations/counters.h"
#include "stations/cyberstore.h"
#include "stations/display.h"
#include "stations/stationtable.h"
#include "ui/accounts/accountswindow.h"
#include "ui/operators/operatorswindow.h"
#include "ui/reports/reportswindow.h"
#include "ui/sales/productswindow.h"
#include "ui/sales/saledialog.h"
#include "ui/stations/swapdialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWindow>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

// Sees the key about to go down before the menus' mnemonics and the focused control's own keys
// (Ctrl+C, Ctrl+A) are looked for, and claims it for a shortcut of the operator's.
class ShortcutClaim final : public QObject {
public:
    ShortcutClaim(std::function<bool(const QKeyEvent&)> claims, QObject* parent)
        : QObject(parent), m_claims(std::move(claims))
    {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::ShortcutOverride || !m_claims(*static_cast<QKeyEvent*>(event)))
            return false;
        event->accept();
        return true;
    }

private:
    std::function<bool(const QKeyEvent&)> m_claims;
};

} // namespace

ConsoleWindow::ConsoleWindow(ConsoleServices services, QWidget* parent)
    : QMainWindow(parent), m_services(services),
      m_shortcuts(std::make_unique<Shortcuts>(services.store.database(), services.actions)),
      m_capture(std::make_unique<KeyCapture>())
{
    setObjectName(u"MAIX"_s);
    setWindowTitle(u"KESTREL 2009  [ SERVER ] "_s);

    auto* central = new QSplitter(Qt::Horizontal, this);
    auto* left = new QSplitter(Qt::Vertical, central);
    left->setObjectName(u"splitterpuestos"_s);
    left->addWidget(buildStationArea(left));
    left->addWidget(buildJournalPanel(left));
    left->setStretchFactor(0, 3);
    left->setStretchFactor(1, 2);
    left->setChildrenCollapsible(false);
    central->addWidget(left);
    central->addWidget(buildSidePanels(central));
    central->setStretchFactor(0, 1);
    central->setStretchFactor(1, 0);
    central->setChildrenCollapsible(false);
    central->setSizes({760, 340});
    setCentralWidget(central);

    buildToolBar();
    buildMenus();
    buildStatusBar();
    resize(1100, 700);

    // The metering runs once a second from the end of the load until the program ends.
    m_meteringTimer = new QTimer(this);
    m_meteringTimer->setObjectName(u"XMTIMER"_s);
    m_meteringTimer->setInterval(1000);
    connect(m_meteringTimer, &QTimer::timeout, &m_services.metering, &Metering::tick);
    connect(&m_services.metering, &Metering::ticked, this, &ConsoleWindow::showMeteringStatus);
    // The printers are looked at after the status bar, once a tick; the pass runs off this thread.
    connect(&m_services.metering, &Metering::ticked, &m_services.monitor,
            &PrintMonitor::Obtener_Impresoras2);
    connect(&m_services.monitor, &PrintMonitor::cancelled, this,
            [this](const QString& printer, int job, bool ok) {
                if (!ok)
                    m_services.prompts.notify(
                        Prompts::Icon::Exclamation,
                        u"No se pudo cancelar el trabajo %1 de la impresora "_s.arg(job) + printer +
                            u'.');
            });
    connect(&m_services.metering, &Metering::storeFailed, this, [this](const QString& message) {
        m_services.prompts.notify(Prompts::Icon::Critical, message);
    });
    connect(&m_services.journal, &Journal::writeFailed, this, [this](const QString& message) {
        m_services.prompts.notify(Prompts::Icon::Critical, message);
    });
    // Every row written (a charge, a lock, the end of a prepaid session) shows in the grid.
    connect(&m_services.journal, &Journal::written, this, &ConsoleWindow::refreshJournal);

    connect(&m_services.login, &LoginWindow::loggedIn, this, [this](bool changeOfOperator) {
        if (changeOfOperator)
            validarOperator();
    });

    // The connection supervision runs from the end of the load until the program ends.
    m_supervisionTimer = &m_services.supervision.timer();

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
    connect(&m_services.prints, &PendingPrints::changed, this, &ConsoleWindow::showPendingPrints);
}

ConsoleWindow::~ConsoleWindow() = default;

QWidget* ConsoleWindow::buildStationArea(QWidget* parent)
{
    auto* area = new QWidget(parent);
    area->setObjectName(u"panelpuestos"_s);
    m_model = new StationListModel(m_services.stations, this);
    m_stationList = new QTreeView(area);
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
    qApp->installEventFilter(new ShortcutClaim(
        [this](const QKeyEvent& key) { return isActiveWindow() && runsShortcut(key); }, this));
    connect(m_stationList, &QTreeView::clicked, this, &ConsoleWindow::EnDisOpc);

    auto* clear = new QPushButton(u"Limpiar"_s, area);
    clear->setObjectName(u"cmdlimpiar"_s);
    clear->setToolTip(u"Limpiar contadores , subtotales y totales"_s);
    connect(clear, &QPushButton::clicked, this,
            [this] { clearFreeCounters(m_services.stations, m_services.actions); });

    // The metering interval in milliseconds: a second is a second at 1000; lower values run the
    // café's clocks faster (demonstrations, trying a tariff out).
    m_speed = new QSlider(Qt::Horizontal, area);
    m_speed->setObjectName(u"sldvelocidad"_s);
    m_speed->setRange(10, 2000);
    m_speed->setSingleStep(10);
    m_speed->setPageStep(100);
    m_speed->setValue(1000);
    m_speed->setMaximumWidth(160);
    m_speed->setToolTip(u"Intervalo del contador (ms)"_s);
    connect(m_speed, &QSlider::valueChanged, this,
            [this](int value) { m_meteringTimer->setInterval(value); });

    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 3, 0, 0);
    bottom->addWidget(clear);
    bottom->addStretch(1);
    bottom->addWidget(new QLabel(u"Velocidad"_s, area));
    bottom->addWidget(m_speed);

    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(4, 4, 0, 2);
    layout->setSpacing(0);
    layout->addWidget(areaCaption(u"  Puestos"_s, u"lblpuestos"_s, area));
    layout->addWidget(m_stationList, 1);
    layout->addLayout(bottom);
    return area;
}

QWidget* ConsoleWindow::buildJournalPanel(QWidget* parent)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(u"panelregistro"_s);

    // The two captions are the panel's tabs: the grid, or the pending print list over it.
    auto* tabs = new QHBoxLayout;
    tabs->setSpacing(2);
    auto tab = [&](const QString& caption, const QString& name) {
        auto* button = new QPushButton(caption, panel);
        button->setObjectName(name);
        button->setCheckable(true);
        button->setAutoExclusive(true);
        button->setFlat(true);
        button->setStyleSheet(
            u"QPushButton { background: #8aa0ba; color: white; font-weight: bold; "
            u"padding: 3px 10px; text-align: left; border: none; } "
            u"QPushButton:checked { background: #2b4f7a; }"_s);
        tabs->addWidget(button, 1);
        return button;
    };
    QPushButton* journalTab = tab(u"  Registro de operaciones"_s, u"lblregistro"_s);
    QPushButton* printsTab = tab(u"  Impresiones a cobrar"_s, u"lblimpresiones"_s);
    journalTab->setChecked(true);
    connect(journalTab, &QPushButton::clicked, this, [this] { showJournalTab(false); });
    connect(printsTab, &QPushButton::clicked, this, [this] { showJournalTab(true); });

    m_journalGrid = new QTreeWidget(panel);
    m_journalGrid->setObjectName(u"grdinformes"_s);
    m_journalGrid->setHeaderLabels(
        {u"FECHA"_s, u"HORA"_s, u"DESCRIP"_s, u"USER"_s, u"PC"_s, u"VALOR"_s});
    m_journalGrid->setRootIsDecorated(false);
    m_journalGrid->setUniformRowHeights(true);
    m_journalGrid->setAlternatingRowColors(true);
    m_journalGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    const int journalWidths[] = {90, 70, 200, 110, 70, 80};
    for (int c = 0; c < 6; ++c)
        m_journalGrid->setColumnWidth(c, journalWidths[c]);

    m_printList = new QTreeWidget(panel);
    m_printList->setObjectName(u"lstimpresiones"_s);
    m_printList->setHeaderLabels({u"Impresora"_s, u"Maquina"_s, u"Cantidad"_s, u"Valor"_s});
    m_printList->setRootIsDecorated(false);
    m_printList->setUniformRowHeights(true);
    m_printList->setColumnWidth(0, 200);
    m_printList->setColumnWidth(1, 140);
    m_printList->viewport()->installEventFilter(this);

    m_journalStack = new QStackedWidget(panel);
    m_journalStack->addWidget(m_journalGrid);
    m_journalStack->addWidget(m_printList);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(4, 2, 0, 4);
    layout->setSpacing(0);
    layout->addLayout(tabs);
    layout->addWidget(m_journalStack, 1);
    return panel;
}

void ConsoleWindow::showJournalTab(bool prints)
{
    m_journalStack->setCurrentWidget(prints ? static_cast<QWidget*>(m_printList) : m_journalGrid);
    findChild<QPushButton*>(prints ? u"lblimpresiones"_s : u"lblregistro"_s)->setChecked(true);
}

void ConsoleWindow::showPendingPrints()
{
    m_printList->clear();
    for (const PendingPrint& p : m_services.prints.rows()) {
        auto* item =
            new QTreeWidgetItem(m_printList, {p.impresora, p.maquina, p.cantidad, p.valor});
        item->setData(0, Qt::UserRole, p.jobid);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    }
}

void ConsoleWindow::refreshJournal()
{
    if (!m_journalOfDay)
        return;
    const auto rows = m_journalOfDay->rows();
    if (!rows) {
        m_services.prompts.notify(Prompts::Icon::Critical,
                                  u"No se pudo leer el registro de operaciones:\n"_s +
                                      m_journalOfDay->lastError());
        return;
    }
    m_journalGrid->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(rows->size()));
    for (const JournalRow& r : *rows) {
        auto* item = new QTreeWidgetItem(
            {Journal::shownDate(r.fecha), r.hora, r.descrip, r.user, r.pc, formatAmount(r.valor)});
        item->setTextAlignment(5, Qt::AlignRight | Qt::AlignVCenter);
        items << item;
    }
    m_journalGrid->addTopLevelItems(items);
    m_journalGrid->scrollToBottom();
}

QWidget* ConsoleWindow::buildSidePanels(QWidget* parent)
{
    auto* side = new QWidget(parent);
    side->setObjectName(u"panellateral"_s);
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 4, 4, 4);
    layout->setSpacing(6);

    auto* searchPanel = new QWidget(side);
    searchPanel->setObjectName(u"panelbuscar"_s);
    auto* searchLayout = new QVBoxLayout(searchPanel);
    searchLayout->setContentsMargins(0, 0, 0, 0);
    searchLayout->setSpacing(3);
    searchLayout->addWidget(areaCaption(u"Buscar en Internet"_s, u"lblbuscar"_s, searchPanel));
    auto* searchRow = new QHBoxLayout;
    m_searchText = new QLineEdit(searchPanel);
    m_searchText->setObjectName(u"txtbuscar"_s);
    auto* searchButton = new QPushButton(u"Buscar"_s, searchPanel);
    searchButton->setObjectName(u"cmdbuscar"_s);
    searchRow->addWidget(m_searchText, 1);
    searchRow->addWidget(searchButton);
    searchLayout->addLayout(searchRow);
    layout->addWidget(searchPanel);
    connect(searchButton, &QPushButton::clicked, this, &ConsoleWindow::search);
    connect(m_searchText, &QLineEdit::returnPressed, this, &ConsoleWindow::search);

    m_messagesPanel = new MessagesPanel(m_services.messages, side);
    layout->addWidget(m_messagesPanel, 1);
    connect(m_messagesPanel, &MessagesPanel::sendRequested, this, [this](const QString& text) {
        if (m_services.commands.chat(selectedStation(), text))
            m_messagesPanel->textBox()->clear();
    });
    connect(m_messagesPanel, &MessagesPanel::clearRequested, this, [this] {
        m_services.commands.clearMessages();
        m_messagesPanel->textBox()->clear();
    });

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

    // The vendor's panel: the program's name and where to find help.
    auto* promo = new QLabel(side);
    promo->setObjectName(u"panelpromo"_s);
    promo->setAlignment(Qt::AlignCenter);
    promo->setWordWrap(true);
    promo->setText(u"<b>Kestrel</b><br>Control de cibercafé"_s);
    promo->setStyleSheet(u"QLabel { background: #eef2f7; color: #2b4f7a; border: 1px solid "
                         u"#c5d0dd; padding: 6px; }"_s);
    layout->addWidget(promo);
    layout->addStretch(0); // room below the panels while the messages are hidden
    return side;
}

void ConsoleWindow::search()
{
    if (!m_services.browser.open(searchAddress(m_searchText->text())))
        m_services.prompts.tell(Prompts::Icon::Exclamation,
                                u"No se pudo abrir el navegador de Internet."_s);
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
    const StationCommands current{
        action(u"opopen"_s)->isEnabled(),    action(u"opclose"_s)->isEnabled(),
        action(u"opcobrar"_s)->isEnabled(),  action(u"Modo"_s)->isEnabled(),
        action(u"cmdaumen"_s)->isEnabled(),  action(u"cmdinterc"_s)->isEnabled(),
        action(u"smnuAbrir"_s)->isEnabled(), action(u"smnucerrar"_s)->isEnabled(),
        action(u"submnutm"_s)->isEnabled(),  action(u"smnuIntercambiar"_s)->isEnabled()};
    const StationCommands c =
        kestrel::EnDisOpc(m_services.stations, selectedStation(), m_services.session, current);
    action(u"opopen"_s)->setEnabled(c.habilitar);
    action(u"opclose"_s)->setEnabled(c.bloquear);
    action(u"opcobrar"_s)->setEnabled(c.cobrar);
    action(u"Modo"_s)->setEnabled(c.modo);
    action(u"cmdaumen"_s)->setEnabled(c.aumentar);
    action(u"smnuAbrir"_s)->setEnabled(c.menuHabilitar);
    action(u"smnucerrar"_s)->setEnabled(c.menuBloquear);
    action(u"submnutm"_s)->setEnabled(c.menuAumentar);
    action(u"cmdinterc"_s)->setEnabled(c.intercambiar);
    action(u"smnuIntercambiar"_s)->setEnabled(c.menuIntercambiar);
}

void ConsoleWindow::Visualizacion()
{
    const DisplayLayout d = kestrel::Visualizacion(m_services.settings);
    findChild<QWidget*>(u"panelmensajes"_s)->setVisible(d.messages);
    findChild<QWidget*>(u"panelvolumen"_s)->setVisible(d.volume);
    findChild<QWidget*>(u"panelregistro"_s)->setVisible(d.journal);
    findChild<QWidget*>(u"panelbuscar"_s)->setVisible(d.search);
    const double dpi = logicalDpiX();
    const int sub = twipsToPixels(d.subTwips, dpi);
    m_stationList->setColumnHidden(StationListModel::Sub, sub == 0);
    if (sub > 0)
        m_stationList->header()->resizeSection(StationListModel::Sub, sub);
    action(u"opcobrar"_s)->setVisible(d.cobrar);
    action(u"Modo"_s)->setVisible(d.modo);
    action(u"cmdvender"_s)->setVisible(d.vender);
    m_configButtonShown = d.configuracion;
    showConfigButton();
    const int usuario = twipsToPixels(d.usuarioTwips, dpi);
    m_stationList->setColumnHidden(StationListModel::Usuario, usuario == 0);
    if (usuario > 0)
        m_stationList->header()->resizeSection(StationListModel::Usuario, usuario);
    findChild<QWidget*>(u"panelpromo"_s)->setVisible(d.promo);
    // With every side panel hidden the side column goes too, leaving no empty grey area.
    findChild<QWidget*>(u"panellateral"_s)
        ->setVisible(d.messages || d.volume || d.search || d.promo);
}

void ConsoleWindow::SHOWPC(const QString& mode, const QString& user, const QString& hourlyRate)
{
    if (!m_openDialog) {
        m_openDialog = std::make_unique<OpenStationDialog>(
            OpenStationServices{m_services.store.database(), m_services.settings,
                                m_services.stations, m_services.actions, m_services.prompts,
                                m_currencySymbol, &m_services.accounts},
            this);
        connect(m_openDialog.get(), &OpenStationDialog::stationChanged, this,
                &ConsoleWindow::EnDisOpc);
        connect(m_openDialog.get(), &OpenStationDialog::accountChanged, this, [this] {
            if (m_accountsWindow && m_accountsWindow->isVisible())
                m_accountsWindow->showAll();
        });
    }
    m_openDialog->SHOWPC(mode, selectedStation(), user, hourlyRate);
}

void ConsoleWindow::showAccounts()
{
    if (!m_accountsWindow) {
        m_accountsWindow = std::make_unique<AccountsWindow>(m_services.accounts, m_services.session,
                                                            m_services.prompts, this);
        connect(m_accountsWindow.get(), &AccountsWindow::createRequested, this,
                [this] { SHOWPC(u"CREATE"_s); });
        connect(
            m_accountsWindow.get(), &AccountsWindow::creditRequested, this,
            [this](const QString& user, const QString& rate) { SHOWPC(u"INCREMU"_s, user, rate); });
    }
    m_accountsWindow->showAll();
    m_accountsWindow->show();
    m_accountsWindow->raise();
    m_accountsWindow->activateWindow();
}

void ConsoleWindow::showOptions()
{
    if (!m_services.session.has(Right::ModifyOptions))
        return;
    if (m_options && m_options->isVisible()) {
        m_options->raise();
        m_options->activateWindow();
        return;
    }
    QSqlDatabase db = m_services.store.database();
    if (!m_tariffAdmin) {
        m_tariffAdmin = std::make_unique<TariffAdmin>(
            TariffAdmin::Services{db, m_services.actions, m_services.prompts});
        m_stationAdmin = std::make_unique<StationAdmin>(
            StationAdmin::Services{db, m_services.stations, m_services.sockets, m_services.rows,
                                   m_services.actions, m_services.prompts});
        m_printerAdmin = std::make_unique<PrinterAdmin>(
            PrinterAdmin::Services{db, m_services.monitor, m_services.actions, m_services.prompts});
        m_archive = std::make_unique<Archive>(Archive::Services{
            m_services.store, m_services.actions, m_services.prompts, m_services.clock});
    }
    m_options = std::make_unique<OptionsDialog>(
        OptionsServices{m_services.settings, m_services.prompts, m_services.session,
                        m_services.stations, m_services.link, *m_shortcuts, *m_capture,
                        *m_tariffAdmin, *m_stationAdmin, *m_printerAdmin, *m_archive,
                        m_currencySymbol},
        this);
    connect(m_options.get(), &OptionsDialog::intervalChanged, m_supervisionTimer,
            qOverload<int>(&QTimer::setInterval));
    connect(m_options.get(), &OptionsDialog::applied, this, &ConsoleWindow::Visualizacion);
    connect(m_options.get(), &OptionsDialog::shortcutsSaved, this, &ConsoleWindow::Loadteclas);
    connect(m_options.get(), &OptionsDialog::archived, this, [this] {
        refreshJournal();
        m_services.prints.reload();
    });
    m_options->show();
}

void ConsoleWindow::Loadteclas()
{
    if (!m_shortcuts->load(m_services.session.name()))
        m_services.prompts.tell(Prompts::Icon::Critical,
                                u"No se pudieron leer las combinaciones de teclas (Teclado):\n"_s +
                                    m_shortcuts->lastError());
}

void ConsoleWindow::showOperators()
{
    if (!m_operatorsWindow)
        m_operatorsWindow = std::make_unique<OperatorsWindow>(
            OperatorAdmin::Services{m_services.store.database(), m_services.actions,
                                    m_services.prompts, m_services.session},
            this);
    m_operatorsWindow->showAll();
    m_operatorsWindow->show();
    m_operatorsWindow->raise();
    m_operatorsWindow->activateWindow();
}

void ConsoleWindow::makeProducts()
{
    if (m_catalogue)
        return;
    QSqlDatabase db = m_services.store.database();
    m_catalogue = std::make_unique<Catalogue>(
        Catalogue::Services{db, m_services.actions, m_services.prompts});
    m_productsWindow = std::make_unique<ProductsWindow>(*m_catalogue, m_services.session,
                                                        m_services.prompts, this);
    m_sale = std::make_unique<Sale>(Sale::Services{db, m_services.actions, m_services.journal,
                                                   m_services.prompts, m_services.settings});
    m_saleDialog = std::make_unique<SaleDialog>(*m_sale, *m_productsWindow, m_currencySymbol, this);
}

void ConsoleWindow::showProducts()
{
    makeProducts();
    m_productsWindow->showForAdmin();
}

void ConsoleWindow::showSale()
{
    makeProducts();
    m_saleDialog->showSale();
}

ReportsWindow& ConsoleWindow::reportsWindow()
{
    if (!m_reportsWindow)
        m_reportsWindow = std::make_unique<ReportsWindow>(
            Report::Services{m_services.store.database(), m_services.session, m_services.settings,
                             m_services.prompts, m_services.clock},
            this);
    return *m_reportsWindow;
}

void ConsoleWindow::removePrint()
{
    QTreeWidgetItem* item = m_printList->currentItem();
    if (m_services.prints.count() == 0 || !item)
        return;
    const int index = m_printList->indexOfTopLevelItem(item);
    if (m_services.prompts.askYesNo(u"Desea remover de la lista?"_s))
        m_services.prints.remove(m_services.actions, index);
}

void ConsoleWindow::clearPrints()
{
    if (m_services.prompts.askYesNo(u"Desea limpiar la lista?"_s))
        m_services.prints.clear(m_services.actions);
}

// The selected job is cancelled in the spooler (it stops printing); what it printed so far stays
// in the list to be charged.
void ConsoleWindow::cancelPrint()
{
    QTreeWidgetItem* item = m_printList->currentItem();
    if (!item)
        return;
    const PendingPrint& job =
        m_services.prints.rows()[std::size_t(m_printList->indexOfTopLevelItem(item))];
    if (m_services.prompts.askYesNo(u"Desea cancelar el trabajo "_s + job.jobid +
                                    u" de la impresora "_s + job.impresora + u'?'))
        m_services.monitor.cancel(job.impresora, job.jobid.toInt());
}

void ConsoleWindow::showCharge()
{
    if (!m_services.stations.isValidIndex(selectedStation()))
        return; // nothing to charge: the button only acts on a selected station
    if (!m_chargeDialog) {
        m_chargeDialog = std::make_unique<ChargeDialog>(
            ChargeServices{m_services.stations, m_services.actions, m_services.prints,
                           m_services.commands, m_services.journal, m_services.prompts,
                           m_currencySymbol},
            this);
        connect(m_chargeDialog.get(), &ChargeDialog::charged, this, &ConsoleWindow::EnDisOpc);
    }
    m_chargeDialog->openFor(selectedStation());
}

bool ConsoleWindow::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == m_stationList->viewport() && type == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            EnDisOpc();
            m_stationMenu->popup(mouse->globalPosition().toPoint());
        }
    } else if (watched == m_stationList && type == QEvent::KeyRelease) {
        EnDisOpc();
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Menu)
            m_stationMenu->popup(m_stationList->mapToGlobal(QPoint(0, 0)));
    } else if (m_printList && watched == m_printList->viewport() &&
               type == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton)
            m_printerMenu->popup(mouse->globalPosition().toPoint());
    } else if (watched == windowHandle() && type == QEvent::KeyPress) {
        // The window sees every key once, before the control with the focus does.
        if (keyPressed(*static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

namespace {

// Keys typed into a text box (the chat line, the search box) are text: without Ctrl or Alt held
// they run no shortcut, even with a modifier remembered from before.
bool typedText(const QKeyEvent& event)
{
    const QWidget* focus = QApplication::focusWidget();
    const bool textBox = qobject_cast<const QLineEdit*>(focus) ||
                         qobject_cast<const QTextEdit*>(focus) ||
                         qobject_cast<const QPlainTextEdit*>(focus);
    return textBox && !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

} // namespace

bool ConsoleWindow::keyPressed(const QKeyEvent& event)
{
    const int code = virtualKeyCode(event.key());
    if (!code || event.isAutoRepeat())
        return false;
    m_capture->press(code);
    return !typedText(event) && EvaluarKeys(m_capture->codeText());
}

bool ConsoleWindow::runsShortcut(const QKeyEvent& event) const
{
    const int code = virtualKeyCode(event.key());
    if (!code || typedText(event))
        return false;
    KeyCapture next = *m_capture;
    next.press(code);
    return m_shortcuts->evaluate(next.codeText()) != 0;
}

bool ConsoleWindow::EvaluarKeys(const QString& keyCodes)
{
    const int index = selectedStation();
    const bool valid = m_services.stations.isValidIndex(index);
    const bool busy = valid && !m_services.stations.at(index).modo.isEmpty();
    switch (m_shortcuts->evaluate(keyCodes)) {
    case ShortcutAction::Habilitar:
        if (valid && !busy)
            SHOWPC(u"OPEN"_s);
        else
            QApplication::beep();
        return true;
    case ShortcutAction::Bloquear:
        if (busy)
            m_services.commands.LockPC2(index);
        return true;
    case ShortcutAction::Cobrar:
        showCharge();
        return true;
    case ShortcutAction::Modo:
        if (valid)
            SHOWPC(u"MODO"_s);
        return true;
    case ShortcutAction::Aumentar:
        if (valid && action(u"cmdaumen"_s)->isEnabled())
            SHOWPC(u"INCREM"_s);
        return true;
    case ShortcutAction::Intercambiar:
        Interchangepues();
        return true;
    case ShortcutAction::Limpiar:
        clearStationCounters(m_services.stations, m_services.actions, index);
        return true;
    case ShortcutAction::LimpiarTodo:
        clearFreeCounters(m_services.stations, m_services.actions);
        return true;
    case ShortcutAction::Vender:
        showSale();
        return true;
    default:
        return false;
    }
}

void ConsoleWindow::Interchangepues()
{
    if (!m_swapDialog)
        m_swapDialog = std::make_unique<SwapDialog>(m_services.stations, m_services.actions,
                                                    m_services.prompts, this);
    m_swapDialog->Interchangepues(selectedStation());
    EnDisOpc();
}

void ConsoleWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (QWindow* window = windowHandle()) {
        window->removeEventFilter(this);
        window->installEventFilter(this);
    }
}

QAction* ConsoleWindow::action(const QString& name) const
{
    return findChild<QAction*>(name);
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

void ConsoleWindow::buildToolBar()
{
    m_toolBar = addToolBar(u"Puestos"_s);
    m_toolBar->setObjectName(u"Toolbar1"_s);
    m_toolBar->setMovable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolBar->setIconSize(QSize(32, 32));
    const struct {
        const char16_t* key;
        const char16_t* caption;
        const char16_t* image;
    } buttons[] = {
        {u"opopen", u"Habilitar", u"imghabilitar"}, {u"opclose", u"Bloquear", u"imgbloqueado"},
        {u"opcobrar", u"Cobrar", u"imgcobrar"},     {u"Modo", u"Modo", u"imgmodo"},
        {u"cmdaumen", u"Aumentar", u"imgaumen"},    {u"cmdinterc", u"Intercambiar", u"imginter"},
        {u"cmdvender", u"Vender", u"icarticulos"},  {u"opconfig", u"Configuracion", u"imgconfig"},
    };
    for (const auto& b : buttons) {
        // Actions are the window's own children, so the toolbar and the tests find them by key.
        auto* button = new QAction(iconForKey(QString::fromUtf16(b.image)),
                                   QString::fromUtf16(b.caption), this);
        button->setObjectName(QString::fromUtf16(b.key));
        m_toolBar->addAction(button);
    }
    connect(action(u"opopen"_s), &QAction::triggered, this, [this] { SHOWPC(u"OPEN"_s); });
    connect(action(u"opclose"_s), &QAction::triggered, this,
            [this] { m_services.commands.LockPC2(selectedStation()); });
    connect(action(u"opcobrar"_s), &QAction::triggered, this, &ConsoleWindow::showCharge);
    connect(action(u"Modo"_s), &QAction::triggered, this, [this] { SHOWPC(u"MODO"_s); });
    connect(action(u"cmdaumen"_s), &QAction::triggered, this, [this] { SHOWPC(u"INCREM"_s); });
    connect(action(u"cmdvender"_s), &QAction::triggered, this, &ConsoleWindow::showSale);
    connect(action(u"opconfig"_s), &QAction::triggered, this, &ConsoleWindow::showOptions);
    connect(action(u"cmdinterc"_s), &QAction::triggered, this, &ConsoleWindow::Interchangepues);
}

void ConsoleWindow::buildMenus()
{
    QMenu* archivo = addMenu(u"mnuarchivo"_s, u"&Archivo"_s);
    connect(addEntry(archivo, u"mnucconfig"_s, u"Configuracion"_s), &QAction::triggered, this,
            &ConsoleWindow::showOptions);
    connect(addEntry(archivo, u"submenuchanop"_s, u"Cambiar Operador"_s), &QAction::triggered,
            &m_services.login, &LoginWindow::openForChange);
    archivo->addSeparator();
    connect(addEntry(archivo, u"mnuend"_s, u"Salir"_s), &QAction::triggered, this, &QWidget::close);

    buildStationMenu();

    QMenu* articulos = addMenu(u"mnuarticulosmenu"_s, u"Articulos"_s);
    connect(addEntry(articulos, u"submenvender"_s, u"&Vender"_s), &QAction::triggered, this,
            &ConsoleWindow::showSale);
    connect(addEntry(articulos, u"mnuarticulos"_s, u"Administrar"_s), &QAction::triggered, this,
            &ConsoleWindow::showProducts);

    QMenu* cuentas = addMenu(u"mnucuentas"_s, u"&Cuentas"_s);
    connect(addEntry(cuentas, u"subnuevo"_s, u"Nuevo"_s), &QAction::triggered, this,
            [this] { SHOWPC(u"CREATE"_s); });
    connect(addEntry(cuentas, u"submmbus"_s, u"Buscar/Modificar"_s), &QAction::triggered, this,
            &ConsoleWindow::showAccounts);

    connect(addEntry(addMenu(u"mnuoperadores"_s, u"&Operadores"_s), u"submenuOp"_s,
                     u"Administrar operadores"_s),
            &QAction::triggered, this, &ConsoleWindow::showOperators);

    QMenu* informes = addMenu(u"mnuinformes"_s, u"&Informes"_s);
    connect(addEntry(informes, u"smnudiario"_s, u"Informe Diario"_s), &QAction::triggered, this,
            [this] { reportsWindow().openDaily(); });
    connect(addEntry(informes, u"mnuinf2"_s, u"Informe Personalizado"_s), &QAction::triggered, this,
            [this] { reportsWindow().openCustom(); });

    QMenu* acerca = addMenu(u"mnuacerca"_s, u"&Acerca de"_s);
    connect(addEntry(acerca, u"mnuabout"_s, u"Acerca de Kestrel"_s), &QAction::triggered, this,
            [this] {
                AboutWindow about(this);
                about.exec();
            });
    const struct {
        const char16_t* name;
        const char16_t* caption;
        const char16_t* address;
    } pages[] = {
        {u"mnuweb", u"Página web de Kestrel", u"https://kestrel.example.org/"},
        {u"mnuayuda", u"Ayuda en línea", u"https://kestrel.example.org/ayuda"},
        {u"mnuactualizar", u"Buscar actualizaciones", u"https://kestrel.example.org/descargas"},
    };
    for (const auto& page : pages) {
        const QUrl address(QString::fromUtf16(page.address));
        connect(addEntry(acerca, QString::fromUtf16(page.name), QString::fromUtf16(page.caption)),
                &QAction::triggered, this, [this, address] { m_services.browser.open(address); });
    }

    // The pending print list's own menu.
    m_printerMenu = new QMenu(u"Impresoras"_s, this);
    m_printerMenu->setObjectName(u"mnuimpresoras"_s);
    connect(addEntry(m_printerMenu, u"printerdel"_s, u"Remover"_s), &QAction::triggered, this,
            &ConsoleWindow::removePrint);
    connect(addEntry(m_printerMenu, u"mnuclearlst"_s, u"Limpiar todos los trabajos"_s),
            &QAction::triggered, this, &ConsoleWindow::clearPrints);
    connect(addEntry(m_printerMenu, u"mnuprintcanc"_s, u"Cancelar impresion actual"_s),
            &QAction::triggered, this, &ConsoleWindow::cancelPrint);
}

void ConsoleWindow::buildStationMenu()
{
    using Command = RemoteCommands::AgentCommand;
    RemoteCommands& commands = m_services.commands;
    m_stationMenu = addMenu(u"mnupuestos"_s, u"&Puestos"_s);
    QMenu* menu = m_stationMenu;
    connect(addEntry(menu, u"smnuAbrir"_s, u"1.       Habilitar"_s), &QAction::triggered, this,
            [this] { SHOWPC(u"OPEN"_s); });
    connect(addEntry(menu, u"smnucerrar"_s, u"2.       Bloquear"_s), &QAction::triggered, this,
            [this, &commands] { commands.LOCKPC(selectedStation()); });
    connect(addEntry(menu, u"submnutm"_s, u"3.       Aumentar tiempo"_s), &QAction::triggered, this,
            [this] { SHOWPC(u"INCREM"_s); });
    connect(addEntry(menu, u"smnuIntercambiar"_s, u"4.       Intercambiar"_s), &QAction::triggered,
            this, &ConsoleWindow::Interchangepues);
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
    QHeaderView* header = m_stationList->header();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->resizeSection(StationListModel::Pc, 130);
    header->resizeSection(StationListModel::Tiempo, 90);
    header->resizeSection(StationListModel::Modo, 110);
    header->resizeSection(StationListModel::Total, 100);
    header->setStretchLastSection(false);
    if (m_services.stations.count() > 0)
        m_stationList->setCurrentIndex(m_model->index(0, 0));

    // The day and the operator of the journal grid are those of the load.
    m_journalOfDay = std::make_unique<JournalOfDay>(
        m_services.store.database(), m_services.clock.now().date(),
        m_services.settings.journalShowsAllOperators() ? QString() : m_services.session.name());
    refreshJournal();

    EnDisOpc();
    validarOperator();
    Loadteclas();
    m_meteringTimer->start();
    m_services.supervision.setCurrencySymbol(m_currencySymbol);
    m_services.supervision.start();
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
    showConfigButton();
    show(u"subnuevo"_s, session.has(Right::CreateAccounts));
    showMenu(u"mnuinformes"_s, session.has(Right::ViewReports));
    showMenu(u"mnuoperadores"_s, session.has(Right::CreateOperators));
    show(u"mnuarticulos"_s, session.has(Right::AdminProducts));
    statusPanel(2)->setText(u"Operador: "_s + session.name());
}

// The toolbar's "Configuracion" follows the display setting and the operator's right, like its
// menu entry; a later login of an operator with the right shows it again.
void ConsoleWindow::showConfigButton()
{
    action(u"opconfig"_s)
        ->setVisible(m_configButtonShown && m_services.session.has(Right::ModifyOptions));
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
