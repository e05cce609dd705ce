#include "ui/console/stationlistmodel.h"

#include "stations/stationtable.h"
#include "ui/common/icons.h"

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

StationListModel::StationListModel(StationTable& stations, QObject* parent)
    : QAbstractTableModel(parent), m_stations(stations)
{
    connect(&m_stations, &StationTable::stationsReset, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(&m_stations, &StationTable::stationAboutToBeInserted, this,
            [this](int i) { beginInsertRows({}, i, i); });
    connect(&m_stations, &StationTable::stationInserted, this, [this] { endInsertRows(); });
    connect(&m_stations, &StationTable::stationAboutToBeRemoved, this,
            [this](int i) { beginRemoveRows({}, i, i); });
    connect(&m_stations, &StationTable::stationRemoved, this, [this] { endRemoveRows(); });
    connect(&m_stations, &StationTable::stationChanged, this,
            [this](int i) { emit dataChanged(index(i, 0), index(i, ColumnCount - 1)); });
    connect(&m_stations, &StationTable::allStationsChanged, this, [this] {
        if (m_stations.count() > 0)
            emit dataChanged(index(0, 0), index(m_stations.count() - 1, ColumnCount - 1));
    });
}

int StationListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_stations.count();
}

int StationListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant StationListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_stations.isValidIndex(index.row()))
        return {};
    const Station& s = m_stations.at(index.row());
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case Pc:
            return s.pc;
        case Tiempo:
            return s.tiempo;
        case Modo:
            return s.modo;
        case Usuario:
            return s.usuario;
        case Sub:
            return s.sub;
        case Total:
            return s.total;
        default:
            return {};
        }
    }
    if (role == Qt::DecorationRole && index.column() == Pc)
        return iconForKey(s.icon);
    if (role == Qt::TextAlignmentRole && (index.column() == Sub || index.column() == Total))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant StationListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole && (section == Sub || section == Total))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    static const QStringList captions = {u"PC"_s,      u"Tiempo"_s, u"Modo"_s,
                                         u"Usuario"_s, u"Sub"_s,    u"Total"_s};
    return captions.value(section);
}

} // namespace kestrel
