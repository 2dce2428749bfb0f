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
#include "destinations/DestinationCommands.h"
#include "destinations/DestinationFiles.h"
#include "destinations/DestinationPage.h"
#include "destinations/DestinationSelector.h"
#include "destinations/DestinationTreePane.h"
#include "destinations/TForm8.h"
#include "files/TemporaryFile.h"
#include "history/TForm7.h"
#include "indexing/CollectionKeeper.h"
#include "links/ImageFetch.h"
#include "links/InstanceLink.h"
#include "session/DisplayChoice.h"
#include "session/HomeFiles.h"
#include "session/HomeFolder.h"
#include "session/ProgramName.h"
#include "session/Transparency.h"
#include "session/WindowBounds.h"
#include "similarity/PerceptualHash.h"
#include "text/PathText.h"
#include "viewer/TForm5.h"
#include "x11/WindowOpacity.h"
#include "x11/XdndDirectSave.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace kelvo {
namespace {

constexpr QSize kMinimumWindow(120, 100);
// A drag over the destination tree moves the current destination at every
// row it passes: written once the choice has settled.
constexpr int kDestinationWriteDelay = 2000; // ms
// While a capture or a dialog is still ending, the ending looks again.
constexpr int kEndingRecheck = 50; // ms

// A window's bounds and state from its section. A modal window never starts
// minimised: it would hold the program without being seen.
// The stored bounds, on a screen and no larger than it: a hand-edited or
// foreign settings file never opens a window out of reach.
void SetReachableGeometry(QWidget& window, const QRect& stored) {
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    window.setGeometry(ReachableBounds(stored, screens, kMinimumWindow));
}

QRect StoredBounds(const SettingsFile& settings, const WindowSettings& keys) {
    return QRect(settings.Integer(keys.left), settings.Integer(keys.top),
                 settings.Integer(keys.width), settings.Integer(keys.height));
}

// A secondary window opens maximized again, never minimized.
void ApplyBounds(QWidget& window, const SettingsFile& settings, const WindowSettings& keys) {
    SetReachableGeometry(window, StoredBounds(settings, keys));
    if (settings.State(keys) == WindowState::Maximized)
        window.setWindowState(Qt::WindowMaximized);
}

void StoreBounds(SettingsFile& settings, const WindowSettings& keys, const QWidget& window) {
    const bool changedState = window.isMaximized() || window.isMinimized();
    const QRect bounds = changedState ? window.normalGeometry() : window.geometry();
    settings.Set(keys.top, bounds.top());
    settings.Set(keys.left, bounds.left());
    settings.Set(keys.width, bounds.width());
    settings.Set(keys.height, bounds.height());
    settings.Set(keys, window.isMinimized()   ? WindowState::Minimized
                       : window.isMaximized() ? WindowState::Maximized
                                              : WindowState::Normal);
}

// Window systems that take an opacity for a top-level window (shown once a
// compositor draws it).
bool TransparencySupported() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform == QLatin1String("windows") ||
           platform == QLatin1String("cocoa");
}

} // namespace

AppSession::AppSession(const QString& homeFolder, const QString& picturesDestination)
    : home_(homeFolder), picturesDestination_(picturesDestination),
      settings_(DefaultDestinationFolder(homeFolder, picturesDestination)),
      destination_(homeFolder),
      browser_(0, [](const QUrl& address) { QDesktopServices::openUrl(address); }),
      directSave_(NewPlatformDirectSave()),
      intake_(StagingFolderPath(homeFolder), directSave_.get()),
      destinationWrite_(std::make_unique<QTimer>()) {
    settingsFileKept_ = !settings_.Read(SettingsFilePath(home_));
    if (settingsFileKept_)
        startupProblems_ << SettingsFileKeptText(SettingsFilePath(home_));
    browser_.SetPort(settings_.Integer(IntegerSetting::DevToolsPort));
    destination_.ReadFrom(settings_);
    storedIndex_ = destination_.CurrentIndex();
    form1_ = std::make_unique<TForm1>();
    form1_->SetCurrentDestination(&destination_);
    form1_->Panel1->SetModel(&destinations_);
    const DestinationsLoaded loaded = LoadStoredDestinations(destinations_, settings_, home_);
    startupProblems_ << loaded.problems;
    listFileKept_ = loaded.listFileKept;
    // A list the user changes is the user's to write, over a file kept so far.
    for (const auto changed : {&DestinationList::rowsInserted, &DestinationList::rowsRemoved})
        QObject::connect(&destinations_, changed, form1_.get(), [this] { ListEdited(); });
    QObject::connect(&destinations_, &DestinationList::dataChanged, form1_.get(),
                     [this] { ListEdited(); });
    QObject::connect(&destinations_, &DestinationList::layoutChanged, form1_.get(),
                     [this] { ListEdited(); });
    form2_ =
        std::make_unique<TForm2>(destinations_, form1_->Action1, form1_->Action2, form1_->Action3);
    aboutBox_ = std::make_unique<TAboutBox>(form1_.get());
    form4_ = std::make_unique<TForm4>();
    prompter_ = std::make_unique<QtPrompter>(form1_.get(), *form4_);
    form5_ = std::make_unique<TForm5>();
    QString historyProblem;
    if (!history_.Load(HistoryTreeFilePath(home_), &historyProblem))
        startupProblems_ << historyProblem;
    form7_ = std::make_unique<TForm7>(
        HistoryContext{
            home_,
            history_,
            browser_,
            *prompter_,
            [this](const QString& path, const QString& address) { OpenViewer(path, address); },
            {}},
        form1_.get());
    ApplySecondaryWindowSettings();
    form8_ = std::make_unique<TForm8>(*prompter_);
    QDir().mkdir(LogsFolderPath(home_));
    RemoveLeftovers();
    WireDestinationCommands();
    collection_ = std::make_unique<CollectionKeeper>(home_, PerceptualHashOfFile);
    pipeline_ = std::make_unique<CapturePipeline>(
        CaptureContext{home_, *prompter_, browser_, clock_, *form1_, history_, destination_,
                       RunAsideAndWait, picturesDestination_, collection_.get(), &captureChoices_});
    form1_->SetCapture(&intake_, pipeline_.get());
    form1_->ShowCurrentDestination(destination_.CurrentIdentifier(), destination_.CurrentFolder());
    form1_->ClearCaptureInfo();
    form1_->ShowStatus(QStringLiteral("画像ドロップ待機中"));
    ApplyWindowSettings();
    tray_ = new TrayIcon(*form1_);
    QObject::connect(form1_->N3, &QAction::triggered, form1_.get(), [this] { OpenSettings(); });
    QObject::connect(form1_->N4, &QAction::triggered, form1_.get(), [this] { OpenVersionBox(); });
    QObject::connect(form1_->x1, &QAction::triggered, form1_.get(), [this] { OpenHistory(); });
    QObject::connect(tray_->N2, &QAction::triggered, form1_.get(), [this] { OpenHistory(); });
    pastes_ = std::make_unique<PasteIntake>(intake_, StagingFolderPath(home_), FetchImage);
    QObject::connect(form1_.get(), &TForm1::PasteRequested, form1_.get(), [this] { Paste(); });
    QObject::connect(tray_->Paste2, &QAction::triggered, form1_.get(), [this] { Paste(); });
    form2_->SetGuideHandler([this] { form1_->N16Click(); });
    form1_->SetImage1DblClick([this] { OpenLastCapture(); });
    form1_->SetCloseHandler([this] { return FormCloseQuery() && FormClose(); });
    form1_->SetFirstShowHandler([this] { FormShow(); });
    WireCollection();
    destinationWrite_->setSingleShot(true);
    destinationWrite_->setInterval(kDestinationWriteDelay);
    QObject::connect(destinationWrite_.get(), &QTimer::timeout, form1_.get(), [this] {
        if (const QString problem = WriteSettingsFile(); !problem.isEmpty())
            form1_->ShowHint(problem);
    });
    // The desktop's session ends: no one is there to answer the close question.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, form1_.get(),
                     [this] { EndWithoutAsking(); });
}

// What a killed close, rewrite or drop left behind in the home's own folders;
// the lock is held, so no other Kelvo is writing there.
void AppSession::RemoveLeftovers() {
    RemoveLeftoverTemporaryFiles(LocalPath(home_));
    const QDir logs(LogsFolderPath(home_));
    for (const QString& month : logs.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        RemoveLeftoverTemporaryFiles(LocalPath(logs.filePath(month)));
    intake_.RemoveLeftovers();
}

void AppSession::ApplyWindowSettings() {
    TForm1& form = *form1_;
    SetReachableGeometry(form, StoredBounds(settings_, kMainWindowSettings));
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
    keptDestinationFlag_ = settings_.Boolean(BooleanSetting::KeptDestinationFlag);
    confirmClose_ = settings_.Boolean(BooleanSetting::ConfirmClose);
    transparencyLevel_ = settings_.Integer(IntegerSetting::TransparencyLevel);
    form2_->SetTransparencySupported(WindowOpacityWorks());
    form2_->SetOpacityHandler([this](int level) { ApplyOpacity(level); });
    form2_->LoadState(keptDestinationFlag_, confirmClose_, transparencyLevel_);
    form2_->LoadDevToolsPort(browser_.Port());
    captureChoices_ = {SameContentRule(settings_.Integer(IntegerSetting::SameContentRule)),
                       settings_.Boolean(BooleanSetting::SourceAttributes)};
    form2_->LoadCaptureChoices(captureChoices_);
    ApplyOpacity(transparencyLevel_);
}

// A stored level the slider cannot show still means fully opaque.
void AppSession::ApplyOpacity(int level) {
    if (TransparencySupported())
        form1_->setWindowOpacity(OpacityForLevel(level) / 255.0);
}

// The windows' places and panes: taken at the ends of a run only, so the
// file keeps the last ones taken in between.
void AppSession::StorePlaces() {
    const TForm1& form = *form1_;
    StoreBounds(settings_, kMainWindowSettings, form);
    settings_.Set(IntegerSetting::MainTreeWidth, form.TreePaneWidth());
    settings_.Set(IntegerSetting::MainPreviewHeight, form.PreviewPaneHeight());
    StoreBounds(settings_, kViewerWindowSettings, *form5_);
    StoreBounds(settings_, kHistoryWindowSettings, *form7_);
    settings_.Set(IntegerSetting::HistoryPreviewHeight, form7_->PreviewPaneHeight());
    settings_.Set(IntegerSetting::HistoryTreeWidth, form7_->TreePaneWidth());
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
}

void AppSession::ApplySecondaryWindowSettings() {
    ApplyBounds(*form5_, settings_, kViewerWindowSettings);
    ApplyBounds(*form7_, settings_, kHistoryWindowSettings);
    form7_->SetTreePaneWidth(settings_.Integer(IntegerSetting::HistoryTreeWidth));
    form7_->SetPreviewPaneHeight(settings_.Integer(IntegerSetting::HistoryPreviewHeight));
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

void AppSession::WireCollection() {
    TForm1* form = form1_.get();
    QObject::connect(collection_.get(), &CollectionKeeper::Progress, form,
                     [form](int percent) { form->ShowIndexProgress(percent); });
    QObject::connect(
        collection_.get(), &CollectionKeeper::Failed, form, [form](const QString& text) {
            form->ShowHint(QStringLiteral("保存済みの画像の索引を使えません: ") + text);
        });
    QObject::connect(collection_.get(), &CollectionKeeper::SimilarFound, form,
                     [this](const SimilarNotice& notice) { TellSimilar(notice); });
    QObject::connect(form, &TForm1::HintClicked, form, [this] { ShowSimilarPictures(); });
    if (tray_->TrayIcon1)
        QObject::connect(tray_->TrayIcon1, &QSystemTrayIcon::messageClicked, form,
                         [this] { ShowSimilarPictures(); });
}

// Never in the way: a line in the status bar and a notice from the tray.
void AppSession::TellSimilar(const SimilarNotice& notice) {
    const QString text = SimilarPictureText(notice.earlier);
    similarShown_ = notice.savedPath;
    form1_->ShowClickableHint(text);
    if (tray_->TrayIcon1)
        tray_->TrayIcon1->showMessage(KelvoName(), text, QSystemTrayIcon::Information);
}

// Both pictures, with every other like them, in the history.
void AppSession::ShowSimilarPictures() {
    if (similarShown_.isEmpty())
        return;
    const QString path = similarShown_;
    QTimer::singleShot(0, form7_.get(), [this, path] { form7_->ListSamePictures(path); });
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

AppSession::~AppSession() = default;

void AppSession::WireDestinationCommands() {
    selector_ = std::make_unique<DestinationSelector>(destinations_, destination_, *form1_);
    QObject::connect(
        form1_->Panel1, &DestinationTreePane::TreeView1Change, form1_.get(), [this](int position) {
            const int before = destination_.CurrentIndex();
            const QString folder = destination_.CurrentFolder();
            selector_->TreeView1Change(position);
            // Again at every move: written once the choice has settled.
            if (destination_.CurrentIndex() != before || destination_.CurrentFolder() != folder)
                destinationWrite_->start();
        });
    views_ = std::make_unique<SessionDestinationViews>(*form1_, *form2_, *selector_);
    commands_ = std::make_unique<DestinationCommands>(destinations_, *views_, *form8_, *prompter_);
    const auto bind = [this](QAction* action, void (DestinationCommands::*command)()) {
        QObject::connect(action, &QAction::triggered, form1_.get(),
                         [this, command] { RunDestinationCommand(command); });
    };
    bind(form1_->Action1, &DestinationCommands::Action1Execute);
    bind(form1_->Action2, &DestinationCommands::Action2Execute);
    bind(form1_->Action3, &DestinationCommands::Action3Execute);
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
    if (form2_->isVisible())
        form2_->DestinationSheet->ListView1->setFocus();
}

void AppSession::ListEdited() {
    listFileKept_ = false;
    listEdited_ = true;
}

// An edited list, and what OK takes, are written at once with the current
// destination; a failure is told, and the close tries again.
void AppSession::SaveListAndSettings() {
    Tell(Write({&AppSession::WriteDestinationFiles, &AppSession::WriteSettingsFile}));
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
    form1_->Panel1->Select(valid ? storedIndex_ : 0);
}

void AppSession::ReportStartupProblems() {
    for (const QString& problem : std::exchange(startupProblems_, {}))
        prompter_->Notice(problem);
}

void AppSession::OpenSettings() {
    const PauseHoverSelection pause(*form1_);
    // A compositing manager may have started or ended since the last time.
    form2_->SetTransparencySupported(WindowOpacityWorks());
    form2_->ShowExtensionState(pipeline_->LastBrowserNote());
    const bool accepted = form2_->Run(destination_.CurrentIdentifier());
    if (!accepted) {
        form2_->LoadState(keptDestinationFlag_, confirmClose_, transparencyLevel_);
        form2_->LoadDevToolsPort(browser_.Port());
        form2_->LoadCaptureChoices(captureChoices_);
        ApplyOpacity(transparencyLevel_);
        return;
    }
    const TForm2::ShellChoices choices = form2_->State();
    keptDestinationFlag_ = choices.keptDestinationFlag;
    confirmClose_ = choices.confirmClose;
    transparencyLevel_ = choices.transparencyLevel;
    browser_.SetPort(form2_->DevToolsPort());
    captureChoices_ = form2_->CaptureChoicesState();
    const int found = destinations_.FindByIdentifier(form2_->DestinationSheet->SelectedText());
    if (found >= 0) {
        destination_.SetIndex(found);
        form1_->Panel1->Select(found);
        const SaveDestination& chosen = destinations_.At(found);
        destination_.Set(chosen.identifier, chosen.folder);
        form1_->ShowCurrentDestination(chosen.identifier, destination_.CurrentFolder());
    }
    SaveListAndSettings();
}

bool AppSession::AcceptHandOvers() {
    handOvers_ = std::make_unique<InstanceServer>(home_, [this](const HandedCapture& capture,
                                                                InstanceServer::Reply report,
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
                    form1_->Panel1->Select(at);
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
    startupProblems_ << QStringLiteral("kelvo capture から画像を受け取れません。") +
                            handOvers_->ListenError();
    return false;
}

void AppSession::OpenVersionBox() {
    const PauseHoverSelection pause(*form1_);
    aboutBox_->exec();
}

bool AppSession::FormCloseQuery() {
    return !confirmClose_ || prompter_->Ask(QStringLiteral("ケルボを終了しますか？"));
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
    return history_.Save(path) ? QString()
                               : QStringLiteral("ファイル %1 を作成できません").arg(path);
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
