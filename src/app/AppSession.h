#pragma once

#include "app/InstanceLock.h"
#include "app/SettingsFile.h"
#include "capture/BrowserLink.h"
#include "capture/DropIntake.h"
#include "destinations/CurrentDestination.h"
#include "history/HistoryTree.h"
#include "platform/Clock.h"

#include <memory>

namespace kelvo {

class CapturePipeline;
class QtPrompter;
class TForm1;
class TForm4;

// Everything one running Kelvo window owns, wired together.
class AppSession {
public:
    explicit AppSession(const QString& homeFolder);
    ~AppSession();

    TForm1& MainWindow() { return *form1_; }
    CapturePipeline& Pipeline() { return *pipeline_; }
    HistoryTree& History() { return history_; }
    // Tells about anything start-up could not read; call once the window shows.
    void ReportStartupProblems();
    // Writes what lives in memory during a run; false when a file cannot be written.
    bool SaveOnClose();

private:
    void ShowDestination();

    QString home_;
    SettingsFile settings_;
    CurrentDestination destination_;
    HistoryTree history_;
    QString historyError_;
    SystemClock clock_;
    SilentBrowserLink browser_;
    DropIntake intake_;
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm4> form4_;
    std::unique_ptr<QtPrompter> prompter_;
    std::unique_ptr<CapturePipeline> pipeline_;
};

} // namespace kelvo
