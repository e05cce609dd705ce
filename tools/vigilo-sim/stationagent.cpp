#include "stationagent.h"

#include "link/wire.h"
#include "simcommands.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace kestrel::sim {

namespace {

const QByteArray& terminatorBytes()
{
    static const QByteArray bytes = Wire::encode(Wire::Terminator);
    return bytes;
}

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
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
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
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
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
        adopt(m_server->nextPendingConnection());
}

void StationAgent::adopt(QTcpSocket* socket)
{
    socket->setParent(this);
    // The console closes and reconnects: the newest connection is the live one.
    dropConnection();
    m_socket = socket;
    // Each message is its own small write; Nagle would hold it back behind the previous one.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(socket, &QTcpSocket::readyRead, this, &StationAgent::readConsole);
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        if (socket != m_socket)
            return;
        readConsole();
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

void StationAgent::readConsole()
{
    if (!m_socket)
        return;
    m_pending += m_socket->readAll();
    qsizetype end = -1;
    // m_pending is emptied if a handler drops the connection, which ends the loop.
    while ((end = m_pending.indexOf(terminatorBytes())) >= 0) {
        QStringList pieces = Wire::split(Wire::decode(QByteArrayView(m_pending).first(end)));
        m_pending.remove(0, end + terminatorBytes().size());
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
        m_socket->write(bytes);
        m_socket->flush();
        m_sinceLastSend.start();
        emit messageSent(bytes);
    }
}

void StationAgent::dropConnection()
{
    m_outgoing.clear();
    m_gapTimer.stop();
    m_pending.clear();
    if (!m_socket)
        return;
    QTcpSocket* socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    emit disconnected();
}

CrowdListener::CrowdListener(QObject* parent) : QObject(parent), m_server(new QTcpServer(this))
{
    // A whole café dials at once, in the console's first round.
    m_server->setListenBacklogSize(4096);
    connect(m_server, &QTcpServer::newConnection, this, &CrowdListener::acceptConnections);
}

bool CrowdListener::listen(quint16 port)
{
    return m_server->listen(QHostAddress::AnyIPv4, port);
}

quint16 CrowdListener::port() const
{
    return m_server->serverPort();
}

QString CrowdListener::errorString() const
{
    return m_server->errorString();
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

void CrowdListener::acceptConnections()
{
    while (m_server->hasPendingConnections()) {
        QTcpSocket* socket = m_server->nextPendingConnection();
        const QHostAddress dialled = socket->localAddress();
        StationAgent* agent = dialled.protocol() == QAbstractSocket::IPv4Protocol
                                  ? m_agents.value(dialled.toIPv4Address())
                                  : nullptr;
        if (agent && agent->isListening() && socket->peerAddress().isLoopback()) {
            agent->adopt(socket);
        } else {
            socket->abort();
            socket->deleteLater();
        }
    }
}

} // namespace kestrel::sim
