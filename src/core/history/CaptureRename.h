#pragma once

#include <QString>

namespace kelvo {

// A captured file to be renamed, and the day's log that lists it.
struct CaptureRenaming {
    QString logPath;
    QString folder;  // 保存先フォルダ as listed, ending in the separator
    QString oldName; // ファイル名 as listed
    QString newName; // as the user typed it
};

enum class RenameOutcome {
    Renamed,
    Unchanged,        // the same name: nothing to do
    ExtensionChanged, // refused: "拡張子の変更は出来ません。"
    InvalidName,      // empty, a folder part, "." or "..", a control character
    NameTaken,        // a file of that name exists
    FileMissing,      // the file is gone
    RenameFailed,     // the file system refused
    LogNotWritten,    // the log could not be rewritten; the file keeps its name
    LogDamaged        // the log has lines no row could be read from: never rewritten
};

// Renames the file on disk without ever replacing another file, then rewrites
// the log rows that name it (ファイル名 and 保存先フォルダ both equal) through
// the table store's atomic save. When the log cannot be rewritten the file is
// given its old name back, so the file and its log never disagree.
RenameOutcome RenameCapture(const CaptureRenaming& renaming);

// The notice for an outcome that refused or failed; empty for Renamed and
// Unchanged.
QString RenameOutcomeText(RenameOutcome outcome, const CaptureRenaming& renaming);

} // namespace kelvo
