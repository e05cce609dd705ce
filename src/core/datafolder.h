#pragma once

#include <QString>

namespace kestrel {

// Where the data store lives when no --data-dir is given. A console installed in
// `installedBinDir` writes per user: `xdgDataHome`/kestrel when that is an absolute path (a
// relative one is ignored, as the XDG rule says), else `home`/.local/share/kestrel. A console run
// from anywhere else (its build tree, a copy) keeps its data beside the program, in `programDir`.
QString defaultDataFolder(const QString& programDir, const QString& installedBinDir,
                          const QString& xdgDataHome, const QString& home);

} // namespace kestrel
