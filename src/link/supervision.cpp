#include "supervision.h"

#include "linksender.h"
#include "stations/display.h"
#include "stations/stationtable.h"
#include "stationsockets.h"

#include <QElapsedTimer>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

ConnectionSupervision::ConnectionSupervision(StationTable& stations, StationSockets& sockets,
                                             LinkSender& link, QObject* parent)
    : QObject(parent), m_stations(stations), m_sockets(sockets), m_link(link)
{
    m_timer.setObjectName(u"TMRPING"_s);
    m_timer.setInterval(IntervalMs);
    m_timer.setTimerType(TimerType);
    connect(&m_timer, &QTimer::timeout, this, &ConnectionSupervision::round);
}

void ConnectionSupervision::tick()
{
    serve(0, m_stations.count());
}

int ConnectionSupervision::slicesFor(int stations)
{
    return std::clamp((stations + SliceStations - 1) / SliceStations, 1, MaxSlices);
}

void ConnectionSupervision::round()
{
    const int slices = slicesFor(m_stations.count());
    serveSlice(0, slices);
    for (int slice = 1; slice < slices; ++slice)
        QTimer::singleShot(m_timer.interval() * slice / slices, TimerType, this,
                           [this, slice, slices] { serveSlice(slice, slices); });
}

void ConnectionSupervision::serveSlice(int slice, int slices)
{
    // Taken from the stations there are now: one added or removed meanwhile at worst moves a
    // station to the neighbouring slice for one round.
    const int count = m_stations.count();
    serve(count * slice / slices, count * (slice + 1) / slices);
}

void ConnectionSupervision::serve(int begin, int end)
{
    QElapsedTimer clock;
    clock.start();
    for (int i = begin; i < std::min(end, m_stations.count()); ++i) {
        if (!m_sockets.exists(i))
            continue;
        switch (m_sockets.state(i)) {
        case StationSockets::State::Closed:
            m_sockets.connectTo(i, m_stations.at(i).LSTIPS);
            break;
        case StationSockets::State::Connected:
            m_link.send(i, u"SENDSTAT"_s,
                        LinkSender::statusFields(m_stations.at(i), m_currencySymbol));
            setLinkState(i, u"1"_s);
            break;
        case StationSockets::State::Other:
            setLinkState(i, u"0"_s);
            m_sockets.close(i);
            break;
        }
        UPDATEICONS(m_stations, i);
    }
    emit sliceServed(clock.nsecsElapsed());
}

void ConnectionSupervision::setLinkState(int index, const QString& state)
{
    // Only a change is written, so an unchanged row is not redrawn every round.
    if (m_stations.at(index).LSTESTTUS != state)
        m_stations.update(index, [&](Station& s) { s.LSTESTTUS = state; });
}

} // namespace kestrel
