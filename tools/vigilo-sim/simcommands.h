#pragma once

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>

namespace kestrel::sim {

class CrowdListener;
class StationAgent;

inline constexpr quint16 DefaultPort = 6969;

struct Endpoint {
    QHostAddress address;
    quint16 port = DefaultPort;

    bool operator==(const Endpoint& other) const
    {
        return address == other.address && port == other.port;
    }
};

struct Options {
    QList<Endpoint> endpoints; // station n is endpoints[n - 1]
    QString scriptFile;
    bool autoStart = false;
    QString reply;
    bool changesOnly = false;
    bool oneListener = false; // the stations of a port share one listening socket
    QString namePrefix = QStringLiteral("pc");
    bool help = false;
};

// "127.0.0.2:6969", "[::1]:6969"
QString endpointLabel(const Endpoint& endpoint);

QString usage();

// The command line without the program name; nullopt with a message for stderr when it is wrong.
std::optional<Options> parseArguments(const QStringList& arguments, QString* error);
// "127.0.0.2", "127.0.0.2:7000", "::1", "[::1]:7000"; the port defaults to DefaultPort.
std::optional<Endpoint> parseEndpoint(const QString& text, QString* error);
// count consecutive IPv4 addresses from first, all on first's port.
std::optional<QList<Endpoint>> addressRange(const Endpoint& first, int count, QString* error);

// Station 1 is "pc01" and "00:16:3e:00:00:01".
QString computerName(const QString& prefix, int number);
QString macAddress(int number);

// One line of the command language.
struct Command {
    enum class Kind { Blank, Invalid, Send, SendRaw, Stop, Start, Sleep, List, Stats, Quit };
    Kind kind = Kind::Blank;
    QString error;   // Invalid
    QString station; // selector of Send, SendRaw, Stop and Start
    QString keyword; // Send
    QStringList fields;
    QString text; // SendRaw
    int sleepMs = 0;
    bool clearStats = false; // Stats: the counts start afresh once printed
};

Command parseCommand(const QString& line);

// The stations a selector names, as indexes: a number from 1, an address with or without its
// port, or "*". Empty with an error when it names none.
QList<int> selectStations(const QString& selector, const QList<Endpoint>& stations, QString* error);

// The stations of one simulator run and the commands over them. Everything it has to say goes
// through the two outputs, one line per call.
class Simulator : public QObject {
    Q_OBJECT
public:
    using Output = std::function<void(const QString&)>;

    Simulator(const Options& options, Output out, Output err, QObject* parent = nullptr);

    // Every station starts listening; false, having said why, when one cannot.
    bool start();
    const QList<StationAgent*>& stations() const { return m_agents; }

    // What stops a command line from running here, empty when it can.
    QString check(const QString& line) const;
    // Runs one command line; returns how long the lines after it wait, in milliseconds.
    int execute(const QString& line);

    QString statsLine() const;
    QStringList listLines() const;

signals:
    void quitRequested();

private:
    QString resolve(const Command& command, QList<int>* targets) const;
    void watch(StationAgent* agent);
    void note(const StationAgent* agent, const QString& text);

    Options m_options;
    Output m_out;
    Output m_err;
    QList<StationAgent*> m_agents;
    QList<Endpoint> m_endpoints;                          // with the ports actually taken
    QHash<quint16, CrowdListener*> m_crowds;              // by the port asked for
    QHash<const StationAgent*, QStringList> m_statusSeen; // state code and user
};

// Command lines from one source, run in order: a sleep holds back the lines after it, not
// those of other sources.
class CommandQueue : public QObject {
    Q_OBJECT
public:
    explicit CommandQueue(Simulator& simulator, QObject* parent = nullptr);
    void append(const QStringList& lines);
    bool isIdle() const { return m_lines.isEmpty() && !m_sleep.isActive(); }

private:
    void runPending();

    Simulator& m_simulator;
    QStringList m_lines;
    QTimer m_sleep;
};

} // namespace kestrel::sim
