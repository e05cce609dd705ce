#pragma once

#include <QObject>
#include <QTimer>

#include <memory>

namespace kestrel {

class AboutWindow;
class Clock;
class ConsoleWindow;
class DataStore;
class Journal;
class LinkSender;
class LoginWindow;
class Metering;
class OperatorSession;
class Prompts;
class Settings;
class StationConnections;
class StationTable;

// From the login to the console: the first successful login shows the about window as a splash
// for one second, then the console is created, loaded and shown.
class Startup final : public QObject {
    Q_OBJECT
public:
    static constexpr int SplashMs = 1000;

    Startup(DataStore& store, Settings& settings, Prompts& prompts, QObject* parent = nullptr);
    ~Startup() override;

    void begin();

    LoginWindow* loginWindow() const { return m_login.get(); }
    ConsoleWindow* console() const { return m_console.get(); }
    AboutWindow* splash() const { return m_splash.get(); }
    OperatorSession& session() const { return *m_session; }
    StationTable& stations() const { return *m_stations; }
    Metering& metering() const { return *m_metering; }

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
    std::unique_ptr<StationConnections> m_connections;
    std::unique_ptr<LinkSender> m_link;
    std::unique_ptr<Journal> m_journal;
    std::unique_ptr<Metering> m_metering;
    std::unique_ptr<LoginWindow> m_login;
    std::unique_ptr<AboutWindow> m_splash;
    std::unique_ptr<ConsoleWindow> m_console;
    QTimer m_splashTimer;
};

} // namespace kestrel
