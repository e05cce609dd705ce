#pragma once

#include <QObject>
#include <QTimer>

#include <memory>

namespace kestrel {

class AboutWindow;
class Accounts;
class Archive;
class Catalogue;
class KeyCapture;
class PrinterAdmin;
class Sale;
class Shortcuts;
class StationAdmin;
class TariffAdmin;
class PrintMonitor;
class Spooler;
class ActionStore;
class Clock;
class ConsoleWindow;
class DataStore;
class HeapTrimmer;
class Journal;
class LinkSender;
class LoginWindow;
class MessageList;
class Metering;
class RemoteCommands;
class RequestDispatcher;
class ConnectionSupervision;
class StationSockets;
class OperatorSession;
class PendingPrints;
class WebBrowser;
class Prompts;
class Settings;
class StationRows;
class StationTable;

// From the login to the console: the first successful login shows the about window as a splash
// for one second, then the console is created, loaded and shown.
class Startup final : public QObject {
    Q_OBJECT
public:
    static constexpr int SplashMs = 1000;

    // Pages open in the desktop's browser unless another browser is given; printers are those of
    // the CUPS server unless another spooler is given.
    Startup(DataStore& store, Settings& settings, Prompts& prompts, WebBrowser* browser = nullptr,
            Spooler* spooler = nullptr, QObject* parent = nullptr);
    ~Startup() override;

    void begin();

    LoginWindow* loginWindow() const { return m_login.get(); }
    ConsoleWindow* console() const { return m_console.get(); }
    AboutWindow* splash() const { return m_splash.get(); }
    OperatorSession& session() const { return *m_session; }
    StationTable& stations() const { return *m_stations; }
    ActionStore& actions() const { return *m_actions; }
    Metering& metering() const { return *m_metering; }
    StationSockets& sockets() const { return *m_sockets; }
    ConnectionSupervision& supervision() const { return *m_supervision; }
    RemoteCommands& commands() const { return *m_commands; }
    MessageList& messages() const { return *m_messages; }
    PendingPrints& prints() const { return *m_prints; }
    Journal& journal() const { return *m_journal; }
    PrintMonitor& monitor() const { return *m_monitor; }
    Accounts& accounts() const { return *m_accounts; }

signals:
    void consoleShown();
    void quitRequested();

private:
    void firstLogin();
    void showConsole();

    DataStore& m_store;
    Settings& m_settings;
    Prompts& m_prompts;
    std::unique_ptr<OperatorSession> m_session;
    std::unique_ptr<StationTable> m_stations;
    std::unique_ptr<Clock> m_clock;
    std::unique_ptr<StationSockets> m_sockets;
    std::unique_ptr<LinkSender> m_link;
    std::unique_ptr<Journal> m_journal;
    std::unique_ptr<StationRows> m_rows;
    std::unique_ptr<ActionStore> m_actions;
    std::unique_ptr<Metering> m_metering;
    std::unique_ptr<MessageList> m_messages;
    std::unique_ptr<ConnectionSupervision> m_supervision;
    std::unique_ptr<RequestDispatcher> m_requests;
    std::unique_ptr<RemoteCommands> m_commands;
    std::unique_ptr<PendingPrints> m_prints;
    std::unique_ptr<Spooler> m_ownSpooler;
    std::unique_ptr<PrintMonitor> m_monitor;
    std::unique_ptr<Accounts> m_accounts;
    std::unique_ptr<Shortcuts> m_shortcuts;
    std::unique_ptr<KeyCapture> m_capture;
    std::unique_ptr<Catalogue> m_catalogue;
    std::unique_ptr<Sale> m_sale;
    std::unique_ptr<TariffAdmin> m_tariffAdmin;
    std::unique_ptr<StationAdmin> m_stationAdmin;
    std::unique_ptr<PrinterAdmin> m_printerAdmin;
    std::unique_ptr<Archive> m_archive;
    std::unique_ptr<WebBrowser> m_ownBrowser;
    WebBrowser* m_browser = nullptr;
    std::unique_ptr<LoginWindow> m_login;
    std::unique_ptr<AboutWindow> m_splash;
    std::unique_ptr<ConsoleWindow> m_console;
    QTimer m_splashTimer;
    std::unique_ptr<HeapTrimmer> m_trimmer;
};

} // namespace kestrel
