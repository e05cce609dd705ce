#include "datafolder.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

QString defaultDataFolder(const QString& programDir, const QString& installedBinDir,
                          const QString& xdgDataHome, const QString& home)
{
    // Both sides resolved, so /bin on a merged /usr or a linked prefix still counts as installed;
    // a folder that does not exist resolves to nothing and is never the installed one.
    const QString program = QFileInfo(programDir).canonicalFilePath();
    if (program.isEmpty() || program != QFileInfo(installedBinDir).canonicalFilePath())
        return programDir;
    const QString base =
        QDir::isAbsolutePath(xdgDataHome) ? xdgDataHome : QDir(home).filePath(u".local/share"_s);
    return QDir::cleanPath(QDir(base).filePath(u"kestrel"_s));
}

} // namespace kestrel
