#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QMovie;
class QScrollArea;
class QStatusBar;

namespace kelvo {

// The full-size viewer: one saved picture at its own size, its dimensions,
// file size and source address in the status bar. Modal and on top; it sizes
// itself to the picture and closes on a double-click or Enter, never Escape.
class TForm5 : public QDialog {
    Q_OBJECT

public:
    explicit TForm5(QWidget* parent = nullptr);
    ~TForm5() override;

    // Shows the picture and waits until the viewer is closed. The caller sets
    // the caption first.
    void OpenInViewer(const QString& path, const QString& sourceAddress);
    // Everything OpenInViewer does before the modal loop: loads the picture,
    // fills the panels and sizes the window.
    void ShowPicture(const QString& path, const QString& sourceAddress);
    void SizeViewerToPicture();

    // The available area of the screen the viewer is on; tests give their own.
    void SetScreenArea(std::function<QRect()> area) { screenArea_ = std::move(area); }

    QString PanelText(int panel) const;
    QMovie* Movie() const { return movie_; }

public slots:
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ClearPicture();
    bool LoadInto(const QString& path);
    void FillPanels(const QString& path, const QString& sourceAddress);
    QSize ScreenClient() const;
    void ScrollBy(int delta, bool sideways);

    QScrollArea* ScrollBox1 = nullptr;
    QLabel* Image1 = nullptr; // the picture at its own size
    QStatusBar* StatusBar1 = nullptr;

    std::function<QRect()> screenArea_;
    QLabel* panels_[3] = {};
    QMovie* movie_ = nullptr;
    QSize pictureSize_;
    bool sizedWhileHidden_ = false;
};

} // namespace kelvo
