#pragma once

#include <QObject>
#include <QString>

namespace kelvo {

class HistoryListModel;

// Lists a day's captures into the model: the log is read once, then its lines
// are shown a batch at a time, with the event loop running in between, so the
// window keeps painting and shows the running count. Listing another day, or
// clearing, cancels a listing that is still running: its remaining batches
// are dropped, so the lines of two days never mix.
class DayListing : public QObject {
    Q_OBJECT

public:
    DayListing(QString homeFolder, HistoryListModel& model, QObject* parent = nullptr);

    // Lists the day 20060315 from its log in the home folder. The first batch
    // is shown before this returns; a small day is then already complete.
    void ListDay(const QString& dayText);
    // Empties the list and cancels a running listing.
    void Clear();
    // Shows every remaining line of a running listing at once.
    void Finish();
    bool Running() const { return running_; }
    // Lines are shown a batch at a time, batches one after another until a
    // turn has taken this long; then the event loop runs.
    void SetBatchSize(int lines) { batchSize_ = qMax(1, lines); }
    void SetTurnTime(int milliseconds) { turnTime_ = milliseconds; }

signals:
    // More lines are shown; lines is how many are shown now.
    void Progress(int lines);
    // The day is listed completely.
    void Finished(int lines);

private:
    void ShowBatch(quint64 generation);
    void Complete();

    QString home_;
    HistoryListModel& model_;
    quint64 generation_ = 0; // one per listing; a batch of an older one is dropped
    bool running_ = false;
    int batchSize_ = 1000;
    int turnTime_ = 15; // a frame or so: the window stays smooth
};

} // namespace kelvo
