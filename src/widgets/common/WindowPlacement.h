#pragma once

class QWidget;

namespace kelvo {

// Centres the window, frame included, on the available area of its owner's
// screen, else the primary screen.
void CentreOnScreen(QWidget& window);

} // namespace kelvo
