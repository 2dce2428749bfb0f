#pragma once

#include "capture/CaptureDisplay.h"

#include <QMainWindow>

class QLabel;
class QStatusBar;
class QTimer;

namespace kelvo {

class CapturePipeline;
class DropIntake;
class PreviewPair;

// The main window: takes drops and shows the last capture. It holds no logic;
// drops go to the capture pipeline, which tells the window what to show.
class TForm1 : public QMainWindow, public CaptureDisplay {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    void SetCapture(const DropIntake* intake, CapturePipeline* pipeline);
    QString StatusText() const;

    void ClearPreview() override;
    void ShowCapturedPreview(const QString& savedPath) override;
    void ShowSavedName(const QString& name) override;
    void ShowOutcome(const QString& text) override;
    void ShowStatus(const QString& text) override;
    void SetHoverSelectionEnabled(bool enabled) override;
    void BringToFront() override;
    void ReassertTopmost() override;
    void Beep() override;

    QLabel* Label5 = nullptr; // the caption "保存先フォルダ"
    QLabel* Label2 = nullptr; // identifier of the current destination
    QLabel* Label1 = nullptr; // its folder
    QLabel* Label3 = nullptr; // name the last capture was saved under
    QLabel* Label4 = nullptr; // outcome of the last capture
    QLabel* Image1 = nullptr; // preview of the last capture
    QLabel* Image2 = nullptr; // hidden: holds the full picture the preview is fitted from
    QStatusBar* StatusBar1 = nullptr;
    QTimer* Timer1 = nullptr; // selects the destination under the pointer during a drag

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildCaptureDisplay();

    const DropIntake* intake_ = nullptr;
    CapturePipeline* pipeline_ = nullptr;
    PreviewPair* preview_ = nullptr;
    QLabel* statusText_ = nullptr;
};

} // namespace kelvo
