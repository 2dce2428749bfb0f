#pragma once

#include "app/CloseDecision.h"
#include "capture/CaptureDisplay.h"
#include "common/FirstPaneSize.h"
#include "destinations/DestinationSelector.h"
#include "session/SettingsFile.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <QUrl>

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
class DestinationActions;
class DestinationList;
class DestinationTreePane;
class DropIntake;
class PreviewPair;

// The main window: takes drops, shows the destinations and the last capture.
// It holds no logic; drops go to the capture pipeline, selections to the
// destination selector, and both tell the window what to show. What the user
// asks of the program beyond this window it emits as a signal.
class TForm1 : public QMainWindow, public CaptureDisplay, public DestinationDisplay {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    void SetCapture(const DropIntake* intake, CapturePipeline* pipeline);
    // The destination whose folder Label1 shows, shortened to fit.
    void SetCurrentDestination(const CurrentDestination* current) { current_ = current; }
    // The destination list's commands, in the tree pane's menu.
    void SetDestinationActions(DestinationActions& actions);
    // Asked when the window is to close; without one it closes.
    void SetCloseDecision(CloseDecision* decision) { closeDecision_ = decision; }
    QString StatusText() const;
    // The tree pane's width, applied once the window is laid out.
    void SetTreePaneWidth(int width);
    int TreePaneWidth() const;
    // The preview pane's height, applied once the window is laid out.
    void SetPreviewPaneHeight(int height);
    int PreviewPaneHeight() const;
    // Start-up states; the window keeps its width.
    void SetMenuShown(bool shown);
    void SetTreePaneShown(bool shown);
    bool MenuShown() const;
    bool TreePaneShown() const;

    // The destination tree (Panel1) over the destination list: selecting an
    // entry emits DestinationChosen when the selection moves.
    void SetDestinationList(DestinationList* list);
    void SelectDestination(int position);
    int SelectedDestination() const; // -1: none
    QString SelectedIdentifier() const;

    // "オンラインヘルプ": the user guide, or a notice that it is missing.
    void N16Click();

    void ClearPreview() override;
    void ShowCapturedPreview(const QString& savedPath) override;
    void ShowSavedName(const QString& name) override;
    void ShowOutcome(const QString& text) override;
    void ShowStatus(const QString& text) override;
    void ShowHint(const QString& text) override;
    // A hint that leads somewhere: a click on the status bar while it shows
    // emits HintClicked.
    void ShowClickableHint(const QString& text);
    // How much of the history the collection's index covers, while it is
    // being made; 100 hides it.
    void ShowIndexProgress(int percent);
    void HoldHoverSelection() override;
    void ReleaseHoverSelection() override;
    void BringToFront() override;
    void ReassertTopmost() override;
    void Beep() override;

    void ShowTreeStatus(const QString& text) override;
    void ShowCurrentDestination(const QString& identifier, const QString& folder) override;
    void ClearCaptureInfo() override;

signals:
    void FirstShown();
    // The tree's selection moved to the entry at position.
    void DestinationChosen(int position);
    void SettingsRequested();   // "設定"
    void HistoryRequested();    // "履歴"
    void VersionBoxRequested(); // "バージョン"
    void PasteRequested();      // "貼り付け", Ctrl+V
    void FullSizeRequested();   // a double-click on the preview: the last capture
    void HintClicked();         // on the hint ShowClickableHint shows
    // A folder or the user guide, for the desktop to open.
    void OpenRequested(const QUrl& address);
    // A notice for the user: a missing folder, a missing guide.
    void NoticeRequested(const QString& text);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Action4Execute();
    QWidget* BuildRightSide();
    QWidget* BuildCaptureDisplay();
    void CreateViewActions();
    void CreateMainMenu();
    void CreateContextMenus();
    void ShowMenuItems(bool shown);
    void ShowTreePane();
    void HideTreePane();
    void UpdateHoverSelection();
    void ShortenFolderLine();

    DestinationTreePane* Panel1 = nullptr; // the destination tree and its status line
    QSplitter* Splitter2 = nullptr;
    QWidget* Panel2 = nullptr;      // the right side
    QMenu* PopupMenu2 = nullptr;    // Panel2's context menu
    QFrame* Panel3 = nullptr;       // the preview pane
    QSplitter* Splitter1 = nullptr; // between the preview and the information box
    QFrame* GroupBox1 = nullptr;    // the information box
    QLabel* Label5 = nullptr;       // the caption "保存先フォルダ"
    QLabel* Label2 = nullptr;       // identifier of the current destination
    QLabel* Label1 = nullptr;       // its folder, shortened to fit
    QLabel* Label3 = nullptr;       // name the last capture was saved under
    QLabel* Label4 = nullptr;       // outcome of the last capture
    QLabel* Image1 = nullptr;       // preview of the last capture
    QLabel* Image2 = nullptr;       // hidden: holds the full picture the preview is fitted from
    QStatusBar* StatusBar1 = nullptr;
    QTimer* Timer1 = nullptr;   // selects the destination under the pointer during a drag
    QAction* Action4 = nullptr; // open the current destination's folder
    QAction* Action5 = nullptr; // show the menu (checked) or hide it
    QAction* Action6 = nullptr; // show the tree pane (checked) or hide it
    QAction* Exit1 = nullptr;   // "終了"
    QAction* N3 = nullptr;      // "設定"
    QAction* x1 = nullptr;      // "履歴"
    QAction* Paste1 = nullptr;  // "貼り付け": captures what the clipboard holds
    QMenu* Help1 = nullptr;     // "ヘルプ"
    QAction* N16 = nullptr;     // "オンラインヘルプ"
    QAction* N1 = nullptr;      // the separator before "バージョン"
    QAction* N4 = nullptr;      // "バージョン"

    const DropIntake* intake_ = nullptr;
    CapturePipeline* pipeline_ = nullptr;
    const CurrentDestination* current_ = nullptr;
    CloseDecision* closeDecision_ = nullptr;
    PreviewPair* preview_ = nullptr;
    QLabel* statusText_ = nullptr;
    int hoverHolds_ = 0; // PauseHoverSelection scopes open
    bool shownBefore_ = false;
    FirstPaneSize treePane_{DefaultInteger(IntegerSetting::MainTreeWidth)};
    FirstPaneSize previewPane_{DefaultInteger(IntegerSetting::MainPreviewHeight)};
    QLabel* indexProgress_ = nullptr;
    QElapsedTimer clickableHint_; // since the clickable hint was shown; invalid: none
};

} // namespace kelvo
