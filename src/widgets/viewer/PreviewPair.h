#pragma once

#include "viewer/PictureLoader.h"

#include <QFutureWatcher>
#include <QImage>
#include <QLabel>

#include <functional>
#include <optional>

namespace kelvo {

// Told on the UI thread how the newest load ended: shown, or not with error
// saying why (empty for an unknown extension). Not told for a load that a
// newer one replaced.
using PreviewDone = std::function<void(bool shown, const QString& error)>;

// A visible preview fitted from a kept picture, so that a resize refits
// without decoding the file again. Pictures are decoded on a worker thread at
// the size the preview shows them, so the window answers while a huge one
// decodes; the newest request wins and a stale decode is dropped.
class PreviewPair : public QObject {
    Q_OBJECT

public:
    // source: the hidden holder of the full picture (kept here as an image, the
    // label only stands for it and stays hidden); target: the visible preview.
    // The target gets a minimum size of 1 x 1 where it had none, so that its
    // pixmap does not stop a layout from shrinking it. The pair is a child of
    // the target, so "new PreviewPair(...)" needs no delete.
    PreviewPair(QLabel* source, QLabel* target);
    ~PreviewPair() override;

    // Empties the preview and decodes the picture by its extension, then fits
    // it into the target; a file that cannot be decoded leaves it empty.
    void Load(const QString& path, PreviewDone done = {});
    // The same, decoded as kind whatever the file's own extension says.
    void LoadAs(const QString& path, PictureKind kind, PreviewDone done = {});
    // Empties the visible preview and drops any decode under way; a later
    // resize leaves it empty.
    void ClearTarget();
    // Draws the kept picture fitted to the target's current size, decoding it
    // again if the target has outgrown the size it was decoded at.
    void Refit();
    // A decode is under way or waiting.
    bool Decoding() const { return running_.has_value() || waiting_.has_value(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Request {
        QString path;
        PictureKind kind = PictureKind::None;
        QSize maxSize;
        quint64 ticket = 0;
        PreviewDone done;
    };

    void Enqueue(Request request);
    void StartNext();
    void Finished();
    void Show(Request& request, LoadedPicture& loaded);
    bool Outgrown() const;
    QSize ShownSize() const;

    QLabel* source_;
    QLabel* target_;
    QFutureWatcher<LoadedPicture> watcher_;
    std::optional<Request> running_;
    std::optional<Request> waiting_;
    quint64 newest_ = 0;
    QString path_; // of the kept picture, for a decode at a larger size
    PictureKind kind_ = PictureKind::None;
    QSize decodedFor_;
    QImage picture_;
    QSize fullSize_;
    bool targetCleared_ = true;
};

// The visible preview Image1, filling its pane: centred, shrinking with the
// pane, and opening the picture full size on a double-click.
QLabel* NewPreviewImage(QWidget* pane, std::function<void()> openFullSize);

} // namespace kelvo
