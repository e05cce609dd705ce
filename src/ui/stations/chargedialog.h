#pragma once

#include "charging/charge.h"

#include <QDialog>
#include <QSqlDatabase>
#include <QString>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace kestrel {

class ActionStore;

class Journal;
class PendingPrints;
class Prompts;
class RemoteCommands;
class StationTable;

struct ChargeServices {
    StationTable& stations;
    ActionStore& actions;
    PendingPrints& prints;
    RemoteCommands& commands;
    Journal& journal;
    Prompts& prompts;
    QString currencySymbol; // beside total, tendered amount and change
};

// frmCobrar, "Cobrar": charges the selected station's rental and pending prints, takes the
// amount tendered, shows the change and locks the station. Created once, then hidden and shown;
// the tendered amount and its history outlive each charge.
class ChargeDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ChargeDialog(ChargeServices services, QWidget* parent = nullptr);
    ~ChargeDialog() override;

    // Builds the services list for station index `station` and shows the dialog window-modal
    // with QDialog::open() (returns at once). False, nothing shown, for an invalid index.
    bool openFor(int station);

    const Charging& charging() const { return m_charging; }

signals:
    void charged(); // after a confirmed charge: the console refreshes its journal grid and commands

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // CALCULATEC: the change of the amount tendered against the total.
    void CALCULATEC();
    // "Cobrar": charges the bill (the core frees the station and journals it).
    void cobrar();
    void showBill();
    void setHistoryVisible(bool visible);

    Charging m_charging;
    Charging::Bill m_bill;

    QLabel* m_customer = nullptr;
    QTreeWidget* m_services = nullptr;
    QLabel* m_total = nullptr;
    QLineEdit* m_tendered = nullptr;
    QLabel* m_change = nullptr;
    QListWidget* m_history = nullptr;
    QPushButton* m_cobrar = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace kestrel
