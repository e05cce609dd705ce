#include "stationsockets.h"

#include "socketset.h"

#include <QHostInfo>

#include <cerrno>
#include <cstring>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

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

StationSockets::StationSockets(QObject* parent)
    : QObject(parent),
      m_set(new SocketSet([this](std::uint64_t id, std::uint32_t events) { handle(id, events); },
                          this))
{}

StationSockets::~StationSockets()
{
    reset(0);
}

void StationSockets::reset(int count)
{
    for (const auto& slot : m_sockets)
        drop(*slot);
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
    drop(*m_sockets[std::size_t(index)]);
    m_sockets.erase(m_sockets.begin() + index);
    renumberFrom(index);
}

std::unique_ptr<StationSockets::Slot> StationSockets::makeSlot()
{
    auto slot = std::make_unique<Slot>();
    slot->id = m_nextId++;
    m_byId.emplace(slot->id, slot.get());
    return slot;
}

// Closes the slot's socket and forgets its key: events and look-ups still on their way for it
// find nothing.
void StationSockets::drop(Slot& slot)
{
    if (slot.fd >= 0) {
        ::close(slot.fd); // leaves the epoll set with its last descriptor
        slot.fd = -1;
    }
    m_byId.erase(slot.id);
    slot.unsent.clear();
}

void StationSockets::renumberFrom(int index)
{
    for (std::size_t i = std::size_t(std::max(index, 0)); i < m_sockets.size(); ++i)
        m_sockets[i]->index = int(i);
}

StationSockets::State StationSockets::state(int index) const
{
    switch (m_sockets.at(std::size_t(index))->phase) {
    case Phase::Idle:
        return State::Closed;
    case Phase::Connected:
        return State::Connected;
    default:
        return State::Other;
    }
}

void StationSockets::connectTo(int index, const QString& address)
{
    close(index);
    Slot& slot = *m_sockets.at(std::size_t(index));
    const Endpoint target = endpoint(address);
    if (const QHostAddress literal(target.host); !literal.isNull()) {
        startConnecting(slot, literal, target.port);
        return;
    }
    slot.phase = Phase::LookingUp;
    const std::uint64_t id = slot.id;
    QHostInfo::lookupHost(target.host, this, [this, id, port = target.port](const QHostInfo& info) {
        const auto it = m_byId.find(id);
        if (it == m_byId.end() || it->second->phase != Phase::LookingUp)
            return; // closed or moved on meanwhile
        const QList<QHostAddress> found = info.addresses();
        const auto ipv4 = std::find_if(found.begin(), found.end(), [](const QHostAddress& a) {
            return a.protocol() == QAbstractSocket::IPv4Protocol;
        });
        if (ipv4 != found.end())
            startConnecting(*it->second, *ipv4, port);
        else if (!found.isEmpty())
            startConnecting(*it->second, found.first(), port);
        else
            end(*it->second);
    });
}

void StationSockets::startConnecting(Slot& slot, const QHostAddress& address, quint16 port)
{
    sockaddr_storage storage{};
    socklen_t length = 0;
    if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&storage);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&in6->sin6_addr, &bytes, sizeof bytes);
        length = sizeof *in6;
    } else {
        auto* in4 = reinterpret_cast<sockaddr_in*>(&storage);
        in4->sin_family = AF_INET;
        in4->sin_port = htons(port);
        in4->sin_addr.s_addr = htonl(address.toIPv4Address());
        length = sizeof *in4;
    }
    slot.fd = ::socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (slot.fd < 0) {
        end(slot);
        return;
    }
    const int on = 1; // a status goes out as it is written
    ::setsockopt(slot.fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    const int result = ::connect(slot.fd, reinterpret_cast<const sockaddr*>(&storage), length);
    if (result == 0) {
        slot.phase = Phase::Connected;
        watch(slot, EPOLLIN | EPOLLRDHUP, false);
    } else if (errno == EINPROGRESS) {
        slot.phase = Phase::Connecting;
        watch(slot, EPOLLOUT, false);
    } else {
        end(slot);
    }
}

void StationSockets::watch(Slot& slot, std::uint32_t events, bool again)
{
    if (!m_set->watch(slot.fd, events, slot.id, again))
        end(slot);
}

// A connection that failed or ended by itself: Other until the console closes it.
void StationSockets::end(Slot& slot)
{
    if (slot.fd >= 0) {
        ::close(slot.fd);
        slot.fd = -1;
    }
    slot.unsent.clear();
    slot.phase = Phase::Ended;
}

void StationSockets::close(int index)
{
    Slot& slot = *m_sockets.at(std::size_t(index));
    drop(slot);
    slot.phase = Phase::Idle;
    // A new key: whatever the old connection still had on its way is not this one's.
    slot.id = m_nextId++;
    m_byId.emplace(slot.id, &slot);
}

bool StationSockets::isConnected(int index) const
{
    return exists(index) && state(index) == State::Connected;
}

void StationSockets::write(int index, const QByteArray& bytes)
{
    if (!isConnected(index) || bytes.isEmpty())
        return;
    Slot& slot = *m_sockets[std::size_t(index)];
    if (!slot.unsent.isEmpty()) {
        // Behind what is waiting already, in order.
        if (slot.unsent.size() + bytes.size() > MaxUnsent)
            end(slot);
        else
            slot.unsent.append(bytes);
        return;
    }
    const qsizetype sent = SocketSet::sendSome(slot.fd, bytes);
    if (sent == bytes.size())
        return;
    if (sent < 0) {
        end(slot); // broken: noticed by the supervision's next round
        return;
    }
    slot.unsent = bytes.mid(sent);
    watch(slot, EPOLLIN | EPOLLRDHUP | EPOLLOUT, true);
}

void StationSockets::sendUnsent(Slot& slot)
{
    const qsizetype sent = SocketSet::sendSome(slot.fd, slot.unsent);
    if (sent < 0) {
        end(slot);
        return;
    }
    slot.unsent.remove(0, sent);
    if (slot.unsent.isEmpty())
        watch(slot, EPOLLIN | EPOLLRDHUP, true);
}

// Looked up at each event: a handler of an earlier one may have closed or removed its slot.
void StationSockets::handle(std::uint64_t id, std::uint32_t events)
{
    const auto it = m_byId.find(id);
    if (it == m_byId.end())
        return;
    Slot& slot = *it->second;
    if (slot.phase == Phase::Connecting) {
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(slot.fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            end(slot);
            return;
        }
        slot.phase = Phase::Connected;
        watch(slot, EPOLLIN | EPOLLRDHUP, true);
        return;
    }
    if (slot.phase != Phase::Connected)
        return;
    if (events & EPOLLOUT)
        sendUnsent(slot);
    if (slot.phase != Phase::Connected || !(events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR)))
        return;
    bool ended = false;
    const QByteArray bytes = SocketSet::readAll(slot.fd, &ended);
    const int index = slot.index;
    if (ended || (events & (EPOLLHUP | EPOLLERR)))
        end(slot);
    // The last words of a closing agent are delivered too, after it is marked ended.
    if (!bytes.isEmpty())
        emit received(index, bytes);
}

} // namespace kestrel
