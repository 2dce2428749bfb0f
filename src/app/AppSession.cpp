#include "app/AppSession.h"

#include "app/QtPrompter.h"
#include "app/TForm1.h"
#include "capture/CapturePipeline.h"
#include "capture/TForm4.h"

#include <QDir>
#include <QLabel>

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
    form1_ = std::make_unique<TForm1>();
    form4_ = std::make_unique<TForm4>();
    prompter_ = std::make_unique<QtPrompter>(form1_.get(), *form4_);
    history_.Load(HistoryTreePath(home_), &historyError_);
    QDir().mkdir(home_ + QStringLiteral("Logs"));
    pipeline_ = std::make_unique<CapturePipeline>(
        CaptureContext{home_, *prompter_, browser_, clock_, *form1_, history_, destination_});
    form1_->SetCapture(&intake_, pipeline_.get());
    ShowDestination();
    form1_->ShowStatus(QStringLiteral("画像ドロップ待機中"));
}

AppSession::~AppSession() = default;

void AppSession::ShowDestination() {
    form1_->Label2->setText(destination_.CurrentIdentifier());
    form1_->Label1->setText(destination_.CaptureFolder());
    form1_->Label3->clear();
    form1_->Label4->clear();
}

void AppSession::ReportStartupProblems() {
    if (!historyError_.isEmpty())
        prompter_->Notice(historyError_);
    historyError_.clear();
}

bool AppSession::SaveOnClose() {
    const QString path = HistoryTreePath(home_);
    if (history_.Save(path))
        return true;
    prompter_->Notice(QStringLiteral("ファイル %1 を作成できません").arg(path));
    return false;
}

} // namespace kelvo
