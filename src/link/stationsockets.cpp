#include "stationsockets.h"

#include <QTcpSocket>

namespace kestrel {

StationSockets::Endpoint StationSockets::endpoint(const QString& address)
{
    const QString trimmed = address.trimmed();
    const qsizetype colon = trimmed.lastIndexOf(u':');
    // One colon only: an IPv6 address is left whole.
    if (colon > 0 && trimmed.indexOf(u':') == colon) {
        bool ok = false;
        const uint port = trimmed.mid(colon + 1).toUInt(&ok);
        if (ok && port >= 1 && port <= 65535)
            return {trimmed.left(colon), quint16(port)};
    }
    return {trimmed, DefaultPort};
}

StationSockets::StationSockets(QObject* parent) : QObject(parent) {}

StationSockets::~StationSockets()
{
    reset(0);
}

void StationSockets::reset(int count)
{
    for (Slot& slot : m_sockets) {
        slot.socket->disconnect(this);
        slot.socket->abort();
    }
    m_sockets.clear();
    m_sockets.resize(std::size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        QTcpSocket* raw = socket.get();
        connect(raw, &QTcpSocket::readyRead, this, [this, raw, i] {
            const QByteArray bytes = raw->readAll();
            if (!bytes.isEmpty())
                emit received(i, bytes);
        });
        connect(raw, &QAbstractSocket::stateChanged, this, [this, i](auto state) {
            if (state == QAbstractSocket::UnconnectedState)
                m_sockets[std::size_t(i)].ended = true;
        });
        m_sockets[std::size_t(i)].socket = std::move(socket);
    }
}

StationSockets::State StationSockets::state(int index) const
{
    const Slot& slot = m_sockets.at(std::size_t(index));
    switch (slot.socket->state()) {
    case QAbstractSocket::ConnectedState:
        return State::Connected;
    case QAbstractSocket::UnconnectedState:
        return slot.ended ? State::Other : State::Closed;
    default:
        return State::Other;
    }
}

void StationSockets::connectTo(int index, const QString& address)
{
    close(index);
    const Endpoint target = endpoint(address);
    m_sockets.at(std::size_t(index)).socket->connectToHost(target.host, target.port);
}

void StationSockets::close(int index)
{
    Slot& slot = m_sockets.at(std::size_t(index));
    slot.socket->abort();
    slot.ended = false;
}

bool StationSockets::isConnected(int index) const
{
    return exists(index) && state(index) == State::Connected;
}

void StationSockets::write(int index, const QByteArray& bytes)
{
    if (isConnected(index))
        m_sockets[std::size_t(index)].socket->write(bytes); // a failed write is dropped
}

} // namespace kestrel
