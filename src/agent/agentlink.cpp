#include "agentlink.h"

#include <QHostInfo>
#include <QNetworkInterface>
#include <QSysInfo>
#include <QTcpServer>
#include <QTcpSocket>

using namespace Qt::Literals::StringLiterals;

namespace kestrel::agent {

AgentLink::AgentLink(Identity identity, QObject* parent)
    : QObject(parent), m_identity(std::move(identity)), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &AgentLink::accept);
    m_gapTimer.setSingleShot(true);
    m_gapTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_gapTimer, &QTimer::timeout, this, &AgentLink::flush);
}

AgentLink::~AgentLink()
{
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

void AgentLink::setConsoles(const QStringList& consoles)
{
    m_allowed.clear();
    for (const QString& console : consoles) {
        if (const QHostAddress literal(console); !literal.isNull()) {
            m_allowed << literal;
            continue;
        }
        const QHostInfo found = QHostInfo::fromName(console);
        if (found.addresses().isEmpty())
            qWarning("consola %s: %s", qPrintable(console), qPrintable(found.errorString()));
        m_allowed << found.addresses();
    }
}

bool AgentLink::listen(const QHostAddress& address, quint16 port)
{
    if (!m_server->listen(address, port)) {
        m_error = m_server->errorString();
        return false;
    }
    return true;
}

quint16 AgentLink::port() const
{
    return m_server->serverPort();
}

bool AgentLink::isConnected() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

bool AgentLink::allowed(const QHostAddress& peer) const
{
    // An IPv4 console may reach a dual-stack listener as ::ffff:a.b.c.d.
    bool mapped = false;
    const QHostAddress v4(peer.toIPv4Address(&mapped));
    const QHostAddress from = mapped ? v4 : peer;
    if (m_allowed.isEmpty())
        return from.isLoopback();
    return std::any_of(m_allowed.begin(), m_allowed.end(),
                       [&](const QHostAddress& a) { return a.isEqual(from); });
}

void AgentLink::accept()
{
    while (m_server->hasPendingConnections()) {
        QTcpSocket* socket = m_server->nextPendingConnection();
        if (!allowed(socket->peerAddress())) {
            emit refused(socket->peerAddress());
            socket->abort();
            socket->deleteLater();
            continue;
        }
        drop(); // the console reconnects: the newest connection is the live one
        m_socket = socket;
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, &AgentLink::read);
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            if (socket == m_socket) {
                read();
                drop();
            }
        });
        m_macAnnounced = false;
        m_sinceLastSend.invalidate();
        send(u"GETNAME"_s, {m_identity.computerName});
        emit connected();
    }
}

void AgentLink::read()
{
    if (!m_socket)
        return;
    for (const QString& text : m_framer.feed(m_socket->readAll())) {
        QStringList fields = Wire::split(text);
        const QString keyword = fields.takeFirst();
        if (keyword == u"SENDSTAT" && !m_macAnnounced) {
            m_macAnnounced = true;
            send(u"GETMAC"_s, {m_identity.mac});
        }
        emit received(keyword, fields);
        if (!m_socket)
            return; // a handler let the connection go: the rest was for it
    }
}

void AgentLink::drop()
{
    m_outgoing.clear();
    m_gapTimer.stop();
    m_framer.clear();
    if (!m_socket)
        return;
    QTcpSocket* socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    emit disconnected();
}

void AgentLink::send(const QString& keyword, const QStringList& fields)
{
    if (!isConnected())
        return;
    m_outgoing.enqueue(Wire::encode((QStringList{keyword} + fields).join(Wire::Separator)));
    flush();
}

void AgentLink::flush()
{
    while (!m_outgoing.isEmpty() && isConnected()) {
        if (m_sinceLastSend.isValid() && m_sinceLastSend.elapsed() < MessageGapMs) {
            if (!m_gapTimer.isActive())
                m_gapTimer.start(int(MessageGapMs - m_sinceLastSend.elapsed()));
            return;
        }
        m_socket->write(m_outgoing.dequeue());
        m_socket->flush();
        m_sinceLastSend.start();
    }
}

AgentLink::Identity AgentLink::thisComputer()
{
    Identity id{QSysInfo::machineHostName(), {}};
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        const auto flags = i.flags();
        if (flags.testFlag(QNetworkInterface::IsLoopBack) ||
            !flags.testFlag(QNetworkInterface::IsUp))
            continue;
        const QString mac = i.hardwareAddress();
        if (!mac.isEmpty() && mac != u"00:00:00:00:00:00"_s) {
            id.mac = mac;
            break;
        }
    }
    return id;
}

} // namespace kestrel::agent
