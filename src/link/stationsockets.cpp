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
    for (const auto& slot : m_sockets) {
        slot->socket->disconnect(this);
        slot->socket->abort();
    }
    m_sockets.clear();
    m_sockets.reserve(std::size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        m_sockets.push_back(makeSlot());
    renumberFrom(0);
}

void StationSockets::insert(int index)
{
    index = std::clamp(index, 0, count());
    m_sockets.insert(m_sockets.begin() + index, makeSlot());
    renumberFrom(index);
}

void StationSockets::remove(int index)
{
    if (!exists(index))
        return;
    Slot& slot = *m_sockets[std::size_t(index)];
    slot.socket->disconnect(this);
    slot.socket->abort();
    m_sockets.erase(m_sockets.begin() + index);
    renumberFrom(index);
}

std::unique_ptr<StationSockets::Slot> StationSockets::makeSlot()
{
    auto slot = std::make_unique<Slot>();
    slot->socket = std::make_unique<QTcpSocket>();
    Slot* own = slot.get();
    // The slot, not its index, is captured: the index changes when stations before this one are
    // added or removed, and renumberFrom() keeps it. A removed slot's socket is disconnected
    // before it goes.
    connect(own->socket.get(), &QTcpSocket::readyRead, this, [this, own] {
        const QByteArray bytes = own->socket->readAll();
        if (!bytes.isEmpty())
            emit received(own->index, bytes);
    });
    connect(own->socket.get(), &QAbstractSocket::stateChanged, this, [own](auto state) {
        if (state == QAbstractSocket::UnconnectedState)
            own->ended = true;
    });
    return slot;
}

void StationSockets::renumberFrom(int index)
{
    for (std::size_t i = std::size_t(std::max(index, 0)); i < m_sockets.size(); ++i)
        m_sockets[i]->index = int(i);
}

StationSockets::State StationSockets::state(int index) const
{
    const Slot& slot = *m_sockets.at(std::size_t(index));
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
    m_sockets.at(std::size_t(index))->socket->connectToHost(target.host, target.port);
}

void StationSockets::close(int index)
{
    Slot& slot = *m_sockets.at(std::size_t(index));
    slot.socket->abort();
    slot.ended = false;
}

bool StationSockets::isConnected(int index) const
{
    return exists(index) && state(index) == State::Connected;
}

void StationSockets::write(int index, const QByteArray& bytes)
{
    if (!isConnected(index))
        return;
    QTcpSocket& socket = *m_sockets[std::size_t(index)]->socket;
    socket.write(bytes); // a failed write is dropped
    // Handed to the system at once, without waiting: left to the event loop, every station's
    // write notifier would fire in the same round after a status tick, and Qt's dispatcher takes
    // time in the square of the notifiers firing together. What the system cannot take yet
    // stays buffered and goes out when the socket can take it, as before.
    socket.flush();
}

} // namespace kestrel
