#include "history/SearchRunner.h"

#include <QElapsedTimer>

namespace kelvo {

SearchRunner::SearchRunner(QString homeFolder, QObject* parent)
    : QObject(parent), home_(std::move(homeFolder)) {}

SearchRunner::~SearchRunner() {
    Stop();
}

void SearchRunner::Start(std::shared_ptr<const RowFilter> filter) {
    Stop();
    const quint64 generation = ++generation_;
    cancelled_ = std::make_shared<std::atomic<bool>>(false);
    running_ = true;
    worker_ = std::thread([this, generation, filter = std::move(filter), cancelled = cancelled_] {
        Run(generation, filter, cancelled);
    });
}

void SearchRunner::Cancel() {
    Stop();
    ++generation_;
    running_ = false;
}

// The worker stops after the log it is reading.
void SearchRunner::Stop() {
    if (cancelled_)
        cancelled_->store(true);
    if (worker_.joinable())
        worker_.join();
}

void SearchRunner::Run(quint64 generation, const std::shared_ptr<const RowFilter>& filter,
                       const std::shared_ptr<std::atomic<bool>>& cancelled) {
    std::vector<DayMatches> batch;
    QElapsedTimer sinceHandOver;
    bool handedOver = false;
    const SearchReport report = SearchLogs(
        home_, LoggedDays(home_), *filter,
        [&](DayMatches&& day) {
            batch.push_back(std::move(day));
            if (!handedOver || sinceHandOver.elapsed() >= batchTime_) {
                HandOver(generation, std::move(batch), std::nullopt);
                batch.clear();
                sinceHandOver.start();
                handedOver = true;
            }
            return true;
        },
        cancelled.get());
    if (!cancelled->load())
        HandOver(generation, std::move(batch), report.unreadable);
}

// unreadable: given with the last days of the search.
void SearchRunner::HandOver(quint64 generation, std::vector<DayMatches>&& days,
                            const std::optional<QStringList>& unreadable) {
    auto handed = std::make_shared<std::vector<DayMatches>>(std::move(days));
    QMetaObject::invokeMethod(
        this,
        [this, generation, handed, unreadable] {
            if (generation != generation_)
                return;
            if (!handed->empty())
                emit Found(*handed);
            if (unreadable) {
                running_ = false;
                emit Finished(*unreadable);
            }
        },
        Qt::QueuedConnection);
}

} // namespace kelvo
