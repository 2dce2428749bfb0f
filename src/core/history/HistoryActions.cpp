#include "history/HistoryActions.h"

#include "capture/BrowserLink.h"
#include "capture/DropTexts.h"
#include "collection/PictureLookup.h"
#include "history/CaptureRename.h"
#include "history/DayListing.h"
#include "history/HistoryListModel.h"
#include "history/HistorySearch.h"
#include "history/SearchRunner.h"
#include "logs/CaptureLog.h"
#include "logs/DayTexts.h"
#include "services/FileWatch.h"
#include "services/Prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <map>

namespace kelvo {

HistoryActions::HistoryActions(QString homeFolder, HistoryListModel& model, HistoryView& view,
                               BrowserLink& browser, Prompter& prompter)
    : home_(std::move(homeFolder)), model_(model), view_(view), browser_(browser),
      prompter_(prompter), listing_(std::make_unique<DayListing>(home_, model_)),
      search_(std::make_unique<SearchRunner>(home_)), logWatch_(std::make_unique<FileWatch>()) {
    QObject::connect(logWatch_.get(), &FileWatch::Changed, logWatch_.get(),
                     [this] { RefreshListing(); });
    QObject::connect(listing_.get(), &DayListing::Progress, listing_.get(),
                     [this](int lines) { ShowProgress(lines); });
    QObject::connect(listing_.get(), &DayListing::Finished, listing_.get(),
                     [this](int lines) { ShowFinished(lines); });
    QObject::connect(search_.get(), &SearchRunner::Found, search_.get(),
                     [this](const std::vector<DayMatches>& days) { ShowFound(days); });
    QObject::connect(search_.get(), &SearchRunner::Finished, search_.get(),
                     [this](const QStringList& unreadable) { ShowSearchFinished(unreadable); });
}

HistoryActions::~HistoryActions() = default;

void HistoryActions::ListNode(int level, const QString& text) {
    if (ShowsSearch()) {
        search_->Cancel();
        searchFilter_.reset();
        view_.ClearSearchText();
    }
    // Ends a selection with the effects of a deselection, before the lines go.
    view_.ClearSelection();
    view_.ClearPreview();
    view_.ShowCaption(HistoryCaption());
    view_.ShowSortOrder(-1, false); // a listing comes in the log's order
    listedLevel_ = level;
    listedNode_ = text;
    sortColumn_ = -1;
    if (level == 1) {
        listedDay_ = text;
        view_.ShowDayStatus(DayCaption(text));
        view_.ShowListStatus({});
        listing_->ListDay(text); // a small day is listed when this returns
    } else {
        listedDay_.clear();
        listing_->Clear();
        view_.ShowDayStatus({});
        view_.ShowListStatus({});
        view_.EnableRefresh(false);
    }
    if (model_.LineCount() == 0)
        view_.EnableLineCommands({});
    WatchListedDay();
}

void HistoryActions::SetShown(bool shown) {
    shown_ = shown;
    if (shown)
        RefreshListing();
    WatchListedDay();
}

void HistoryActions::WatchListedDay() {
    if (shown_ && listedLevel_ == 1 && !listedDay_.isEmpty())
        logWatch_->Watch(DayLogPath(home_, listedDay_));
    else
        logWatch_->Stop();
}

void HistoryActions::RefreshListing() {
    if (ShowsSearch() || listedLevel_ != 1 || listedDay_.isEmpty())
        return;
    const std::optional<HistoryLine> line = selected_;
    const int scroll = view_.ScrollPosition();
    // The model starts over without telling the selection: the selected
    // line's preview stays while its line is found again.
    listing_->ListDay(listedDay_);
    listing_->Finish();
    if (sortColumn_ >= 0)
        model_.Sort(sortColumn_, SortedDescending());
    const auto same = [&line](const HistoryLine& listed) {
        return listed.fileName == line->fileName && listed.captureTime == line->captureTime;
    };
    const int row = line ? FindLine(same) : -1;
    if (row >= 0)
        view_.SelectLine(row);
    else if (line)
        LineDeselected();
    view_.ScrollTo(scroll);
}

int HistoryActions::FindLine(const std::function<bool(const HistoryLine&)>& matches) const {
    for (int row = 0; row < model_.LineCount(); ++row) {
        if (matches(model_.Line(row)))
            return row;
    }
    return -1;
}

void HistoryActions::ShowProgress(int lines) {
    view_.ShowListStatus(ListingProgressText(lines));
    RefreshLineCommands();
}

void HistoryActions::ShowFinished(int lines) {
    view_.ShowListStatus(ListingCountText(lines));
    view_.EnableRefresh(true);
    RefreshLineCommands();
}

// A listing still running is completed first, so the sort takes in every line.
void HistoryActions::SortByColumn(int column) {
    listing_->Finish();
    // A search still running adds its later lines sorted once it ends.
    sortedDuringSearch_ = search_->Running();
    sortColumn_ = column;
    sortDescending_ = sortDescending_.has_value() && !*sortDescending_;
    model_.Sort(sortColumn_, SortedDescending());
    view_.ShowSortOrder(sortColumn_, SortedDescending());
    // The selected line has moved; what can be reached from it has changed.
    RefreshLineCommands();
}

// Told only while its line is still the selected one.
void HistoryActions::PreviewFailed(const QString& path, const QString& error) {
    if (selected_ && path == selected_->Path() && !error.isEmpty())
        view_.ShowListStatus(error);
}

void HistoryActions::LineSelected(int row) {
    if (row < 0 || row >= model_.LineCount()) {
        LineDeselected();
        return;
    }
    const HistoryLine line = model_.Line(row);
    const bool sameLine = selected_ && selected_->Path() == line.Path();
    selected_ = line;
    if (model_.ShowsResults())
        view_.ShowDayStatus(DayCaption(model_.LineDay(row)));
    view_.ShowCaption(line.Path());
    const bool exists = SelectedFileExists();
    if (!exists) {
        view_.ClearPreview();
        view_.ShowListStatus(MissingFileText());
    } else if (!sameLine) {
        view_.ShowPreview(line.Path());
    }
    view_.ShowLineEntries(true);
    view_.EnableLineCommands(
        LineCommandsFor(row, model_.LineCount(), exists, SelectedHasAddress()));
}

void HistoryActions::LineDeselected() {
    view_.ShowLineEntries(false);
    selected_.reset();
    view_.ClearPreview();
    view_.ShowCaption(HistoryCaption());
    if (model_.ShowsResults()) {
        view_.ShowDayStatus(SearchDayStatus());
        view_.ShowListStatus(search_->Running()
                                 ? SearchProgressText(model_.LineCount(), model_.DayCount())
                                 : SearchCountText(model_.LineCount(), model_.DayCount()));
    } else {
        view_.ShowListStatus(ListingCountText(model_.LineCount()));
    }
    view_.EnableLineCommands({});
}

bool HistoryActions::ShowsSearch() const {
    return searchFilter_ != nullptr || !samePicturesOf_.isEmpty();
}

void HistoryActions::SearchTyped(const QString& typed) {
    auto filter = std::make_shared<WordFilter>(typed);
    if (filter->Empty())
        EndSearch();
    else
        StartSearch(std::move(filter));
}

void HistoryActions::FindSavedFiles(const QStringList& paths) {
    if (paths.isEmpty())
        return;
    view_.ClearSearchText();
    StartSearch(std::make_shared<SavedFileFilter>(paths));
    selectFirstFound_ = true;
    findPaths_ = paths;
}

void HistoryActions::ListSamePictures(const QString& path) {
    std::vector<std::pair<QString, int>> captures;
    if (const auto index = CollectionIndex::Open(home_, CollectionIndex::Access::ReadOnly)) {
        for (const PictureMatch& match : SameAndSimilarToCapture(*index, path))
            captures.emplace_back(match.found.capture.day, match.found.capture.row);
    }
    view_.ClearSearchText();
    StartResults(nullptr);
    samePicturesOf_ = path;
    ListCaptures(captures);
    ShowSearchFinished({});
    if (captures.empty())
        view_.ShowListStatus(NoSamePicturesText());
    else
        view_.SelectLine(0);
}

void HistoryActions::ListSamePicturesOfSelectedLine() {
    if (selected_)
        ListSamePictures(selected_->Path());
}

// The captures in the order given, each under its day, as a search lists them.
void HistoryActions::ListCaptures(const std::vector<std::pair<QString, int>>& captures) {
    std::map<QString, std::shared_ptr<const DayLog>> logs;
    for (const auto& [day, row] : captures) {
        std::shared_ptr<const DayLog>& log = logs[day];
        if (!log)
            log = std::make_shared<const DayLog>(DayLog::Read(DayLogPath(home_, day)));
        if (row < log->RowCount())
            model_.AddResults({day, log, {row}});
    }
}

// After a search by folder and name found nothing: a file moved, renamed or
// reached through links since is found by its bytes or its real path.
bool HistoryActions::ListMovedFiles() {
    const auto index = CollectionIndex::Open(home_, CollectionIndex::Access::ReadOnly);
    if (!index)
        return false;
    std::vector<std::pair<QString, int>> captures;
    for (const QString& path : std::exchange(findPaths_, {})) {
        for (const FoundCapture& found : CapturesOfMovedFile(*index, path))
            captures.emplace_back(found.capture.day, found.capture.row);
    }
    ListCaptures(captures);
    return model_.LineCount() > 0;
}

void HistoryActions::EndSearch() {
    if (!ShowsSearch())
        return;
    search_->Cancel();
    searchFilter_.reset();
    samePicturesOf_.clear();
    ListNode(listedLevel_, listedNode_);
}

bool HistoryActions::RepeatSearch() {
    if (!ShowsSearch())
        return false;
    if (!samePicturesOf_.isEmpty()) {
        ListSamePictures(QString(samePicturesOf_));
        return true;
    }
    const bool selectFirst = selectFirstFound_;
    StartSearch(searchFilter_);
    selectFirstFound_ = selectFirst;
    return true;
}

// The running search, or the day's listing, ends: none of its lines follow.
void HistoryActions::StartSearch(std::shared_ptr<const RowFilter> filter) {
    StartResults(filter);
    search_->Start(std::move(filter));
}

void HistoryActions::StartResults(std::shared_ptr<const RowFilter> filter) {
    search_->Cancel();
    findPaths_.clear();
    samePicturesOf_.clear();
    view_.ClearSelection();
    view_.ClearPreview();
    view_.ShowCaption(HistoryCaption());
    sortColumn_ = -1; // the lines come in as they are found
    view_.ShowSortOrder(-1, false);
    listing_->Clear();
    logWatch_->Stop();
    searchFilter_ = std::move(filter);
    selectFirstFound_ = false;
    sortedDuringSearch_ = false;
    model_.StartResults();
    view_.ShowDayStatus(SearchDayStatus());
    view_.ShowListStatus(SearchProgressText(0, 0));
    view_.EnableRefresh(false);
    view_.EnableLineCommands({});
}

void HistoryActions::ShowFound(const std::vector<DayMatches>& days) {
    for (const DayMatches& day : days)
        model_.AddResults(day);
    if (!selected_)
        view_.ShowListStatus(SearchProgressText(model_.LineCount(), model_.DayCount()));
    RefreshLineCommands();
}

void HistoryActions::ShowSearchFinished(const QStringList& unreadable) {
    if (sortedDuringSearch_) {
        model_.Sort(sortColumn_, SortedDescending());
        sortedDuringSearch_ = false;
    }
    if (selectFirstFound_ && model_.LineCount() == 0)
        ListMovedFiles();
    QString status = SearchCountText(model_.LineCount(), model_.DayCount());
    if (selectFirstFound_ && model_.LineCount() == 0)
        status = NoCaptureOfFilesText();
    if (!unreadable.isEmpty())
        status += u' ' + UnreadableLogsText(int(unreadable.size()));
    view_.ShowListStatus(status);
    view_.EnableRefresh(true);
    RefreshLineCommands();
    if (selectFirstFound_ && model_.LineCount() > 0)
        view_.SelectLine(0);
    selectFirstFound_ = false;
}

QString HistoryActions::SelectedDay() const {
    return model_.ShowsResults() ? model_.LineDay(view_.SelectedLine()) : listedDay_;
}

// Lines were added after the selected one, or it has moved.
void HistoryActions::RefreshLineCommands() {
    if (selected_)
        view_.EnableLineCommands(LineCommandsFor(view_.SelectedLine(), model_.LineCount(),
                                                 SelectedFileExists(), SelectedHasAddress()));
}

// A folder written on Windows (C:\...) is no path here: its files are missing.
bool HistoryActions::SelectedFileExists() const {
    if (!selected_)
        return false;
    const QString path = selected_->Path();
    return QDir::isAbsolutePath(path) && QFileInfo(path).isFile();
}

bool HistoryActions::SelectedHasAddress() const {
    return selected_ && !selected_->address.isEmpty();
}

void HistoryActions::OpenViewer() {
    if (SelectedFileExists())
        view_.OpenViewer(selected_->Path(), selected_->address);
}

void HistoryActions::OpenViewerFromPreview() {
    if (listedLevel_ == 1 || model_.ShowsResults())
        OpenViewer();
}

void HistoryActions::FirstLine() {
    if (model_.LineCount() > 0)
        view_.SelectLine(0);
}

void HistoryActions::PreviousLine() {
    if (const int row = view_.SelectedLine(); row > 0)
        view_.SelectLine(row - 1);
}

void HistoryActions::NextLine() {
    if (const int row = view_.SelectedLine(); row >= 0 && row < model_.LineCount() - 1)
        view_.SelectLine(row + 1);
}

void HistoryActions::LastLine() {
    if (model_.LineCount() > 0)
        view_.SelectLine(model_.LineCount() - 1);
}

void HistoryActions::OpenFolder() {
    if (selected_)
        view_.OpenFolder(FolderToOpen(selected_->folder));
}

void HistoryActions::CopyAddress() {
    if (selected_)
        view_.CopyText(selected_->address);
}

void HistoryActions::OpenAddressInBrowser() {
    if (SelectedHasAddress() && SelectedAddressOpens())
        browser_.OpenInBrowser(selected_->address);
}

void HistoryActions::OpenAddressInNewBrowser() {
    if (SelectedHasAddress() && SelectedAddressOpens())
        browser_.OpenAddress(selected_->address);
}

// A log is a plain file anyone may edit: a file, a script or a program's own
// scheme is never handed to the browser or the desktop.
bool HistoryActions::SelectedAddressOpens() {
    if (IsOpenableAddress(selected_->address))
        return true;
    prompter_.Notice(QCoreApplication::translate("HistoryActions",
                                                 "http と https 以外のアドレスは開けません。"));
    return false;
}

// The file on disk and its rows in the day's log get the new name together;
// the day is then listed again with the renamed line selected. A search's
// line keeps its place and shows the new name.
void HistoryActions::RenameFile() {
    const bool searchLine = model_.ShowsResults();
    if ((listedLevel_ != 1 && !searchLine) || !SelectedFileExists())
        return;
    const int row = view_.SelectedLine();
    const HistoryLine line = model_.Line(row);
    const QString day = SelectedDay();
    const std::optional<QString> name = prompter_.AskText(
        QCoreApplication::translate("HistoryActions", "ファイル名の変更"),
        QCoreApplication::translate("HistoryActions", "新しいファイル名"), line.fileName);
    if (!name)
        return;
    const CaptureRenaming renaming{DayLogPath(home_, day), line.folder, line.fileName, *name};
    const RenameOutcome outcome = RenameCapture(renaming);
    if (const QString text = RenameOutcomeText(outcome, renaming); !text.isEmpty())
        prompter_.Notice(text);
    if (outcome != RenameOutcome::Renamed)
        return;
    if (searchLine) {
        model_.RenameFound(day, renaming.folder, renaming.oldName, renaming.newName);
        view_.ClearSelection();
        view_.SelectLine(row);
        return;
    }
    ListNode(1, listedDay_);
    listing_->Finish();
    const int renamed = FindLine([&](const HistoryLine& listed) {
        return listed.fileName == renaming.newName && listed.folder == renaming.folder;
    });
    if (renamed >= 0)
        view_.SelectLine(renamed);
}

void HistoryActions::CopyPicture() {
    if (SelectedFileExists())
        view_.CopyPicture(selected_->Path());
}

} // namespace kelvo
