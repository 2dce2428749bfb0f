#include "app/TForm2.h"
#include "destinations/DestinationActions.h"
#include "destinations/DestinationList.h"
#include "session/Transparency.h"
#include "support/Parts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace kelvo {

using testing::Part;

// The settings dialog's appearance and other pages, and the choices it keeps.
class TForm2Test : public QObject {
    Q_OBJECT

private:
    DestinationList list;
    DestinationActions commands;

private slots:
    void PagesAndTexts() {
        TForm2 dialog(list, commands);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("設定"));
        const auto* pages = Part<QTabWidget>(dialog, "PageControl1");
        QCOMPARE(pages->count(), 3);
        QCOMPARE(pages->tabText(0), QStringLiteral("保存先情報"));
        QCOMPARE(pages->tabText(1), QStringLiteral("外観"));
        QCOMPARE(pages->tabText(2), QStringLiteral("その他"));

        auto* group = Part<QGroupBox>(dialog, "GroupBox3");
        const auto* slider = Part<QSlider>(dialog, "TrackBar1");
        QVERIFY(group->isAncestorOf(slider));
        QCOMPARE(group->title(), QStringLiteral("メインフォーム透明度　（ 透明表示に対応した"
                                                "ウィンドウシステムでのみ変更可 ）"));
        QCOMPARE(slider->minimum(), 0);
        QCOMPARE(slider->maximum(), 3);
        QCOMPARE(slider->tickPosition(), QSlider::TicksBelow);
        const QStringList labels{"ノーマル", "透明度‐小", "透明度‐中", "透明度‐大"};
        for (int i = 0; i < 4; ++i) {
            auto* label = group->findChild<QLabel*>(QStringLiteral("Label%1").arg(i + 1));
            QVERIFY(label);
            QCOMPARE(label->text(), labels[i]);
        }

        auto* other = Part<QGroupBox>(dialog, "GroupBox2");
        const auto* confirm = Part<QCheckBox>(dialog, "CheckBox2");
        QVERIFY(other->isAncestorOf(confirm));
        QCOMPARE(other->title(), QStringLiteral("終了時"));
        QCOMPARE(confirm->text(), QStringLiteral("確認をする。"));
        const QWidget* otherPage = pages->widget(2);
        QVERIFY(otherPage->isAncestorOf(other));

        // The browser's DevTools port, on the same page.
        auto* port = Part<QSpinBox>(dialog, "SpinEdit1");
        QVERIFY(otherPage->isAncestorOf(port));
        QCOMPARE(Part<QLabel>(dialog, "Label5")->buddy(), port);
        QCOMPARE(port->minimum(), 1);
        QCOMPARE(port->maximum(), 65535);
        dialog.LoadDevToolsPort(9333);
        QCOMPARE(dialog.DevToolsPort(), 9333);
    }

    // Every move, by the user or by restoring the kept level, is told.
    void SliderDrivesOpacityAndCancelRestoresIt() {
        TForm2 dialog(list, commands);
        QList<int> levels;
        connect(&dialog, &TForm2::OpacityChosen, this, [&](int level) { levels << level; });
        dialog.LoadState(true, false, 1);
        QCOMPARE(levels, QList<int>{1});
        QCOMPARE(dialog.State().keptDestinationFlag, true);

        auto* slider = Part<QSlider>(dialog, "TrackBar1");
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_Right);
        QCOMPARE(levels.last(), 2);
        QCOMPARE(OpacityForLevel(levels.last()), 150);

        dialog.LoadState(true, false, 1);
        QCOMPARE(levels, (QList<int>{1, 2, 1}));
        QCOMPARE(dialog.State().transparencyLevel, 1);
    }

    void UnsupportedTransparencyDisablesTheGroup() {
        TForm2 dialog(list, commands);
        const auto* slider = Part<QSlider>(dialog, "TrackBar1");
        dialog.SetTransparencySupported(false);
        QVERIFY(!slider->isEnabled());
        QVERIFY(!Part<QLabel>(dialog, "Label4")->isEnabled());
        dialog.SetTransparencySupported(true);
        QVERIFY(slider->isEnabled());
    }

    // OK and Cancel both leave the controls as the user set them. The dialog
    // centres on the screen, not over its owner as Qt would place it.
    // The page tells whether the extension's note came, and leads to the guide.
    void ExtensionStateAndGuideLink() {
        TForm2 dialog(list, commands);
        const auto* state = Part<QLabel>(dialog, "Label6");
        QVERIFY(Part<QGroupBox>(dialog, "GroupBox4")->isAncestorOf(state));
        QVERIFY(state->text().contains(QStringLiteral("まだ")));
        dialog.ShowExtensionState(NoteState::Missing);
        QVERIFY(state->text().contains(QStringLiteral("ありませんでした")));
        dialog.ShowExtensionState(NoteState::Taken);
        QVERIFY(state->text().contains(QStringLiteral("ありました")));
        dialog.ShowExtensionState(NoteState::Refused);
        QVERIFY(state->text().contains(QStringLiteral("使いませんでした")));
        QSignalSpy guide(&dialog, &TForm2::GuideRequested);
        emit Part<QLabel>(dialog, "Label7")->linkActivated(QStringLiteral("guide"));
        QCOMPARE(guide.size(), 1);
    }

    void StateFollowsTheControlsAcrossShowings() {
        QWidget owner;
        owner.setGeometry(0, 0, 200, 150);
        owner.show();
        TForm2 dialog(list, commands, &owner);
        dialog.LoadState(false, true, 0);
        QRect frame;
        QTimer::singleShot(0, &dialog, [&] {
            frame = dialog.frameGeometry();
            Part<QCheckBox>(dialog, "CheckBox2")->click();
            Part<QSlider>(dialog, "TrackBar1")->setValue(3);
            Part<QPushButton>(dialog, "OkButton")->click();
        });
        QVERIFY(dialog.Run(QString()));
        const QPoint centre = owner.screen()->availableGeometry().center();
        QVERIFY((frame.center() - centre).manhattanLength() <= 2);
        const TForm2::ShellChoices state = dialog.State();
        QCOMPARE(state.keptDestinationFlag, false);
        QCOMPARE(state.confirmClose, false);
        QCOMPARE(state.transparencyLevel, 3);

        QTimer::singleShot(0, Part<QPushButton>(dialog, "CancelButton"), &QPushButton::click);
        QVERIFY(!dialog.Run(QString()));
        QCOMPARE(dialog.State().transparencyLevel, 3);
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::TForm2Test)
#include "TForm2Test.moc"
