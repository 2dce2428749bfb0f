// Renders Kelvo's windows on the current display and writes them as PNG
// files, for the README and for checking the layout by eye.
// Usage: kelvo_screenshots HOME OUTDIR
#include "app/AppSession.h"
#include "app/ApplicationSetup.h"
#include "app/TAboutBox.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "capture/CapturePipeline.h"
#include "history/SearchRunner.h"
#include "history/TForm7.h"
#include "logs/CaptureLog.h"
#include "logs/HistoryTree.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <cstdio>

namespace {

bool Shoot(QWidget& window, const QString& path) {
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    QTest::qWait(300); // let it paint
    const bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

// Two pictures captured as if dropped, so the history has a day to show.
void CaptureSamples(kelvo::AppSession& session) {
    const QTemporaryDir folder;
    kelvo::DropPayload payload;
    const QList<QPair<QString, QColor>> samples = {{"sunrise.png", QColor(240, 160, 60)},
                                                   {"harbour.png", QColor(60, 120, 200)}};
    for (const auto& [name, colour] : samples) {
        QImage picture(640, 400, QImage::Format_RGB32);
        picture.fill(colour);
        const QString path = folder.filePath(name);
        picture.save(path);
        payload.files.append({path, {}});
    }
    session.Pipeline().HandleDroppedFiles(payload);
    QTest::qWait(500);
}

// The newest day, and its first capture, selected.
bool ShootHistory(kelvo::AppSession& session, const QString& path) {
    kelvo::TForm7& history = session.HistoryBrowser();
    history.show();
    QTreeView* tree = history.TreeView1;
    tree->expandAll();
    const QModelIndex month = tree->model()->index(0, 0);
    tree->setCurrentIndex(tree->model()->index(0, 0, month));
    QTest::qWait(300);
    history.ListView1->selectRow(0);
    return Shoot(history, path);
}

// Captures of earlier months, as their logs would hold them, into folder.
void LogEarlierCaptures(kelvo::AppSession& session, const QString& home, const QString& folder) {
    struct Sample {
        const char* name;
        int daysBack;
        const char* address;
        QColor colour;
    };
    const Sample samples[] = {
        {"harbour-dawn.jpg", 3, "https://photos.example.org/harbour/dawn", QColor(230, 170, 90)},
        {"ハーバー夜景.png", 21, "https://blog.example.jp/yakei/harbour", QColor(30, 40, 90)},
        {"harbour_cranes.webp", 64, "https://www.example.com/port/cranes", QColor(90, 130, 150)},
        {"lighthouse.jpg", 64, "https://photos.example.org/harbour/lighthouse",
         QColor(200, 200, 210)},
        {"fishing-boats.png", 190, "https://example.net/Harbour/boats", QColor(70, 150, 120)}};
    const QDateTime now = QDateTime::currentDateTime();
    for (const Sample& sample : samples) {
        QImage picture(640, 400, QImage::Format_RGB32);
        picture.fill(sample.colour);
        const QString name = QString::fromUtf8(sample.name);
        picture.save(folder + name);
        const QDateTime at = now.addDays(-sample.daysBack).addSecs(-3600);
        kelvo::WriteCaptureLog(
            home, {name, at, QStringLiteral("壁紙"), QString::fromUtf8(sample.address), folder});
        session.History().AddCaptureDayToTree(at);
    }
}

// The whole history searched for a word, the newest line selected.
bool ShootSearch(kelvo::AppSession& session, const QString& path) {
    kelvo::TForm7& history = session.HistoryBrowser();
    history.show();
    history.TreeView1->expandAll();
    history.Edit1->setText(QStringLiteral("harbour"));
    if (!QTest::qWaitFor([&] { return !history.Actions().Search().Running(); }))
        return false;
    history.ListView1->selectRow(0);
    return Shoot(history, path);
}

// A WebP photo captured, then dropped again: the clash dialog over the main
// window that previews the first copy.
bool ShootWebpClash(kelvo::AppSession& session, const QString& path) {
    const QTemporaryDir folder;
    QImage picture(480, 320, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixelColor(x, y, QColor::fromHsv((x + y) % 360, 140, 230));
    const QString photo = folder.filePath(QStringLiteral("夕焼け.webp"));
    if (!picture.save(photo, "webp"))
        return false;
    kelvo::DropPayload payload;
    payload.files.append({photo, {}});
    session.Pipeline().HandleDroppedFiles(payload);
    QTest::qWait(500);
    bool ok = false;
    QTimer::singleShot(800, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        const QRect both = dialog->frameGeometry()
                               .united(session.MainWindow().frameGeometry())
                               .adjusted(-8, -8, 8, 8);
        ok = QGuiApplication::primaryScreen()
                 ->grabWindow(0, both.x(), both.y(), both.width(), both.height())
                 .save(path);
        std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
        if (auto* dontSave = dialog->findChild<QPushButton*>(QStringLiteral("Button4")))
            dontSave->click();
    });
    session.Pipeline().HandleDroppedFiles(payload);
    return ok;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kelvo::SetUpApplication(app);
    if (argc != 3) {
        std::fprintf(stderr, "usage: kelvo_screenshots HOME OUTDIR\n");
        return 2;
    }
    const QString home = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]) + QLatin1Char('/');
    kelvo::AppSession session(home);
    bool ok = Shoot(session.MainWindow(), out + QStringLiteral("main-window.png"));
    kelvo::TForm2& settings = session.SettingsDialog();
    for (int page = 0; page < settings.PageControl1->count(); ++page) {
        settings.PageControl1->setCurrentIndex(page);
        ok &= Shoot(settings, out + QStringLiteral("settings-%1.png").arg(page + 1));
    }
    settings.hide();
    CaptureSamples(session);
    ok &= ShootHistory(session, out + QStringLiteral("history.png"));
    const QTemporaryDir earlier;
    LogEarlierCaptures(session, home, earlier.path() + QLatin1Char('/'));
    ok &= ShootSearch(session, out + QStringLiteral("history-search.png"));
    session.HistoryBrowser().hide();
    // Without a tray, its notice would stand in the picture.
    delete session.MainWindow().findChild<QWidget*>(QStringLiteral("NoTrayNotice"));
    session.MainWindow().move(40, 40);
    ok &= ShootWebpClash(session, out + QStringLiteral("webp-clash.png"));
    if (auto* versionBox = session.MainWindow().findChild<kelvo::TAboutBox*>())
        ok &= Shoot(*versionBox, out + QStringLiteral("version-box.png"));
    else
        ok = false;
    return ok ? 0 : 1;
}
