#include "counters.h"

#include "core/numbers.h"
#include "core/timetext.h"
#include "stationtable.h"

namespace kestrel {

void clearFreeCounters(StationTable& stations)
{
    const QString zero = formatAmount(0);
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
}

} // namespace kestrel
