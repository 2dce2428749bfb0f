#pragma once

#include <QString>

namespace kelvo {

// What the main window shows of the captures. The pipeline never touches a
// widget; it tells the display what to show.
class CaptureDisplay {
public:
    virtual ~CaptureDisplay() = default;
    // The preview of the last capture: none, or the saved file fitted into it.
    virtual void ClearPreview() = 0;
    virtual void ShowCapturedPreview(const QString& savedPath) = 0;
    // The name the last capture was saved under.
    virtual void ShowSavedName(const QString& name) = 0;
    // What became of the last capture: saved, or not saved for being the same
    // as an earlier one.
    virtual void ShowOutcome(const QString& text) = 0;
    // The status line, and a hint shown over it for a while.
    virtual void ShowStatus(const QString& text) = 0;
    virtual void ShowHint(const QString& text) = 0;
    // The destination the pointer hovers over is selected, except while held:
    // while the destination must not change under the pointer. Holds nest:
    // hovering selects again once the last is released.
    virtual void HoldHoverSelection() = 0;
    virtual void ReleaseHoverSelection() = 0;
    virtual void BringToFront() = 0;
    virtual void ReassertTopmost() = 0;
    virtual void Beep() = 0;
};

// Shows nothing: for captures without a window.
class SilentCaptureDisplay : public CaptureDisplay {
public:
    void ClearPreview() override {}
    void ShowCapturedPreview(const QString&) override {}
    void ShowSavedName(const QString&) override {}
    void ShowOutcome(const QString&) override {}
    void ShowStatus(const QString&) override {}
    void ShowHint(const QString&) override {}
    void HoldHoverSelection() override {}
    void ReleaseHoverSelection() override {}
    void BringToFront() override {}
    void ReassertTopmost() override {}
    void Beep() override {}
};

// Hover selection held for a scope: a dialog, a drop, a command.
class PauseHoverSelection {
public:
    explicit PauseHoverSelection(CaptureDisplay& display) : display_(display) {
        display_.HoldHoverSelection();
    }
    ~PauseHoverSelection() { display_.ReleaseHoverSelection(); }
    PauseHoverSelection(const PauseHoverSelection&) = delete;
    PauseHoverSelection& operator=(const PauseHoverSelection&) = delete;

private:
    CaptureDisplay& display_;
};

} // namespace kelvo
