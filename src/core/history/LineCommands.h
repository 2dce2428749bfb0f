#pragma once

#include <QString>

namespace kelvo {

// The history window's line commands, and the texts around its list.

// "履歴と画像閲覧 - ケルボ": the history window's caption while no line is selected.
QString HistoryCaption();
// 列挙中...3: while a day is being listed.
QString ListingProgressText(int lines);
// "12 個の履歴情報": once it is listed.
QString ListingCountText(int lines);
// 検索中...12 個 (3 日分): while the history is being searched.
QString SearchProgressText(int lines, int days);
// "12 個の履歴情報 (3 日分)": once it is searched.
QString SearchCountText(int lines, int days);
// Under the tree while a search's lines are listed.
QString SearchDayStatus();
// A dropped file no log row saved.
QString NoCaptureOfFilesText();
// No capture of the same or a similar picture is known (or the capture is not
// indexed yet).
QString NoSamePicturesText();
// Logs a search could not read.
QString UnreadableLogsText(int logs);
// Shown in place of the preview when the selected line's file is gone.
QString MissingFileText();

// Which of the history window's line commands are enabled.
struct LineCommands {
    bool open = false;     // Action21, and the preview's double-click
    bool first = false;    // Action8
    bool previous = false; // Action9
    bool next = false;     // Action10
    bool last = false;     // Action11
    bool folder = false;   // Action17
    bool address = false;  // Action18 to Action20
    bool file = false;     // Action2 (rename) and Action4 (copy the picture)
    bool pictures = false; // the same and similar pictures
};

// For the line at position (from 0) of count lines; nothing is enabled for a
// position that is no line.
LineCommands LineCommandsFor(int position, int count, bool fileExists, bool hasAddress);

// The folder the shell is asked to open for a line's 保存先フォルダ: up to and
// including its last separator, or the text as it is when it has none (a
// folder written on Windows).
QString FolderToOpen(const QString& storedFolder);

} // namespace kelvo
