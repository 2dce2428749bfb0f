#pragma once

#include "services/Prompter.h"

#include <QDialog>

class QLabel;

namespace kelvo {

class PreviewPair;

// Asks whether to save a picture whose bytes were captured before: the earlier
// capture (its preview, day, destination, page and file) beside the new one.
class SameContentDialog : public QDialog {
    Q_OBJECT

public:
    explicit SameContentDialog(QWidget* parent = nullptr);

    // Shows both and waits: true for 保存する. Closing the window any other
    // way (close box, Escape) saves nothing.
    bool Confirm(const SameContentFiles& files);

private:
    QWidget* NewButtons();
    void ShowFacts(QLabel* facts, const QStringList& lines);

    QLabel* earlierImage_;
    QLabel* earlierFacts_;
    QLabel* newImage_;
    QLabel* newFacts_;
    PreviewPair* earlierPreview_;
    PreviewPair* newPreview_;
};

} // namespace kelvo
