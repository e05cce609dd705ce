#pragma once

#include "ui/console/consoleservices.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace kestrel {

class AccountsWindow;
class ChargeDialog;
class OpenStationDialog;
class OperatorsWindow;
class OptionsDialog;
class ProductsWindow;
class ReportsWindow;
class SaleDialog;
class SwapDialog;
enum class OpenMode;

// The console's dialogs and windows, each made on its first use and kept for the run (the
// options dialog excepted). They act on the station selected when they open. The console
// window owns this and is the parent of every dialog made here.
class ConsoleDialogs final : public QObject {
    Q_OBJECT
public:
    ConsoleDialogs(ConsoleServices& services, QWidget& window,
                   std::function<int()> selectedStation);
    ~ConsoleDialogs() override;

    // Shown beside every amount; read at the console's load.
    void setCurrencySymbol(const QString& symbol) { m_currencySymbol = symbol; }

    // SHOWPC: the open-station dialog in `mode` on the selected station. `user` and
    // `hourlyRate` are an account's, for OpenMode::IncremU.
    void SHOWPC(OpenMode mode, const QString& user = {}, const QString& hourlyRate = {});
    // The charge dialog for the selected station, when one is selected.
    void showCharge();
    // frmcuentas, the accounts window: every account listed.
    void showAccounts();
    // frmoperador, the operators window.
    void showOperators();
    // frmarticulos for the catalogue's upkeep, and frmfact for a counter sale; the lines of a
    // sale survive its dialog being hidden.
    void showProducts();
    void showSale();
    // frmoptions, "Configuracion", for an operator with its right: made anew at each opening,
    // so its lists and the shortcuts it edits are those of now; the console stays usable while
    // it is open.
    void showOptions();
    // frminformes, the reports window: it remembers its last query.
    ReportsWindow& reportsWindow();
    // Interchangepues: the swap dialog for the selected station.
    void Interchangepues();

    OpenStationDialog* openStationDialog() const { return m_open.get(); }
    ChargeDialog* chargeDialog() const { return m_charge.get(); }
    AccountsWindow* accountsWindow() const { return m_accounts.get(); }
    OptionsDialog* optionsDialog() const { return m_options.get(); }
    SwapDialog* swapDialog() const { return m_swap.get(); }

signals:
    // A dialog changed a station: the station commands follow.
    void stationChanged();
    // The options' "Aplicar": the display settings, the supervision's interval, the shortcuts.
    void optionsApplied();
    void intervalChanged(int ms);
    void shortcutsSaved();
    // The options archived the journal and emptied it.
    void archived();

private:
    void makeProducts();

    ConsoleServices& m_services;
    QWidget& m_window;
    std::function<int()> m_selectedStation;
    QString m_currencySymbol;
    std::unique_ptr<OpenStationDialog> m_open;
    std::unique_ptr<ChargeDialog> m_charge;
    std::unique_ptr<AccountsWindow> m_accounts;
    std::unique_ptr<OperatorsWindow> m_operators;
    std::unique_ptr<ProductsWindow> m_products;
    std::unique_ptr<SaleDialog> m_sale;
    std::unique_ptr<ReportsWindow> m_reports;
    std::unique_ptr<OptionsDialog> m_options;
    std::unique_ptr<SwapDialog> m_swap;
};

} // namespace kestrel
