#pragma once

#include <QWidget>

class QSlider;
class QTreeView;

namespace kestrel {

class ActionStore;
class StationListModel;
class StationTable;

// The console's "  Puestos" panel (panelpuestos): the station list, "Limpiar" for the counters
// of the free stations and "Velocidad" for the metering interval.
class StationPanel final : public QWidget {
    Q_OBJECT
public:
    StationPanel(StationTable& stations, ActionStore& actions, QWidget* parent = nullptr);

    // LSTPCS, the station list.
    QTreeView* list() const { return m_list; }
    // Index of the selected station, -1 when none is selected.
    int selectedStation() const;
    // Widths of the columns as the console's load sets them, and the first station selected.
    void resetColumns();
    // Shows column `column` `pixels` wide, or hides it at 0.
    void showColumn(int column, int pixels);

signals:
    // The selection moved, or the list was clicked or keyed: the commands follow.
    void selectionTouched();
    // A right click or the menu key on the list: the station menu at `globalPos`.
    void menuRequested(const QPoint& globalPos);
    // "Velocidad" moved: the metering's interval in milliseconds.
    void speedChanged(int ms);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    StationTable& m_stations;
    StationListModel* m_model = nullptr;
    QTreeView* m_list = nullptr;
    QSlider* m_speed = nullptr;
};

} // namespace kestrel
