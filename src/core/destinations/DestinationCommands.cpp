#include "destinations/DestinationCommands.h"

#include "files/PathParts.h"
#include "services/Prompter.h"
#include "text/PathText.h"

#include <QCoreApplication>

namespace kelvo {

namespace {

const QChar kSeparator = QLatin1Char(kPathSeparator);

} // namespace

QString ControlCharacterFolderText() {
    return QCoreApplication::translate(
        "DestinationCommands", "改行などの制御文字を名前に含むフォルダは保存先にできません。"
                               "別のフォルダを選んでください。");
}

// Printed by kelvo capture, also for a window that captured in its place: the
// program's own words, never translated.
QString NoSuchDestinationText(const QString& identifier) {
    return QStringLiteral("保存先 %1 は一覧にありません。").arg(identifier);
}

QString DeriveIdentifier(const QString& typed, const QString& folder) {
    if (!typed.isEmpty())
        return typed;
    // Without a separator the whole text is the last part.
    const QString last = folder.mid(folder.lastIndexOf(kSeparator) + 1);
    return last.isEmpty() ? folder : last;
}

DestinationCommands::DestinationCommands(DestinationList& list, DestinationViews& views,
                                         DestinationEditor& editor, Prompter& prompter)
    : list_(list), views_(views), editor_(editor), prompter_(prompter) {}

void DestinationCommands::Action1Execute() {
    for (;;) {
        // During a retry the editor keeps what the user entered, OK state included.
        std::optional<EditorFill> fill;
        if (retryCount_ == 0)
            fill = EditorFill{};
        const auto entered = editor_.Run(tr("保存先情報の追加"), fill);
        if (!entered || entered->folder.isEmpty())
            return;
        const QString identifier = DeriveIdentifier(entered->identifier, entered->folder);
        if (HasControlCharacter(identifier) || HasControlCharacter(entered->folder)) {
            if (AskToCorrectControlCharacters())
                continue;
            return;
        }

        if (list_.FindByIdentifier(identifier) >= 0) {
            ++retryCount_;
            if (prompter_.Ask(tr("同一識別名（%1）が存在する為、追加出来ません。修正しますか？")
                                  .arg(identifier)))
                continue;
            retryCount_ = 0;
            return;
        }

        const int appended = list_.Append({identifier, WithTrailingSeparator(entered->folder)});
        views_.SelectInTree(appended);
        list_.Sort();
        // The tree selected the new destination at its old position; the
        // current position must follow it to where sorting moved it.
        views_.RefreshCurrent();
        views_.SelectInList(list_.FindByIdentifier(identifier));
        retryCount_ = 0;
        return;
    }
}

void DestinationCommands::Action2Execute() {
    for (;;) {
        const int target = list_.FindByIdentifier(views_.SelectedText());
        if (target < 0)
            return;
        const SaveDestination stored = list_.At(target);
        const auto entered =
            editor_.Run(tr("保存先情報の編集"), EditorFill{stored.identifier, stored.folder, true});
        if (!entered || entered->folder.isEmpty())
            return;
        const QString identifier = DeriveIdentifier(entered->identifier, entered->folder);
        const QString folder = WithTrailingSeparator(entered->folder);
        if (HasControlCharacter(identifier) || HasControlCharacter(folder)) {
            if (AskToCorrectControlCharacters())
                continue;
            return;
        }

        // The look-up ignores case, so it also finds the edited destination
        // itself: only an unchanged identifier may keep it.
        if (list_.FindByIdentifier(identifier) < 0 || stored.identifier == identifier) {
            list_.Replace(target, {identifier, folder});
            views_.RefreshCurrent();
            return;
        }
        if (!prompter_.Ask(
                tr("同一識別名（%1）が存在する為、編集出来ません。修正しますか？").arg(identifier)))
            return;
    }
}

void DestinationCommands::Action3Execute() {
    if (list_.Count() == 1) {
        prompter_.Notice(tr("保存先は最低１つ必要な為\n削除出来ません。"));
        return;
    }
    int position = list_.FindByIdentifier(views_.SelectedText());
    if (position < 0)
        return;
    if (!prompter_.Ask(
            tr("識別情報（%1）を削除します。よろしいですか？").arg(list_.At(position).identifier)))
        return;
    list_.Remove(position);
    if (position == list_.Count())
        --position;
    views_.SelectInList(position);
    views_.SelectInTree(position);
}

// A line break would split the destination's line in the settings and the
// tree files, and set whatever the next line says.
bool DestinationCommands::AskToCorrectControlCharacters() {
    ++retryCount_;
    if (prompter_.Ask(tr("識別名と保存先フォルダに改行などの制御文字は使えません。"
                         "修正しますか？")))
        return true;
    retryCount_ = 0;
    return false;
}

} // namespace kelvo
