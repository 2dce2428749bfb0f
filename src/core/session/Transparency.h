#pragma once

namespace kelvo {

// Opacity of the main window (0 transparent .. 255 opaque) for a transparency
// level, the position of the settings dialog's slider. Unknown levels are opaque.
int OpacityForLevel(int level);

} // namespace kelvo
