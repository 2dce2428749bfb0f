#pragma once

class QSplitter;

namespace kelvo {

// The size of a splitter's first pane, as the settings store it. A splitter
// shares out only the room it has, which it knows once shown, so the size is
// kept until then; a hidden pane gets its size when it is shown again.
class FirstPaneSize {
public:
    explicit FirstPaneSize(int size) : size_(size) {}

    void Attach(QSplitter* splitter) { splitter_ = splitter; }
    // Applied at once where the splitter is shown, else at its first show.
    void Set(int size);
    // The pane's size on screen, or the kept one while it is not laid out.
    int Size() const;
    // Keeps the size on screen, to give it back when the hidden pane shows.
    void Keep() {
        size_ = Size();
        applied_ = false;
    }
    void Apply();
    void ApplyIfPending();

private:
    bool PaneHidden() const;

    QSplitter* splitter_ = nullptr;
    int size_;
    bool applied_ = false;
};

} // namespace kelvo
