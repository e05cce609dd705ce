#include "stationsockets.h"

#include <QTcpSocket>

#include <algorithm>

namespace kestrel {

StationSockets::Endpoint StationSockets::endpoint(const QString& address)
{
    const QString trimmed = address.trimmed();
    const qsizetype colon = trimmed.lastIndexOf(u':');
    // One colon only: an IPv6 address is left whole.
    if (colon > 0 && trimmed.indexOf(u':') == colon) {
        const QStringView digits = QStringView(trimmed).mid(colon + 1);
        const bool plain = !digits.isEmpty() && digits.size() <= 5 &&
                           std::all_of(digits.begin(), digits.end(),
                                       [](QChar c) { return c >= u'0' && c <= u'9'; });
        const uint port = plain ? digits.toUInt() : 0;
        if (port >= 1 && port <= 65535)
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
    for (int i = 0; i < count; ++i)
        m_sockets.push_back(makeSlot());
}

void StationSockets::insert(int index)
{
    index = std::clamp(index, 0, count());
    m_sockets.insert(m_sockets.begin() + index, makeSlot());
}

void StationSockets::remove(int index)
{
    if (!exists(index))
        return;
    Slot& slot = m_sockets[std::size_t(index)];
    slot.socket->disconnect(this);
    slot.socket->abort();
    m_sockets.erase(m_sockets.begin() + index);
}

StationSockets::Slot StationSockets::makeSlot()
{
    Slot slot;
    slot.socket = std::make_unique<QTcpSocket>();
    QTcpSocket* raw = slot.socket.get();
    // The index is looked up at each event, never captured: it changes when stations before
    // this one are added or removed.
    connect(raw, &QTcpSocket::readyRead, this, [this, raw] {
        const QByteArray bytes = raw->readAll();
        const int index = indexOf(raw);
        if (!bytes.isEmpty() && index >= 0)
            emit received(index, bytes);
    });
    connect(raw, &QAbstractSocket::stateChanged, this, [this, raw](auto state) {
        const int index = indexOf(raw);
        if (state == QAbstractSocket::UnconnectedState && index >= 0)
            m_sockets[std::size_t(index)].ended = true;
    });
    return slot;
}

int StationSockets::indexOf(const QTcpSocket* socket) const
{
    for (std::size_t i = 0; i < m_sockets.size(); ++i) {
        if (m_sockets[i].socket.get() == socket)
            return int(i);
    }
    return -1;
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
