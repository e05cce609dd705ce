#include "newstore.h"

#include "core/datastore.h"
#include "core/demodata.h"
#include "printing/cupsspooler.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

std::optional<QString> createDataStore(const QString& dataDir, bool demo)
{
    QDir().mkpath(dataDir); // asked to create a store there: the folder comes with it
    const QString path = DataStore::pathIn(dataDir);
    if (auto error = DataStore::create(path))
        return error;
    if (!demo)
        return std::nullopt;
    DataStore store;
    auto error = store.open(path);
    if (!error)
        error = seedDemoCafe(store.database(), CupsSpooler().printers());
    if (error)
        return u"No se pudo cargar el café de ejemplo:\n"_s + *error;
    return std::nullopt;
}

} // namespace kestrel
