#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>

#include <optional>

namespace kestrel::agent {

// What the agent does after a session's time runs out ("FINISHT"), once the screen is locked;
// the console's lock options give it as a number, in this order.
enum class LockAction { LockOnly, ClosePrograms, EndSession, Restart, ShutDown };

// The agent's configuration. The station's own file (written by whoever installs the station)
// names the console and the café; the lock options the console sends ("BLOCKOPT") are kept in
// a file of the user the agent runs as, since that user may not write the station's file.
struct AgentSettings {
    static constexpr quint16 DefaultPort = 6969;

    QHostAddress listenAddress = QHostAddress::Any;
    quint16 port = DefaultPort;
    // The consoles allowed to connect, as written (addresses or host names). None: this
    // computer only (loopback), which the lock screen says.
    QStringList consoles;
    QString cafeName = QStringLiteral("Cibercafé");

    LockAction lockAction = LockAction::LockOnly;
    bool startWithSystem = false;
    bool lockWithoutServer = false;

    // Reads the station's file and then the lock options' file; a missing file leaves the
    // defaults. Nothing, with the reason in `error`, when a value is not valid.
    static std::optional<AgentSettings> load(const QString& stationFile, const QString& optionsFile,
                                             QString* error);
    // Writes the lock options to their file; false when it cannot be written.
    bool saveLockOptions(const QString& optionsFile) const;

    // /etc/kestrel/agent.conf, and the lock options under $XDG_CONFIG_HOME/kestrel.
    static QString defaultStationFile();
    static QString defaultOptionsFile();
};

// "0".."4" as the console sends it; nothing for anything else.
std::optional<LockAction> lockActionOf(QStringView text);

} // namespace kestrel::agent
