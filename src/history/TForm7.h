#pragma once

#include "history/HistoryCommands.h"

#include <QDialog>
#include <QModelIndex>
#include <QUrl>

#include <functional>

class QAction;
class QFrame;
class QLabel;
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
// day's captures on the right with the selected one's preview above them.
class TForm7 : public QDialog {
    Q_OBJECT

public:
    explicit TForm7(HistoryContext context, QWidget* parent = nullptr);
    ~TForm7() override;

    // Listing (TForm7Listing.cpp).
    void TreeView1Change(const QModelIndex& node);
    void Action16Execute();
    void ListView1ColumnClick(int column);

    // A line's selection and the commands on it (TForm7Commands.cpp).
    void ListView1SelectItem(int row, bool selected);
    void Action21Execute();
    void Action8Execute();
    void Action9Execute();
    void Action10Execute();
    void Action11Execute();
    void Action17Execute();
    void Action18Execute();
    void Action19Execute();
    void Action20Execute();
    void Action2Execute();
    void Action4Execute();
    void Image1DblClick();

    // Settings of section "Form7"; the pane sizes apply once laid out.
    void SetTreePaneWidth(int width);
    int TreePaneWidth() const;
    void SetPreviewPaneHeight(int height);
    int PreviewPaneHeight() const;

    HistoryListModel& ListModel() { return *listModel_; }
    DayListing& Listing() { return *listing_; }
    QString DayStatusText() const;  // StatusBar1
    QString ListStatusText() const; // StatusBar2
    // The pop-up entry of a line command (shown only while a line is selected).
    QAction* PopupEntryOf(QAction* action) const;

    QToolBar* ToolBar1 = nullptr;
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

    bool FItemSelected = false;
    QString FSelectedFolder;
    QString FSelectedAddress;
    bool FHasAddress = false;
    int FListedLevel = 0;
    int FSortColumn = 0;
    bool FSortDescending = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Construction (TForm7.cpp).
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreatePopupMenus();
    QWidget* BuildTreePane();
    QWidget* BuildRightPane();
    void ApplyPaneSizes();

    // Listing and selection (TForm7Listing.cpp, TForm7Commands.cpp).
    void ShowListingProgress(int lines);
    void ShowListingFinished(int lines);
    void ShowNoLine();
    void EnableLineCommands(const LineCommands& commands);
    void RefreshLineCommands();
    void ShowLineEntries(bool shown);
    void MoveTo(int row);
    int SelectedRow() const;
    bool SelectedFileExists() const;
    void TreeView1MouseDown(QPoint point);
    void ListView1MouseDown(QPoint point);

    HistoryContext context_;
    HistoryListModel* listModel_ = nullptr;
    DayListing* listing_ = nullptr;
    PreviewPair* preview_ = nullptr;
    QLabel* dayText_ = nullptr;
    QLabel* listText_ = nullptr;
    QList<QAction*> lineEntries_; // pop-up entries of Action21 and Action17 to Action20
    QString selectedPath_;        // the caption while a line is selected
    QString listedDay_;           // 20060315 while a day is listed
    int treePaneWidth_ = 185;
    int previewPaneHeight_ = 200;
    bool panesSized_ = false;
};

} // namespace kelvo
