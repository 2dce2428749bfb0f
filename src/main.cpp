#include "app/AppSession.h"
#include "app/ApplicationSetup.h"
#include "app/StartupProbe.h"
#include "app/TForm1.h"
#include "browser/BrowserHostsCommand.h"
#include "commands/CaptureCommand.h"
#include "commands/CommandLine.h"
#include "commands/CommandOutput.h"
#include "commands/HistoryCommand.h"
#include "commands/TableCommand.h"
#include "links/InstanceLink.h"
#include "services/Clock.h"
#include "services/EndSignals.h"
#include "session/DisplayChoice.h"
#include "session/DisplayLanguage.h"
#include "session/HomeFolder.h"
#include "session/InstanceLock.h"
#include "similarity/PerceptualHash.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <exception>
#include <optional>
#include <unistd.h>

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

int RunHistory(const QStringList& args, const QString& homeOption, QTextStream&, QTextStream& err) {
    // Reading the history never makes a home that is not there.
    const QString home = kelvo::ResolveHomeFolder(
        homeOption, QCoreApplication::applicationDirPath(), kelvo::HomeUse::ReadOnly);
    kelvo::CommandOutput out(STDOUT_FILENO);
    const int code = kelvo::RunHistoryCommand(args, home, out, err, kelvo::PerceptualHashOfFile);
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

int RunWindow(int argc, char* argv[]) {
    // Before Qt chooses; what the window opens later chooses for itself again.
    const bool preferX11 = kelvo::PreferX11ForWindow();
    QApplication app(argc, argv);
    if (preferX11)
        qunsetenv("QT_QPA_PLATFORM");
    QStringList args = app.arguments();
    const QString home = kelvo::ResolveHomeFolder(kelvo::TakeHomeOption(args),
                                                  QCoreApplication::applicationDirPath());
    // The language the home's settings name, before the first message box.
    kelvo::SetUpApplication(app, kelvo::StoredLanguage(home));
    kelvo::InstanceLock lock(home);
    if (!lock.TryLock()) {
        if (!lock.HeldByAnother()) {
            QMessageBox::critical(
                nullptr, kelvo::KelvoName(),
                QCoreApplication::translate("main", "ホームフォルダをロックできません。\n%1")
                    .arg(lock.Failure()));
            return 1;
        }
        QMessageBox::information(
            nullptr, kelvo::KelvoName(),
            QCoreApplication::translate("main", "ケルボは既に実行されています！"));
        return 0;
    }
    // From here a logout or Ctrl+C saves what the close would save.
    const kelvo::EndSignals endSignals({SIGTERM, SIGINT, SIGHUP});
    try {
        kelvo::AppSession session(home,
                                  kelvo::PicturesDestinationFolder(kelvo::DesktopPicturesFolder()));
        QObject::connect(&endSignals, &kelvo::EndSignals::Received, &app,
                         [&session] { session.EndWithoutAsking(); });
        session.AcceptHandOvers();
        kelvo::StartupProbe::InstallIfAsked(session.MainWindow());
        session.MainWindow().show();
        session.ReportStartupProblems();
        // An ending signal may have come while a start-up notice was open.
        if (const std::optional<int> code = session.EndedWith())
            return *code;
        return app.exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, kelvo::KelvoName(), QString::fromLocal8Bit(error.what()));
    }
    return 0;
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
    return RunWindow(argc, argv);
}
