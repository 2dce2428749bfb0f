#pragma once

#include "capture/CapturePipeline.h"
#include "destinations/CurrentDestination.h"
#include "logs/CaptureLog.h"
#include "logs/HistoryTree.h"
#include "support/CaptureFakes.h"

#include <QDir>
#include <QFile>

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

    // Captures a file of that name and content at the moment, from the page
    // address; returns where it was saved.
    QString Capture(const QString& name, const QDateTime& at, const QString& address = {},
                    const QByteArray& bytes = "picture bytes") {
        const QString source = sources + name;
        QFile file(source);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        file.close();
        clock.now = at;
        browser.pageAddress = address;
        return pipeline->CaptureFile({source, {}}).savedPath;
    }

    QString LogOf(const QDateTime& at) const { return DailyLogPath(home, at); }

    QString home, pictures, sources;
    ScriptedPrompter prompter;
    FakeBrowser browser;
    FixedClock clock;
    SilentCaptureDisplay display;
    HistoryTree history;
    CurrentDestination destination{QString()};
    std::unique_ptr<CapturePipeline> pipeline;
};

inline QDateTime At(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

// "ファイル名";"取得日時";"識別名";"取得元アドレス";"保存先フォルダ" in Shift-JIS, as
// the old program wrote a log's header.
inline QByteArray ShiftJisLogHeader() {
    return "\"\x83\x74\x83\x40\x83\x43\x83\x8B\x96\xBC\";\"\x8E\xE6\x93\xBE\x93\xFA\x8E\x9E\";"
           "\"\x8E\xAF\x95\xCA\x96\xBC\";\"\x8E\xE6\x93\xBE\x8C\xB3\x83\x41\x83\x68\x83\x8C\x83"
           "\x58\";\"\x95\xDB\x91\xB6\x90\xE6\x83\x74\x83\x48\x83\x8B\x83\x5F\"\r\n";
}

} // namespace kelvo::testing
