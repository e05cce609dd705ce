#pragma once

#include <QString>

namespace kestrel {

class OperatorSession;
class Settings;
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
    bool open = true;        // toolbar "Habilitar" (opopen)
    bool lock = true;        // toolbar "Bloquear" (opclose)
    bool charge = true;      // toolbar "Cobrar" (opcobrar)
    bool mode = true;        // toolbar "Modo" (Modo)
    bool addTime = true;     // toolbar "Aumentar" (cmdaumen)
    bool swap = true;        // toolbar "Intercambiar" (cmdinterc)
    bool menuOpen = true;    // "1.       Habilitar" (smnuAbrir)
    bool menuLock = true;    // "2.       Bloquear" (smnucerrar)
    bool menuAddTime = true; // "3.       Aumentar tiempo" (submnutm)
    bool menuSwap = true;    // "4.       Intercambiar" (smnuIntercambiar)

    bool operator==(const StationCommands&) const = default;
};

// Which station commands to enable for the selected station (index, -1 for none), starting from
// the current ones: with no station or no selection nothing changes.
StationCommands EnDisOpc(const StationTable& stations, int selected, const OperatorSession& session,
                         StationCommands current);

// What the display settings show of the console. Widths are in twips (1440 to the inch); a width
// of 0 or less hides its column.
struct DisplayLayout {
    bool messages = true;      // "Visualizacion0": message panel
    bool volume = true;        // 1: volume panel
    bool journal = true;       // 2: journal grid and pending print list
    bool search = true;        // 3: search box
    double subTwips = 1000;    // 4: column "Sub", value x 1000
    bool chargeButton = true;  // 5: toolbar button "Cobrar"
    bool modeButton = true;    // 6: toolbar button "Modo"
    bool sellButton = true;    // 7: toolbar button "Vender"
    bool optionsButton = true; // 8: toolbar button "Configuracion"
    double userTwips = 1440;   // 9: column "Usuario", value x 1440
    bool promo = true;         // 10: promotional panel

    bool operator==(const DisplayLayout&) const = default;
};

// Reads the display settings ("Visualizacion0" to "Visualizacion10") into what the console shows.
DisplayLayout Visualizacion(const Settings& settings);

// Twips at a screen resolution in dots per inch, rounded to whole pixels; never negative.
int twipsToPixels(double twips, double dotsPerInch);

} // namespace kestrel
