#pragma once

#include "ui/console/consoleactions.h"
#include "ui/console/consoleservices.h"

#include <QMainWindow>

#include <memory>

class QLabel;
class QTimer;
class QTreeView;
class QTreeWidget;

namespace kestrel {

class ConsoleDialogs;
class JournalPanel;
class ShortcutKeys;
class SidePanel;
class StationPanel;

// MAIX, the operator's main window: the station list, the journal with the pending prints and
// the side column, under the menus and the toolbar of its actions.
class ConsoleWindow final : public QMainWindow {
    Q_OBJECT
public:
    explicit ConsoleWindow(ConsoleServices services, QWidget* parent = nullptr);
    ~ConsoleWindow() override;

    // Console load, in its fixed order; a station table that cannot be read is reported and
    // leaves the list empty.
    void load();
    // validarOperator: applies the logged-in operator's rights and shows the operator in the
    // status bar.
    void validarOperator();
    // EnDisOpc: enables the station commands for the selected station.
    void EnDisOpc();
    // Visualizacion: shows or hides the optional panels, columns and buttons by the display
    // settings.
    void Visualizacion();
    // Reads the journal grid's rows again (same day and operator as at load).
    void refreshJournal();

    QString currencySymbol() const { return m_currencySymbol; }
    const ConsoleActions& actions() const { return m_actions; }
    ConsoleDialogs& dialogs() const { return *m_dialogs; }
    ShortcutKeys& shortcutKeys() const { return *m_keys; }
    QTreeView* stationList() const;
    QTreeWidget* journalGrid() const;
    QTreeWidget* printList() const;
    // Index of the selected station, -1 when none is selected.
    int selectedStation() const;
    // 1-based panel of the status bar.
    QLabel* statusPanel(int panel) const { return m_statusPanels.value(panel - 1); }
    // XMTIMER, the metering timer: started by load().
    QTimer* meteringTimer() const { return m_meteringTimer; }
    // The connection supervision's timer: started by load(), never stopped.
    QTimer* supervisionTimer() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::vector<ActionRow> actionTable();
    void showMeteringStatus();
    // The toolbar's "Configuracion" follows the display setting and the operator's right.
    void showConfigButton();
    void connectServices();

    ConsoleServices m_services;
    QString m_currencySymbol;
    bool m_configButtonShown = true; // by the display setting
    StationPanel* m_stationPanel = nullptr;
    JournalPanel* m_journalPanel = nullptr;
    SidePanel* m_sidePanel = nullptr;
    ConsoleActions m_actions;
    std::unique_ptr<ConsoleDialogs> m_dialogs;
    ShortcutKeys* m_keys = nullptr;
    QList<QLabel*> m_statusPanels;
    QTimer* m_meteringTimer = nullptr;
};

} // namespace kestrel
