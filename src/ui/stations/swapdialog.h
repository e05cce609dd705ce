#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;

namespace kestrel {

class ActionStore;
class Prompts;
class StationTable;

// frmintercambiar, "Intercambiar puesto": the selected station's session moves to the one chosen
// in "Con el puesto:".
class SwapDialog final : public QDialog {
    Q_OBJECT
public:
    SwapDialog(StationTable& stations, ActionStore& actions, Prompts& prompts,
               QWidget* parent = nullptr);

    // Interchangepues: fills the destinations for the station at `source` and shows the dialog
    // modally. False, without showing it, when there is nothing to swap with.
    bool Interchangepues(int source);

    // "&Intercambiar": false when nothing was exchanged (no destination, or refused by the store).
    bool intercambiar();

    QListWidget* destinations() const { return m_destinations; }
    QCheckBox* holdBox() const { return m_hold; }
    QLabel* sourceLabel() const { return m_source; }

private:
    StationTable& m_stations;
    ActionStore& m_actions;
    Prompts& m_prompts;
    int m_sourceIndex = -1;
    QLabel* m_source = nullptr;
    QListWidget* m_destinations = nullptr;
    QCheckBox* m_hold = nullptr;
};

} // namespace kestrel
