#pragma once

#include <QString>

#include <optional>

namespace kestrel {

// Makes a new data store in `dataDir`, the folder included when it does not exist; with `demo`,
// filled with the demo café, the CUPS server's printers (where one answers) priced. Never
// overwrites a store. Returns the reason on failure, for the operator.
std::optional<QString> createDataStore(const QString& dataDir, bool demo);

} // namespace kestrel
