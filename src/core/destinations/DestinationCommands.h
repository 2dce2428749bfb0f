#pragma once

#include "destinations/DestinationList.h"

#include <QCoreApplication>

#include <optional>

namespace kelvo {

class Prompter;

// What the destination editor shows when it opens.
struct EditorFill {
    QString identifier;
    QString folder;
    bool okEnabled = false;
};

// The destination editor: an identifier, a folder picked with the folder
// chooser, OK and Cancel.
class DestinationEditor {
public:
    virtual ~DestinationEditor() = default;
    // Shows the editor modally. With a fill its fields are set first; without
    // one it shows what it showed last. Returns the identifier and the folder
    // as they stand when closed with OK.
    virtual std::optional<SaveDestination> Run(const QString& caption,
                                               const std::optional<EditorFill>& fill) = 0;
};

// The views of the destination list, as the commands need them.
class DestinationViews {
public:
    virtual ~DestinationViews() = default;
    // The text the command acts on: the selected row of the settings dialog's
    // list while that dialog is active, else the selected tree entry; empty
    // when nothing is selected.
    virtual QString SelectedText() const = 0;
    // Selecting the tree entry makes its destination current when the
    // selection changes.
    virtual void SelectInTree(int position) = 0;
    virtual void SelectInList(int position) = 0;
    // Makes the tree's selected entry current again.
    virtual void RefreshCurrent() = 0;
};

// Why a folder whose name holds a line break (or another control character)
// is not taken: its line in kelvo.ini and the list files would split.
QString ControlCharacterFolderText();

// Why a capture asked for a destination the list no longer has.
QString NoSuchDestinationText(const QString& identifier);

// Identifier as typed; else the folder's last part; else the whole folder.
QString DeriveIdentifier(const QString& typed, const QString& folder);

// Add, edit and delete, on the list and its views.
class DestinationCommands {
    Q_DECLARE_TR_FUNCTIONS(DestinationCommands)

public:
    DestinationCommands(DestinationList& list, DestinationViews& views, DestinationEditor& editor,
                        Prompter& prompter);

    void Action1Execute(); // add
    void Action2Execute(); // edit
    void Action3Execute(); // delete

    int RetryCount() const { return retryCount_; }

private:
    bool AskToCorrectControlCharacters();
    DestinationList& list_;
    DestinationViews& views_;
    DestinationEditor& editor_;
    Prompter& prompter_;
    int retryCount_ = 0;
};

} // namespace kelvo
