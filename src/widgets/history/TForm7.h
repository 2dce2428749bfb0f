#pragma once

#include "common/FirstPaneSize.h"
#include "history/HistoryActions.h"
#include "session/SettingsFile.h"

#include <QDialog>
#include <QModelIndex>
#include <QUrl>

#include <functional>
#include <memory>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QSplitter;
class QStatusBar;
class QTableView;
class QToolBar;
class QTreeView;

namespace kelvo {

class BrowserLink;
class DayListing;
class HistoryListModel;
class HistoryTree;
class PreviewPair;
class Prompter;

// What the history window reaches outside itself.
struct HistoryContext {
    QString homeFolder;
    HistoryTree& tree;
    BrowserLink& browser;
    Prompter& prompter;
    // Opens the full-size viewer on a file, with its source address; modal.
    std::function<void(const QString& path, const QString& address)> openViewer;
    // Shows a folder in the file manager; the desktop's handler when empty.
    std::function<void(const QUrl& folder)> openFolder;
};

// The history browser: the months and days captured on the left, the listed
// day's captures on the right with the selected one's preview above them. The
// window shows; its actions decide (HistoryActions).
class TForm7 : public QDialog, private HistoryView {
    Q_OBJECT

public:
    explicit TForm7(HistoryContext context, QWidget* parent = nullptr);
    ~TForm7() override;

    // Lists the captures of the same and similar pictures as the capture
    // saved at path (a similar capture's notice was clicked).
    void ListSamePictures(const QString& path);

    // Lists the node: a day's captures, or nothing for a month.
    void TreeView1Change(const QModelIndex& node);
    // Lists the tree's selected node again.
    void Action16Execute();
    void ListView1ColumnClick(int column);

    // Settings of section "Form7"; the pane sizes apply once laid out.
    void SetTreePaneWidth(int width);
    int TreePaneWidth() const;
    void SetPreviewPaneHeight(int height);
    int PreviewPaneHeight() const;

    HistoryActions& Actions() { return *actions_; }
    HistoryListModel& ListModel() { return *listModel_; }
    DayListing& Listing();
    QString DayStatusText() const;  // StatusBar1
    QString ListStatusText() const; // StatusBar2
    // The pop-up entry of a line command (shown only while a line is selected).
    QAction* PopupEntryOf(QAction* action) const;
    // Searches as the text is typed; Escape or an empty text lists the chosen
    // day again.
    void SearchTyped(const QString& text);

    QToolBar* ToolBar1 = nullptr;
    QLineEdit* Edit1 = nullptr; // 検索
    QMenuBar* MainMenu1 = nullptr;
    QWidget* Panel1 = nullptr; // the tree pane
    QWidget* Panel5 = nullptr; // an empty strip above the tree
    QTreeView* TreeView1 = nullptr;
    QStatusBar* StatusBar1 = nullptr; // the day being listed
    QSplitter* Splitter1 = nullptr;
    QFrame* Panel3 = nullptr; // the preview pane
    QLabel* Image1 = nullptr; // the preview
    QLabel* Image2 = nullptr; // hidden: the full picture the preview is fitted from
    QSplitter* Splitter2 = nullptr;
    QTableView* ListView1 = nullptr;
    QStatusBar* StatusBar2 = nullptr; // progress, counts and messages
    QMenu* PopupMenu1 = nullptr;      // the list's
    QMenu* PopupMenu2 = nullptr;      // the tree's
    QAction* Action21 = nullptr;      // 開く
    QAction* Action1 = nullptr;       // 閉じる
    QAction* Action17 = nullptr;      // the folder
    QAction* Action18 = nullptr;      // copy the address
    QAction* Action19 = nullptr;      // the address in the running browser
    QAction* Action20 = nullptr;      // the address in a new browser
    QAction* Action8 = nullptr;       // first line
    QAction* Action9 = nullptr;       // previous line
    QAction* Action10 = nullptr;      // next line
    QAction* Action11 = nullptr;      // last line
    QAction* Action16 = nullptr;      // refresh
    QAction* Action2 = nullptr;       // rename the file
    QAction* Action4 = nullptr;       // copy the picture
    QAction* SamePictures = nullptr;  // the same and similar pictures as the line's
    QAction* Action22 = nullptr;      // to the search field

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Construction (TForm7.cpp).
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreatePopupMenus();
    QWidget* BuildTreePane();
    QWidget* BuildRightPane();

    // HistoryView (TForm7View.cpp).
    void ShowCaption(const QString& text) override;
    void ShowDayStatus(const QString& text) override;
    void ShowListStatus(const QString& text) override;
    void ShowPreview(const QString& path) override;
    void ClearPreview() override;
    void EnableRefresh(bool enabled) override;
    void ShowSortOrder(int column, bool descending) override;
    void EnableLineCommands(const LineCommands& commands) override;
    void ShowLineEntries(bool shown) override;
    int SelectedLine() const override;
    void SelectLine(int row) override;
    void ClearSelection() override;
    void CopyText(const QString& text) override;
    void CopyPicture(const QString& path) override;
    void OpenFolder(const QString& folder) override;
    void OpenViewer(const QString& path, const QString& address) override;
    void ClearSearchText() override;
    int ScrollPosition() const override;
    void ScrollTo(int position) override;

    void TreeView1MouseDown(QPoint point);
    void FitColumnsToLines();
    void ListView1MouseDown(QPoint point);

    HistoryContext context_;
    HistoryListModel* listModel_ = nullptr;
    std::unique_ptr<HistoryActions> actions_;
    PreviewPair* preview_ = nullptr;
    QLabel* dayText_ = nullptr;
    QLabel* listText_ = nullptr;
    QList<QAction*> lineEntries_; // pop-up entries of Action21 and Action17 to Action20
    FirstPaneSize treePane_{DefaultInteger(IntegerSetting::HistoryTreeWidth)};
    FirstPaneSize previewPane_{DefaultInteger(IntegerSetting::HistoryPreviewHeight)};
};

} // namespace kelvo
