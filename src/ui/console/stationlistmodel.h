#pragma once

#include <QAbstractTableModel>

namespace kestrel {

class StationTable;

// The station list "  Puestos": one row per station, columns in display order.
class StationListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Pc, Tiempo, Modo, Usuario, Sub, Total, ColumnCount };

    explicit StationListModel(StationTable& stations, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    StationTable& m_stations;
};

} // namespace kestrel
