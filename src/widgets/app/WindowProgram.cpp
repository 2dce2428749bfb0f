#include "app/WindowProgram.h"
#include "app/AppSession.h"
#include "app/ApplicationSetup.h"
#include "app/StartupProbe.h"
#include "app/TForm1.h"
#include "services/EndSignals.h"
#include "session/DisplayChoice.h"
#include "session/DisplayLanguage.h"
#include "session/HomeFolder.h"
#include "session/InstanceLock.h"
#include "session/ProgramName.h"

#include <QApplication>
#include <QMessageBox>

#include <csignal>
#include <exception>
#include <optional>

namespace kelvo {

int RunWindow(int argc, char* argv[]) {
    // Before Qt chooses; what the window opens later chooses for itself again.
    const bool preferX11 = PreferX11ForWindow();
    QApplication app(argc, argv);
    if (preferX11)
        qunsetenv("QT_QPA_PLATFORM");
    QStringList args = app.arguments();
    const QString home =
        ResolveHomeFolder(TakeHomeOption(args), QCoreApplication::applicationDirPath());
    // The language the home's settings name, before the first message box.
    SetUpApplication(app, StoredLanguage(home));
    InstanceLock lock(home);
    if (!lock.TryLock()) {
        if (!lock.HeldByAnother()) {
            QMessageBox::critical(
                nullptr, KelvoName(),
                QCoreApplication::translate("main", "ホームフォルダをロックできません。\n%1")
                    .arg(lock.Failure()));
            return 1;
        }
        QMessageBox::information(
            nullptr, KelvoName(),
            QCoreApplication::translate("main", "ケルボは既に実行されています！"));
        return 0;
    }
    // From here a logout or Ctrl+C saves what the close would save.
    const EndSignals endSignals({SIGTERM, SIGINT, SIGHUP});
    try {
        AppSession session(home, PicturesDestinationFolder(DesktopPicturesFolder()));
        QObject::connect(&endSignals, &EndSignals::Received, &app,
                         [&session] { session.EndWithoutAsking(); });
        session.AcceptHandOvers();
        StartupProbe::InstallIfAsked(session.MainWindow());
        session.MainWindow().show();
        session.ReportStartupProblems();
        // An ending signal may have come while a start-up notice was open.
        if (const std::optional<int> code = session.EndedWith())
            return *code;
        return app.exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, KelvoName(), QString::fromLocal8Bit(error.what()));
    }
    return 0;
}

} // namespace kelvo
