#pragma once

#include "station.h"

#include <QObject>

#include <vector>

namespace kestrel {

// The station table: one record per station, in the order of the station list. Row r of the
// list (counted from 1) is index r - 1 of the table, of the connections and of every other
// per-station list; rowOfIndex/indexOfRow are the only places that know it.
class StationTable : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    static constexpr int indexOfRow(int row) { return row - 1; }
    static constexpr int rowOfIndex(int index) { return index + 1; }

    int count() const { return int(m_stations.size()); }
    bool isValidIndex(int index) const { return index >= 0 && index < count(); }
    const Station& at(int index) const { return m_stations.at(std::size_t(index)); }
    const std::vector<Station>& stations() const { return m_stations; }

    void setStations(std::vector<Station> stations);
    // A station added at index (clamped to the table), the ones from there on moving down.
    void insert(int index, Station station);
    // The station at index leaves; the ones behind it move up. An invalid index does nothing.
    void remove(int index);

    // Changes one station and tells the views.
    template <typename Change> void update(int index, Change&& change)
    {
        change(m_stations.at(std::size_t(index)));
        emit stationChanged(index);
    }

    // Changes every station, change(index, station), and tells the views once.
    template <typename Change> void updateAll(Change&& change)
    {
        for (std::size_t i = 0; i < m_stations.size(); ++i)
            change(int(i), m_stations[i]);
        emit allStationsChanged();
    }

signals:
    void stationsReset();
    // Around insert() and remove(), so views can keep their selection on the same stations.
    void stationAboutToBeInserted(int index);
    void stationInserted(int index);
    void stationAboutToBeRemoved(int index);
    void stationRemoved(int index);
    void stationChanged(int index);
    void allStationsChanged();

private:
    std::vector<Station> m_stations;
};

} // namespace kestrel
