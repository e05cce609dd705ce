#pragma once

#include <QString>

namespace kestrel {

// One running console: an advisory lock (flock) on a file, held for the life of the object and
// dropped by the kernel when the process ends in any way, power cut included. What the file
// holds, who made it and how old it is never matter: a file nobody holds a lock on is free, so a
// leftover lock file never keeps a café from starting.
class InstanceLock {
public:
    enum class Result {
        Acquired, // this process holds the lock
        Held,     // another running process holds it
        Failed,   // the file could not be made or locked (errorText() says why)
    };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock on `path` without waiting. The file is made when missing; one that cannot be
    // opened (no permission, say) is made anew. While held, it names the holder (process and
    // host), for whoever looks.
    Result acquire(const QString& path);
    void release();

    QString path() const { return m_path; }
    QString errorText() const { return m_error; }

    // The per-user lock: one console per user, whatever data folder each one uses, since two
    // consoles would drive the same stations. In $XDG_RUNTIME_DIR (or the platform's runtime
    // folder).
    static QString userLockPath();

private:
    int m_fd = -1;
    QString m_path;
    QString m_error;
};

} // namespace kestrel
