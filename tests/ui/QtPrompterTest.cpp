#include "app/QtPrompter.h"
#include "app/ApplicationSetup.h"
#include "capture/TForm4.h"
#include "support/Modal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace kelvo {
namespace {

using testing::WhenNextModalShows;

QStringList ButtonTexts(QWidget* window) {
    QStringList texts;
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>())
        texts << button->text();
    return texts;
}

QStringList LabelTexts(QWidget* window) {
    QStringList texts;
    for (const QLabel* label : window->findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

} // namespace

// Questions open over the window they come from, and speak Japanese.
class QtPrompterTest : public QObject {
    Q_OBJECT

    QWidget mainWindow_;
    TForm4 clashDialog_;
    QtPrompter prompter_{&mainWindow_, clashDialog_};

private slots:
    void initTestCase() {
        QVERIFY2(SpeakJapanese(*qApp), "Qt's Japanese translation is not installed");
        mainWindow_.show();
    }

    void aQuestionReadsHaiAndIie() {
        QStringList buttons;
        WhenNextModalShows([&](QWidget* box) {
            buttons = ButtonTexts(box);
            auto* question = qobject_cast<QMessageBox*>(box);
            QVERIFY(question);
            question->button(QMessageBox::Yes)->click();
        });
        QVERIFY(prompter_.Ask(QStringLiteral("終了しますか？")));
        QCOMPARE(buttons.size(), 2);
        QVERIFY2(buttons.join(u'|').contains(QStringLiteral("はい")),
                 qPrintable(buttons.join(u'|')));
        QVERIFY2(buttons.join(u'|').contains(QStringLiteral("いいえ")),
                 qPrintable(buttons.join(u'|')));
    }

    void aBoxOpensOverTheModalWindowItCameFrom() {
        QWidget* owner = nullptr;
        WhenNextModalShows([&](QWidget* box) { owner = box->parentWidget(); });
        prompter_.Notice(QStringLiteral("メインから"));
        QCOMPARE(owner, &mainWindow_);

        // A dialog run modally, as the settings dialog and the history browser are.
        QDialog settings;
        QTimer::singleShot(0, &settings, [&] {
            WhenNextModalShows([&](QWidget* box) { owner = box->parentWidget(); });
            prompter_.Notice(QStringLiteral("設定から"));
            settings.accept();
        });
        settings.exec();
        QCOMPARE(owner, &settings);
    }

    void theSaveDialogSpeaksJapanese() {
        QTemporaryDir dir;
        QStringList labels;
        QStringList buttons;
        QString objectName;
        WhenNextModalShows([&](QWidget* dialog) {
            objectName = dialog->objectName();
            labels = LabelTexts(dialog);
            buttons = ButtonTexts(dialog);
        });
        QVERIFY(!prompter_.AskSaveAs(dir.path() + u'/', QStringLiteral("a.png")));
        QCOMPARE(objectName, QStringLiteral("SaveDialog1"));
        const QString shown = labels.join(u'|') + u'|' + buttons.join(u'|');
        for (const char* english : {"Look in:", "File name:", "Files of type:", "Cancel"})
            QVERIFY2(!shown.contains(QLatin1String(english)), qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral("ファイル名")), qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral("キャンセル")), qPrintable(shown));
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::QtPrompterTest)
#include "QtPrompterTest.moc"
