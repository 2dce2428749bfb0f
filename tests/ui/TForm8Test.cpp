#include "destinations/TForm8.h"
#include "support/CaptureFakes.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

namespace kelvo {

namespace {

template <typename T> T* Part(const TForm8& form, const char* name) {
    return form.findChild<T*>(QString::fromLatin1(name));
}

QPushButton* Button(const TForm8& form, const char* name) {
    return Part<QPushButton>(form, name);
}
QLineEdit* Edit(const TForm8& form, const char* name) {
    return Part<QLineEdit>(form, name);
}

// Runs the editor, doing whileOpen once it shows; an editor that stays open
// fails the test and is ended, instead of hanging it.
std::optional<SaveDestination> RunWhile(TForm8& form, const std::optional<EditorFill>& fill,
                                        const std::function<void()>& whileOpen) {
    QTimer::singleShot(0, &form, whileOpen);
    const QObject guard; // ends with this call, and its timer with it
    QTimer::singleShot(5000, &guard, [&form] {
        QTest::qFail("the editor stayed open", __FILE__, __LINE__);
        form.done(QDialog::Rejected);
    });
    return form.Run(QStringLiteral("保存先情報の追加"), fill);
}

} // namespace

class TForm8Test : public QObject {
    Q_OBJECT

private slots:
    void showsItsTextsInAFixedSize() {
        testing::ScriptedPrompter prompter;
        TForm8 form(prompter);
        QCOMPARE(form.objectName(), QStringLiteral("TForm8"));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QCOMPARE(Part<QLabel>(form, "Label1")->text(),
                 QStringLiteral("識別名（入力無しの場合、保存先フォルダ名と同一名になります）"));
        QCOMPARE(Part<QLabel>(form, "Label2")->text(), QStringLiteral("保存先フォルダ"));
        QCOMPARE(Button(form, "Button3")->text(), QStringLiteral("フォルダ..."));
        QCOMPARE(Button(form, "Button1")->text(), QStringLiteral("ＯＫ"));
        QCOMPARE(Button(form, "Button2")->text(), QStringLiteral("キャンセル"));
    }

    void folderFieldReadsLikeALabelAndTabSkipsIt() {
        testing::ScriptedPrompter prompter;
        TForm8 form(prompter);
        QLineEdit* edit2 = Edit(form, "Edit2");
        QVERIFY(edit2->isReadOnly());
        QVERIFY(!edit2->hasFrame());
        QCOMPARE(edit2->palette().color(QPalette::Base), form.palette().color(QPalette::Window));

        QWidget* afterTab = nullptr;
        RunWhile(form, EditorFill{"cats", "/pics/cats/", true}, [&] {
            QCOMPARE(form.focusWidget(), Edit(form, "Edit1"));
            QVERIFY(Part<QLabel>(form, "Label1")->geometry().bottom() <
                    Edit(form, "Edit1")->geometry().top());
            QVERIFY(Edit(form, "Edit1")->geometry().bottom() <
                    Part<QLabel>(form, "Label2")->geometry().top());
            QVERIFY(Part<QLabel>(form, "Label2")->geometry().bottom() < edit2->geometry().top());
            const QPoint centre = form.frameGeometry().center();
            const QPoint screenCentre = form.screen()->availableGeometry().center();
            QVERIFY((centre - screenCentre).manhattanLength() <= 2);
            QTest::keyClick(Edit(form, "Edit1"), Qt::Key_Tab);
            afterTab = form.focusWidget();
            form.reject();
        });
        QVERIFY(afterTab != nullptr);
        QVERIFY(afterTab != edit2);
    }

    void okIsEnabledOnlyOnceTheChooserGivesAFolder() {
        testing::ScriptedPrompter prompter;
        TForm8 form(prompter);
        const auto result = RunWhile(form, EditorFill{}, [&] {
            QCOMPARE(form.windowTitle(), QStringLiteral("保存先情報の追加"));
            QVERIFY(!Button(form, "Button1")->isEnabled());
            QTest::mouseClick(Button(form, "Button3"), Qt::LeftButton); // cancelled
            QVERIFY(!Button(form, "Button1")->isEnabled());
            QVERIFY(Edit(form, "Edit2")->text().isEmpty());

            prompter.folderAnswer = QStringLiteral("/pics/cats");
            QTest::mouseClick(Button(form, "Button3"), Qt::LeftButton);
            QCOMPARE(Edit(form, "Edit2")->text(), QStringLiteral("/pics/cats"));
            QVERIFY(Button(form, "Button1")->isEnabled());
            QTest::keyClicks(Edit(form, "Edit1"), QStringLiteral("neko"));
            QTest::mouseClick(Button(form, "Button1"), Qt::LeftButton);
        });
        QCOMPARE(prompter.folderPrompts.size(), 2);
        QCOMPARE(prompter.folderPrompts.first(),
                 QStringLiteral("画像保存先フォルダを指定してください。"));
        QVERIFY(result);
        QCOMPARE(*result, (SaveDestination{"neko", "/pics/cats"}));
    }

    // A line break in a folder's name would split its line in kelvo.ini.
    void aFolderNamedWithALineBreakIsRefusedAndTheShownOneStays() {
        testing::ScriptedPrompter prompter;
        TForm8 form(prompter);
        const auto result = RunWhile(form, EditorFill{"cats", "/c/", true}, [&] {
            prompter.folderAnswer = QStringLiteral("/pics/a\nb");
            QTest::mouseClick(Button(form, "Button3"), Qt::LeftButton);
            QCOMPARE(Edit(form, "Edit2")->text(), QStringLiteral("/c/"));
            form.accept();
        });
        QCOMPARE(prompter.notices, QStringList{ControlCharacterFolderText()});
        QCOMPARE(*result, (SaveDestination{"cats", "/c/"}));
    }

    void cancelGivesNothingAndARunWithoutFillKeepsTheValues() {
        testing::ScriptedPrompter prompter;
        TForm8 form(prompter);
        const auto cancelled = RunWhile(form, EditorFill{"cats", "/c/", true}, [&] {
            Edit(form, "Edit1")->setText(QStringLiteral("kittens"));
            QTest::mouseClick(Button(form, "Button2"), Qt::LeftButton);
        });
        QVERIFY(!cancelled);

        bool okEnabled = false;
        const auto kept = RunWhile(form, std::nullopt, [&] {
            okEnabled = Button(form, "Button1")->isEnabled();
            form.accept();
        });
        QVERIFY(okEnabled);
        QVERIFY(kept);
        QCOMPARE(*kept, (SaveDestination{"kittens", "/c/"}));

        // A fill replaces them again, the OK state included.
        const auto emptied = RunWhile(form, EditorFill{}, [&] {
            okEnabled = Button(form, "Button1")->isEnabled();
            form.accept();
        });
        QVERIFY(!okEnabled);
        QCOMPARE(*emptied, (SaveDestination{}));
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::TForm8Test)
#include "TForm8Test.moc"
