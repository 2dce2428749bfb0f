#include "app/TForm2.h"
#include "destinations/DestinationList.h"
#include "destinations/DestinationPage.h"
#include "session/Transparency.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace kelvo {

// The settings dialog's appearance and other pages, and the choices it keeps.
class TForm2Test : public QObject {
    Q_OBJECT

private:
    DestinationList list;
    QAction add, edit, remove;

private slots:
    void PagesAndTexts() {
        TForm2 dialog(list, &add, &edit, &remove);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("設定"));
        QCOMPARE(dialog.PageControl1->count(), 3);
        QCOMPARE(dialog.PageControl1->tabText(0), QStringLiteral("保存先情報"));
        QCOMPARE(dialog.PageControl1->tabText(1), QStringLiteral("外観"));
        QCOMPARE(dialog.PageControl1->tabText(2), QStringLiteral("その他"));

        auto* group = dialog.findChild<QGroupBox*>(QStringLiteral("GroupBox3"));
        QVERIFY(group && group->isAncestorOf(dialog.TrackBar1));
        QCOMPARE(group->title(), QStringLiteral("メインフォーム透明度　（ 透明表示に対応した"
                                                "ウィンドウシステムでのみ変更可 ）"));
        QCOMPARE(dialog.TrackBar1->minimum(), 0);
        QCOMPARE(dialog.TrackBar1->maximum(), 3);
        QCOMPARE(dialog.TrackBar1->tickPosition(), QSlider::TicksBelow);
        const QStringList labels{"ノーマル", "透明度‐小", "透明度‐中", "透明度‐大"};
        for (int i = 0; i < 4; ++i) {
            auto* label = group->findChild<QLabel*>(QStringLiteral("Label%1").arg(i + 1));
            QVERIFY(label);
            QCOMPARE(label->text(), labels[i]);
        }

        auto* other = dialog.findChild<QGroupBox*>(QStringLiteral("GroupBox2"));
        QVERIFY(other && other->isAncestorOf(dialog.CheckBox2));
        QCOMPARE(other->title(), QStringLiteral("終了時"));
        QCOMPARE(dialog.CheckBox2->text(), QStringLiteral("確認をする。"));
        QCOMPARE(dialog.PageControl1->widget(2), dialog.OtherSheet);
        QVERIFY(dialog.OtherSheet->isAncestorOf(other));

        // The browser's DevTools port, on the same page.
        QVERIFY(dialog.OtherSheet->isAncestorOf(dialog.GroupBox4));
        QVERIFY(dialog.GroupBox4->isAncestorOf(dialog.SpinEdit1));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("Label5")), dialog.Label5);
        QCOMPARE(dialog.Label5->buddy(), dialog.SpinEdit1);
        QCOMPARE(dialog.SpinEdit1->minimum(), 1);
        QCOMPARE(dialog.SpinEdit1->maximum(), 65535);
        dialog.LoadDevToolsPort(9333);
        QCOMPARE(dialog.DevToolsPort(), 9333);
    }

    // Every move, by the user or by restoring the kept level, reaches the handler.
    void SliderDrivesOpacityAndCancelRestoresIt() {
        TForm2 dialog(list, &add, &edit, &remove);
        QList<int> levels;
        dialog.SetOpacityHandler([&](int level) { levels << level; });
        dialog.LoadState(true, false, 1);
        QCOMPARE(levels, QList<int>{1});
        QCOMPARE(dialog.DestinationSheet->CheckBox1->isChecked(), true);

        dialog.TrackBar1->setFocus();
        QTest::keyClick(dialog.TrackBar1, Qt::Key_Right);
        QCOMPARE(levels.last(), 2);
        QCOMPARE(OpacityForLevel(levels.last()), 150);

        dialog.LoadState(true, false, 1);
        QCOMPARE(levels, (QList<int>{1, 2, 1}));
        QCOMPARE(dialog.TrackBar1->value(), 1);
    }

    void UnsupportedTransparencyDisablesTheGroup() {
        TForm2 dialog(list, &add, &edit, &remove);
        dialog.SetTransparencySupported(false);
        QVERIFY(!dialog.GroupBox3->isEnabled());
        QVERIFY(!dialog.TrackBar1->isEnabled());
        QVERIFY(!dialog.Label4->isEnabled());
        dialog.SetTransparencySupported(true);
        QVERIFY(dialog.TrackBar1->isEnabled());
    }

    // OK and Cancel both leave the controls as the user set them. The dialog
    // centres on the screen, not over its owner as Qt would place it.
    // The page tells whether the extension's note came, and leads to the guide.
    void ExtensionStateAndGuideLink() {
        TForm2 dialog(list, &add, &edit, &remove);
        QVERIFY(dialog.GroupBox4->isAncestorOf(dialog.Label6));
        QVERIFY(dialog.Label6->text().contains(QStringLiteral("まだ")));
        dialog.ShowExtensionState(NoteState::Missing);
        QVERIFY(dialog.Label6->text().contains(QStringLiteral("ありませんでした")));
        dialog.ShowExtensionState(NoteState::Taken);
        QVERIFY(dialog.Label6->text().contains(QStringLiteral("ありました")));
        dialog.ShowExtensionState(NoteState::Refused);
        QVERIFY(dialog.Label6->text().contains(QStringLiteral("使いませんでした")));
        int opened = 0;
        dialog.SetGuideHandler([&] { ++opened; });
        emit dialog.Label7->linkActivated(QStringLiteral("guide"));
        QCOMPARE(opened, 1);
    }

    void StateFollowsTheControlsAcrossShowings() {
        QWidget owner;
        owner.setGeometry(0, 0, 200, 150);
        owner.show();
        TForm2 dialog(list, &add, &edit, &remove, &owner);
        dialog.LoadState(false, true, 0);
        QRect frame;
        QTimer::singleShot(0, &dialog, [&] {
            frame = dialog.frameGeometry();
            dialog.CheckBox2->click();
            dialog.TrackBar1->setValue(3);
            dialog.OkButton->click();
        });
        QVERIFY(dialog.Run(QString()));
        const QPoint centre = owner.screen()->availableGeometry().center();
        QVERIFY((frame.center() - centre).manhattanLength() <= 2);
        const TForm2::ShellChoices state = dialog.State();
        QCOMPARE(state.keptDestinationFlag, false);
        QCOMPARE(state.confirmClose, false);
        QCOMPARE(state.transparencyLevel, 3);

        QTimer::singleShot(0, dialog.CancelButton, &QPushButton::click);
        QVERIFY(!dialog.Run(QString()));
        QCOMPARE(dialog.State().transparencyLevel, 3);
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::TForm2Test)
#include "TForm2Test.moc"
