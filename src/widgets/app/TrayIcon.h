#pragma once

#include <QObject>

#include <memory>

class QAction;
class QMainWindow;
class QMenu;
class QSystemTrayIcon;

namespace kelvo {

// The notification-area icon of the main window. A minimised window leaves the
// taskbar and only the icon remains; a left click on the icon brings it back.
// Without a notification area the window minimises to the taskbar as usual,
// and its status line says so once.
class TrayIcon : public QObject {
    Q_OBJECT

public:
    explicit TrayIcon(QMainWindow& window);
    ~TrayIcon() override;

    // A notice beside the icon, never in the way; none without a
    // notification area.
    void ShowNotice(const QString& text);

signals:
    void HistoryRequested(); // "履歴"
    void PasteRequested();   // "貼り付け"
    void NoticeClicked();    // on the notice ShowNotice showed

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Undo1Click();
    void ShowNoTrayNotice();

    QSystemTrayIcon* TrayIcon1 = nullptr; // null without a notification area
    // The icon's menu: a top-level widget, shown by the desktop outside the window.
    std::unique_ptr<QMenu> PopupMenu1;
    QAction* Undo1 = nullptr;  // "元に戻す": un-minimised, shown and in front
    QAction* N2 = nullptr;     // "履歴"
    QAction* Paste2 = nullptr; // "貼り付け"
    QAction* Exit2 = nullptr;  // "終了"
    QMainWindow& window_;
    bool noticeShown_ = false;
};

} // namespace kelvo
