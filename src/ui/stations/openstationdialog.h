#pragma once

#include "tariffs/openstation.h"

#include <QDialog>
#include <QSqlDatabase>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace kestrel {

class Accounts;
class ActionStore;
class Prompts;
class Settings;
class StationTable;

struct OpenStationServices {
    QSqlDatabase db; // tariffs are read from TARIFAS/TAIFASC each time the dialog is shown
    Settings& settings;
    StationTable& stations;
    ActionStore& actions;
    Prompts& prompts;
    QString currencySymbol;       // shown beside the amount
    Accounts* accounts = nullptr; // the account modes create accounts and add credit here
};

// FRMOPEN: opens a session on a station, changes its mode, adds prepaid time, and gathers the
// tariff and time of the customer-account operations. Created once by the console, then hidden
// and shown again; every showing starts from a fresh tariff list.
class OpenStationDialog final : public QDialog {
    Q_OBJECT
public:
    explicit OpenStationDialog(OpenStationServices services, QWidget* parent = nullptr);

    // SHOWPC: prepares the dialog for the mode ("OPEN", "MODO", "INCREM", "CREATE", "INCREMU")
    // on station index `station` and shows it window-modal with QDialog::open() (returns at once).
    // Returns false and shows nothing when the mode needs a station and `station` is not valid.
    // `user` and `hourlyRate` are for "INCREMU".
    bool SHOWPC(OpenMode mode, int station, const QString& user = {},
                const QString& hourlyRate = {});
    // The same for a mode given as its tag; false for a tag of no mode.
    bool SHOWPC(const QString& modeTag, int station, const QString& user = {},
                const QString& hourlyRate = {});
    QString mode() const; // the tag of the last SHOWPC

signals:
    void stationChanged(int index); // Aceptar wrote the station; the console refreshes its commands
    // Aceptar in "CREATE" or "INCREMU" created the account or added its credit; the dialog
    // closes. When the account operation is refused the dialog stays open with what was typed.
    void accountChanged(const QString& user);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildLayout();
    void connectControls();

    // "Aceptar (F1)". F1 runs it even while the button waits for a tariff, so the operator is
    // told what is missing.
    void aceptar();
    void acceptAccount(const OpenChoice& choice);
    void reset(const OpenModeSetup& setup, const QString& user, const QString& hourlyRate);
    void chooseTariff(int index);
    void choosePrepaid(bool prepaid);
    void modeFieldChosen(int index);
    void quickPrepaid(int hours, int minutes);
    // CALCULATEA: the amount for the time typed.
    void runCalculateA();
    // CALCULATEB: the time for the amount typed.
    void runCalculateB();
    void applyTime(const TimeChoice& time);
    void showAmount();

    OpenStationServices m_services;
    OpenStation m_core;
    OpenMode m_mode = OpenMode::Open;
    int m_station = -1;

    QLabel* m_heading = nullptr;
    QLabel* m_stationLabel = nullptr;
    QComboBox* m_tariffs = nullptr;
    QComboBox* m_modeField = nullptr;
    QGroupBox* m_modeFrame = nullptr;
    QRadioButton* m_counter = nullptr;
    QRadioButton* m_prepaid = nullptr;
    QCheckBox* m_wait = nullptr;
    QGroupBox* m_prepaidFrame = nullptr;
    QLineEdit* m_amount = nullptr;
    QLabel* m_amountLabel = nullptr;
    QComboBox* m_hours = nullptr;
    QComboBox* m_minutes = nullptr;
    QScrollBar* m_hourSpin = nullptr;
    QScrollBar* m_minuteSpin = nullptr;
    QGroupBox* m_quickFrame = nullptr;
    QButtonGroup* m_quickButtons = nullptr;
    QGroupBox* m_userFrame = nullptr;
    QLineEdit* m_user = nullptr;
    QLabel* m_passwordCaption = nullptr;
    QLineEdit* m_password = nullptr;
    QCheckBox* m_passwordNext = nullptr;
    QPushButton* m_accept = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace kestrel
