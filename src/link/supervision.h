#pragma once

#include <QObject>
#include <QString>

namespace kestrel {

class LinkSender;
class StationSockets;
class StationTable;

// Keeps every station's connection to its agent and tells each connected agent its station's
// state. tick() is the whole work of one round; the console's timer calls it every 900 ms.
//
// There is no other time-out: a connection has until the next tick to open, otherwise it is
// closed then and a new one starts on the tick after.
class ConnectionSupervision final : public QObject {
    Q_OBJECT
public:
    static constexpr int IntervalMs = 900;

    ConnectionSupervision(StationTable& stations, StationSockets& sockets, LinkSender& link,
                          QObject* parent = nullptr);

    // Read once when the console loads.
    void setCurrencySymbol(const QString& symbol) { m_currencySymbol = symbol; }

    void tick();

private:
    void setLinkState(int index, const QString& state);

    StationTable& m_stations;
    StationSockets& m_sockets;
    LinkSender& m_link;
    QString m_currencySymbol;
};

} // namespace kestrel
