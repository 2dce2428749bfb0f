#include "app/AppSession.h"
#include "app/CaptureCommand.h"
#include "app/HistoryCommand.h"
#include "app/HomeFolder.h"
#include "app/InstanceLink.h"
#include "app/InstanceLock.h"
#include "app/StartupProbe.h"
#include "app/TForm1.h"
#include "app/TableCommand.h"
#include "platform/Clock.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QTextStream>

#include <exception>

namespace {

using CommandRunner = int (*)(const QStringList& args, const QString& homeOption, QTextStream& out,
                              QTextStream& err);

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
    if (out.status() != QTextStream::Ok) {
        err << "kelvo: cannot write the output" << Qt::endl;
        return 1;
    }
    return code;
}

int RunTable(const QStringList& args, const QString&, QTextStream& out, QTextStream& err) {
    return kelvo::RunTableCommand(args, out, err);
}

int RunCapture(const QStringList& args, const QString& homeOption, QTextStream& out,
               QTextStream& err) {
    const QString home =
        kelvo::ResolveHomeFolder(homeOption, QCoreApplication::applicationDirPath());
    const kelvo::SystemClock clock;
    return kelvo::RunCaptureCommand(args, home, clock, out, err,
                                    [&](const QStringList& files, QTextStream& handedOut) {
                                        return kelvo::HandOverCapture(home, files, handedOut, err);
                                    });
}

int RunHistory(const QStringList& args, const QString& homeOption, QTextStream& out,
               QTextStream& err) {
    const QString home =
        kelvo::ResolveHomeFolder(homeOption, QCoreApplication::applicationDirPath());
    return kelvo::RunHistoryCommand(args, home, out, err);
}

int RunWindow(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("ケルボ"));
    QStringList args = app.arguments();
    const QString home = kelvo::ResolveHomeFolder(kelvo::TakeHomeOption(args),
                                                  QCoreApplication::applicationDirPath());
    kelvo::InstanceLock lock(home);
    if (!lock.TryLock()) {
        if (!lock.HeldByAnother()) {
            QMessageBox::critical(nullptr, QStringLiteral("ケルボ"),
                                  QStringLiteral("ホームフォルダをロックできません。\n") +
                                      lock.Failure());
            return 1;
        }
        QMessageBox::information(nullptr, QStringLiteral("ケルボ"),
                                 QStringLiteral("ケルボは既に実行されています！"));
        return 0;
    }
    try {
        kelvo::AppSession session(home);
        session.AcceptHandOvers();
        kelvo::StartupProbe::InstallIfAsked(session.MainWindow());
        session.MainWindow().show();
        session.ReportStartupProblems();
        app.exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QStringLiteral("ケルボ"),
                              QString::fromLocal8Bit(error.what()));
    }
    return 0;
}

// The first argument that is not --home and its folder names the command.
QString CommandName(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--home")) {
            ++i;
            continue;
        }
        if (!arg.startsWith(QLatin1String("--home=")))
            return arg;
    }
    return {};
}

} // namespace

int main(int argc, char* argv[]) {
    const QString command = CommandName(argc, argv);
    if (command == QLatin1String("table"))
        return RunCommandLine(argc, argv, RunTable);
    if (command == QLatin1String("capture"))
        return RunCommandLine(argc, argv, RunCapture);
    if (command == QLatin1String("history"))
        return RunCommandLine(argc, argv, RunHistory);
    return RunWindow(argc, argv);
}
