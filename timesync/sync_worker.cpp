#include "timesync/sync_worker.h"

#include <system_error>

namespace kronvik {

SyncWorker::SyncWorker(std::function<void()> exchange)
    : exchange_(std::move(exchange)), thread_([this] { Run(); }) {}

SyncWorker::~SyncWorker() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

bool SyncWorker::Wake() {
    {
        std::lock_guard lock(mutex_);
        if (busy_.load() || woken_) return false;
        woken_ = true;
        busy_.store(true);
    }
    wake_.notify_one();
    return true;
}

void SyncWorker::Run() {
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return woken_ || stopping_; });
            if (stopping_) return;
            woken_ = false;
        }
        if (exchange_) exchange_();
        busy_.store(false);
    }
}

std::unique_ptr<Worker> ThreadWorkerStarter::Start(std::function<void()> exchange) {
    try {
        return std::make_unique<SyncWorker>(std::move(exchange));
    } catch (const std::system_error&) {
        return nullptr;
    }
}

}  // namespace kronvik
