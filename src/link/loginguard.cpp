#include "loginguard.h"

#include "core/names.h"

#include <algorithm>

namespace kestrel {

bool LoginGuard::held(const QString& user, const QDateTime& now) const
{
    const auto it = m_records.constFind(nameKey(user));
    if (it == m_records.cend())
        return false;
    const qint64 left = it->heldUntil - now.toMSecsSinceEpoch();
    // A clock set back never makes a hold longer than the longest one.
    return left > 0 && left <= LongestHoldMs;
}

qint64 LoginGuard::failed(const QString& user, const QDateTime& now)
{
    const qint64 t = now.toMSecsSinceEpoch();
    Record& r = m_records[nameKey(user)];
    std::erase_if(r.failures, [t](qint64 f) { return f <= t - WindowMs || f > t; });
    r.failures.push_back(t);
    if (int(r.failures.size()) < MaxFailures)
        return 0;
    const qint64 hold = std::min(FirstHoldMs << std::min(r.holds, 10), LongestHoldMs);
    r.failures.clear();
    r.heldUntil = t + hold;
    ++r.holds;
    return hold;
}

void LoginGuard::succeeded(const QString& user)
{
    m_records.remove(nameKey(user));
}

} // namespace kestrel
