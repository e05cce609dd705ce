#pragma once

#include <QString>
#include <QStringList>

namespace kestrel::agent {

// What the agent does to the workstation on the console's orders. The real actions go through
// logind and systemd over D-Bus and the sound server's own tools; the tests hand in a fake that
// records them, and `kestrel-agent --dry-run` one that prints them.
class SystemActions {
public:
    virtual ~SystemActions() = default;
    virtual void shutDown() = 0;             // "6"
    virtual void restart() = 0;              // "7"
    virtual void endSession() = 0;           // "8": the customer's desktop session
    virtual void closePrograms() = 0;        // "9": the customer's programs, not the desktop
    virtual void setVolume(int percent) = 0; // "SETVOL", 0 to 100
    virtual void setAutostart(bool on) = 0;  // "BLOCKOPT": start with the system
};

// Prints what it would do, one line each, and does nothing.
class DryRunActions final : public SystemActions {
public:
    void shutDown() override;
    void restart() override;
    void endSession() override;
    void closePrograms() override;
    void setVolume(int percent) override;
    void setAutostart(bool on) override;
};

// The real ones, for the session of the user the agent runs as.
//
// - Shut down and restart: logind's PowerOff and Reboot (the kiosk set-up's polkit rule lets the
//   customer user do them without asking).
// - End the session: logind's TerminateSession on the agent's own session.
// - Close the programs: every program the desktop started as an application unit of the user's
//   systemd (app-*.scope, app-*.service) is stopped, the agent's own unit excepted; on a desktop
//   that starts none, the user's processes are ended (SIGTERM) but the agent, its ancestors and
//   the desktop's own processes (`keep`, by program name).
// - The volume: the default output of PipeWire (wpctl) or PulseAudio (pactl).
// - Start with the system: the user's XDG autostart entry of the agent, written enabled or
//   hidden (which also hides an entry the station installs for every user).
class DesktopActions final : public SystemActions {
public:
    explicit DesktopActions(QStringList keep = defaultKeep());

    void shutDown() override;
    void restart() override;
    void endSession() override;
    void closePrograms() override;
    void setVolume(int percent) override;
    void setAutostart(bool on) override;

    static QStringList defaultKeep();
    // ~/.config/autostart/kestrel-agent.desktop
    static QString autostartFile();
    // The text of that entry.
    static QString autostartEntry(bool on);

private:
    QStringList m_keep;
};

} // namespace kestrel::agent
