#pragma once

#include <QDateTime>

namespace kelvo::testing {

// A moment in local time, as the clock of a capture gives it.
inline QDateTime At(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

} // namespace kelvo::testing
