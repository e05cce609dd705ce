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
    // For the timer that calls tick(): to the millisecond, since a coarse timer may fire 5 % of
    // the interval early or late and so stretch a station's wait between two statuses by 90 ms.
    static constexpr Qt::TimerType TimerType = Qt::PreciseTimer;

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
