#pragma once

namespace kelvo {

// Decides whether the main window may close. A signal could not keep the
// window open: the close waits for the answer, so the window asks.
class CloseDecision {
public:
    virtual ~CloseDecision() = default;
    // False keeps the window open.
    virtual bool MayClose() = 0;
};

} // namespace kelvo
