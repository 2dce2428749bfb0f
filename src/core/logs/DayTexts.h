#pragma once

#include <QDateTime>
#include <QString>

namespace kelvo {

// 2006年03月: names a month node of the history tree and a month folder of the logs.
QString MonthText(const QDateTime& time);
// 20060315: names a day node and a daily log file.
QString DayText(const QDateTime& time);
// 20060315 -> 2006年03月, the month folder of that day's log.
QString MonthTextOfDay(const QString& dayText);
// 20060315 -> 2006年03月15日, as the history window names the day it lists.
QString DayCaption(const QString& dayText);

} // namespace kelvo
