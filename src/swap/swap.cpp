#include "swap.h"

#include "stations/actionstore.h"
#include "stations/display.h"
#include "stations/stationtable.h"

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace kestrel::Swap {

std::vector<Destination> destinations(const StationTable& stations, int selectedIndex)
{
    std::vector<Destination> list;
    for (int i = 0; i < stations.count(); ++i) {
        if (i != selectedIndex)
            list.push_back({stations.at(i).pc, StationTable::rowOfIndex(i)});
    }
    return list;
}

void hold(StationTable& stations, int index)
{
    stations.update(index, [](Station& s) {
        if (s.LSTCLWA == u"1"_s)
            s.LSTCLWA = u"2"_s;
        else if (s.LSTCLWA == u"3"_s)
            s.LSTCLWA = u"4"_s;
        if (!s.modo.isEmpty())
            s.modo = StationMode::Waiting;
    });
}

bool exchange(ActionStore& actions, StationTable& stations, int source, int destination,
              bool withHold)
{
    if (!stations.isValidIndex(source) || !stations.isValidIndex(destination) ||
        source == destination)
        return false;
    const QString what = u"intercambiar los puestos "_s + stations.at(source).pc + u" y "_s +
                         stations.at(destination).pc;
    const bool done = actions.run(what, [&](ActionStore::Action&) {
        if (withHold) {
            hold(stations, source);
            hold(stations, destination);
        }
        Station from = stations.at(source);
        Station to = stations.at(destination);
        const auto session = [](Station& s) {
            return std::tie(s.tiempo, s.modo, s.sub, s.LSTTARBAS, s.usuario, s.total, s.LSTCLWA,
                            s.vartipex, s.vartipex2, s.vartipex3, s.TARIFM, s.TARFC);
        };
        auto fromSession = session(from);
        auto toSession = session(to);
        fromSession.swap(toSession);
        stations.update(source, [&](Station& s) { s = from; });
        stations.update(destination, [&](Station& s) { s = to; });
    });
    // The icons follow the modes that moved.
    UPDATEICONS(stations, source);
    UPDATEICONS(stations, destination);
    return done;
}

} // namespace kestrel::Swap
