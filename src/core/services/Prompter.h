#pragma once

#include "collection/CaptureCollection.h"

#include <QString>

#include <optional>

namespace kelvo {

// What the user chose in the name-clash dialog. None: no button was pressed
// yet in this run.
enum class ClashChoice { None, ManualRename, AutoRename, DontSave };

// The two files of a name clash: the one already in the folder and the one
// being captured, shown under the same clean name.
struct ClashFiles {
    QString existingPath;
    QString newPath;
    QString cleanName;
};

// A picture about to be saved again: the earlier capture of the same bytes and
// the file being captured.
struct SameContentFiles {
    EarlierCapture earlier;
    QString newPath;
};

// Everything that asks the user something or tells them something. Logic gets
// one by its constructor; tests pass a scripted one.
class Prompter {
public:
    virtual ~Prompter() = default;
    // A modal notice with one OK button, captioned "ケルボ".
    virtual void Notice(const QString& text) = 0;
    // A Yes/No question captioned "ケルボ"; only Yes gives true.
    virtual bool Ask(const QString& text) = 0;
    // The clash dialog. Closing it without a button gives DontSave.
    virtual ClashChoice ChooseClash(const ClashFiles& files) = 0;
    // The same-picture dialog: true for 保存する. Closing it saves nothing.
    virtual bool ConfirmSameContent(const SameContentFiles& files) = 0;
    // The save dialog for a manual rename; nothing when cancelled.
    virtual std::optional<QString> AskSaveAs(const QString& folder,
                                             const QString& proposedName) = 0;
    // The folder chooser, file-system folders only; nothing when cancelled.
    virtual std::optional<QString> ChooseFolder(const QString& prompt) = 0;
    // A line of text, offered with defaultText; nothing when cancelled. No
    // answer where nobody can type one.
    virtual std::optional<QString> AskText(const QString& title, const QString& label,
                                           const QString& defaultText) {
        (void)title;
        (void)label;
        (void)defaultText;
        return std::nullopt;
    }
};

} // namespace kelvo
