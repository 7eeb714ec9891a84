#pragma once
// The synchronisation workers: each sits idle until woken and then runs
// exactly one exchange. Waking a busy worker does nothing; the request is
// not kept.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace kronvik {

class Worker {
public:
    virtual ~Worker() = default;
    // Starts one exchange when idle; false when one is already running.
    virtual bool Wake() = 0;
};

class WorkerStarter {
public:
    virtual ~WorkerStarter() = default;
    // An idle worker for the exchange; nullptr when no thread can be made.
    virtual std::unique_ptr<Worker> Start(std::function<void()> exchange) = 0;
};

// A worker on a thread of its own, waiting on a condition variable.
class SyncWorker : public Worker {
public:
    explicit SyncWorker(std::function<void()> exchange);
    ~SyncWorker() override;

    bool Wake() override;
    // Between a wake-up and the end of its exchange.
    bool Busy() const { return busy_.load(); }

private:
    void Run();

    std::function<void()> exchange_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool woken_ = false;
    bool stopping_ = false;
    std::atomic<bool> busy_{false};
    std::thread thread_;
};

class ThreadWorkerStarter : public WorkerStarter {
public:
    std::unique_ptr<Worker> Start(std::function<void()> exchange) override;
};

}  // namespace kronvik
