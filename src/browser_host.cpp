// kelvo-browser-host: the native messaging host the browsers start for
// Kelvo's companion extension. It reads the extension's requests on standard
// input and answers each on standard output, in the browsers' framing, until
// the browser closes the input. A capture goes to the window working on the
// home, else it is made here. No network port is ever opened.

#include "browser/Companion.h"
#include "browser/DestinationWatch.h"
#include "browser/HostAnswers.h"
#include "browser/NativeMessages.h"
#include "commands/LocalCapture.h"
#include "files/FileBytes.h"
#include "services/Clock.h"
#include "session/HomeFolder.h"
#include "text/PathText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <unistd.h>

namespace {

// --write-manifests HOST FOLDER: the install's registrations for every user,
// naming HOST, written as FOLDER/chromium/NAME.json and FOLDER/firefox/NAME.json.
int WriteManifests(const QString& host, const QString& folder) {
    for (const auto& [browser, manifest] :
         {std::pair{QStringLiteral("chromium"), kelvo::ChromiumHostManifest(host)},
          std::pair{QStringLiteral("firefox"), kelvo::FirefoxHostManifest(host)}}) {
        const QString path =
            folder + u'/' + browser + u'/' + kelvo::BrowserHostName() + QStringLiteral(".json");
        if (!QDir().mkpath(QFileInfo(path).path()) ||
            !kelvo::WriteFileAtomically(kelvo::LocalPath(path), manifest.toStdString()))
            return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() == 3 && args[0] == QLatin1String("--write-manifests"))
        return WriteManifests(args[1], args[2]);
    const QString homeOption = kelvo::TakeHomeOption(args);
    QTextStream err(stderr);
    if (!kelvo::StartedForCompanion(args)) {
        err << "kelvo-browser-host: answers Kelvo's companion extension only, started by the "
               "browser"
            << Qt::endl;
        return 1;
    }
    const QString home = kelvo::ResolveHomeFolder(
        homeOption, QCoreApplication::applicationDirPath(), kelvo::HomeUse::ReadOnly);
    const kelvo::SystemClock clock;
    const kelvo::HostContext context{
        home, kelvo::PicturesDestinationFolder(kelvo::DesktopPicturesFolder()), clock,
        [&](const kelvo::HandedCapture& capture) -> std::optional<kelvo::HandedOutcome> {
            std::optional<kelvo::HandedOutcome> told;
            kelvo::HandOverCapture(
                home, capture, [&told](const kelvo::HandedOutcome& outcome) { told = outcome; },
                err);
            return told;
        }};
    bool broken = false;
    while (const std::optional<QByteArray> request =
               kelvo::ReadNativeMessage(STDIN_FILENO, &broken)) {
        // A port kept open for the destinations: answered as they change.
        if (kelvo::IsWatchRequest(*request)) {
            kelvo::DestinationWatch watch(context, STDIN_FILENO, STDOUT_FILENO);
            QObject::connect(&watch, &kelvo::DestinationWatch::Finished, &app,
                             &QCoreApplication::exit);
            return app.exec();
        }
        if (!kelvo::WriteNativeMessage(STDOUT_FILENO, kelvo::AnswerHostRequest(*request, context)))
            return 1;
    }
    return broken ? 1 : 0;
}
