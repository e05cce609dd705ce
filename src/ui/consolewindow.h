#pragma once

#include <QMainWindow>

class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QScrollBar;
class QTimer;
class QTreeView;
class QTreeWidget;

namespace kestrel {

class ConnectionSupervision;
class DataStore;
class Journal;
class LoginWindow;
class MessageList;
class Metering;
class RemoteCommands;
class RequestDispatcher;
class OperatorSession;
class Prompts;
class Settings;
class StationListModel;
class StationTable;

// What the console works with, handed in by the start-up.
struct ConsoleServices {
    DataStore& store;
    Settings& settings;
    OperatorSession& session;
    StationTable& stations;
    Prompts& prompts;
    LoginWindow& login;
    Metering& metering;
    Journal& journal;
    ConnectionSupervision& supervision;
    RequestDispatcher& requests;
    RemoteCommands& commands;
    MessageList& messages;
};

// MAIX, the operator's main window.
class ConsoleWindow final : public QMainWindow {
    Q_OBJECT
public:
    explicit ConsoleWindow(ConsoleServices services, QWidget* parent = nullptr);

    // Console load, in its fixed order; a station table that cannot be read is reported and
    // leaves the list empty.
    void load();
    // Applies the logged-in operator's rights and shows the operator in the status bar.
    void validarOperator();

    QString currencySymbol() const { return m_currencySymbol; }
    QTreeView* stationList() const { return m_stationList; }
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildStationMenu();
    QWidget* buildSidePanels();
    void buildStatusBar();
    void sendChat();
    void showMessageRow(int row);
    void showMeteringStatus();
    QMenu* addMenu(const QString& name, const QString& caption);
    QAction* addEntry(QMenu* menu, const QString& name, const QString& caption);
    // An entry whose window is not part of the console yet: listed, disabled.
    void addPendingEntry(QMenu* menu, const QString& name, const QString& caption);

    ConsoleServices m_services;
    QString m_currencySymbol;
    StationListModel* m_model = nullptr;
    QTreeView* m_stationList = nullptr;
    QList<QLabel*> m_panels;
    QTimer* m_meteringTimer = nullptr;
    QTimer* m_supervisionTimer = nullptr;
    QMenu* m_stationMenu = nullptr;
    QTreeWidget* m_messages = nullptr;
    QLineEdit* m_messageText = nullptr;
    QScrollBar* m_volume = nullptr;
};

} // namespace kestrel
