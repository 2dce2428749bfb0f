#include "history/DayTexts.h"

namespace kelvo {

// Quoted so that the kanji can never be taken for format letters.
QString MonthText(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyy'年'MM'月'"));
}

QString DayText(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyyMMdd"));
}

} // namespace kelvo
