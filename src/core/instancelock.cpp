#include "instancelock.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace kestrel {

namespace {

// Opens or makes the lock file. On failure errno is that of making it, which names the cause
// (a folder without write permission), not that of the read-only try after it.
int openLockFile(const QByteArray& name)
{
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0)
        return fd;
    const int error = errno;
    fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC); // a read-only descriptor locks as well
    if (fd < 0)
        errno = error;
    return fd;
}

// Why the lock file could not be made, in the operator's words where the cause is permission.
QString openError(int error, const QString& path)
{
    const QString folder = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
    if (error == EROFS)
        return u"la carpeta "_s + folder + u" está en un disco de solo lectura"_s;
    if ((error == EACCES || error == EPERM) && !QFileInfo::exists(path))
        return u"no hay permiso de escritura en la carpeta "_s + folder;
    if (error == EACCES || error == EPERM)
        return u"sin permiso sobre el archivo"_s;
    if (error == ENOENT)
        return u"no existe la carpeta "_s + folder;
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

InstanceLock::~InstanceLock()
{
    release();
}

InstanceLock::Result InstanceLock::acquire(const QString& path)
{
    release();
    m_path = path;
    m_error.clear();
    const QByteArray name = QFile::encodeName(path);
    int fd = openLockFile(name);
    if (fd < 0 && errno == EACCES) {
        // Unreadable (left with no permissions, or by someone else): a file in use would be
        // readable by its user, so it is replaced.
        ::unlink(name.constData());
        fd = openLockFile(name);
    }
    if (fd < 0) {
        m_error = openError(errno, path);
        return Result::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return Result::Held;
        m_error = QString::fromLocal8Bit(std::strerror(error));
        return Result::Failed;
    }
    m_fd = fd;
    const QByteArray holder = QByteArray::number(QCoreApplication::applicationPid()) + ' ' +
                              QSysInfo::machineHostName().toUtf8() + '\n';
    if (::ftruncate(fd, 0) == 0 && ::write(fd, holder.constData(), size_t(holder.size())) < 0) {
        // Only informative: a read-only lock file holds the lock just as well.
    }
    return Result::Acquired;
}

void InstanceLock::release()
{
    if (m_fd >= 0) {
        ::close(m_fd); // the lock goes with the descriptor; the file stays for the next start
        m_fd = -1;
    }
}

QString InstanceLock::userLockPath()
{
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return QDir(dir).filePath(u"kestrel-console.lock"_s);
}

} // namespace kestrel
