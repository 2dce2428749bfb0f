#include "app/AppSession.h"

#include "app/QtPrompter.h"
#include "app/SessionDestinationViews.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "capture/CapturePipeline.h"
#include "capture/TForm4.h"
#include "destinations/DestinationCommands.h"
#include "destinations/DestinationFiles.h"
#include "destinations/DestinationPage.h"
#include "destinations/DestinationSelector.h"
#include "destinations/DestinationTreePane.h"
#include "destinations/TForm8.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTableView>
#include <QTimer>

namespace kelvo {
namespace {

QString HistoryTreePath(const QString& home) {
    return home + QStringLiteral("TreeViewLogs.txt");
}

} // namespace

AppSession::AppSession(const QString& homeFolder)
    : home_(homeFolder), settings_(homeFolder), destination_(homeFolder),
      intake_(homeFolder + QStringLiteral(".staging")) {
    settings_.Read(home_ + QStringLiteral("kelvo.ini"));
    destination_.ReadFrom(settings_);
    storedIndex_ = destination_.CurrentIndex();
    form1_ = std::make_unique<TForm1>();
    form1_->SetCurrentDestination(&destination_);
    form1_->Panel1->SetModel(&destinations_);
    // Until the settings are written at close, a list file written before
    // counts as the sign that this is not the first run.
    const bool nori =
        settings_.Boolean("Form", "NORI") || QFileInfo::exists(DestinationListPath(home_));
    const QString treeProblem =
        LoadDestinations(destinations_, home_, nori, destination_.CurrentFolder());
    if (!treeProblem.isEmpty())
        startupProblems_ << treeProblem;
    form2_ =
        std::make_unique<TForm2>(destinations_, form1_->Action1, form1_->Action2, form1_->Action3);
    form4_ = std::make_unique<TForm4>();
    prompter_ = std::make_unique<QtPrompter>(form1_.get(), *form4_);
    form8_ = std::make_unique<TForm8>(*prompter_);
    QString historyProblem;
    if (!history_.Load(HistoryTreePath(home_), &historyProblem))
        startupProblems_ << historyProblem;
    QDir().mkdir(home_ + QStringLiteral("Logs"));
    WireDestinationCommands();
    pipeline_ = std::make_unique<CapturePipeline>(
        CaptureContext{home_, *prompter_, browser_, clock_, *form1_, history_, destination_});
    form1_->SetCapture(&intake_, pipeline_.get());
    form1_->ShowCurrentDestination(destination_.CurrentIdentifier(), destination_.CurrentFolder());
    form1_->ClearCaptureInfo();
    form1_->ShowStatus(QStringLiteral("画像ドロップ待機中"));
}

AppSession::~AppSession() = default;

void AppSession::WireDestinationCommands() {
    selector_ = std::make_unique<DestinationSelector>(destinations_, destination_, *form1_);
    QObject::connect(form1_->Panel1, &DestinationTreePane::TreeView1Change, form1_.get(),
                     [this](int position) { selector_->TreeView1Change(position); });
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

// No hover selection while a dialog is open; the settings dialog starts the
// timer again itself when it closes.
void AppSession::RunDestinationCommand(void (DestinationCommands::*command)()) {
    form1_->Timer1->stop();
    ((*commands_).*command)();
    if (form2_->isVisible())
        form2_->DestinationSheet->ListView1->setFocus();
    else
        form1_->Timer1->start();
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
    form1_->Timer1->stop();
    if (form2_->Run(destination_.CurrentIdentifier())) {
        const int found = destinations_.FindByIdentifier(form2_->DestinationSheet->SelectedText());
        if (found >= 0) {
            destination_.SetIndex(found);
            form1_->Panel1->Select(found);
            const SaveDestination& chosen = destinations_.At(found);
            destination_.Set(chosen.identifier, chosen.folder);
            form1_->ShowCurrentDestination(chosen.identifier, destination_.CurrentFolder());
        }
    }
    form1_->Timer1->start();
}

bool AppSession::SaveOnClose() {
    const QString treeProblem = SaveDestinations(destinations_, home_);
    if (!treeProblem.isEmpty()) {
        prompter_->Notice(treeProblem);
        return false;
    }
    const QString path = HistoryTreePath(home_);
    if (history_.Save(path))
        return true;
    prompter_->Notice(QStringLiteral("ファイル %1 を作成できません").arg(path));
    return false;
}

} // namespace kelvo
