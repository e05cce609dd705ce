#pragma once

#include <QDateTime>

namespace kestrel {

// Where the console takes the current date and time from; tests hand in a clock they move.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace kestrel
