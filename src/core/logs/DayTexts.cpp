#include "logs/DayTexts.h"

namespace kelvo {

// Quoted so that the kanji can never be taken for format letters.
QString MonthText(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyy'年'MM'月'"));
}

QString DayText(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyyMMdd"));
}

// By position, like the folder names: a text that is no day stays no day.
QString MonthTextOfDay(const QString& dayText) {
    return dayText.left(4) + u'年' + dayText.mid(4, 2) + u'月';
}

QString DayCaption(const QString& dayText) {
    return MonthTextOfDay(dayText) + dayText.mid(6, 2) + u'日';
}

} // namespace kelvo
