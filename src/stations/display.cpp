#include "display.h"

#include "operators/operatorsession.h"
#include "station.h"
#include "stationtable.h"

namespace kestrel {

QString iconKey(const Station& station)
{
    if (station.LSTESTTUS != u"1")
        return StationIcon::Unlinked;
    return station.modo.isEmpty() ? StationIcon::Free : StationIcon::Busy;
}

void UPDATEICONS(StationTable& stations, int index)
{
    if (!stations.isValidIndex(index))
        return;
    const QString key = iconKey(stations.at(index));
    if (stations.at(index).icon != key)
        stations.update(index, [&](Station& s) { s.icon = key; });
}

StationCommands EnDisOpc(const StationTable& stations, int selected, const OperatorSession& session,
                         StationCommands c)
{
    if (stations.count() == 0 || !stations.isValidIndex(selected))
        return c;
    c.intercambiar = c.menuIntercambiar = stations.count() > 1;

    const Station& s = stations.at(selected);
    if (s.modo.isEmpty()) {
        c.habilitar = c.menuHabilitar = true;
        c.bloquear = c.cobrar = c.modo = c.aumentar = false;
        c.menuBloquear = c.menuAumentar = false;
        return c;
    }
    c.modo = c.bloquear = true;
    c.habilitar = false;
    c.cobrar = s.usuario.isEmpty();
    c.aumentar = session.has(Right::IncrementAccounts);
    c.menuHabilitar = false;
    c.menuBloquear = true;
    if (s.modo == StationMode::Prepaid) {
        c.menuAumentar = true;
        if (!s.usuario.isEmpty())
            c.modo = false;
    } else {
        c.aumentar = c.menuAumentar = false;
    }
    return c;
}

} // namespace kestrel
