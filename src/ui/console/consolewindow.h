#pragma once

#include "stations/display.h"

#include <QMainWindow>

#include <memory>

class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QKeyEvent;
class QScrollBar;
class QSlider;
class QStackedWidget;
class QTimer;
class QToolBar;
class QTreeView;
class QTreeWidget;

namespace kestrel {

class Accounts;
class AccountsWindow;
class ActionStore;
class Archive;
class ChargeDialog;
class Clock;
class ConnectionSupervision;
class DataStore;
class Journal;
class JournalOfDay;
class KeyCapture;
class LinkSender;
class LoginWindow;
class MessageList;
class MessagesPanel;
class Metering;
class OpenStationDialog;
class OperatorsWindow;
class OptionsDialog;
class Catalogue;
class ProductsWindow;
class Sale;
class SaleDialog;
class ReportsWindow;
class PendingPrints;
class PrintMonitor;
class PrinterAdmin;
class RemoteCommands;
class RequestDispatcher;
class OperatorSession;
class Prompts;
class Settings;
class Shortcuts;
class StationAdmin;
class StationRows;
class StationSockets;
class TariffAdmin;
class StationListModel;
class StationTable;
class SwapDialog;
class WebBrowser;

// What the console works with, handed in by the start-up.
struct ConsoleServices {
    DataStore& store;
    Settings& settings;
    OperatorSession& session;
    StationTable& stations;
    StationRows& rows;
    StationSockets& sockets;
    LinkSender& link;
    ActionStore& actions;
    Prompts& prompts;
    LoginWindow& login;
    Metering& metering;
    Journal& journal;
    ConnectionSupervision& supervision;
    RequestDispatcher& requests;
    RemoteCommands& commands;
    MessageList& messages;
    PendingPrints& prints;
    PrintMonitor& monitor;
    Accounts& accounts;
    const Clock& clock;
    WebBrowser& browser;
};

// MAIX, the operator's main window.
class ConsoleWindow final : public QMainWindow {
    Q_OBJECT
public:
    explicit ConsoleWindow(ConsoleServices services, QWidget* parent = nullptr);
    ~ConsoleWindow() override;

    // Console load, in its fixed order; a station table that cannot be read is reported and
    // leaves the list empty.
    void load();
    // Applies the logged-in operator's rights and shows the operator in the status bar.
    void validarOperator();

    QString currencySymbol() const { return m_currencySymbol; }
    QTreeView* stationList() const { return m_stationList; }
    QTreeWidget* journalGrid() const { return m_journalGrid; }
    // 1-based panel of the status bar.
    QLabel* statusPanel(int panel) const;
    // XMTIMER, the metering timer: started by load().
    QTimer* meteringTimer() const { return m_meteringTimer; }
    // The connection supervision's timer: started by load(), never stopped.
    QTimer* supervisionTimer() const { return m_supervisionTimer; }

    // Index of the selected station, -1 when none is selected.
    int selectedStation() const;
    // Enables the station commands for the selected station.
    void EnDisOpc();
    // Shows or hides the optional panels, columns and buttons by the display settings.
    void Visualizacion();
    // Reads the journal grid's rows again (same day and operator as at load).
    void refreshJournal();

    // The open-station dialog in one of its modes on the selected station; created on first use.
    void SHOWPC(const QString& mode, const QString& user = {}, const QString& hourlyRate = {});
    // The charge dialog for the selected station; created on first use.
    void showCharge();
    // frmcuentas, all accounts listed; created on first use.
    void showAccounts();
    // frmoperador, on the first operator; created on first use.
    void showOperators();
    // frmarticulos for the catalogue's upkeep, and frmfact for a counter sale; one catalogue and
    // one sale for the whole run, so the lines of a sale survive its dialog being hidden.
    void showProducts();
    void showSale();
    // frmoptions, for an operator with the right "Configuracion General": made anew at each
    // opening, so its lists and the shortcuts it edits are those of now; the console stays usable
    // while it is open.
    void showOptions();
    OptionsDialog* optionsDialog() const { return m_options.get(); }
    // Loadteclas: the logged-in operator's shortcuts join those in force.
    void Loadteclas();
    Shortcuts& shortcuts() const { return *m_shortcuts; }
    // frminformes, kept for the run: it remembers its last query.
    ReportsWindow& reportsWindow();
    OpenStationDialog* openStationDialog() const { return m_openDialog.get(); }
    AccountsWindow* accountsWindow() const { return m_accountsWindow.get(); }
    QTreeWidget* printList() const { return m_printList; }
    ChargeDialog* chargeDialog() const { return m_chargeDialog.get(); }

    // EvaluarKeys: runs the action the operator's shortcuts bind to a key-code text ("17+65");
    // false when none is bound.
    bool EvaluarKeys(const QString& keyCodes);
    // Interchangepues: the swap dialog for the selected station.
    void Interchangepues();
    SwapDialog* swapDialog() const { return m_swapDialog.get(); }
    KeyCapture& keyCapture() const { return *m_capture; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildStationArea(QWidget* parent);
    QWidget* buildJournalPanel(QWidget* parent);
    QWidget* buildSidePanels(QWidget* parent);
    void buildToolBar();
    void buildMenus();
    void buildStationMenu();
    void buildStatusBar();
    void showJournalTab(bool prints);
    void showPendingPrints();
    // The "Impresoras" menu's commands on the pending print list.
    void removePrint();
    void clearPrints();
    void cancelPrint();
    void search();
    void showMeteringStatus();
    QMenu* addMenu(const QString& name, const QString& caption);
    QAction* addEntry(QMenu* menu, const QString& name, const QString& caption);
    QAction* action(const QString& name) const;
    void showConfigButton();

    ConsoleServices m_services;
    QString m_currencySymbol;
    bool m_configButtonShown = true; // by the display setting
    StationListModel* m_model = nullptr;
    QTreeView* m_stationList = nullptr;
    QToolBar* m_toolBar = nullptr;
    QList<QLabel*> m_panels;
    QTimer* m_meteringTimer = nullptr;
    QTimer* m_supervisionTimer = nullptr;
    QMenu* m_stationMenu = nullptr;
    QMenu* m_printerMenu = nullptr;
    MessagesPanel* m_messagesPanel = nullptr;
    QScrollBar* m_volume = nullptr;
    QSlider* m_speed = nullptr;
    QTreeWidget* m_journalGrid = nullptr;
    QTreeWidget* m_printList = nullptr;
    QStackedWidget* m_journalStack = nullptr;
    QLineEdit* m_searchText = nullptr;
    std::unique_ptr<JournalOfDay> m_journalOfDay;
    std::unique_ptr<OpenStationDialog> m_openDialog;
    std::unique_ptr<ChargeDialog> m_chargeDialog;
    std::unique_ptr<AccountsWindow> m_accountsWindow;
    std::unique_ptr<OperatorsWindow> m_operatorsWindow;
    void makeProducts();
    std::unique_ptr<Catalogue> m_catalogue;
    std::unique_ptr<ProductsWindow> m_productsWindow;
    std::unique_ptr<Sale> m_sale;
    std::unique_ptr<SaleDialog> m_saleDialog;
    std::unique_ptr<ReportsWindow> m_reportsWindow;
    std::unique_ptr<Shortcuts> m_shortcuts;
    std::unique_ptr<KeyCapture> m_capture;
    std::unique_ptr<TariffAdmin> m_tariffAdmin;
    std::unique_ptr<StationAdmin> m_stationAdmin;
    std::unique_ptr<PrinterAdmin> m_printerAdmin;
    std::unique_ptr<Archive> m_archive;
    std::unique_ptr<OptionsDialog> m_options;
    std::unique_ptr<SwapDialog> m_swapDialog;
    // A key that went down while the console was the active window: captured, then evaluated.
    bool keyPressed(const QKeyEvent& event);
    // Whether a key about to go down would run a shortcut, which then wins over the menus' and
    // the focused control's own use of it.
    bool runsShortcut(const QKeyEvent& event) const;
};

} // namespace kestrel
