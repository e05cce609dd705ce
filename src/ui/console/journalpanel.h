#pragma once

#include <QWidget>

#include <memory>

class QMenu;
class QPushButton;
class QStackedWidget;
class QTreeWidget;

namespace kestrel {

class ActionStore;
class JournalOfDay;
class PendingPrints;
class PrintMonitor;
class Prompts;

// The console's journal panel (panelregistro): two tabs, the day's journal grid and the list of
// pending prints, and the print list's commands of the menu "Impresoras".
class JournalPanel final : public QWidget {
    Q_OBJECT
public:
    struct Services {
        PendingPrints& prints;
        PrintMonitor& monitor;
        ActionStore& actions;
        Prompts& prompts;
    };

    explicit JournalPanel(Services services, QWidget* parent = nullptr);
    ~JournalPanel() override;

    // grdinformes, the journal grid.
    QTreeWidget* grid() const { return m_grid; }
    // lstimpresiones, the pending print list.
    QTreeWidget* printList() const { return m_printList; }
    // The menu a right click on the print list opens.
    void setPrinterMenu(QMenu* menu) { m_printerMenu = menu; }

    // The grid shows the rows of `journal` from now on (the day and operator of the load).
    void showJournal(std::unique_ptr<JournalOfDay> journal);
    // Reads the grid's rows again; a journal that cannot be read is reported.
    void refreshJournal();
    // The print list shows the pending prints as they are now.
    void showPendingPrints();
    // "Remover", "Limpiar todos los trabajos" and "Cancelar impresion actual".
    void removePrint();
    void clearPrints();
    void cancelPrint();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showTab(bool prints);

    Services m_services;
    std::unique_ptr<JournalOfDay> m_journal;
    QPushButton* m_journalTab = nullptr;
    QPushButton* m_printsTab = nullptr;
    QTreeWidget* m_grid = nullptr;
    QTreeWidget* m_printList = nullptr;
    QStackedWidget* m_stack = nullptr;
    QMenu* m_printerMenu = nullptr;
};

} // namespace kestrel
