#pragma once

#include <QDateTime>

namespace kelvo {

class Clock {
public:
    virtual ~Clock() = default;
    // Local date and time.
    virtual QDateTime Now() const = 0;
};

class SystemClock : public Clock {
public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};

} // namespace kelvo
