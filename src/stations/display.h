#pragma once

#include <QString>

namespace kestrel {

class OperatorSession;
class StationTable;
struct Station;

namespace StationIcon {
inline const QString Busy = QStringLiteral("imghabilitar");        // session, agent connected
inline const QString Free = QStringLiteral("imgbloqueado");        // free, agent connected
inline const QString Unlinked = QStringLiteral("imgdesconectado"); // agent not connected
} // namespace StationIcon

// The icon key a station's row shows, from its mode and link state.
QString iconKey(const Station& station);

// Gives the row of station index the icon of its mode and link state. An unchanged icon is not
// set again, so the row is not redrawn; an index past the table does nothing.
void UPDATEICONS(StationTable& stations, int index);

// Which station commands are enabled: the toolbar buttons and the entries of "&Puestos".
struct StationCommands {
    bool habilitar = true;
    bool bloquear = true;
    bool cobrar = true;
    bool modo = true;
    bool aumentar = true;
    bool intercambiar = true;
    bool menuHabilitar = true;
    bool menuBloquear = true;
    bool menuAumentar = true;
    bool menuIntercambiar = true;

    bool operator==(const StationCommands&) const = default;
};

// The commands for the selected station (index, -1 for none), starting from the current ones:
// with no station or no selection nothing changes.
StationCommands EnDisOpc(const StationTable& stations, int selected, const OperatorSession& session,
                         StationCommands current);

} // namespace kestrel
