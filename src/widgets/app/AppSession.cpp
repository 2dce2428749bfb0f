#include "app/AppSession.h"

#include "app/QtPrompter.h"
#include "app/SessionDestinationViews.h"
#include "app/TAboutBox.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "app/TrayIcon.h"
#include "capture/CapturePipeline.h"
#include "capture/PasteIntake.h"
#include "capture/TForm4.h"
#include "common/WindowPlacement.h"
#include "destinations/DestinationActions.h"
#include "destinations/DestinationCommands.h"
#include "destinations/DestinationSelector.h"
#include "destinations/TForm8.h"
#include "history/TForm7.h"
#include "indexing/CollectionKeeper.h"
#include "links/ImageFetch.h"
#include "links/InstanceLink.h"
#include "session/DisplayChoice.h"
#include "session/HomeFiles.h"
#include "session/HomeFolder.h"
#include "session/ProgramName.h"
#include "session/Transparency.h"
#include "similarity/PerceptualHash.h"
#include "viewer/TForm5.h"
#include "x11/WindowOpacity.h"
#include "x11/XdndDirectSave.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QGuiApplication>
#include <QMimeData>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace kelvo {
namespace {

// A drag over the destination tree moves the current destination at every
// row it passes: written once the choice has settled.
constexpr int kDestinationWriteDelay = 2000; // ms
// While a capture or a dialog is still ending, the ending looks again.
constexpr int kEndingRecheck = 50; // ms

// A secondary window's bounds and state from its section. It opens maximised
// again, never minimised: a modal window would hold the program unseen.
void ApplyBounds(QWidget& window, const SettingsFile& settings, const WindowSettings& keys) {
    window.setGeometry(ReachableStoredBounds(settings, keys));
    if (settings.State(keys) == WindowState::Maximized)
        window.setWindowState(Qt::WindowMaximized);
}

// Window systems that take an opacity for a top-level window (shown once a
// compositor draws it).
bool TransparencySupported() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform == QLatin1String("windows") ||
           platform == QLatin1String("cocoa");
}

// The destination editor, made at the first command that edits.
class EditorMadeOnUse : public DestinationEditor {
public:
    explicit EditorMadeOnUse(LazyWindow<TForm8>& editor) : editor_(editor) {}

    std::optional<SaveDestination> Run(const QString& caption,
                                       const std::optional<EditorFill>& fill) override {
        return editor_->Run(caption, fill);
    }

private:
    LazyWindow<TForm8>& editor_;
};

} // namespace

AppSession::AppSession(const QString& homeFolder, const QString& picturesDestination)
    : home_(homeFolder), picturesDestination_(picturesDestination),
      settings_(DefaultDestinationFolder(homeFolder, picturesDestination)),
      destination_(homeFolder),
      browser_(0, [](const QUrl& address) { QDesktopServices::openUrl(address); }),
      directSave_(NewPlatformDirectSave()),
      intake_(StagingFolderPath(homeFolder), directSave_.get()),
      destinationWrite_(std::make_unique<QTimer>()) {
    ReadSettingsFile();
    ReadListsAndTrees();
    TidyHome();
    CreateWindows();
    ApplyWindowSettings();
    // After the stored state: the icon hides a window the user minimises, not one that starts so.
    tray_ = new TrayIcon(*form1_);
    CreateLogic();
    ShowStartState();

    ConnectCapture();
    ConnectDestinations();
    ConnectHistory();
    ConnectCollection();
    ConnectSettings();
    ConnectHelp();
    ConnectTray();
    ConnectStartAndEnd();
}

AppSession::~AppSession() = default;

TForm2& AppSession::SettingsDialog() {
    return *form2_;
}

TForm5& AppSession::Viewer() {
    return *form5_;
}

TForm7& AppSession::HistoryBrowser() {
    return *form7_;
}

TAboutBox& AppSession::VersionBox() {
    return *aboutBox_;
}

// The main window now, every other window at its first use; each is kept
// until the end. The prompter's dialogs open over the main window; the
// history browser takes its viewer when it is made.
void AppSession::CreateWindows() {
    destinationActions_ = std::make_unique<DestinationActions>();
    form1_ = std::make_unique<TForm1>();
    form2_ = LazyWindow<TForm2>(
        [this] { return std::make_unique<TForm2>(destinations_, *destinationActions_); },
        [this](TForm2& dialog) { PrepareSettingsDialog(dialog); });
    aboutBox_ = LazyWindow<TAboutBox>([this] { return std::make_unique<TAboutBox>(form1_.get()); });
    form4_ = std::make_unique<TForm4>();
    prompter_ = std::make_unique<QtPrompter>(form1_.get(), *form4_);
    form5_ = LazyWindow<TForm5>([] { return std::make_unique<TForm5>(); },
                                [this](TForm5& viewer) { PrepareViewer(viewer); });
    form7_ = LazyWindow<TForm7>(
        [this] {
            const auto openViewer = [this](const QString& path, const QString& address) {
                OpenViewer(path, address);
            };
            return std::make_unique<TForm7>(
                HistoryContext{home_, history_, browser_, *prompter_, openViewer, {}},
                form1_.get());
        },
        [this](TForm7& browser) { PrepareHistoryBrowser(browser); });
    form8_ = LazyWindow<TForm8>([this] { return std::make_unique<TForm8>(*prompter_); });
    editor_ = std::make_unique<EditorMadeOnUse>(form8_);
}

void AppSession::CreateLogic() {
    selector_ = std::make_unique<DestinationSelector>(destinations_, destination_, *form1_);
    views_ = std::make_unique<SessionDestinationViews>(*form1_, form2_, *selector_);
    commands_ = std::make_unique<DestinationCommands>(destinations_, *views_, *editor_, *prompter_);
    collection_ = std::make_unique<CollectionKeeper>(home_, PerceptualHashOfFile);
    pipeline_ = std::make_unique<CapturePipeline>(
        CaptureContext{home_, *prompter_, browser_, clock_, *form1_, history_, destination_,
                       RunAsideAndWait, picturesDestination_, collection_.get(), &captureChoices_});
    pastes_ = std::make_unique<PasteIntake>(intake_, StagingFolderPath(home_), FetchImage);
}

void AppSession::ApplyWindowSettings() {
    TForm1& form = *form1_;
    form.setGeometry(ReachableStoredBounds(settings_, kMainWindowSettings));
    form.SetTreePaneWidth(settings_.Integer(IntegerSetting::MainTreeWidth));
    form.SetPreviewPaneHeight(settings_.Integer(IntegerSetting::MainPreviewHeight));
    form.SetMenuShown(settings_.Boolean(BooleanSetting::MenuShown));
    form.SetTreePaneShown(settings_.Boolean(BooleanSetting::TreePaneShown));
    const WindowState state = settings_.State(kMainWindowSettings);
    if (state == WindowState::Minimized)
        form.setWindowState(Qt::WindowMinimized);
    else if (state == WindowState::Maximized)
        form.setWindowState(Qt::WindowMaximized);
    // The window stays above the browser it collects from.
    form.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    ShowKeptChoices();
}

// The settings dialog's requests are connected as it is made; it shows the
// choices the run keeps.
void AppSession::PrepareSettingsDialog(TForm2& dialog) {
    QObject::connect(&dialog, &TForm2::OpacityChosen, form1_.get(),
                     [this](int level) { ApplyOpacity(level); });
    QObject::connect(&dialog, &TForm2::GuideRequested, form1_.get(), &TForm1::N16Click);
    dialog.SetTransparencySupported(WindowOpacityWorks());
    ShowKeptChoices();
}

// The settings dialog, once made, shows the choices the run keeps, and the
// main window their opacity.
void AppSession::ShowKeptChoices() {
    if (TForm2* dialog = form2_.IfMade()) {
        dialog->LoadState(keptDestinationFlag_, confirmClose_, transparencyLevel_);
        dialog->LoadDevToolsPort(browser_.Port());
        dialog->LoadCaptureChoices(captureChoices_);
        dialog->LoadLanguage(language_, startLanguage_);
    }
    ApplyOpacity(transparencyLevel_);
}

void AppSession::PrepareViewer(TForm5& viewer) {
    ApplyBounds(viewer, settings_, kViewerWindowSettings);
}

void AppSession::PrepareHistoryBrowser(TForm7& browser) {
    ApplyBounds(browser, settings_, kHistoryWindowSettings);
    browser.SetTreePaneWidth(settings_.Integer(IntegerSetting::HistoryTreeWidth));
    browser.SetPreviewPaneHeight(settings_.Integer(IntegerSetting::HistoryPreviewHeight));
}

// What the main window shows before the first capture.
void AppSession::ShowStartState() {
    form1_->ShowCurrentDestination(destination_.CurrentIdentifier(), destination_.CurrentFolder());
    form1_->ClearCaptureInfo();
    form1_->ShowStatus(tr("画像ドロップ待機中"));
}

// Drops and pastes go to the pipeline; the preview opens the last capture.
void AppSession::ConnectCapture() {
    TForm1* form = form1_.get();
    form->SetCapture(&intake_, pipeline_.get());
    QObject::connect(form, &TForm1::PasteRequested, form, [this] { Paste(); });
    QObject::connect(form, &TForm1::FullSizeRequested, form, [this] { OpenLastCapture(); });
}

// The tree and the settings page over one list; the tree's selection makes
// the current destination, written once it settles.
void AppSession::ConnectDestinations() {
    TForm1* form = form1_.get();
    form->SetCurrentDestination(&destination_);
    form->SetDestinationList(&destinations_);
    form->SetDestinationActions(*destinationActions_);
    QObject::connect(form, &TForm1::DestinationChosen, form,
                     [this](int position) { ChooseDestination(position); });
    const auto run = [this](void (DestinationCommands::*command)()) {
        return [this, command] { RunDestinationCommand(command); };
    };
    const DestinationActions* actions = destinationActions_.get();
    QObject::connect(actions, &DestinationActions::AddRequested, form,
                     run(&DestinationCommands::Action1Execute));
    QObject::connect(actions, &DestinationActions::EditRequested, form,
                     run(&DestinationCommands::Action2Execute));
    QObject::connect(actions, &DestinationActions::DeleteRequested, form,
                     run(&DestinationCommands::Action3Execute));
    // A list the user changes is the user's to write, over a file kept so far
    // (the list was read before this: its load is no change).
    for (const auto changed : {&DestinationList::rowsInserted, &DestinationList::rowsRemoved})
        QObject::connect(&destinations_, changed, form, [this] { ListEdited(); });
    QObject::connect(&destinations_, &DestinationList::dataChanged, form, [this] { ListEdited(); });
    QObject::connect(&destinations_, &DestinationList::layoutChanged, form,
                     [this] { ListEdited(); });
    destinationWrite_->setSingleShot(true);
    destinationWrite_->setInterval(kDestinationWriteDelay);
    QObject::connect(destinationWrite_.get(), &QTimer::timeout, form, [this] {
        if (const QString problem = WriteSettingsFile(); !problem.isEmpty())
            form1_->ShowHint(problem);
    });
}

void AppSession::ConnectHistory() {
    QObject::connect(form1_.get(), &TForm1::HistoryRequested, form1_.get(),
                     [this] { OpenHistory(); });
}

// The index's progress and failure in the status bar; a similar picture is
// told there, and a click on the telling lists both in the history.
void AppSession::ConnectCollection() {
    TForm1* form = form1_.get();
    const CollectionKeeper* collection = collection_.get();
    QObject::connect(collection, &CollectionKeeper::Progress, form, &TForm1::ShowIndexProgress);
    QObject::connect(collection, &CollectionKeeper::Failed, form, [form](const QString& text) {
        form->ShowHint(tr("保存済みの画像の索引を使えません: %1").arg(text));
    });
    QObject::connect(collection, &CollectionKeeper::SimilarFound, form,
                     [this](const SimilarNotice& notice) { TellSimilar(notice); });
    QObject::connect(form, &TForm1::HintClicked, form, [this] { ShowSimilarPictures(); });
}

// The settings dialog's own requests are connected as it is made
// (PrepareSettingsDialog).
void AppSession::ConnectSettings() {
    QObject::connect(form1_.get(), &TForm1::SettingsRequested, form1_.get(),
                     [this] { OpenSettings(); });
}

// The guide from the help menu (the settings page's link is connected as the
// dialog is made), and the version box. What the main window opens, the
// desktop opens; its notices are the prompter's.
void AppSession::ConnectHelp() {
    TForm1* form = form1_.get();
    QObject::connect(form, &TForm1::VersionBoxRequested, form, [this] { OpenVersionBox(); });
    QObject::connect(form, &TForm1::OpenRequested, form,
                     [](const QUrl& address) { QDesktopServices::openUrl(address); });
    QObject::connect(form, &TForm1::NoticeRequested, form,
                     [this](const QString& text) { prompter_->Notice(text); });
}

// The icon's menu asks what the main window's menu asks; its notice leads
// where the status bar's hint does.
void AppSession::ConnectTray() {
    TForm1* form = form1_.get();
    QObject::connect(tray_, &TrayIcon::HistoryRequested, form, [this] { OpenHistory(); });
    QObject::connect(tray_, &TrayIcon::PasteRequested, form, [this] { Paste(); });
    QObject::connect(tray_, &TrayIcon::NoticeClicked, form, [this] { ShowSimilarPictures(); });
}

void AppSession::ConnectStartAndEnd() {
    TForm1* form = form1_.get();
    QObject::connect(form, &TForm1::FirstShown, form, [this] { FormShow(); });
    form->SetCloseDecision(this);
    // The desktop's session ends: no one is there to answer the close question.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, form,
                     [this] { EndWithoutAsking(); });
}

// A stored level the slider cannot show still means fully opaque.
void AppSession::ApplyOpacity(int level) {
    if (TransparencySupported())
        form1_->setWindowOpacity(OpacityForLevel(level) / 255.0);
}

void AppSession::OpenHistory() {
    // The tray's menu can still ask while the window is open.
    if (form7_->isVisible()) {
        form7_->raise();
        form7_->activateWindow();
        return;
    }
    const PauseHoverSelection pause(*form1_);
    form7_->exec();
}

// Never in the way: a line in the status bar and a notice from the tray.
void AppSession::TellSimilar(const SimilarNotice& notice) {
    const QString text = SimilarPictureText(notice.earlier);
    similarShown_ = notice.savedPath;
    form1_->ShowClickableHint(text);
    tray_->ShowNotice(text);
}

// Both pictures, with every other like them, in the history.
void AppSession::ShowSimilarPictures() {
    if (similarShown_.isEmpty())
        return;
    const QString path = similarShown_;
    QTimer::singleShot(0, &HistoryBrowser(), [this, path] { form7_->ListSamePictures(path); });
    OpenHistory();
}

void AppSession::OpenViewer(const QString& path, const QString& address) {
    form5_->setWindowTitle(TitledWithKelvo(path));
    form5_->OpenInViewer(path, address);
}

void AppSession::OpenLastCapture() {
    const QString path = pipeline_->LastSavedPath();
    if (path.isEmpty())
        return;
    const PauseHoverSelection pause(*form1_);
    OpenViewer(path, pipeline_->LastSourceAddress());
}

// Taken at once, as a drop is, and captured in its turn.
void AppSession::Paste() {
    const QMimeData nothing;
    const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
    PasteIntake::Pasted pasted = pastes_->Take(clipboard ? *clipboard : nothing);
    if (pasted.payload.files.isEmpty()) {
        const PauseHoverSelection pause(*form1_);
        prompter_->Notice(pasted.problem);
        return;
    }
    pipeline_->HandleDroppedFiles(std::move(pasted.payload));
}

void AppSession::ChooseDestination(int position) {
    const int before = destination_.CurrentIndex();
    const QString folder = destination_.CurrentFolder();
    selector_->TreeView1Change(position);
    // Again at every move: written once the choice has settled.
    if (destination_.CurrentIndex() != before || destination_.CurrentFolder() != folder)
        destinationWrite_->start();
}

// No hover selection while a command's dialog is open (nor while the
// settings dialog that may have run the command is).
void AppSession::RunDestinationCommand(void (DestinationCommands::*command)()) {
    {
        const PauseHoverSelection pause(*form1_);
        ((*commands_).*command)();
    }
    if (std::exchange(listEdited_, false))
        SaveListAndSettings();
    if (form2_.Visible())
        form2_->FocusDestinationList();
}

void AppSession::ListEdited() {
    listFileKept_ = false;
    listEdited_ = true;
}

void AppSession::FormShow() {
    pipeline_->ResetCaptureCount();
    // After the first paint: the index catches up in the background.
    QTimer::singleShot(0, collection_.get(), [this] { collection_->Start(); });
    if (form1_->TreePaneShown())
        SelectStoredDestination();
    // The window asked to stay on top; on Wayland only the desktop can grant it.
    // Once the window has appeared, so that a hint wrapped above its status
    // bar stands where the bar is.
    const QString stacking = StackingHint(QGuiApplication::platformName());
    if (!stacking.isEmpty())
        QTimer::singleShot(0, form1_.get(), [this, stacking] { form1_->ShowHint(stacking); });
}

// A stored position that is no entry selects the first.
void AppSession::SelectStoredDestination() {
    const bool valid = storedIndex_ >= 0 && storedIndex_ < destinations_.Count();
    form1_->SelectDestination(valid ? storedIndex_ : 0);
}

void AppSession::OpenSettings() {
    const PauseHoverSelection pause(*form1_);
    // A compositing manager may have started or ended since the last time.
    form2_->SetTransparencySupported(WindowOpacityWorks());
    form2_->ShowExtensionState(pipeline_->LastBrowserNote());
    if (form2_->Run(destination_.CurrentIdentifier()))
        TakeSettings();
    else
        ShowKeptChoices();
}

// OK: the dialog's choices become the run's, its selected destination the
// current one, and both are written at once.
void AppSession::TakeSettings() {
    const TForm2::ShellChoices choices = form2_->State();
    keptDestinationFlag_ = choices.keptDestinationFlag;
    confirmClose_ = choices.confirmClose;
    transparencyLevel_ = choices.transparencyLevel;
    browser_.SetPort(form2_->DevToolsPort());
    captureChoices_ = form2_->CaptureChoicesState();
    language_ = form2_->Language();
    if (const int found = destinations_.FindByIdentifier(form2_->SelectedIdentifier()); found >= 0)
        MakeCurrent(found);
    SaveListAndSettings();
}

void AppSession::MakeCurrent(int position) {
    destination_.SetIndex(position);
    form1_->SelectDestination(position);
    const SaveDestination& chosen = destinations_.At(position);
    destination_.Set(chosen.identifier, chosen.folder);
    form1_->ShowCurrentDestination(chosen.identifier, destination_.CurrentFolder());
}

bool AppSession::AcceptHandOvers() {
    handOvers_ = std::make_unique<InstanceServer>(home_, [this](const HandedCapture& capture,
                                                                const InstanceServer::Reply& report,
                                                                std::function<void()> done) {
        DropPayload payload;
        if (!capture.destination.isEmpty()) {
            if (destinations_.FindByIdentifier(capture.destination) < 0) {
                for (const HandedFile& file : capture.files)
                    report({HandedOutcome::Kind::Failed, file.path,
                            NoSuchDestinationText(capture.destination)});
                done();
                return;
            }
            // At its turn: a capture before it keeps the destination it began with.
            payload.prepare = [this, name = capture.destination] {
                if (const int at = destinations_.FindByIdentifier(name); at >= 0)
                    form1_->SelectDestination(at);
            };
        }
        for (const HandedFile& file : capture.files)
            payload.files.append(DroppedFileOf(file));
        payload.reportOutcome = [report](const DroppedFile& file, const CaptureOutcome& outcome) {
            report(HandedOutcomeOf(file, outcome));
        };
        payload.done = std::move(done);
        pipeline_->HandleDroppedFiles(payload);
    });
    if (handOvers_->Listen())
        return true;
    startupProblems_
        << tr("kelvo capture から画像を受け取れません。%1").arg(handOvers_->ListenError());
    return false;
}

void AppSession::OpenVersionBox() {
    const PauseHoverSelection pause(*form1_);
    aboutBox_->exec();
}

bool AppSession::MayClose() {
    return FormCloseQuery() && FormClose();
}

bool AppSession::FormCloseQuery() {
    return !confirmClose_ || prompter_->Ask(tr("ケルボを終了しますか？"));
}

void AppSession::EndWithoutAsking() {
    if (ending_)
        return;
    ending_ = true;
    handOvers_.reset(); // no new captures
    FinishEnding();
}

// Waits, with the event loop turning, until every dialog is gone and the
// capture under way is done: its copy is whole or never named, its row
// written or never begun.
void AppSession::FinishEnding() {
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        if (QApplication::activeModalWidget() == modal)
            break; // it would not go: looked at again below
    }
    if (pipeline_->Busy() || QApplication::activeModalWidget()) {
        QTimer::singleShot(kEndingRecheck, form1_.get(), [this] { FinishEnding(); });
        return;
    }
    collection_->Stop();
    const QString problem = SaveEverything();
    if (!problem.isEmpty())
        std::fprintf(stderr, "kelvo: %s\n", problem.toLocal8Bit().constData());
    endedWith_ = problem.isEmpty() ? 0 : 1;
    // Only a running loop can be ended; a session under test runs none.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(*endedWith_);
}

} // namespace kelvo
