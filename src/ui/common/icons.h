#pragma once

#include <QIcon>
#include <QString>

namespace kestrel {

// The console's image list, drawn at run time: a key gives the same icon every time.
// Station rows: "imghabilitar" (busy, connected), "imgbloqueado" (free, connected),
// "imgdesconectado" (not connected). Toolbar: "imgcobrar", "imgmodo", "imgaumen", "imginter",
// "icarticulos", "imgconfig". An unknown key gives an empty icon.
QIcon iconForKey(const QString& key);

} // namespace kestrel
