#pragma once

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace kelvo::testing {

// Runs inspect on the next modal window once it shows, then closes it if it
// is still open; a window that never shows fails the test instead of hanging
// it. Looked for every 10 ms, so a modal that opens after a wait (a copy made
// aside, a decode) is met too.
inline void WhenNextModalShows(const std::function<void(QWidget*)>& inspect) {
    QWidget* const before = QApplication::activeModalWidget();
    auto* poll = new QTimer;
    poll->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != before && modal->isVisible()) {
            poll->deleteLater();
            inspect(modal);
            if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && dialog->isVisible())
                dialog->reject();
        } else if (++*tries > 500) {
            poll->deleteLater();
            QTest::qFail("no modal window showed", __FILE__, __LINE__);
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        }
    });
    poll->start();
}

} // namespace kelvo::testing
