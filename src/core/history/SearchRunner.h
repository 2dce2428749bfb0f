#pragma once

#include "history/HistorySearch.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace kelvo {

// Runs one search of the history at a time, on a thread of its own, and hands
// the days with matches to this object's thread as they are found, newest
// first. Starting another search, or Cancel, ends the running one: none of
// its days is handed over after that, even one already on its way.
class SearchRunner : public QObject {
    Q_OBJECT

public:
    explicit SearchRunner(QString homeFolder, QObject* parent = nullptr);
    ~SearchRunner() override;

    void Start(std::shared_ptr<const RowFilter> filter);
    void Cancel();
    bool Running() const { return running_; }
    // Found days are handed over together once this long has passed since the
    // last hand-over; the first at once.
    void SetBatchTime(int milliseconds) { batchTime_ = milliseconds; }

signals:
    void Found(const std::vector<DayMatches>& days);
    // Every day was read; unreadable: the logs that could not be.
    void Finished(const QStringList& unreadable);

private:
    void Stop();
    void Run(quint64 generation, const std::shared_ptr<const RowFilter>& filter,
             const std::shared_ptr<std::atomic<bool>>& cancelled);
    void HandOver(quint64 generation, std::vector<DayMatches>&& days,
                  const std::optional<QStringList>& unreadable);

    QString home_;
    std::thread worker_;
    std::shared_ptr<std::atomic<bool>> cancelled_;
    quint64 generation_ = 0; // one per search; a hand-over of an older one is dropped
    bool running_ = false;
    int batchTime_ = 30;
};

} // namespace kelvo
