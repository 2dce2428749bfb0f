#include "browser/BrowserHostsCommand.h"
#include "commands/CaptureCommand.h"
#include "commands/CommandLine.h"
#include "commands/CommandOutput.h"
#include "commands/HistoryCommand.h"
#include "commands/TableCommand.h"
#include "handover/HandOverClient.h"
#include "program/WindowModule.h"
#include "services/Clock.h"
#include "session/HomeFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>
#include <utility>

namespace {

using CommandRunner = int (*)(const QStringList& args, const QString& homeOption, QTextStream& out,
                              QTextStream& err);

// Standard output did not take everything: the run failed, whatever it did.
int OutputLost(QTextStream& err) {
    err << "kelvo: cannot write the output" << Qt::endl;
    return 1;
}

// Command-line runs need no display, so they work over ssh and in scripts.
int RunCommandLine(int argc, char* argv[], CommandRunner run) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const QString homeOption = kelvo::TakeHomeOption(args);
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const int code = run(args.mid(1), homeOption, out, err);
    out.flush();
    if (out.status() != QTextStream::Ok)
        return OutputLost(err);
    return code;
}

// A table or a day can be large: it goes out as UTF-8 bytes in large pieces,
// past the text stream.
int RunTable(const QStringList& args, const QString&, QTextStream&, QTextStream& err) {
    kelvo::CommandOutput out(STDOUT_FILENO);
    const int code = kelvo::RunTableCommand(args, out, err);
    return out.Finish() ? code : OutputLost(err);
}

int RunCapture(const QStringList& args, const QString& homeOption, QTextStream& out,
               QTextStream& err) {
    // Made by the command once its call is right: a wrong one makes nothing.
    const QString home = kelvo::ResolveHomeFolder(
        homeOption, QCoreApplication::applicationDirPath(), kelvo::HomeUse::ReadOnly);
    const kelvo::SystemClock clock;
    QTextStream in(stdin);
    return kelvo::RunCaptureCommand(
        args, home, kelvo::PicturesDestinationFolder(kelvo::DesktopPicturesFolder()), clock, out,
        err,
        [&](const QStringList& files, QTextStream& handedOut) {
            const auto print = [&handedOut](const kelvo::HandedOutcome& outcome) {
                kelvo::PrintCaptureLine(handedOut, outcome.path, outcome.text);
            };
            kelvo::HandedCapture capture;
            for (const QString& file : files)
                capture.files.append({file});
            return kelvo::HandOverCapture(home, capture, print, err);
        },
        &in);
}

// The picture decoders come with the window's module, loaded when a picture
// is first hashed.
kelvo::PictureHasher ModulePictureHasher(QTextStream& err) {
    return [&err, told = false](const QString& path) mutable -> std::optional<kelvo::PictureHash> {
        QString failure;
        const std::optional<kelvo::WindowModule> module = kelvo::LoadWindowModule(failure);
        kelvo::PictureHash hash;
        if (module && module->hashPictureFile(path, &hash))
            return hash;
        if (!module && !std::exchange(told, true))
            err << "kelvo: cannot load the picture decoders: " << failure << Qt::endl;
        return std::nullopt;
    };
}

int RunHistory(const QStringList& args, const QString& homeOption, QTextStream&, QTextStream& err) {
    // Reading the history never makes a home that is not there.
    const QString home = kelvo::ResolveHomeFolder(
        homeOption, QCoreApplication::applicationDirPath(), kelvo::HomeUse::ReadOnly);
    kelvo::CommandOutput out(STDOUT_FILENO);
    const int code = kelvo::RunHistoryCommand(args, home, out, err, ModulePictureHasher(err));
    return out.Finish() ? code : OutputLost(err);
}

int RunBrowserHosts(const QStringList& args, const QString& homeOption, QTextStream& out,
                    QTextStream& err) {
    const QString home = homeOption.isEmpty()
                             ? QString()
                             : kelvo::ResolveHomeFolder(homeOption, {}, kelvo::HomeUse::ReadOnly);
    return kelvo::RunBrowserHostsCommand(
        args,
        {QCoreApplication::applicationDirPath() + QStringLiteral("/kelvo-browser-host"), home,
         QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), QDir::homePath()},
        out, err);
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const kelvo::CommandLineRequest request = kelvo::ReadCommandLine(arguments);
    using Kind = kelvo::CommandLineRequest::Kind;
    switch (request.kind) {
    case Kind::Help:
        std::fputs(kelvo::KelvoUsage().toUtf8().constData(), stdout);
        return 0;
    case Kind::Version:
        std::printf("kelvo %s\n", kelvo::KelvoVersion().toUtf8().constData());
        return 0;
    case Kind::Wrong:
        std::fprintf(stderr, "kelvo: %s\n%s", request.problem.toLocal8Bit().constData(),
                     kelvo::KelvoUsage().toUtf8().constData());
        return 2;
    case Kind::Command:
        if (request.command == QLatin1String("table"))
            return RunCommandLine(argc, argv, RunTable);
        if (request.command == QLatin1String("capture"))
            return RunCommandLine(argc, argv, RunCapture);
        if (request.command == QLatin1String("browser-hosts"))
            return RunCommandLine(argc, argv, RunBrowserHosts);
        return RunCommandLine(argc, argv, RunHistory);
    case Kind::Window:
        break;
    }
    QString failure;
    const std::optional<kelvo::WindowModule> module = kelvo::LoadWindowModule(failure);
    if (!module) {
        std::fprintf(stderr, "kelvo: cannot load the window: %s\n",
                     failure.toLocal8Bit().constData());
        return 1;
    }
    return module->windowMain(argc, argv);
}
