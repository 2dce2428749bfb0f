// kelvo-browser-host: the native messaging host the browsers start for
// Kelvo's companion extension. It reads the extension's requests on standard
// input and answers each on standard output, in the browsers' framing, until
// the browser closes the input. A capture goes to the window working on the
// home, else it is made here. No network port is ever opened.

#include "browser/Companion.h"
#include "browser/HostAnswers.h"
#include "browser/NativeMessages.h"
#include "commands/LocalCapture.h"
#include "services/Clock.h"
#include "session/HomeFolder.h"

#include <QCoreApplication>
#include <QTextStream>

#include <unistd.h>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
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
        if (!kelvo::WriteNativeMessage(STDOUT_FILENO, kelvo::AnswerHostRequest(*request, context)))
            return 1;
    }
    return broken ? 1 : 0;
}
