#include "app/AppSession.h"
#include "app/ApplicationSetup.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "handover/HandOverClient.h"
#include "links/InstanceLink.h"
#include "support/EventLoop.h"
#include "support/Files.h"
#include "support/Parts.h"
#include "support/TestHome.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <thread>

namespace kelvo {
namespace {

using testing::Part;

const QByteArray kNoCloseQuestion = "[Form]\r\nCBX2=0\r\n";
// A destination named in ASCII: the default one's name is Japanese data.
const QByteArray kAsciiDestination = "[Form]\r\nCBX2=0\r\nNORI=1\r\nDefSiki=pictures\r\n";

QStringList MenuBarTexts(TForm1& window) {
    QStringList texts;
    for (const QAction* action : window.menuBar()->actions())
        texts << action->text();
    return texts;
}

// Kana, kanji and the full-width forms: what no English text holds.
bool HasJapanese(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3000 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) ||
            (u >= 0xFF01 && u <= 0xFF9F))
            return true;
    }
    return false;
}

// What a user reads on a window and its parts: titles, captions, tips, the
// names screen readers say. The language box names each language in its own.
QStringList ReadableTexts(QWidget& window) {
    QStringList texts{window.windowTitle()};
    for (QWidget* part : window.findChildren<QWidget*>()) {
        texts << part->toolTip() << part->accessibleName() << part->accessibleDescription();
        if (auto* label = qobject_cast<QLabel*>(part))
            texts << label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(part))
            texts << button->text();
        else if (auto* group = qobject_cast<QGroupBox*>(part))
            texts << group->title();
        else if (auto* field = qobject_cast<QLineEdit*>(part))
            texts << field->placeholderText();
        else if (auto* tabs = qobject_cast<QTabWidget*>(part))
            for (int tab = 0; tab < tabs->count(); ++tab)
                texts << tabs->tabText(tab);
        else if (auto* box = qobject_cast<QComboBox*>(part);
                 box && box->objectName() != u"LanguageBox")
            for (int item = 0; item < box->count(); ++item)
                texts << box->itemText(item);
    }
    for (const QAction* action : window.findChildren<QAction*>())
        texts << action->text() << action->toolTip();
    return texts;
}

} // namespace

// The windows speak the language kelvo.ini names, from the start; Japanese,
// the program's own, whatever the system's language.
class LanguageTest : public QObject {
    Q_OBJECT

    testing::TestHomes homes_;

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Every translator a test installed goes with it.
    void cleanup() { qDeleteAll(qApp->findChildren<QTranslator*>()); }

    void everyWindowSpeaksEnglishWhenTheSettingsSayEn() {
        const QString home = homes_.New(kAsciiDestination + "[Appearance]\r\nLanguage=en\r\n");
        QVERIFY(testing::WriteBytes(home + "ListView.txt",
                                    testing::DestinationListText({{"pictures", home}})));
        QVERIFY(SpeakLanguage(*qApp, StoredLanguage(home)));
        AppSession session(home);
        QCOMPARE(MenuBarTexts(session.MainWindow()),
                 (QStringList{"Quit", "Settings", "History", "Paste", "Help"}));
        for (QWidget* window : QApplication::topLevelWidgets()) {
            for (const QString& text : ReadableTexts(*window))
                QVERIFY2(!HasJapanese(text),
                         qPrintable(QString::fromLatin1(window->metaObject()->className()) + u' ' +
                                    window->objectName() + QStringLiteral(": ") + text));
        }
    }

    // kelvo capture prints, for scripts, what a window captured in its place:
    // in the program's own words, whatever the window showed.
    void aHandedCaptureIsPrintedInTheProgramsOwnWords() {
        const QString home = homes_.New(kNoCloseQuestion + "[Appearance]\r\nLanguage=en\r\n");
        QVERIFY(SpeakLanguage(*qApp, StoredLanguage(home)));
        AppSession session(home);
        QVERIFY(session.AcceptHandOvers());
        const QString picture = homes_.Path() + "/handed.png";
        QVERIFY(testing::WriteBytes(picture, "picture"));
        QString printed;
        std::optional<int> code;
        std::thread client([&] {
            QString said;
            QTextStream err(&said);
            code = HandOverCapture(
                home, {{}, {{picture}}},
                [&printed](const HandedOutcome& outcome) { printed = outcome.text; }, err);
        });
        QVERIFY(testing::RunEventsUntil([&] { return code.has_value(); }));
        client.join();
        QCOMPARE(printed, QStringLiteral("を保存しました。"));
        QCOMPARE(Part<QLabel>(session.MainWindow(), "Label4")->text(), QStringLiteral("Saved."));
    }

    void japaneseByDefault_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::newRow("no language") << kNoCloseQuestion;
        QTest::newRow("ja") << kNoCloseQuestion + "[Appearance]\r\nLanguage=ja\r\n";
        QTest::newRow("unknown") << kNoCloseQuestion + "[Appearance]\r\nLanguage=fr\r\n";
    }

    void japaneseByDefault() {
        QFETCH(QByteArray, settings);
        const QString home = homes_.New(settings);
        QVERIFY(SpeakLanguage(*qApp, StoredLanguage(home)));
        AppSession session(home);
        QCOMPARE(MenuBarTexts(session.MainWindow()),
                 (QStringList{"終了", "設定", "履歴", "貼り付け", "ヘルプ"}));
    }

    // Chosen in the settings, written at OK, and spoken from the next start.
    void aChosenLanguageWaitsForTheNextStart() {
        const QString home = homes_.New(kNoCloseQuestion);
        AppSession session(home);
        TForm2& dialog = session.SettingsDialog();
        auto* note = Part<QLabel>(dialog, "LanguageNote");
        auto* pages = Part<QTabWidget>(dialog, "PageControl1");
        pages->setCurrentWidget(Part<QWidget>(dialog, "AppearanceSheet"));
        bool noteShown = false;
        QTimer::singleShot(0, &dialog, [&] {
            Part<QComboBox>(dialog, "LanguageBox")->setCurrentText(QStringLiteral("English"));
            noteShown = note->isVisible();
            Part<QPushButton>(dialog, "OkButton")->click();
        });
        session.OpenSettings();
        QVERIFY(noteShown);
        QVERIFY(testing::ReadBytes(home + "kelvo.ini").contains("[Appearance]\r\nLanguage=en\r\n"));
        QCOMPARE(StoredLanguage(home), DisplayLanguage::English);
        QCOMPARE(MenuBarTexts(session.MainWindow()).constFirst(), QStringLiteral("終了"));

        // Back to the language this run speaks: nothing waits.
        QTimer::singleShot(0, &dialog, [&] {
            Part<QComboBox>(dialog, "LanguageBox")->setCurrentText(QStringLiteral("日本語"));
            noteShown = note->isVisible();
            Part<QPushButton>(dialog, "OkButton")->click();
        });
        session.OpenSettings();
        QVERIFY(!noteShown);
        QCOMPARE(StoredLanguage(home), DisplayLanguage::Japanese);
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::LanguageTest)
#include "LanguageTest.moc"
