#pragma once

#include "app/CloseDecision.h"
#include "capture/DirectSave.h"
#include "capture/DropIntake.h"
#include "collection/CaptureCollection.h"
#include "common/LazyWindow.h"
#include "destinations/CurrentDestination.h"
#include "destinations/DestinationList.h"
#include "links/DevToolsBrowserLink.h"
#include "logs/HistoryTree.h"
#include "services/Clock.h"
#include "session/DisplayLanguage.h"
#include "session/InstanceLock.h"
#include "session/SettingsFile.h"

#include <QCoreApplication>

#include <memory>
#include <optional>

class QTimer;

namespace kelvo {

class CapturePipeline;
class CollectionKeeper;
class DestinationEditor;
class DestinationActions;
class DestinationCommands;
class DestinationSelector;
class DestinationViews;
class InstanceServer;
class PasteIntake;
class QtPrompter;
class TAboutBox;
class TForm1;
class TForm2;
class TForm4;
class TForm5;
class TForm7;
class TForm8;
class TrayIcon;
struct SimilarNotice;

// Everything one running Kelvo window owns, and the one place where the
// windows' requests are connected to the logic: the constructor reads the
// home, makes the main window and the logic, then connects them step by
// step. The other windows are made when first needed, with the settings and
// connections they would have had from the start.
class AppSession : private CloseDecision {
    Q_DECLARE_TR_FUNCTIONS(AppSession)

public:
    // picturesDestination: the pictures folder's Kelvo/, a new home's default
    // destination; empty keeps the home as the default.
    explicit AppSession(const QString& homeFolder, const QString& picturesDestination = {});
    ~AppSession() override;

    TForm1& MainWindow() { return *form1_; }
    // Made by the first call when not made yet.
    TForm2& SettingsDialog();
    TForm5& Viewer();
    TForm7& HistoryBrowser();
    TAboutBox& VersionBox();
    CapturePipeline& Pipeline() { return *pipeline_; }
    CollectionKeeper& Collection() { return *collection_; }
    HistoryTree& History() { return history_; }
    DestinationList& Destinations() { return destinations_; }
    const CurrentDestination& Current() const { return destination_; }
    DevToolsBrowserLink& Browser() { return browser_; }

    // Tells about anything start-up could not read; call once the window shows.
    void ReportStartupProblems();
    // The settings dialog; OK makes its selected destination current and
    // takes its choices, Cancel puts the stored ones back.
    void OpenSettings();
    // Takes files handed over by a second start on the same home (kelvo
    // capture) and captures them as a drop. Call once the home's lock is held.
    bool AcceptHandOvers();
    // Writes everything a run keeps in memory: the settings, the lists and the
    // trees, in this order. Stops at the first file that cannot be written,
    // with a message, and returns false; the window then stays open.
    bool FormClose();
    // The lists and trees alone.
    bool SaveOnClose();
    // A logout, a shutdown or an ending signal: open dialogs are cancelled, a
    // capture under way finishes, and what the close writes is written without
    // the close question. The event loop then ends with 0, or with 1 when a
    // file could not be written (said on standard error).
    void EndWithoutAsking();
    // The exit code once EndWithoutAsking has ended the session.
    std::optional<int> EndedWith() const { return endedWith_; }

private:
    // Making the parts.
    void CreateWindows();
    void CreateLogic();
    void ApplyWindowSettings();
    // What each window made later gets as it is made.
    void PrepareSettingsDialog(TForm2& dialog);
    void PrepareViewer(TForm5& viewer);
    void PrepareHistoryBrowser(TForm7& browser);
    void ShowKeptChoices();
    void ShowStartState();

    // Connecting them.
    void ConnectCapture();
    void ConnectDestinations();
    void ConnectHistory();
    void ConnectCollection();
    void ConnectSettings();
    void ConnectHelp();
    void ConnectTray();
    void ConnectStartAndEnd();

    // What the windows ask for.
    // The first show: the count of this run's captures starts at 0, and the
    // stored destination is selected in the tree pane.
    void FormShow();
    // The close question, when the settings ask for it, then FormClose.
    bool MayClose() override;
    bool FormCloseQuery();
    void SelectStoredDestination();
    void ChooseDestination(int position);
    void RunDestinationCommand(void (DestinationCommands::*command)());
    void TakeSettings();
    void MakeCurrent(int position);
    void ApplyOpacity(int level);
    void OpenVersionBox();
    // The history browser, modal; no hover selection meanwhile.
    void OpenHistory();
    void TellSimilar(const SimilarNotice& notice);
    void ShowSimilarPictures();
    // The full-size viewer on the last capture; nothing before the first.
    void OpenLastCapture();
    void OpenViewer(const QString& path, const QString& address);
    // Captures what the clipboard holds, as a drop (Ctrl+V, 貼り付け).
    void Paste();
    void ListEdited();
    void FinishEnding();

    // The home's files, read at the start and written back (AppSessionFiles.cpp).
    void ReadSettingsFile();
    void ReadListsAndTrees();
    void TidyHome();
    void StorePlaces();
    void StoreChoices();
    // Each writer returns what could not be written, or nothing.
    QString WriteSettingsFile();
    QString WriteDestinationFiles();
    QString WriteHistoryTree();
    QString SaveEverything();
    // Runs the writers in order, up to the first that fails: what it could
    // not write, or nothing.
    using Writer = QString (AppSession::*)();
    QString Write(std::initializer_list<Writer> writers);
    // Tells the user a problem; true when there is none.
    bool Tell(const QString& problem);
    void SaveListAndSettings();

    QString home_;
    QString picturesDestination_;
    SettingsFile settings_;
    bool settingsFileKept_ = false; // kelvo.ini unreadable: never written over
    CurrentDestination destination_;
    DestinationList destinations_;
    HistoryTree history_;
    QStringList startupProblems_;
    int storedIndex_ = 0;             // "DefIndex" as read, before any selection moves it
    bool listFileKept_ = false;       // ListView.txt unread: not written until the list changes
    bool listEdited_ = false;         // since the last command's write
    bool keptDestinationFlag_ = true; // carried only
    bool confirmClose_ = true;
    int transparencyLevel_ = 0;
    // As chosen, and as the settings named it at the start, which the run speaks.
    DisplayLanguage language_ = DisplayLanguage::Japanese;
    DisplayLanguage startLanguage_ = DisplayLanguage::Japanese;
    CaptureChoices captureChoices_;
    SystemClock clock_;
    DevToolsBrowserLink browser_;
    std::unique_ptr<DirectSave> directSave_; // none off X11
    DropIntake intake_;
    std::unique_ptr<PasteIntake> pastes_;
    std::unique_ptr<DestinationActions> destinationActions_; // shown by two windows: outlives both
    std::unique_ptr<TForm1> form1_;
    TrayIcon* tray_ = nullptr; // owned by the main window
    LazyWindow<TForm2> form2_;
    LazyWindow<TAboutBox> aboutBox_;
    std::unique_ptr<TForm4> form4_;
    std::unique_ptr<QtPrompter> prompter_;
    LazyWindow<TForm5> form5_;
    LazyWindow<TForm7> form7_; // a child of the main window, so gone before it
    LazyWindow<TForm8> form8_;
    std::unique_ptr<DestinationEditor> editor_; // form8_, made at the first edit
    std::unique_ptr<DestinationSelector> selector_;
    std::unique_ptr<DestinationViews> views_;
    std::unique_ptr<DestinationCommands> commands_;
    std::unique_ptr<CollectionKeeper> collection_;
    std::unique_ptr<CapturePipeline> pipeline_;
    QString similarShown_; // the capture whose similar picture was told last
    std::unique_ptr<InstanceServer> handOvers_;
    std::unique_ptr<QTimer> destinationWrite_; // a new current destination, written once it settles
    bool ending_ = false;
    std::optional<int> endedWith_;
};

} // namespace kelvo
