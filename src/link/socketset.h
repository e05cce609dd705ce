#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>

#include <cstdint>
#include <functional>

class QSocketNotifier;

namespace kestrel {

// Sockets of the system's own, non-blocking, watched by one epoll instance that Qt's event loop
// sees as a single descriptor. A turn of the loop then costs only the sockets that have
// something to say, however many there are: Qt's own loop lists and polls every descriptor it
// watches on every turn, which at thousands of stations is most of the work.
class SocketSet final : public QObject {
    Q_OBJECT
public:
    // Called for each socket with events, with the key it was watched under and the epoll
    // events (EPOLLIN, EPOLLOUT, EPOLLRDHUP, EPOLLHUP, EPOLLERR).
    using Ready = std::function<void(std::uint64_t key, std::uint32_t events)>;

    explicit SocketSet(Ready ready, QObject* parent = nullptr);
    ~SocketSet() override;

    bool isValid() const { return m_epoll >= 0; }
    // Watches fd for events under key; `again` changes what an already watched fd waits for.
    // A closed descriptor leaves the set by itself.
    bool watch(int fd, std::uint32_t events, std::uint64_t key, bool again = false);

    // Everything the socket holds now. `ended` tells whether the other side closed or the
    // connection broke.
    static QByteArray readAll(int fd, bool* ended);
    // Sends what the system takes now, without waiting and without SIGPIPE: the number of bytes
    // taken, or -1 when the connection is broken.
    static qsizetype sendSome(int fd, QByteArrayView bytes);

private:
    void readEvents();

    Ready m_ready;
    int m_epoll = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace kestrel
