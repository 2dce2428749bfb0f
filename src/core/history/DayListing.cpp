#include "history/DayListing.h"

#include "history/HistoryListModel.h"
#include "logs/CaptureLog.h"
#include "logs/DayLog.h"

#include <QElapsedTimer>
#include <QTimer>

#include <limits>

namespace kelvo {

DayListing::DayListing(QString homeFolder, HistoryListModel& model, QObject* parent)
    : QObject(parent), home_(std::move(homeFolder)), model_(model) {}

void DayListing::ListDay(const QString& dayText) {
    const quint64 generation = ++generation_;
    running_ = true;
    model_.Reset(std::make_shared<const DayLog>(DayLog::Read(DayLogPath(home_, dayText))), dayText);
    ShowBatch(generation);
}

void DayListing::Clear() {
    ++generation_;
    running_ = false;
    model_.Clear();
}

void DayListing::Finish() {
    if (!running_)
        return;
    ++generation_;
    model_.ShowMore(std::numeric_limits<int>::max());
    Complete();
}

void DayListing::ShowBatch(quint64 generation) {
    if (generation != generation_)
        return;
    QElapsedTimer turn;
    turn.start();
    int shown = model_.ShowMore(batchSize_);
    while (!model_.AllShown() && turn.elapsed() < turnTime_)
        shown = model_.ShowMore(batchSize_);
    if (model_.AllShown()) {
        Complete();
        return;
    }
    emit Progress(shown);
    // After the events that are waiting, which may list another day.
    QTimer::singleShot(0, this, [this, generation] { ShowBatch(generation); });
}

void DayListing::Complete() {
    running_ = false;
    emit Finished(model_.LineCount());
}

} // namespace kelvo
