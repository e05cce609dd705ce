#include "supervision.h"

#include "linksender.h"
#include "stations/display.h"
#include "stations/stationtable.h"
#include "stationsockets.h"

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

ConnectionSupervision::ConnectionSupervision(StationTable& stations, StationSockets& sockets,
                                             LinkSender& link, QObject* parent)
    : QObject(parent), m_stations(stations), m_sockets(sockets), m_link(link)
{}

void ConnectionSupervision::tick()
{
    for (int i = 0; i < m_stations.count(); ++i) {
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
}

void ConnectionSupervision::setLinkState(int index, const QString& state)
{
    // Only a change is written, so an unchanged row is not redrawn every round.
    if (m_stations.at(index).LSTESTTUS != state)
        m_stations.update(index, [&](Station& s) { s.LSTESTTUS = state; });
}

} // namespace kestrel
