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

} // namespace kestrel
