#pragma once

#include "capture/DirectSave.h"

#include <QAbstractNativeEventFilter>

#include <xcb/xcb.h>

#include <memory>

namespace kelvo {

// X Direct Save (XdndDirectSave0) on the X11 connection Qt uses. Qt takes
// care of the drag and drop itself; this filter only notes the window the
// drag comes from, whose property carries the suggested name and, written by
// us, the destination. Qt's drop data then asks the source for the
// XdndDirectSave0 target, and the source answers "S" (saved), "E" (error) or
// "F" (fall back to the data).
class XdndDirectSave : public DirectSave, public QAbstractNativeEventFilter {
public:
    explicit XdndDirectSave(xcb_connection_t* connection);
    ~XdndDirectSave() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    bool Offered(const QMimeData& mime) const override;
    QString SuggestedName(const QMimeData& mime) override;
    bool Request(const QMimeData& mime, const QString& path) override;

private:
    xcb_atom_t Atom(const char* name) const;

    xcb_connection_t* connection_;
    xcb_atom_t xdndEnter_;
    xcb_atom_t xdndPosition_;
    xcb_atom_t xdndDrop_;
    xcb_atom_t directSave_;
    xcb_atom_t textPlain_;
    xcb_window_t source_ = XCB_NONE;
};

// X Direct Save when the application runs on X11; none elsewhere (Wayland),
// where drops fall back to the data they carry.
std::unique_ptr<DirectSave> NewPlatformDirectSave();

} // namespace kelvo
