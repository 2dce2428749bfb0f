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
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
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

// The modal dialog a drop opens, grabbed with the main window around it, then
// answered with the button of that name.
bool ShootDropDialog(kelvo::AppSession& session, const kelvo::DropPayload& payload,
                     const QString& answer, const QString& path) {
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
        if (auto* button = dialog->findChild<QPushButton*>(answer)) {
            button->click();
        } else { // another dialog than the one meant
            std::printf("no %s in %s\n", qPrintable(answer), qPrintable(dialog->objectName()));
            ok = false;
            dialog->close();
        }
    });
    session.Pipeline().HandleDroppedFiles(payload);
    return ok;
}

QImage RainbowStripes(int hueShift) {
    QImage picture(480, 320, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixelColor(x, y, QColor::fromHsv((x + y + hueShift) % 360, 140, 230));
    return picture;
}

// A WebP photo captured, then another of the same name dropped: the clash
// dialog over the main window that previews the first copy. (The same bytes
// again would be asked about as the same picture first.)
bool ShootWebpClash(kelvo::AppSession& session, const QString& path) {
    const QTemporaryDir first;
    const QTemporaryDir second;
    const QString name = QStringLiteral("夕焼け.webp");
    const QString photo = first.filePath(name);
    const QString other = second.filePath(name);
    if (!RainbowStripes(0).save(photo, "webp") || !RainbowStripes(120).save(other, "webp"))
        return false;
    kelvo::DropPayload payload;
    payload.files.append({photo, {}});
    session.Pipeline().HandleDroppedFiles(payload);
    QTest::qWait(500);
    kelvo::DropPayload again;
    again.files.append({other, {}});
    return ShootDropDialog(session, again, QStringLiteral("Button4"), path);
}

// A harbour at dusk, drawn: something to recognise in two small previews.
QImage HarbourAtDusk() {
    QImage picture(800, 600, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QLinearGradient sky(0, 0, 0, 400);
    sky.setColorAt(0, QColor(52, 48, 110));
    sky.setColorAt(0.55, QColor(214, 110, 96));
    sky.setColorAt(1, QColor(250, 196, 120));
    painter.fillRect(0, 0, 800, 400, sky);
    painter.setBrush(QColor(255, 232, 168));
    painter.drawEllipse(QPointF(520, 330), 52, 52);
    QLinearGradient sea(0, 400, 0, 600);
    sea.setColorAt(0, QColor(84, 72, 118));
    sea.setColorAt(1, QColor(22, 30, 62));
    painter.fillRect(0, 400, 800, 200, sea);
    painter.setBrush(QColor(250, 200, 130, 150));
    for (int line = 0; line < 9; ++line)
        painter.drawRect(
            QRectF(470 + line * 4 - (line % 2) * 14, 408 + line * 20, 100 - line * 8, 5));
    // The far shore, with a crane and a lighthouse against the sky.
    painter.setBrush(QColor(34, 28, 52));
    painter.drawPolygon(QPolygonF({QPointF(0, 400), QPointF(0, 338), QPointF(120, 318),
                                   QPointF(260, 352), QPointF(330, 372), QPointF(330, 400)}));
    painter.drawRect(QRectF(620, 372, 180, 28));
    painter.setPen(QPen(QColor(34, 28, 52), 6));
    painter.drawLine(QPointF(690, 372), QPointF(690, 250));
    painter.drawLine(QPointF(640, 256), QPointF(790, 256));
    painter.drawLine(QPointF(690, 250), QPointF(760, 280));
    painter.setPen(Qt::NoPen);
    painter.drawRect(QRectF(150, 262, 18, 62));
    painter.setBrush(QColor(255, 240, 190));
    painter.drawRect(QRectF(151, 256, 16, 10));
    return picture;
}

// A photo captured from a page, then its very bytes dropped again under
// another name: the dialog over the main window that asks before saving.
bool ShootSamePicture(kelvo::AppSession& session, const QString& path) {
    const QTemporaryDir folder;
    const QString photo = folder.filePath(QStringLiteral("harbour-dusk.jpg"));
    const QString again = folder.filePath(QStringLiteral("IMG_2041.jpg"));
    if (!HarbourAtDusk().save(photo, "jpg", 90) || !QFile::copy(photo, again))
        return false;
    kelvo::DropPayload fromPage;
    kelvo::DroppedFile file{photo,
                            QStringLiteral("https://photos.example.org/img/harbour-dusk.jpg")};
    file.pageAddress = QStringLiteral("https://photos.example.org/harbour/dusk");
    fromPage.files.append(file);
    session.Pipeline().HandleDroppedFiles(fromPage);
    QTest::qWait(500);
    kelvo::DropPayload copy;
    copy.files.append({again, {}});
    return ShootDropDialog(session, copy, QStringLiteral("DontSaveButton"), path);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: kelvo_screenshots HOME OUTDIR\n");
        return 2;
    }
    const QString home = QString::fromLocal8Bit(argv[1]);
    // In the language the home's settings name, as the program starts.
    kelvo::SetUpApplication(app, kelvo::StoredLanguage(home));
    const QString out = QString::fromLocal8Bit(argv[2]) + QLatin1Char('/');
    kelvo::AppSession session(home);
    bool ok = Shoot(session.MainWindow(), out + QStringLiteral("main-window.png"));
    kelvo::TForm2& settings = session.SettingsDialog();
    auto* pages = settings.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    for (int page = 0; pages && page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
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
    ok &= ShootSamePicture(session, out + QStringLiteral("same-picture.png"));
    ok &= Shoot(session.VersionBox(), out + QStringLiteral("version-box.png"));
    return ok ? 0 : 1;
}
