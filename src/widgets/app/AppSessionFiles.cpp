// What the session reads from the home at its start and writes back: the
// settings file, the destination list and the history tree.

#include "app/AppSession.h"

#include "app/QtPrompter.h"
#include "app/TForm1.h"
#include "common/WindowPlacement.h"
#include "destinations/DestinationFiles.h"
#include "files/TemporaryFile.h"
#include "history/TForm7.h"
#include "indexing/CollectionKeeper.h"
#include "session/HomeFiles.h"
#include "text/PathText.h"
#include "viewer/TForm5.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace kelvo {
namespace {

void WriteBounds(SettingsFile& settings, const WindowSettings& keys, const QRect& bounds,
                 WindowState state) {
    settings.Set(keys.top, bounds.top());
    settings.Set(keys.left, bounds.left());
    settings.Set(keys.width, bounds.width());
    settings.Set(keys.height, bounds.height());
    settings.Set(keys, state);
}

// A window's bounds in its section: the normal ones while it is maximised
// or minimised, and which of the three it is.
void StoreBounds(SettingsFile& settings, const WindowSettings& keys, const QWidget& window) {
    const bool changedState = window.isMaximized() || window.isMinimized();
    WriteBounds(settings, keys, changedState ? window.normalGeometry() : window.geometry(),
                window.isMinimized()   ? WindowState::Minimized
                : window.isMaximized() ? WindowState::Maximized
                                       : WindowState::Normal);
}

// A window never made keeps the bounds it would have been given, and opens
// maximised again or else normal, as one made but never shown would.
void StoreUnmadeBounds(SettingsFile& settings, const WindowSettings& keys) {
    WriteBounds(settings, keys, ReachableStoredBounds(settings, keys),
                settings.State(keys) == WindowState::Maximized ? WindowState::Maximized
                                                               : WindowState::Normal);
}

} // namespace

void AppSession::ReadSettingsFile() {
    settingsFileKept_ = !settings_.Read(SettingsFilePath(home_));
    if (settingsFileKept_)
        startupProblems_ << SettingsFileKeptText(SettingsFilePath(home_));
    browser_.SetPort(settings_.Integer(IntegerSetting::DevToolsPort));
    destination_.ReadFrom(settings_);
    storedIndex_ = destination_.CurrentIndex();
    keptDestinationFlag_ = settings_.Boolean(BooleanSetting::KeptDestinationFlag);
    confirmClose_ = settings_.Boolean(BooleanSetting::ConfirmClose);
    transparencyLevel_ = settings_.Integer(IntegerSetting::TransparencyLevel);
    captureChoices_ = {SameContentRule(settings_.Integer(IntegerSetting::SameContentRule)),
                       settings_.Boolean(BooleanSetting::SourceAttributes)};
    language_ = startLanguage_ = LanguageOf(settings_);
}

// What cannot be read is told once the window shows (ReportStartupProblems).
void AppSession::ReadListsAndTrees() {
    const DestinationsLoaded loaded = LoadStoredDestinations(destinations_, settings_, home_);
    startupProblems_ << loaded.problems;
    listFileKept_ = loaded.listFileKept;
    QString historyProblem;
    if (!history_.Load(HistoryTreeFilePath(home_), &historyProblem))
        startupProblems_ << historyProblem;
}

// The logs' folder is made, and what a killed close, rewrite or drop left
// behind in the home's own folders is removed; the lock is held, so no other
// Kelvo is writing there.
void AppSession::TidyHome() {
    QDir().mkdir(LogsFolderPath(home_));
    RemoveLeftoverTemporaryFiles(LocalPath(home_));
    const QDir logs(LogsFolderPath(home_));
    for (const QString& month : logs.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        RemoveLeftoverTemporaryFiles(LocalPath(logs.filePath(month)));
    intake_.RemoveLeftovers();
}

void AppSession::ReportStartupProblems() {
    for (const QString& problem : std::exchange(startupProblems_, {}))
        prompter_->Notice(problem);
}

// The windows' places and panes: taken at the ends of a run only, so the
// file keeps the last ones taken in between.
void AppSession::StorePlaces() {
    const TForm1& form = *form1_;
    StoreBounds(settings_, kMainWindowSettings, form);
    settings_.Set(IntegerSetting::MainTreeWidth, form.TreePaneWidth());
    settings_.Set(IntegerSetting::MainPreviewHeight, form.PreviewPaneHeight());
    if (const TForm5* viewer = form5_.IfMade())
        StoreBounds(settings_, kViewerWindowSettings, *viewer);
    else
        StoreUnmadeBounds(settings_, kViewerWindowSettings);
    if (const TForm7* browser = form7_.IfMade()) {
        StoreBounds(settings_, kHistoryWindowSettings, *browser);
        settings_.Set(IntegerSetting::HistoryPreviewHeight, browser->PreviewPaneHeight());
        settings_.Set(IntegerSetting::HistoryTreeWidth, browser->TreePaneWidth());
    } else {
        StoreUnmadeBounds(settings_, kHistoryWindowSettings);
        // Its panes keep the sizes read, as an unshown browser's do.
        for (const IntegerSetting pane :
             {IntegerSetting::HistoryPreviewHeight, IntegerSetting::HistoryTreeWidth})
            settings_.Set(pane, settings_.Integer(pane));
    }
}

// Everything else the settings file holds, as the run has it now.
void AppSession::StoreChoices() {
    const TForm1& form = *form1_;
    settings_.Set(BooleanSetting::MenuShown, form.MenuShown());
    settings_.Set(BooleanSetting::TreePaneShown, form.TreePaneShown());
    settings_.Set(StringSetting::DestinationIdentifier, destination_.CurrentIdentifier());
    settings_.Set(IntegerSetting::DestinationIndex, destination_.CurrentIndex());
    settings_.Set(StringSetting::DestinationFolder, destination_.CurrentFolder());
    settings_.Set(BooleanSetting::KeptDestinationFlag, keptDestinationFlag_);
    settings_.Set(BooleanSetting::ConfirmClose, confirmClose_);
    settings_.Set(IntegerSetting::TransparencyLevel, transparencyLevel_);
    // Said once a list file is there to read: a settings file written before
    // it must not send the next start to a missing list.
    if (QFileInfo::exists(DestinationListPath(home_)))
        settings_.Set(BooleanSetting::ListFileWritten, true);
    settings_.Set(IntegerSetting::DevToolsPort, browser_.Port());
    settings_.Set(IntegerSetting::SameContentRule, int(captureChoices_.sameContent));
    settings_.Set(BooleanSetting::SourceAttributes, captureChoices_.sourceAttributes);
    SetLanguage(settings_, language_);
}

// An edited list, and what OK takes, are written at once with the current
// destination; a failure is told, and the close tries again.
void AppSession::SaveListAndSettings() {
    Tell(Write({&AppSession::WriteDestinationFiles, &AppSession::WriteSettingsFile}));
}

bool AppSession::FormClose() {
    if (!Tell(SaveEverything()))
        return false;
    collection_->Stop(); // goes on from here at the next start
    return true;
}

bool AppSession::SaveOnClose() {
    return Tell(Write({&AppSession::WriteDestinationFiles, &AppSession::WriteHistoryTree}));
}

QString AppSession::SaveEverything() {
    StorePlaces();
    settings_.Set(BooleanSetting::ListFileWritten, true); // the lists follow the settings
    return Write({&AppSession::WriteSettingsFile, &AppSession::WriteDestinationFiles,
                  &AppSession::WriteHistoryTree});
}

QString AppSession::Write(std::initializer_list<Writer> writers) {
    for (const Writer write : writers) {
        if (const QString problem = (this->*write)(); !problem.isEmpty())
            return problem;
    }
    return {};
}

bool AppSession::Tell(const QString& problem) {
    if (!problem.isEmpty())
        prompter_->Notice(problem);
    return problem.isEmpty();
}

QString AppSession::WriteSettingsFile() {
    destinationWrite_->stop(); // written now
    if (settingsFileKept_)
        return {};
    StoreChoices();
    const QString path = SettingsFilePath(home_);
    return settings_.Write(path) ? QString() : WriteFailureText(path);
}

QString AppSession::WriteDestinationFiles() {
    return listFileKept_ ? QString() : SaveDestinations(destinations_, home_);
}

QString AppSession::WriteHistoryTree() {
    const QString path = HistoryTreeFilePath(home_);
    // A tree without a new day is in its file already: writing it again
    // would only cost a sync.
    if (!history_.HasUnsavedDays() && QFileInfo::exists(path))
        return {};
    return history_.Save(path) ? QString() : tr("ファイル %1 を作成できません").arg(path);
}

} // namespace kelvo
