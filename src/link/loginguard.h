#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

#include <vector>

namespace kestrel {

// Slows down guessing of account passwords from the stations. After MaxFailures wrong passwords
// for one account within Window (from any station, the name in any letter case), the account is
// held for FirstHold; each further hold lasts twice the one before, up to LongestHold. A right
// password outside a hold clears the account's record. The record lives in memory only: a
// restart of the console forgets it.
class LoginGuard {
public:
    static constexpr int MaxFailures = 5;
    static constexpr qint64 WindowMs = 10 * 60 * 1000;
    static constexpr qint64 FirstHoldMs = 60 * 1000;
    static constexpr qint64 LongestHoldMs = 15 * 60 * 1000;

    // Whether logins for the account are refused now.
    bool held(const QString& user, const QDateTime& now) const;
    // Counts a wrong password. Returns the length of the hold it starts, 0 when it starts none.
    qint64 failed(const QString& user, const QDateTime& now);
    void succeeded(const QString& user);

private:
    struct Record {
        std::vector<qint64> failures; // times of the wrong passwords since the last hold
        qint64 heldUntil = 0;
        int holds = 0;
    };
    QHash<QString, Record> m_records; // by name key
};

} // namespace kestrel
