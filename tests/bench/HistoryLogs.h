#pragma once

// Five years of daily logs in the bytes WriteCaptureLog writes: Japanese and
// ASCII names, 40-odd sites, five folders, the same on every run. What the
// history benchmarks search and scripts/measure.sh's homes hold.

#include <QDate>
#include <QString>

#include <string>

namespace kelvo::bench {

inline constexpr int kHistoryDays = 1826;
inline const QDate kHistoryLastDay(2024, 12, 31);

// A word that one site's addresses hold and no other value can: a search for
// it finds about 2% of the rows.
inline constexpr const char* kSelectiveWord = "tsukimi";

// The first `rows` rows of a day of perDay captures, header included.
std::string DayLogBytes(const QDate& day, int perDay, int rows);

// A day as its log's name spells it: 20241231.
QString DayText(const QDate& day);

// Whether WriteCaptureLog, given the generated rows, writes the bytes the
// generator makes: a figure measured on logs of another shape would say
// nothing. False also when the check cannot write its own log.
bool SameBytesAsCaptureLog();

// Writes the log of every day of the five years into home, perDay rows each,
// replacing logs already there. False when a log cannot be written.
bool WriteHistoryLogs(const QString& home, int perDay);

} // namespace kelvo::bench
