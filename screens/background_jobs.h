#pragma once

// Slow reads (tracks, the shoreline through GMT) off the window's thread. A
// job's result comes back through the event loop, on the window's thread; a
// widget going away cancels its jobs and waits for them, so no job outlives
// what it reports to.

#include <QObject>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace tackedit {

class BackgroundJobs final : public QObject {
public:
    BackgroundJobs() = default;
    BackgroundJobs(const BackgroundJobs&) = delete;
    BackgroundJobs& operator=(const BackgroundJobs&) = delete;
    ~BackgroundJobs() override
    {
        cancelled_->store(true);
        for (QThread* thread : threads_) {
            thread->wait();
            delete thread;
        }
    }

    // `work` runs on a thread of its own and should give up soon once its
    // flag is set; `done` receives its result later, on this object's thread.
    template <class Result>
    void Start(std::function<Result(const std::atomic<bool>& cancelled)> work, std::function<void(Result)> done)
    {
        auto result = std::make_shared<Result>();
        QThread* thread = QThread::create([work = std::move(work), result, cancelled = cancelled_] {
            *result = work(*cancelled);
        });
        threads_.push_back(thread);
        connect(thread, &QThread::finished, this, [this, thread, result, done = std::move(done)] {
            std::erase(threads_, thread);
            thread->deleteLater();
            done(std::move(*result));
        });
        thread->start(QThread::LowPriority);
    }

    bool Busy() const { return !threads_.empty(); }

private:
    std::shared_ptr<std::atomic<bool>> cancelled_ = std::make_shared<std::atomic<bool>>(false);
    std::vector<QThread*> threads_;
};

} // namespace tackedit
