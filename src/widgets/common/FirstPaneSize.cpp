#include "common/FirstPaneSize.h"

#include "session/WindowBounds.h"

#include <QSplitter>

#include <algorithm>

namespace kelvo {
namespace {

constexpr int kMinimumPane = 24; // px: enough to see and to grab

} // namespace

void FirstPaneSize::Set(int size) {
    size_ = size;
    applied_ = false;
    if (splitter_->isVisible())
        Apply();
}

int FirstPaneSize::Size() const {
    return applied_ && !PaneHidden() ? splitter_->sizes().value(0) : size_;
}

void FirstPaneSize::Apply() {
    if (PaneHidden())
        return;
    const bool across = splitter_->orientation() == Qt::Horizontal;
    const int room = (across ? splitter_->width() : splitter_->height()) - splitter_->handleWidth();
    // A size from the settings file may hide either pane: both stay reachable.
    const int size = ReachablePaneSize(size_, room, kMinimumPane);
    splitter_->setSizes({size, std::max(1, room - size)});
    applied_ = true;
}

void FirstPaneSize::ApplyIfPending() {
    if (!applied_)
        Apply();
}

bool FirstPaneSize::PaneHidden() const {
    return splitter_->widget(0)->isHidden();
}

} // namespace kelvo
