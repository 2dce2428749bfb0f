#pragma once

#include "capture/CaptureDisplay.h"
#include "destinations/DestinationSelector.h"

#include <QMainWindow>

#include <functional>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QSplitter;
class QStatusBar;
class QTimer;

namespace kelvo {

class CapturePipeline;
class CurrentDestination;
class DestinationTreePane;
class DropIntake;
class PreviewPair;

// The main window: takes drops, shows the destinations and the last capture.
// It holds no logic; drops go to the capture pipeline, selections to the
// destination selector, and both tell the window what to show.
class TForm1 : public QMainWindow, public CaptureDisplay, public DestinationDisplay {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    void SetCapture(const DropIntake* intake, CapturePipeline* pipeline);
    // The destination whose folder Label1 shows, shortened to fit.
    void SetCurrentDestination(const CurrentDestination* current) { current_ = current; }
    // Asked when the window is to close; false keeps it open.
    void SetCloseHandler(std::function<bool()> handler) { closeHandler_ = std::move(handler); }
    QString StatusText() const;
    // The tree pane's width, applied once the window is laid out.
    void SetTreePaneWidth(int width);

    void ClearPreview() override;
    void ShowCapturedPreview(const QString& savedPath) override;
    void ShowSavedName(const QString& name) override;
    void ShowOutcome(const QString& text) override;
    void ShowStatus(const QString& text) override;
    void SetHoverSelectionEnabled(bool enabled) override;
    void BringToFront() override;
    void ReassertTopmost() override;
    void Beep() override;

    void ShowTreeStatus(const QString& text) override;
    void ShowCurrentDestination(const QString& identifier, const QString& folder) override;
    void ClearCaptureInfo() override;

    DestinationTreePane* Panel1 = nullptr; // the destination tree and its status line
    QSplitter* Splitter2 = nullptr;
    QFrame* GroupBox1 = nullptr; // the information box
    QLabel* Label5 = nullptr;    // the caption "保存先フォルダ"
    QLabel* Label2 = nullptr;    // identifier of the current destination
    QLabel* Label1 = nullptr;    // its folder, shortened to fit
    QLabel* Label3 = nullptr;    // name the last capture was saved under
    QLabel* Label4 = nullptr;    // outcome of the last capture
    QLabel* Image1 = nullptr;    // preview of the last capture
    QLabel* Image2 = nullptr;    // hidden: holds the full picture the preview is fitted from
    QStatusBar* StatusBar1 = nullptr;
    QTimer* Timer1 = nullptr;   // selects the destination under the pointer during a drag
    QAction* Action1 = nullptr; // add a destination
    QAction* Action2 = nullptr; // edit it
    QAction* Action3 = nullptr; // delete it
    QAction* Exit1 = nullptr;   // "終了"
    QAction* N3 = nullptr;      // "設定"
    QMenu* Help1 = nullptr;     // "ヘルプ"
    QAction* N4 = nullptr;      // "バージョン"

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* BuildCaptureDisplay();
    void CreateDestinationActions();
    void CreateMainMenu();
    void ApplyTreePaneWidth();
    void ShortenFolderLine();

    const DropIntake* intake_ = nullptr;
    CapturePipeline* pipeline_ = nullptr;
    const CurrentDestination* current_ = nullptr;
    PreviewPair* preview_ = nullptr;
    QLabel* statusText_ = nullptr;
    std::function<bool()> closeHandler_;
    int treePaneWidth_ = 96;
    bool treePaneSized_ = false;
};

} // namespace kelvo
