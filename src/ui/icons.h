#pragma once

#include <QIcon>
#include <QString>

namespace kestrel {

// The console's image list, drawn at run time: a key gives the same icon every time.
// Station rows: "imghabilitar" (busy, connected), "imgbloqueado" (free, connected),
// "imgdesconectado" (not connected).
QIcon iconForKey(const QString& key);

} // namespace kestrel
