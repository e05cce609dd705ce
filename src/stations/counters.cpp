#include "counters.h"

#include "actionstore.h"
#include "core/numbers.h"
#include "core/timetext.h"
#include "stationtable.h"

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

bool clearFreeCounters(StationTable& stations, ActionStore& actions)
{
    const QString zero = formatAmount(0);
    return actions.run(u"limpiar los contadores"_s, [&](ActionStore::Action&) {
        stations.updateAll([&](int, Station& s) {
            if (!s.modo.isEmpty())
                return;
            s.sub = zero;
            s.tiempo = TimeText::zero();
            s.usuario.clear();
            s.total = zero;
            s.LSTCLWA.clear();
            s.vartipex = zero;
        });
    });
}

bool clearStationCounters(StationTable& stations, ActionStore& actions, int index)
{
    if (!stations.isValidIndex(index))
        return false;
    const QString zero = formatAmount(0);
    return actions.run(u"limpiar el puesto "_s + stations.at(index).pc, [&](ActionStore::Action&) {
        stations.update(index, [&](Station& s) {
            s.tiempo = TimeText::zero();
            s.sub = zero;
            s.total = zero;
            s.vartipex = zero;
        });
    });
}

} // namespace kestrel
