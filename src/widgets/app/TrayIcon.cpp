#include "app/TrayIcon.h"
#include "common/StatusNotice.h"
#include "session/ProgramName.h"

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>

namespace kelvo {
namespace {

constexpr int kNoticeTime = 8000;

} // namespace

TrayIcon::TrayIcon(QMainWindow& window) : QObject(&window), window_(window) {
    PopupMenu1 = std::make_unique<QMenu>();
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Undo1 = PopupMenu1->addAction(tr("元に戻す"));
    Undo1->setObjectName(QStringLiteral("Undo1"));
    N2 = PopupMenu1->addAction(tr("履歴"));
    N2->setObjectName(QStringLiteral("N2"));
    Paste2 = PopupMenu1->addAction(tr("貼り付け"));
    Paste2->setObjectName(QStringLiteral("Paste2"));
    PopupMenu1->addSeparator();
    Exit2 = PopupMenu1->addAction(tr("終了"));
    Exit2->setObjectName(QStringLiteral("Exit2"));
    connect(Undo1, &QAction::triggered, this, &TrayIcon::Undo1Click);
    connect(N2, &QAction::triggered, this, &TrayIcon::HistoryRequested);
    connect(Paste2, &QAction::triggered, this, &TrayIcon::PasteRequested);
    // In view first, so that the close question appears over the window.
    connect(Exit2, &QAction::triggered, this, [this] {
        Undo1Click();
        window_.close();
    });
    window.installEventFilter(this);
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = window.style()->standardIcon(QStyle::SP_DesktopIcon);
    TrayIcon1 = new QSystemTrayIcon(icon, this);
    TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
    TrayIcon1->setToolTip(KelvoName());
    TrayIcon1->setContextMenu(PopupMenu1.get());
    connect(TrayIcon1, &QSystemTrayIcon::messageClicked, this, &TrayIcon::NoticeClicked);
    connect(TrayIcon1, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    Undo1Click();
            });
    TrayIcon1->show();
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::ShowNotice(const QString& text) {
    if (TrayIcon1)
        TrayIcon1->showMessage(KelvoName(), text, QSystemTrayIcon::Information);
}

// Wrapped over the status bar, where the status bar itself would cut the
// sentence and hide the waiting text under it.
void TrayIcon::ShowNoTrayNotice() {
    ShowWrappedNotice(window_, QStringLiteral("NoTrayNotice"),
                      tr("通知領域が無いため、アイコンは表示されません。"), kNoticeTime);
}

void TrayIcon::Undo1Click() {
    window_.showNormal();
    window_.raise();
    window_.activateWindow();
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_) {
        if (event->type() == QEvent::WindowStateChange && TrayIcon1 && window_.isMinimized()) {
            // Hidden after the state change has been handled, not inside it.
            QTimer::singleShot(0, &window_, [this] {
                if (window_.isMinimized())
                    window_.hide();
            });
        } else if (event->type() == QEvent::Paint && !TrayIcon1 && !noticeShown_) {
            noticeShown_ = true;
            // Once the window has painted, so the notice is seen and the
            // first paint does not wait for its layout.
            QTimer::singleShot(0, &window_, [this] { ShowNoTrayNotice(); });
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kelvo
