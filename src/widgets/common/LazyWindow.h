#pragma once

#include <functional>
#include <memory>
#include <utility>

namespace kelvo {

// A window made the first time it is needed, so that the main window paints
// sooner at start-up. Make builds it; Prepare then gives it what it must
// know, once it is reachable through Get (Prepare may ask for it again).
template <typename Window> class LazyWindow {
public:
    using Make = std::function<std::unique_ptr<Window>()>;
    using Prepare = std::function<void(Window&)>;

    LazyWindow() = default;
    explicit LazyWindow(Make make, Prepare prepare = {})
        : make_(std::move(make)), prepare_(std::move(prepare)) {}

    // The window, made and prepared on the first call.
    Window& Get() {
        if (!window_) {
            window_ = make_();
            if (prepare_)
                prepare_(*window_);
        }
        return *window_;
    }
    Window& operator*() { return Get(); }
    Window* operator->() { return &Get(); }

    // The window when it was made, else null: for what need not make it.
    Window* IfMade() const { return window_.get(); }
    // False for a window not made yet, which nobody can have shown.
    bool Visible() const { return window_ && window_->isVisible(); }

private:
    Make make_;
    Prepare prepare_;
    std::unique_ptr<Window> window_;
};

} // namespace kelvo
