#pragma once

#include "capture/CapturePipeline.h"
#include "destinations/CurrentDestination.h"
#include "logs/CaptureLog.h"
#include "logs/HistoryTree.h"
#include "support/CaptureFakes.h"
#include "support/Files.h"

#include <QDir>

#include <memory>

namespace kelvo::testing {

// A home folder whose logs and history tree are made by the capture pipeline,
// one capture at a time at a fixed moment, into the folder "pictures/".
class CapturedHome {
public:
    explicit CapturedHome(const QString& root)
        : home(root + QStringLiteral("/home/")), pictures(root + QStringLiteral("/pictures/")),
          sources(root + QStringLiteral("/sources/")) {
        for (const QString& folder : {home, pictures, sources})
            QDir().mkpath(folder);
        destination.Set(QStringLiteral("壁紙"), pictures);
        pipeline = std::make_unique<CapturePipeline>(
            CaptureContext{home, prompter, browser, clock, display, history, destination});
    }

    // From now on, captures are checked against the collection and added to
    // it, following choices.
    void KeepCollection() {
        pipeline = std::make_unique<CapturePipeline>(CaptureContext{home,
                                                                    prompter,
                                                                    browser,
                                                                    clock,
                                                                    display,
                                                                    history,
                                                                    destination,
                                                                    RunHere,
                                                                    {},
                                                                    &collection,
                                                                    &choices});
    }

    // Captures a file of that name and content at the moment, from the page
    // address; returns where it was saved.
    QString Capture(const QString& name, const QDateTime& at, const QString& address = {},
                    const QByteArray& bytes = "picture bytes") {
        return CaptureWithOutcome(name, at, address, bytes).savedPath;
    }
    CaptureOutcome CaptureWithOutcome(const QString& name, const QDateTime& at,
                                      const QString& address = {},
                                      const QByteArray& bytes = "picture bytes",
                                      const QString& imageAddress = {}) {
        const QString source = sources + name;
        WriteBytes(source, bytes);
        clock.now = at;
        browser.pageAddress = address;
        return pipeline->CaptureFile({source, imageAddress});
    }

    QString LogOf(const QDateTime& at) const { return DailyLogPath(home, at); }

    QString home, pictures, sources;
    ScriptedPrompter prompter;
    FakeBrowser browser;
    FixedClock clock;
    SilentCaptureDisplay display;
    HistoryTree history;
    CurrentDestination destination{QString()};
    FakeCollection collection;
    CaptureChoices choices;
    std::unique_ptr<CapturePipeline> pipeline;
};

} // namespace kelvo::testing
