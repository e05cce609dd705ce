#include "display.h"

#include "core/operatorsession.h"
#include "core/settings.h"
#include "station.h"
#include "stationtable.h"

#include <algorithm>
#include <cmath>

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
    c.swap = c.menuSwap = stations.count() > 1;

    const Station& s = stations.at(selected);
    if (s.modo.isEmpty()) {
        c.open = c.menuOpen = true;
        c.lock = c.charge = c.mode = c.addTime = false;
        c.menuLock = c.menuAddTime = false;
        return c;
    }
    c.mode = c.lock = true;
    c.open = false;
    c.charge = s.usuario.isEmpty();
    c.addTime = session.has(Right::IncrementAccounts);
    c.menuOpen = false;
    c.menuLock = true;
    if (s.modo == StationMode::Prepaid) {
        c.menuAddTime = true;
        if (!s.usuario.isEmpty())
            c.mode = false;
    } else {
        c.addTime = c.menuAddTime = false;
    }
    return c;
}

DisplayLayout Visualizacion(const Settings& settings)
{
    DisplayLayout d;
    d.messages = settings.displayShown(0);
    d.volume = settings.displayShown(1);
    d.journal = settings.displayShown(2);
    d.search = settings.displayShown(3);
    d.subTwips = settings.displayValue(4) * 1000;
    d.chargeButton = settings.displayShown(5);
    d.modeButton = settings.displayShown(6);
    d.sellButton = settings.displayShown(7);
    d.optionsButton = settings.displayShown(8);
    d.userTwips = settings.displayValue(9) * 1440;
    d.promo = settings.displayShown(10);
    return d;
}

int twipsToPixels(double twips, double dotsPerInch)
{
    if (!(twips > 0) || !(dotsPerInch > 0))
        return 0;
    // A width typed absurdly large in the settings stays a (very) wide column, not an overflow.
    return int(std::lround(std::min(twips * dotsPerInch / 1440.0, 100000.0)));
}

} // namespace kestrel
