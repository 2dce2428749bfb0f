#include "common/StatusNotice.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>

namespace kelvo {
namespace {

constexpr char kNoticeProperty[] = "wrappedNotice";
constexpr int kNoticeMargin = 4;

// The notices already standing above the bar, so a new one goes on top.
int HeightOfShownNotices(const QMainWindow& window) {
    int height = 0;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (label->property(kNoticeProperty).toBool() && label->isVisible())
            height += label->height();
    }
    return height;
}

} // namespace

void ShowWrappedNotice(QMainWindow& window, const QString& name, const QString& text,
                       int milliseconds) {
    QStatusBar* bar = window.statusBar();
    const QString tip = bar->toolTip();
    bar->setToolTip(tip.isEmpty() || tip.contains(text) ? text : tip + u'\n' + text);
    auto* label = new QLabel(text, &window, Qt::ToolTip);
    label->setObjectName(name);
    label->setProperty(kNoticeProperty, true);
    label->setWordWrap(true);
    label->setMargin(kNoticeMargin);
    label->setForegroundRole(QPalette::ToolTipText);
    label->setBackgroundRole(QPalette::ToolTipBase);
    label->setAutoFillBackground(true);
    // A window of its own gets no height for its width from a layout.
    label->setFixedSize(window.width(), label->heightForWidth(window.width()));
    const int above = HeightOfShownNotices(window) + label->height();
    label->move(bar->mapToGlobal(QPoint(0, -above)));
    label->show();
    QTimer::singleShot(milliseconds, label, &QObject::deleteLater);
}

bool FitsStatusBar(const QMainWindow& window, const QString& text) {
    const QStatusBar* bar = window.statusBar();
    // The bar's own margins and its size grip take a little of its width.
    const int room =
        bar->width() - 2 * bar->style()->pixelMetric(QStyle::PM_LayoutLeftMargin) - bar->height();
    return bar->fontMetrics().horizontalAdvance(text) <= room;
}

} // namespace kelvo
