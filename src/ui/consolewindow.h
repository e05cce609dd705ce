#pragma once

#include <QMainWindow>

class QLabel;
class QMenu;
class QAction;
class QTimer;
class QTreeView;

namespace kestrel {

class DataStore;
class Journal;
class LoginWindow;
class Metering;
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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildStatusBar();
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
};

} // namespace kestrel
