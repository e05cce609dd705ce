#include "stationtable.h"

#include <algorithm>

namespace kestrel {

void StationTable::setStations(std::vector<Station> stations)
{
    m_stations = std::move(stations);
    emit stationsReset();
}

void StationTable::insert(int index, Station station)
{
    index = std::clamp(index, 0, count());
    emit stationAboutToBeInserted(index);
    m_stations.insert(m_stations.begin() + index, std::move(station));
    emit stationInserted(index);
}

void StationTable::remove(int index)
{
    if (!isValidIndex(index))
        return;
    emit stationAboutToBeRemoved(index);
    m_stations.erase(m_stations.begin() + index);
    emit stationRemoved(index);
}

} // namespace kestrel
