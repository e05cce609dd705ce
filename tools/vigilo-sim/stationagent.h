#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "wire/wire.h"

class QTcpServer;
class QTcpSocket;

namespace kestrel {
class SocketSet;
}

namespace kestrel::sim {

class CrowdListener;

// The console's connection to one agent, whatever carries it: a QTcpSocket of the agent's own
// listener, or a socket of its crowd's.
class AgentConnection : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual bool isOpen() const = 0;
    // Hands the bytes to the system at once.
    virtual void write(const QByteArray& bytes) = 0;
    // Closes the connection without a word to either side.
    virtual void abort() = 0;

signals:
    void bytesArrived(const QByteArray& bytes);
    // The console closed it, or it broke; after the last bytes that came.
    void closed();
};

// One simulated station agent. It listens like the agent of a real workstation, announces its
// computer name when the console connects and its MAC address with the first status the console
// sends, records every message the console sends, and sends the agent's messages on request
// (without terminator, in Windows-1252).
//
// The console takes each read as one whole message, so the agent spaces its own messages: a
// message goes out at least messageGapMs after the previous one.
class StationAgent : public QObject {
    Q_OBJECT
public:
    struct Received {
        QDateTime at;
        QString keyword;
        QStringList fields;
    };

    StationAgent(QString computerName, QString mac, QObject* parent = nullptr);
    ~StationAgent() override;

    // From now on the agent listens through the crowd's socket instead of one of its own: the
    // crowd hands it the connections dialled to its address. Before the first listen().
    void listenThrough(CrowdListener* crowd) { m_crowd = crowd; }
    // Starts listening; false with errorString() when the address cannot be taken. Through a
    // crowd the port is the crowd's, and the address one the crowd has no other agent on.
    bool listen(const QHostAddress& address, quint16 port);
    // The agent stops: no longer listening, and the console's connection is dropped. A crowd
    // closes the connections dialled to a stopped agent at once.
    void close();
    bool isListening() const;
    bool isConnected() const;
    QString errorString() const { return m_error; }
    QHostAddress address() const { return m_address; }
    quint16 port() const { return m_port; }
    // "127.0.0.2:6969"
    QString label() const;

    QString computerName() const { return m_computerName; }
    QString mac() const { return m_mac; }

    // Sends one agent message, keyword then fields joined by the separator, no terminator.
    // A message sent while no console is connected is dropped, as a real agent's would be.
    void send(const QString& keyword, const QStringList& fields = {});
    // Sends bytes as they are (for tests of hostile input), still spaced from other messages.
    void sendRaw(const QByteArray& bytes);

    void setMessageGapMs(int ms) { m_gapMs = ms; }

    // Whether received() keeps the messages (it does unless told otherwise): a long run of a
    // crowd that only prints them would otherwise keep them all.
    void setKeepReceived(bool keep) { m_keepReceived = keep; }
    // Every whole message received from the console since the last clear, oldest first; the
    // time in UTC.
    const QList<Received>& received() const { return m_received; }
    void clearReceived() { m_received.clear(); }
    // Keywords of received(), in order.
    QStringList receivedKeywords() const;

    // The five fields of the last status message (state code, time, amount, address, user);
    // empty before the first one.
    QStringList lastStatus() const { return m_lastStatus; }
    // What the workstation's screen would show after the last status: locked when the station
    // is free, or when a prepaid state carries no time and no user (an account logged out).
    bool screenLocked() const;

    // Status message statistics since listen() or the last clear: how many arrived, and the longest
    // time between two of them on one connection, in milliseconds (0 with fewer than two).
    int statusCount() const { return m_statusCount; }
    qint64 worstStatusGapMs() const { return m_worstGapMs; }
    // Both start afresh; the next gap still counts from the last status.
    void clearStatusStats()
    {
        m_statusCount = 0;
        m_worstGapMs = 0;
    }

    // Customer behaviour for the demo: press start as soon as the station waits for it, and
    // answer every operator message with a text (empty: no answer).
    void setAutoStart(bool on) { m_autoStart = on; }
    void setChatReply(const QString& text) { m_chatReply = text; }

    // A connection the console opened to this agent, accepted for it by its listener or its
    // crowd; the agent owns it from now on.
    void adopt(AgentConnection* connection);

signals:
    void connected();
    void disconnected();
    void messageReceived(const kestrel::sim::StationAgent::Received& message);
    // One agent message has just been written to the console.
    void messageSent(const QByteArray& bytes);

private:
    void acceptConnection();
    void readConsole(const QByteArray& bytes);
    void handle(const Received& message);
    void enqueue(const QByteArray& bytes);
    void flush();
    void dropConnection();

    QString m_computerName;
    QString m_mac;
    QHostAddress m_address;
    quint16 m_port = 0;
    QString m_error;
    QTcpServer* m_server = nullptr;
    QPointer<CrowdListener> m_crowd;
    bool m_crowdListening = false;
    QPointer<AgentConnection> m_connection;
    Wire::Framer m_framer;
    QQueue<QByteArray> m_outgoing;
    QTimer m_gapTimer;
    QElapsedTimer m_sinceLastSend;
    int m_gapMs = 40;
    QList<Received> m_received;
    bool m_keepReceived = true;
    QStringList m_lastStatus;
    int m_statusCount = 0;
    qint64 m_worstGapMs = 0;
    QElapsedTimer m_sinceStatus;
    bool m_autoStart = false;
    bool m_startPressed = false; // in the current waiting period
    bool m_macAnnounced = false; // on the current connection
    QString m_chatReply;
};

// One listening socket for a crowd of agents on one port: it listens on every IPv4 address of
// the port and tells the agents apart by the address the console dialled (the accepted
// connection's local address), so a crowd takes one descriptor per connected agent instead of
// two. Listening on every address lets other machines knock too: a connection from anywhere
// but this machine's loopback, or to an address without a listening agent, is closed at once.
// Its connections are the system's own sockets in one SocketSet, as the console's are, so a
// crowd of thousands costs per turn of the event loop only the agents that are spoken to.
class CrowdListener : public QObject {
    Q_OBJECT
public:
    explicit CrowdListener(QObject* parent = nullptr);
    ~CrowdListener() override;

    // Port 0 takes any free port. False with errorString() when the port cannot be taken.
    bool listen(quint16 port);
    quint16 port() const { return m_port; }
    QString errorString() const { return m_error; }

    // The agent that answers at address (IPv4); false when another one does already.
    bool add(const QHostAddress& address, StationAgent* agent);
    // The agent no longer answers at address.
    void remove(const QHostAddress& address, const StationAgent* agent);

private:
    class Connection;
    void ready(std::uint64_t key, std::uint32_t events);
    void acceptConnections();

    SocketSet* m_set;
    int m_listener = -1;
    quint16 m_port = 0;
    QString m_error;
    std::uint64_t m_nextKey = 1; // 0 is the listener's
    QHash<quint32, StationAgent*> m_agents;
    QHash<std::uint64_t, QPointer<Connection>> m_connections;
};

} // namespace kestrel::sim
