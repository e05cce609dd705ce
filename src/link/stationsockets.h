#pragma once

#include "linksender.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace kestrel {

class SocketSet;

// One TCP connection per station, socket i for the station at index i. The console is the
// connecting side; the connection supervision opens and re-opens the sockets, nothing here
// retries or times out on its own.
//
// The sockets are the system's own, in a SocketSet: a turn of the event loop costs only the
// stations that have something to say. (With a QTcpSocket each, every turn of Qt's loop listed
// and polled every station's descriptor: at 10 000 stations that was most of the console's time.)
class StationSockets final : public QObject, public StationConnections {
    Q_OBJECT
public:
    static constexpr quint16 DefaultPort = 6969;
    // What a station that reads nothing may leave unsent before its connection counts as broken.
    static constexpr qsizetype MaxUnsent = 1 << 20;

    // The states the supervision tells apart. A socket that was connecting or connected and has
    // ended by itself (refused, broken, closed by the agent) counts as Other until the console
    // closes it, so a lost connection is noticed before the next attempt starts.
    enum class State { Closed, Connected, Other };

    struct Endpoint {
        QString host;
        quint16 port = DefaultPort;
    };
    // "host" or "host:port"; a port that is not plain digits making a number from 1 to 65535
    // leaves the whole text as the host name, which then fails to connect like any unknown
    // station (and which the station administration refuses).
    static Endpoint endpoint(const QString& address);

    explicit StationSockets(QObject* parent = nullptr);
    ~StationSockets() override;

    // Closes every socket and makes count closed ones.
    void reset(int count);
    // A closed socket for a station added at index (clamped); the sockets from there on, open
    // or not, move down with their stations.
    void insert(int index);
    // Closes and drops the socket at index; the ones behind it move up with their stations and
    // keep their connections. An invalid index does nothing.
    void remove(int index);
    int count() const { return int(m_sockets.size()); }
    bool exists(int index) const { return index >= 0 && index < count(); }

    State state(int index) const;
    // Resets the socket and starts connecting to the address (a host name is looked up first);
    // does not wait for the result.
    void connectTo(int index, const QString& address);
    void close(int index);

    bool isConnected(int index) const override;
    // Hands the bytes to the system at once; what it cannot take yet goes out when it can.
    void write(int index, const QByteArray& bytes) override;

signals:
    // Everything available on socket index, read at once: one message from that station.
    void received(int index, const QByteArray& bytes);

private:
    enum class Phase { Idle, LookingUp, Connecting, Connected, Ended };
    struct Slot {
        std::uint64_t id = 0; // the key of its events; never used again
        int index = 0;        // where the station is now: stations move when others come or go
        int fd = -1;
        Phase phase = Phase::Idle;
        QByteArray unsent;
    };
    std::unique_ptr<Slot> makeSlot();
    void drop(Slot& slot);
    // Gives the slots from index on their places again, after one came or went.
    void renumberFrom(int index);
    void startConnecting(Slot& slot, const QHostAddress& address, quint16 port);
    void end(Slot& slot);
    void watch(Slot& slot, std::uint32_t events, bool again);
    void handle(std::uint64_t id, std::uint32_t events);
    void sendUnsent(Slot& slot);

    SocketSet* m_set = nullptr;
    std::uint64_t m_nextId = 1;
    // Each slot stays where it was made, so a socket's events find theirs without a search.
    std::vector<std::unique_ptr<Slot>> m_sockets;
    std::unordered_map<std::uint64_t, Slot*> m_byId;
};

} // namespace kestrel
