#pragma once

namespace kelvo {

// Whether a translucent main window shows as such right now: on X11 only
// while a compositing manager runs; Windows and macOS always; Wayland and the
// rest never (Qt cannot ask their compositors for it).
bool WindowOpacityWorks();

} // namespace kelvo
