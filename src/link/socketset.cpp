#include "socketset.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>

#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kestrel {

SocketSet::SocketSet(Ready ready, QObject* parent) : QObject(parent), m_ready(std::move(ready))
{
    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    if (m_epoll < 0) {
        qWarning("epoll_create1: %s", std::strerror(errno));
        return;
    }
    m_notifier = new QSocketNotifier(m_epoll, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SocketSet::readEvents);
}

SocketSet::~SocketSet()
{
    if (m_epoll >= 0)
        ::close(m_epoll);
}

bool SocketSet::watch(int fd, std::uint32_t events, std::uint64_t key, bool again)
{
    epoll_event e{};
    e.events = events;
    e.data.u64 = key;
    return m_epoll >= 0 && ::epoll_ctl(m_epoll, again ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, fd, &e) == 0;
}

void SocketSet::readEvents()
{
    constexpr int Batch = 256;
    epoll_event events[Batch];
    int n = Batch;
    while (n == Batch) {
        n = ::epoll_wait(m_epoll, events, Batch, 0);
        for (int i = 0; i < n; ++i)
            m_ready(events[i].data.u64, events[i].events);
    }
}

QByteArray SocketSet::readAll(int fd, bool* ended)
{
    QByteArray bytes;
    *ended = false;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0) {
            bytes.append(buffer, got);
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            *ended = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
            return bytes;
        }
    }
}

qsizetype SocketSet::sendSome(int fd, QByteArrayView bytes)
{
    for (;;) {
        const ssize_t sent =
            ::send(fd, bytes.data(), std::size_t(bytes.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent >= 0)
            return sent;
        if (errno == EINTR)
            continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    }
}

} // namespace kestrel
