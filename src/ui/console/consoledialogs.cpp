#include "ui/console/consoledialogs.h"

#include "core/datastore.h"
#include "core/operatorsession.h"
#include "stations/stationtable.h"
#include "tariffs/openstation.h"
#include "ui/accounts/accountswindow.h"
#include "ui/operators/operatorswindow.h"
#include "ui/options/optionsdialog.h"
#include "ui/reports/reportswindow.h"
#include "ui/sales/productswindow.h"
#include "ui/sales/saledialog.h"
#include "ui/stations/chargedialog.h"
#include "ui/stations/openstationdialog.h"
#include "ui/stations/swapdialog.h"

namespace kestrel {

namespace {

void bringUp(QWidget& window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

ConsoleDialogs::ConsoleDialogs(ConsoleServices& services, QWidget& window,
                               std::function<int()> selectedStation)
    : m_services(services), m_window(window), m_selectedStation(std::move(selectedStation))
{}

ConsoleDialogs::~ConsoleDialogs() = default;

void ConsoleDialogs::SHOWPC(OpenMode mode, const QString& user, const QString& hourlyRate)
{
    if (!m_open) {
        m_open = std::make_unique<OpenStationDialog>(
            OpenStationServices{m_services.store.database(), m_services.settings,
                                m_services.stations, m_services.actions, m_services.prompts,
                                m_currencySymbol, &m_services.accounts},
            &m_window);
        connect(m_open.get(), &OpenStationDialog::stationChanged, this,
                &ConsoleDialogs::stationChanged);
        connect(m_open.get(), &OpenStationDialog::accountChanged, this, [this] {
            if (m_accounts && m_accounts->isVisible())
                m_accounts->showAll();
        });
    }
    m_open->SHOWPC(mode, m_selectedStation(), user, hourlyRate);
}

void ConsoleDialogs::showCharge()
{
    const int station = m_selectedStation();
    if (!m_services.stations.isValidIndex(station))
        return; // nothing to charge: the button only acts on a selected station
    if (!m_charge) {
        m_charge = std::make_unique<ChargeDialog>(
            ChargeServices{m_services.stations, m_services.actions, m_services.prints,
                           m_services.commands, m_services.journal, m_services.prompts,
                           m_currencySymbol},
            &m_window);
        connect(m_charge.get(), &ChargeDialog::charged, this, &ConsoleDialogs::stationChanged);
    }
    m_charge->openFor(station);
}

void ConsoleDialogs::showAccounts()
{
    if (!m_accounts) {
        m_accounts = std::make_unique<AccountsWindow>(m_services.accounts, m_services.session,
                                                      m_services.prompts, &m_window);
        connect(m_accounts.get(), &AccountsWindow::createRequested, this,
                [this] { SHOWPC(OpenMode::Create); });
        connect(m_accounts.get(), &AccountsWindow::creditRequested, this,
                [this](const QString& user, const QString& rate) {
                    SHOWPC(OpenMode::IncremU, user, rate);
                });
    }
    m_accounts->showAll();
    bringUp(*m_accounts);
}

void ConsoleDialogs::showOperators()
{
    if (!m_operators)
        m_operators = std::make_unique<OperatorsWindow>(
            OperatorAdmin::Services{m_services.store.database(), m_services.actions,
                                    m_services.prompts, m_services.session},
            &m_window);
    m_operators->showAll();
    bringUp(*m_operators);
}

void ConsoleDialogs::makeProducts()
{
    if (m_products)
        return;
    m_products = std::make_unique<ProductsWindow>(m_services.catalogue, m_services.session,
                                                  m_services.prompts, &m_window);
    m_sale =
        std::make_unique<SaleDialog>(m_services.sale, *m_products, m_currencySymbol, &m_window);
}

void ConsoleDialogs::showProducts()
{
    makeProducts();
    m_products->showForAdmin();
}

void ConsoleDialogs::showSale()
{
    makeProducts();
    m_sale->showSale();
}

void ConsoleDialogs::showOptions()
{
    if (!m_services.session.has(Right::ModifyOptions))
        return;
    if (m_options && m_options->isVisible()) {
        m_options->raise();
        m_options->activateWindow();
        return;
    }
    m_options = std::make_unique<OptionsDialog>(
        OptionsServices{m_services.settings, m_services.prompts, m_services.session,
                        m_services.stations, m_services.link, m_services.shortcuts,
                        m_services.capture, m_services.tariffAdmin, m_services.stationAdmin,
                        m_services.printerAdmin, m_services.archive, m_currencySymbol},
        &m_window);
    connect(m_options.get(), &OptionsDialog::intervalChanged, this,
            &ConsoleDialogs::intervalChanged);
    connect(m_options.get(), &OptionsDialog::applied, this, &ConsoleDialogs::optionsApplied);
    connect(m_options.get(), &OptionsDialog::shortcutsSaved, this, &ConsoleDialogs::shortcutsSaved);
    connect(m_options.get(), &OptionsDialog::archived, this, &ConsoleDialogs::archived);
    m_options->show();
}

ReportsWindow& ConsoleDialogs::reportsWindow()
{
    if (!m_reports)
        m_reports = std::make_unique<ReportsWindow>(
            Report::Services{m_services.store.database(), m_services.session, m_services.settings,
                             m_services.prompts, m_services.clock},
            &m_window);
    return *m_reports;
}

void ConsoleDialogs::Interchangepues()
{
    if (!m_swap)
        m_swap = std::make_unique<SwapDialog>(m_services.stations, m_services.actions,
                                              m_services.prompts, &m_window);
    m_swap->Interchangepues(m_selectedStation());
    emit stationChanged();
}

} // namespace kestrel
