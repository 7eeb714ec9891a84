#pragma once
// A worker thread that sits idle until woken and then runs exactly one exchange.
// Waking a busy worker does nothing: the request is not kept.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kronvik {

class SyncWorker {
public:
    explicit SyncWorker(std::function<void()> exchange);
    ~SyncWorker();
    SyncWorker(const SyncWorker&) = delete;
    SyncWorker& operator=(const SyncWorker&) = delete;

    // Starts one exchange when idle; false when an exchange is already running.
    bool Wake();
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

}  // namespace kronvik
