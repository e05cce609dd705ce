#include "stationagent.h"

#include "link/socketset.h"
#include "simcommands.h"
#include "wire/wire.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace kestrel::sim {

namespace {

// The station shows its start button and waits for the customer.
bool waitsForStart(const QString& stateCode)
{
    return stateCode == u"2" || stateCode == u"4";
}

// "0:00:00", however many digits the hours take.
bool isZeroTime(const QString& time)
{
    return !time.isEmpty() &&
           std::all_of(time.begin(), time.end(), [](QChar c) { return c == u'0' || c == u':'; });
}

// A connection accepted by the agent's own listener.
class TcpConnection final : public AgentConnection {
public:
    explicit TcpConnection(QTcpSocket* socket) : m_socket(socket)
    {
        socket->setParent(this);
        // Each message is its own small write; Nagle would hold it back behind the previous one.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this,
                [this] { emit bytesArrived(m_socket->readAll()); });
        connect(socket, &QTcpSocket::disconnected, this, [this] {
            if (const QByteArray rest = m_socket->readAll(); !rest.isEmpty())
                emit bytesArrived(rest);
            emit closed();
        });
    }
    bool isOpen() const override { return m_socket->state() == QAbstractSocket::ConnectedState; }
    void write(const QByteArray& bytes) override
    {
        m_socket->write(bytes);
        m_socket->flush();
    }
    void abort() override
    {
        m_socket->disconnect(this);
        m_socket->abort();
    }

private:
    QTcpSocket* m_socket;
};

} // namespace

StationAgent::StationAgent(QString computerName, QString mac, QObject* parent)
    : QObject(parent), m_computerName(std::move(computerName)), m_mac(std::move(mac))
{
    m_gapTimer.setSingleShot(true);
    m_gapTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_gapTimer, &QTimer::timeout, this, &StationAgent::flush);
}

StationAgent::~StationAgent()
{
    // Quietly: nobody listens to an agent being destroyed.
    if (m_connection) {
        m_connection->disconnect(this);
        m_connection->abort();
    }
}

bool StationAgent::listen(const QHostAddress& address, quint16 port)
{
    close();
    if (m_crowd)
        m_crowd->remove(m_address, this); // an agent answers at one address only
    m_address = address;
    m_port = port;
    if (m_crowd) {
        if (port != 0 && port != m_crowd->port()) {
            m_error = u"the crowd listens on port %1"_s.arg(m_crowd->port());
            return false;
        }
        if (!m_crowd->add(address, this)) {
            m_error = u"another agent of the crowd or not a loopback address"_s;
            return false;
        }
        m_port = m_crowd->port();
        m_crowdListening = true;
    } else {
        if (!m_server) {
            m_server = new QTcpServer(this);
            connect(m_server, &QTcpServer::newConnection, this, &StationAgent::acceptConnection);
        }
        if (!m_server->listen(address, port)) {
            m_error = m_server->errorString();
            return false;
        }
        // Port 0 asks for any free port; the label shows the one taken.
        m_port = m_server->serverPort();
    }
    m_error.clear();
    // A restarted agent starts from a blank screen.
    m_lastStatus.clear();
    m_statusCount = 0;
    m_worstGapMs = 0;
    return true;
}

void StationAgent::close()
{
    if (m_server) {
        while (m_server->hasPendingConnections()) {
            QTcpSocket* waiting = m_server->nextPendingConnection();
            waiting->abort();
            waiting->deleteLater();
        }
        m_server->close();
    }
    m_crowdListening = false;
    dropConnection();
}

bool StationAgent::isListening() const
{
    return m_crowd ? m_crowdListening : m_server && m_server->isListening();
}

bool StationAgent::isConnected() const
{
    return m_connection && m_connection->isOpen();
}

QString StationAgent::label() const
{
    return endpointLabel({m_address, m_port});
}

void StationAgent::send(const QString& keyword, const QStringList& fields)
{
    enqueue(Wire::encode((QStringList{keyword} + fields).join(Wire::Separator)));
}

void StationAgent::sendRaw(const QByteArray& bytes)
{
    enqueue(bytes);
}

QStringList StationAgent::receivedKeywords() const
{
    QStringList keywords;
    for (const Received& message : m_received)
        keywords << message.keyword;
    return keywords;
}

bool StationAgent::screenLocked() const
{
    const QString code = m_lastStatus.value(0);
    if (code == u"1")
        return false;
    if (code == u"3")
        return isZeroTime(m_lastStatus.value(1)) && m_lastStatus.value(4).isEmpty();
    // Free, waiting for the start press, or no status yet.
    return true;
}

void StationAgent::acceptConnection()
{
    while (m_server->hasPendingConnections())
        adopt(new TcpConnection(m_server->nextPendingConnection()));
}

void StationAgent::adopt(AgentConnection* connection)
{
    connection->setParent(this);
    // The console closes and reconnects: the newest connection is the live one.
    dropConnection();
    m_connection = connection;
    connect(connection, &AgentConnection::bytesArrived, this, &StationAgent::readConsole);
    connect(connection, &AgentConnection::closed, this, [this, connection] {
        if (connection == m_connection)
            dropConnection();
    });
    m_sinceLastSend.invalidate();
    // A reconnection pause is not a late status, and a station still waiting is pressed again
    // for the new console.
    m_sinceStatus.invalidate();
    m_startPressed = false;
    m_macAnnounced = false;
    emit connected();
    send(u"GETNAME"_s, {m_computerName});
}

void StationAgent::readConsole(const QByteArray& bytes)
{
    if (!m_connection)
        return;
    for (const QString& text : m_framer.feed(bytes)) {
        if (!m_connection)
            return; // a handler dropped the connection: the rest was for it
        QStringList pieces = Wire::split(text);
        Received message;
        // In UTC: the local time zone is looked up again at every reading of the local clock,
        // which a crowd of thousands of agents feels; the log line converts it.
        message.at = QDateTime::currentDateTimeUtc();
        message.keyword = pieces.takeFirst();
        message.fields = pieces;
        if (m_keepReceived)
            m_received << message;
        emit messageReceived(message);
        handle(message);
    }
}

void StationAgent::handle(const Received& message)
{
    if (message.keyword == u"SENDSTAT") {
        ++m_statusCount;
        if (m_sinceStatus.isValid())
            m_worstGapMs = std::max(m_worstGapMs, m_sinceStatus.elapsed());
        m_sinceStatus.start();
        m_lastStatus = message.fields;
        // The MAC address waits for the console's first status: by then the console has long
        // read the name, so the two announcements cannot reach it glued into one read.
        if (!m_macAnnounced) {
            m_macAnnounced = true;
            send(u"GETMAC"_s, {m_mac});
        }
        if (!waitsForStart(message.fields.value(0))) {
            m_startPressed = false;
        } else if (m_autoStart && !m_startPressed) {
            m_startPressed = true;
            send(u"GETSTART2"_s);
        }
    } else if ((message.keyword == u"MSGBOX" || message.keyword == u"MSGBOX2") &&
               !m_chatReply.isEmpty()) {
        send(u"MSGBOX"_s, {m_chatReply});
    }
}

void StationAgent::enqueue(const QByteArray& bytes)
{
    if (!isConnected() || bytes.isEmpty())
        return;
    m_outgoing.enqueue(bytes);
    flush();
}

void StationAgent::flush()
{
    while (!m_outgoing.isEmpty()) {
        if (!isConnected()) {
            m_outgoing.clear();
            return;
        }
        if (m_sinceLastSend.isValid()) {
            const qint64 wait = m_gapMs - m_sinceLastSend.elapsed();
            if (wait > 0) {
                if (!m_gapTimer.isActive())
                    m_gapTimer.start(int(wait));
                return;
            }
        }
        const QByteArray bytes = m_outgoing.dequeue();
        m_connection->write(bytes);
        m_sinceLastSend.start();
        emit messageSent(bytes);
    }
}

void StationAgent::dropConnection()
{
    m_outgoing.clear();
    m_gapTimer.stop();
    m_framer.clear();
    if (!m_connection)
        return;
    AgentConnection* connection = m_connection;
    m_connection = nullptr;
    connection->disconnect(this);
    connection->abort();
    connection->deleteLater();
    emit disconnected();
}

// A connection the crowd accepted: a socket in the crowd's set, its events brought by the crowd.
class CrowdListener::Connection final : public AgentConnection {
public:
    Connection(int fd, CrowdListener* crowd) : AgentConnection(crowd), m_fd(fd) {}
    ~Connection() override { abort(); }

    bool isOpen() const override { return m_fd >= 0; }
    void write(const QByteArray& bytes) override
    {
        // A status is a few dozen bytes and the console reads them at once: what the system
        // cannot take now is dropped, as a full buffer would drop it on a real agent.
        if (m_fd >= 0 && SocketSet::sendSome(m_fd, bytes) < 0)
            end();
    }
    void abort() override
    {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    void ready(std::uint32_t events)
    {
        if (m_fd < 0)
            return;
        bool ended = false;
        const QByteArray bytes = SocketSet::readAll(m_fd, &ended);
        if (!bytes.isEmpty())
            emit bytesArrived(bytes);
        if (ended || (events & (EPOLLHUP | EPOLLERR)))
            end();
    }

private:
    void end()
    {
        abort();
        emit closed();
    }
    int m_fd;
};

CrowdListener::CrowdListener(QObject* parent)
    : QObject(parent),
      m_set(new SocketSet([this](std::uint64_t key, std::uint32_t events) { ready(key, events); },
                          this))
{}

CrowdListener::~CrowdListener()
{
    if (m_listener >= 0)
        ::close(m_listener);
}

bool CrowdListener::listen(quint16 port)
{
    const auto fail = [this](const char* what) {
        m_error =
            QString::fromLatin1(what) + u": "_s + QString::fromLocal8Bit(std::strerror(errno));
        if (m_listener >= 0)
            ::close(m_listener);
        m_listener = -1;
        return false;
    };
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listener < 0)
        return fail("socket");
    const int on = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_port = htons(port);
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(m_listener, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0)
        return fail("bind");
    // A whole café dials at once, in the console's first round.
    if (::listen(m_listener, 4096) != 0)
        return fail("listen");
    socklen_t length = sizeof any;
    ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&any), &length);
    m_port = ntohs(any.sin_port);
    if (!m_set->watch(m_listener, EPOLLIN, 0))
        return fail("epoll_ctl");
    return true;
}

bool CrowdListener::add(const QHostAddress& address, StationAgent* agent)
{
    if (address.protocol() != QAbstractSocket::IPv4Protocol || !address.isLoopback())
        return false;
    StationAgent*& slot = m_agents[address.toIPv4Address()];
    if (slot && slot != agent)
        return false;
    slot = agent;
    return true;
}

void CrowdListener::remove(const QHostAddress& address, const StationAgent* agent)
{
    const auto at = m_agents.constFind(address.toIPv4Address());
    if (at != m_agents.cend() && *at == agent)
        m_agents.erase(at);
}

void CrowdListener::ready(std::uint64_t key, std::uint32_t events)
{
    if (key == 0) {
        acceptConnections();
        return;
    }
    const QPointer<Connection> connection = m_connections.value(key);
    if (!connection) {
        m_connections.remove(key);
        return;
    }
    connection->ready(events);
    if (connection && !connection->isOpen())
        m_connections.remove(key);
}

void CrowdListener::acceptConnections()
{
    for (;;) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        const int fd = ::accept4(m_listener, reinterpret_cast<sockaddr*>(&peer), &length,
                                 SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return; // none waiting (or none that can be taken now)
        sockaddr_in dialled{};
        length = sizeof dialled;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&dialled), &length);
        StationAgent* agent = m_agents.value(ntohl(dialled.sin_addr.s_addr));
        const bool loopback = (ntohl(peer.sin_addr.s_addr) >> 24) == 127;
        const std::uint64_t key = m_nextKey++;
        if (!agent || !agent->isListening() || !loopback ||
            !m_set->watch(fd, EPOLLIN | EPOLLRDHUP, key)) {
            ::close(fd);
            continue;
        }
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        auto* connection = new Connection(fd, this);
        m_connections.insert(key, connection);
        connect(connection, &QObject::destroyed, this, [this, key] { m_connections.remove(key); });
        agent->adopt(connection);
    }
}

} // namespace kestrel::sim
