#pragma once

#include "viewer/FileFacts.h"

#include <QImage>
#include <QLabel>

#include <functional>

namespace kelvo {

// A visible preview fitted from a kept full picture, so that a resize refits
// without decoding the file again.
class PreviewPair : public QObject {
    Q_OBJECT

public:
    // source: the hidden holder of the full picture (kept here as an image, the
    // label only stands for it and stays hidden); target: the visible preview.
    // The target gets a minimum size of 1 x 1 where it had none, so that its
    // pixmap does not stop a layout from shrinking it. The pair is a child of
    // the target, so "new PreviewPair(...)" needs no delete.
    PreviewPair(QLabel* source, QLabel* target);

    // Loads the picture and fits it into the target. Returns false and leaves
    // the target empty when the extension is unknown or the file cannot be
    // decoded; error then says why (empty for an unknown extension).
    bool Load(const QString& path, QString* error = nullptr);
    // The same, decoded as kind whatever the file's own extension says.
    bool LoadAs(const QString& path, PictureKind kind, QString* error = nullptr);
    // Empties the visible preview; a later resize leaves it empty.
    void ClearTarget();
    // Draws the kept picture fitted to the target's current size.
    void Refit();
    const QImage& Picture() const { return picture_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QSize ScreenLimit() const;

    QLabel* source_;
    QLabel* target_;
    QImage picture_;
    bool targetCleared_ = true;
};

// The visible preview Image1, filling its pane: centred, shrinking with the
// pane, and opening the picture full size on a double-click.
QLabel* NewPreviewImage(QWidget* pane, std::function<void()> openFullSize);

} // namespace kelvo
