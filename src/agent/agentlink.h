#pragma once

#include "wire/wire.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QStringList>
#include <QTimer>

class QTcpServer;
class QTcpSocket;

namespace kestrel::agent {

// The agent's end of the station link. It listens for the console (on port 6969 unless told
// otherwise) and takes a connection only from the consoles allowed (none named: from this
// computer only); anything else is closed at once. A new connection from the console replaces
// the old one. On each connection it announces the computer's name, and its hardware address
// with the console's first status, so the two never reach the console in one read.
//
// What the console sends is framed by its terminator however it arrives; what the agent sends
// is one write per message, without terminator, in Windows-1252, at least MessageGapMs after
// the one before (the console takes each read as one message).
class AgentLink final : public QObject {
    Q_OBJECT
public:
    static constexpr int MessageGapMs = 40;

    struct Identity {
        QString computerName;
        QString mac;
    };

    AgentLink(Identity identity, QObject* parent = nullptr);
    ~AgentLink() override;

    // The consoles allowed, resolved to addresses (a name is looked up once, now). Empty: only
    // loopback connections are taken.
    void setConsoles(const QStringList& consoles);
    bool consoleConfigured() const { return !m_allowed.isEmpty(); }

    bool listen(const QHostAddress& address, quint16 port);
    QString errorString() const { return m_error; }
    quint16 port() const;
    bool isConnected() const;

    // keyword#LVX#field#LVX#…, without terminator; dropped when no console is connected.
    void send(const QString& keyword, const QStringList& fields = {});

    // This computer's name and the hardware address of its first interface that is up and not
    // loopback.
    static Identity thisComputer();

signals:
    void connected();
    void disconnected();
    // One message from the console: its keyword and its fields.
    void received(const QString& keyword, const QStringList& fields);
    // A connection was refused: from where.
    void refused(const QHostAddress& from);

private:
    void accept();
    bool allowed(const QHostAddress& peer) const;
    void read();
    void drop();
    void flush();

    Identity m_identity;
    QList<QHostAddress> m_allowed;
    QTcpServer* m_server = nullptr;
    QPointer<QTcpSocket> m_socket;
    Wire::Framer m_framer;
    QQueue<QByteArray> m_outgoing;
    QTimer m_gapTimer;
    QElapsedTimer m_sinceLastSend;
    bool m_macAnnounced = false;
    QString m_error;
};

} // namespace kestrel::agent
