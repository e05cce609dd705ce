#include "startup.h"

#include "accounts/accounts.h"
#include "config/archive.h"
#include "config/printeradmin.h"
#include "config/stationadmin.h"
#include "config/tariffadmin.h"
#include "core/clock.h"
#include "core/datastore.h"
#include "core/heaptrim.h"
#include "core/operatorsession.h"
#include "core/settings.h"
#include "journal/journal.h"
#include "journal/journalofday.h"
#include "link/linksender.h"
#include "link/messagelist.h"
#include "link/remotecommands.h"
#include "link/requests.h"
#include "link/stationsockets.h"
#include "link/supervision.h"
#include "metering/metering.h"
#include "operators/login.h"
#include "operators/shortcuts.h"
#include "printing/cupsspooler.h"
#include "printing/pendingprints.h"
#include "printing/printmonitor.h"
#include "products/catalogue.h"
#include "products/sale.h"
#include "stations/actionstore.h"
#include "stations/stationrows.h"
#include "stations/stationtable.h"
#include "ui/common/aboutwindow.h"
#include "ui/common/desktopbrowser.h"
#include "ui/console/consolewindow.h"
#include "ui/operators/loginwindow.h"

#include <QScreen>

namespace kestrel {

Startup::Startup(DataStore& store, Settings& settings, Prompts& prompts, WebBrowser* browser,
                 Spooler* spooler, QObject* parent)
    : QObject(parent), m_store(store), m_settings(settings), m_prompts(prompts),
      m_session(std::make_unique<OperatorSession>()), m_stations(std::make_unique<StationTable>()),
      m_clock(std::make_unique<SystemClock>()), m_sockets(std::make_unique<StationSockets>()),
      m_link(std::make_unique<LinkSender>(*m_sockets, *m_session)),
      m_journal(std::make_unique<Journal>(store.database(), *m_session, *m_clock)),
      m_rows(std::make_unique<StationRows>(store.database())),
      m_actions(std::make_unique<ActionStore>(
          ActionStore::Services{store.database(), *m_stations, *m_rows, *m_journal, prompts})),
      m_metering(std::make_unique<Metering>(Metering::Services{
          *m_stations, *m_rows, store.database(), settings, *m_link, *m_journal, *m_clock})),
      m_messages(std::make_unique<MessageList>()),
      m_supervision(std::make_unique<ConnectionSupervision>(*m_stations, *m_sockets, *m_link)),
      m_requests(std::make_unique<RequestDispatcher>(RequestDispatcher::Services{
          *m_stations, *m_actions, store.database(), *m_link, *m_messages, *m_clock})),
      m_commands(std::make_unique<RemoteCommands>(RemoteCommands::Services{
          *m_stations, *m_actions, *m_link, *m_journal, settings, prompts, *m_clock, *m_messages})),
      m_prints(std::make_unique<PendingPrints>(store.database())),
      m_ownSpooler(spooler ? nullptr : std::make_unique<CupsSpooler>()),
      m_monitor(std::make_unique<PrintMonitor>(PrintMonitor::Services{
          store.database(), spooler ? *spooler : *m_ownSpooler, *m_prints, *m_actions, *m_clock})),
      m_accounts(std::make_unique<Accounts>(Accounts::Services{
          store.database(), *m_stations, *m_actions, *m_journal, prompts, *m_clock})),
      m_shortcuts(std::make_unique<Shortcuts>(store.database(), *m_actions)),
      m_capture(std::make_unique<KeyCapture>()),
      m_catalogue(
          std::make_unique<Catalogue>(Catalogue::Services{store.database(), *m_actions, prompts})),
      m_sale(std::make_unique<Sale>(
          Sale::Services{store.database(), *m_actions, *m_journal, prompts, settings})),
      m_tariffAdmin(std::make_unique<TariffAdmin>(
          TariffAdmin::Services{store.database(), *m_actions, prompts})),
      m_stationAdmin(std::make_unique<StationAdmin>(StationAdmin::Services{
          store.database(), *m_stations, *m_sockets, *m_rows, *m_actions, prompts})),
      m_printerAdmin(std::make_unique<PrinterAdmin>(
          PrinterAdmin::Services{store.database(), *m_monitor, *m_actions, prompts})),
      m_archive(std::make_unique<Archive>(Archive::Services{store, *m_actions, prompts, *m_clock})),
      m_ownBrowser(browser ? nullptr : std::make_unique<DesktopBrowser>()),
      m_browser(browser ? browser : m_ownBrowser.get()),
      m_login(std::make_unique<LoginWindow>(LoginCheck(store.database()), *m_session, prompts))
{
    // One closed connection per station whenever the station table is loaded.
    connect(m_stations.get(), &StationTable::stationsReset, m_sockets.get(),
            [this] { m_sockets->reset(m_stations->count()); });
    connect(m_sockets.get(), &StationSockets::received, m_requests.get(),
            &RequestDispatcher::dispatchBytes);

    m_splashTimer.setSingleShot(true);
    m_splashTimer.setInterval(SplashMs);
    connect(&m_splashTimer, &QTimer::timeout, this, &Startup::showConsole);
    connect(m_login.get(), &LoginWindow::loggedIn, this, [this] {
        if (!m_console && !m_splashTimer.isActive())
            firstLogin();
    });
    connect(m_login.get(), &LoginWindow::quitRequested, this, &Startup::quitRequested);
}

// The console goes before the login window it listens to.
Startup::~Startup()
{
    m_console.reset();
}

void Startup::begin()
{
    m_login->startUp();
}

void Startup::firstLogin()
{
    m_splash = std::make_unique<AboutWindow>();
    m_splash->setWindowFlag(Qt::SplashScreen);
    m_splash->show();
    m_login->hide();
    m_splashTimer.start();
}

void Startup::showConsole()
{
    // The journal grid shows the day and the operator of the console's load.
    auto journalOfDay = [this] {
        return std::make_unique<JournalOfDay>(
            m_store.database(), m_clock->now().date(),
            m_settings.journalShowsAllOperators() ? QString() : m_session->name());
    };
    m_console = std::make_unique<ConsoleWindow>(ConsoleServices{
        m_store,        m_settings,      *m_session,      *m_stations,  *m_rows,
        *m_sockets,     *m_link,         *m_actions,      m_prompts,    *m_login,
        *m_metering,    *m_journal,      *m_supervision,  *m_requests,  *m_commands,
        *m_messages,    *m_prints,       *m_monitor,      *m_accounts,  *m_clock,
        *m_browser,     *m_shortcuts,    *m_capture,      *m_catalogue, *m_sale,
        *m_tariffAdmin, *m_stationAdmin, *m_printerAdmin, *m_archive,   journalOfDay});
    m_console->load();
    // The operator's one window fills the screen, from 1024x768 up (without a window manager,
    // as under a virtual X server, the geometry does it).
    if (const QScreen* screen = m_console->screen())
        m_console->setGeometry(screen->availableGeometry());
    m_console->showMaximized();
    m_trimmer = std::make_unique<HeapTrimmer>();
    m_trimmer->start();
    m_splashTimer.stop();
    m_splash->hide();
    emit consoleShown();
}

} // namespace kestrel
