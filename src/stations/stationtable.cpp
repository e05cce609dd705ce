#include "stationtable.h"

namespace kestrel {

void StationTable::setStations(std::vector<Station> stations)
{
    m_stations = std::move(stations);
    emit stationsReset();
}

} // namespace kestrel
