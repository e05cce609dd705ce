#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace kestrel {

class LinkSender;
class StationSockets;
class StationTable;

// Keeps every station's connection to its agent and tells each connected agent its station's
// state, once a round: every 900 ms, or the interval "Aplicar" gives the timer.
//
// There is no other time-out: a connection has until the next round to open, otherwise it is
// closed then and a new one starts on the round after.
//
// A round over many stations is served in slices spread over the interval. A whole round over
// 10 000 stations holds the event loop a few hundred milliseconds, and a longer one than the
// round before would keep the statuses of the last stations waiting that much longer than the
// interval; served in slices, each station keeps its place in the round and its statuses stay
// one interval apart, give or take the time one slice takes.
class ConnectionSupervision final : public QObject {
    Q_OBJECT
public:
    static constexpr int IntervalMs = 900;
    // For the timer that calls tick(): to the millisecond, since a coarse timer may fire 5 % of
    // the interval early or late and so stretch a station's wait between two statuses by 90 ms.
    static constexpr Qt::TimerType TimerType = Qt::PreciseTimer;
    // Stations served at once; a round over more is spread in up to MaxSlices slices.
    static constexpr int SliceStations = 1000;
    static constexpr int MaxSlices = 10;

    ConnectionSupervision(StationTable& stations, StationSockets& sockets, LinkSender& link,
                          QObject* parent = nullptr);

    // Read once when the console loads.
    void setCurrencySymbol(const QString& symbol) { m_currencySymbol = symbol; }

    // TMRPING, the timer of the rounds, stopped until start().
    QTimer& timer() { return m_timer; }
    void start() { m_timer.start(); }

    // One whole round at once, as the tests drive it.
    void tick();
    // How many slices a round over `stations` stations is served in.
    static int slicesFor(int stations);

signals:
    // A slice of a round was served, in this many nanoseconds (what the benchmark looks at).
    void sliceServed(qint64 nanoseconds);

private:
    // The timer's round: its first slice now, the others spread over the interval.
    void round();
    // Slice `slice` of `slices` of the stations as they are now.
    void serveSlice(int slice, int slices);
    void serve(int begin, int end);
    void setLinkState(int index, const QString& state);

    StationTable& m_stations;
    StationSockets& m_sockets;
    LinkSender& m_link;
    QString m_currencySymbol;
    QTimer m_timer;
};

} // namespace kestrel
