#pragma once

#include "history/HistoryListModel.h"
#include "history/LineCommands.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kelvo {

class BrowserLink;
class DayListing;
class FileWatch;
class Prompter;
class RowFilter;
class SearchRunner;
struct DayMatches;

// What the history window shows and does for its commands. The window
// implements it; tests record the calls.
class HistoryView {
public:
    virtual ~HistoryView() = default;
    virtual void ShowCaption(const QString& text) = 0;
    // Under the tree: the listed day, or that the whole history is searched.
    virtual void ShowDayStatus(const QString& text) = 0;
    // Under the list: progress, counts and messages.
    virtual void ShowListStatus(const QString& text) = 0;
    // Loads the file into the preview; the reason when it cannot be decoded.
    // Decoded while the window goes on; a failure comes back by PreviewFailed.
    virtual void ShowPreview(const QString& path) = 0;
    virtual void ClearPreview() = 0;
    virtual void EnableRefresh(bool enabled) = 0;
    // The heading that orders the list, and which way; column -1: the log's
    // own order, no heading marked.
    virtual void ShowSortOrder(int column, bool descending) = 0;
    virtual void EnableLineCommands(const LineCommands& commands) = 0;
    // The pop-up entries of the line commands.
    virtual void ShowLineEntries(bool shown) = 0;
    // The list's selection: the selected line (-1 for none), selecting a line
    // (and scrolling to it), ending the selection. Each change reports back
    // through LineSelected and LineDeselected.
    virtual int SelectedLine() const = 0;
    virtual void SelectLine(int row) = 0;
    virtual void ClearSelection() = 0;
    virtual void CopyText(const QString& text) = 0;
    virtual void CopyPicture(const QString& path) = 0;
    virtual void OpenFolder(const QString& folder) = 0;
    // The full-size viewer, modal.
    virtual void OpenViewer(const QString& path, const QString& address) = 0;
    // Empties the search field without searching again.
    virtual void ClearSearchText() = 0;
    // The list's scroll position, kept over a listing read again.
    virtual int ScrollPosition() const = 0;
    virtual void ScrollTo(int position) = 0;
};

// The history browser's logic: listing the chosen node or searching the whole
// history, sorting, the selected line and the commands on it. It owns the
// day's listing and the search.
class HistoryActions {
public:
    HistoryActions(QString homeFolder, HistoryListModel& model, HistoryView& view,
                   BrowserLink& browser, Prompter& prompter);
    ~HistoryActions();

    DayListing& Listing() { return *listing_; }
    SearchRunner& Search() { return *search_; }

    // A tree node was chosen: level 1 lists a day's captures, level 0 (a
    // month) lists nothing. A search's lines go.
    void ListNode(int level, const QString& text);
    // Sorts the whole list by the column; one direction for every column,
    // turned at each call, in whatever listing: the first sorts ascending.
    void SortByColumn(int column);
    // The preview of path could not be decoded; error says why.
    void PreviewFailed(const QString& path, const QString& error);
    void LineSelected(int row);
    void LineDeselected();

    // Lists the lines of every day where all typed words occur; an empty text
    // lists the chosen node again.
    void SearchTyped(const QString& typed);
    // Lists the lines that saved these files, and selects the first.
    void FindSavedFiles(const QStringList& paths);
    // Lists every capture of the same picture as the capture saved at path,
    // then of similar pictures, nearest first, across all days.
    void ListSamePictures(const QString& path);
    // Lists the chosen node again when a search's lines are listed.
    void EndSearch();
    // Searches again when a search's lines are listed; false otherwise.
    bool RepeatSearch();
    bool ShowsSearch() const;
    // The window shows (true) or hides: shown, the listed day is read again
    // at once and whenever its log changes on disk.
    void SetShown(bool shown);
    // Reads the listed day's log again, in place: the same sort, the same
    // selected line (found again by its file name and time) and the same
    // scroll position. A month, or a search's lines, stay as they are.
    void RefreshListing();

    // The commands on the list and its selected line. Each does nothing when
    // it cannot act: no line, a missing file, no address to open.
    void OpenViewer();
    // A double-click on the preview: the viewer, while lines are listed.
    void OpenViewerFromPreview();
    void FirstLine();
    void PreviousLine();
    void NextLine();
    void LastLine();
    void OpenFolder(); // the selected line's 保存先フォルダ
    void CopyAddress();
    // Only a web page's address is opened; any other is refused with a notice.
    void OpenAddressInBrowser();    // the running browser
    void OpenAddressInNewBrowser(); // the desktop's handler
    // Asks for a new name; the file and its log rows are renamed together,
    // and the renamed line is selected again.
    void RenameFile();
    void CopyPicture();
    void ListSamePicturesOfSelectedLine();

    bool HasSelectedLine() const { return selected_.has_value(); }
    // The heading the list is sorted by, and its direction; -1 (and not
    // descending) while the lines are in the log's or the search's order.
    int SortColumn() const { return sortColumn_; }
    bool SortedDescending() const { return sortColumn_ >= 0 && sortDescending_.value_or(false); }

private:
    void StartSearch(std::shared_ptr<const RowFilter> filter);
    void StartResults(std::shared_ptr<const RowFilter> filter);
    // Files a search by folder and name did not find, looked for by the index.
    bool ListMovedFiles();
    void ListCaptures(const std::vector<std::pair<QString, int>>& captures);
    void WatchListedDay();
    // The first line that matches, or -1.
    int FindLine(const std::function<bool(const HistoryLine&)>& matches) const;
    void ShowFound(const std::vector<DayMatches>& days);
    void ShowSearchFinished(const QStringList& unreadable);
    QString SelectedDay() const;
    bool SelectedAddressOpens();
    void ShowProgress(int lines);
    void ShowFinished(int lines);
    void RefreshLineCommands();
    bool SelectedFileExists() const;
    bool SelectedHasAddress() const;

    QString home_;
    HistoryListModel& model_;
    HistoryView& view_;
    BrowserLink& browser_;
    Prompter& prompter_;
    std::unique_ptr<DayListing> listing_;
    std::unique_ptr<SearchRunner> search_;
    std::unique_ptr<FileWatch> logWatch_; // the listed day's log, while shown
    bool shown_ = false;
    int listedLevel_ = 0; // of the chosen node
    int sortColumn_ = -1; // -1: the lines are in the order they came in
    // The direction of the last sort by a heading, in any listing: the next
    // sort turns it. None before the first.
    std::optional<bool> sortDescending_;
    std::shared_ptr<const RowFilter> searchFilter_; // of the listed search
    bool selectFirstFound_ = false;                 // a search for dropped files
    bool sortedDuringSearch_ = false;
    std::optional<HistoryLine> selected_;
    QStringList findPaths_;  // of the listed search for dropped files
    QString samePicturesOf_; // the capture whose same and similar pictures are listed
    QString listedDay_;
    QString listedNode_; // the chosen node's text, at listedLevel_
};

} // namespace kelvo
