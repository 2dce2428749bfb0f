#include "x11/XdndDirectSave.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <QtGui/qguiapplication_platform.h>

#include <cstdlib>
#include <cstring>

namespace kelvo {
namespace {

constexpr auto kDirectSave = "XdndDirectSave0";
// The suggested name is a file name; 4 KiB is ample and bounds the read.
constexpr uint32_t kMaxNameWords = 1024;

template <typename Reply> struct FreeReply {
    void operator()(Reply* reply) const { std::free(reply); }
};
template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, FreeReply<Reply>>;

} // namespace

XdndDirectSave::XdndDirectSave(xcb_connection_t* connection)
    : connection_(connection), xdndEnter_(Atom("XdndEnter")), xdndPosition_(Atom("XdndPosition")),
      xdndDrop_(Atom("XdndDrop")), directSave_(Atom(kDirectSave)), textPlain_(Atom("text/plain")) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

XdndDirectSave::~XdndDirectSave() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

xcb_atom_t XdndDirectSave::Atom(const char* name) const {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection_, 0, uint16_t(std::strlen(name)), name);
    ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection_, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Every message of a drag names its source window in its first field.
bool XdndDirectSave::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_CLIENT_MESSAGE)
        return false;
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    if (client->format == 32 &&
        (client->type == xdndEnter_ || client->type == xdndPosition_ || client->type == xdndDrop_))
        source_ = client->data.data32[0];
    return false;
}

bool XdndDirectSave::Offered(const QMimeData& mime) const {
    return source_ != XCB_NONE && directSave_ != XCB_ATOM_NONE &&
           mime.hasFormat(QLatin1String(kDirectSave));
}

QString XdndDirectSave::SuggestedName(const QMimeData&) {
    const xcb_get_property_cookie_t cookie = xcb_get_property(
        connection_, 0, source_, directSave_, XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxNameWords);
    ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection_, cookie, nullptr));
    if (!reply || reply->format != 8)
        return {};
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return QString::fromUtf8(bytes, xcb_get_property_value_length(reply.get()));
}

// The destination goes into the source's property as a file URI without a
// host name (a host name that is not the source's own makes it answer "F");
// asking the drop data for the XdndDirectSave0 target makes the source write.
bool XdndDirectSave::Request(const QMimeData& mime, const QString& path) {
    const QByteArray uri = QUrl::fromLocalFile(path).toEncoded();
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, source_, directSave_, textPlain_, 8,
                        uint32_t(uri.size()), uri.constData());
    xcb_flush(connection_);
    const QByteArray answer = mime.data(QLatin1String(kDirectSave));
    return answer.startsWith('S');
}

std::unique_ptr<DirectSave> NewPlatformDirectSave() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return nullptr;
    return std::make_unique<XdndDirectSave>(x11->connection());
}

} // namespace kelvo
