#pragma once

#include "linksender.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QTcpSocket;

namespace kestrel {

// One TCP connection per station, socket i for the station at index i. The console is the
// connecting side; the connection supervision opens and re-opens the sockets, nothing here
// retries or times out on its own.
class StationSockets final : public QObject, public StationConnections {
    Q_OBJECT
public:
    static constexpr quint16 DefaultPort = 6969;

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
    // Resets the socket and starts connecting to the address; does not wait for the result.
    void connectTo(int index, const QString& address);
    void close(int index);

    bool isConnected(int index) const override;
    void write(int index, const QByteArray& bytes) override;

signals:
    // Everything available on socket index, read at once: one message from that station.
    void received(int index, const QByteArray& bytes);

private:
    struct Slot {
        std::unique_ptr<QTcpSocket> socket;
        int index = 0; // where the station is now: stations move when others come or go
        bool ended = false;
    };
    std::unique_ptr<Slot> makeSlot();
    // Gives the slots from index on their places again, after one came or went.
    void renumberFrom(int index);

    // Each slot stays where it was made, so a socket's events find theirs without a search.
    std::vector<std::unique_ptr<Slot>> m_sockets;
};

} // namespace kestrel
