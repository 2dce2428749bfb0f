#include "x11/WindowOpacity.h"

#include <QGuiApplication>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace kelvo {

// On a real X server: translucency is offered exactly while a compositing
// manager holds its selection, as one starting or ending would.
class WindowOpacityTest : public QObject {
    Q_OBJECT

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t window_ = XCB_NONE;
    xcb_atom_t selection_ = XCB_NONE;

    void Own(xcb_window_t owner) {
        xcb_set_selection_owner(connection_, owner, selection_, XCB_CURRENT_TIME);
        xcb_flush(connection_);
    }

private slots:
    void initTestCase() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        QVERIFY(x11 && x11->connection());
        connection_ = x11->connection();
        char* host = nullptr;
        int display = 0;
        int screen = 0;
        QVERIFY(xcb_parse_display(nullptr, &host, &display, &screen));
        std::free(host);
        const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
            xcb_intern_atom_reply(connection_,
                                  xcb_intern_atom(connection_, 0, name.size(), name.constData()),
                                  nullptr),
            &std::free);
        QVERIFY(atom);
        selection_ = atom->atom;
        const xcb_screen_t* root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        window_ = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, root->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    }

    void followsTheCompositorsSelection() {
        QVERIFY(!WindowOpacityWorks()); // a bare Xvfb has none
        Own(window_);
        QVERIFY(WindowOpacityWorks());
        Own(XCB_NONE);
        QVERIFY(!WindowOpacityWorks());
    }

    void cleanupTestCase() {
        if (window_ != XCB_NONE)
            xcb_destroy_window(connection_, window_);
        xcb_flush(connection_);
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::WindowOpacityTest)
#include "WindowOpacityTest.moc"
