#include "timesync/sync_boxes.h"

namespace kronvik {

bool SyncBoxes::Show(const SyncBox& box) {
    {
        std::unique_lock lock(mutex_);
        turn_.wait(lock, [this] { return !open_; });
        open_ = true;
    }
    return ShowInTurn(box);
}

void SyncBoxes::ShowOrQueue(const SyncBox& box) {
    {
        std::lock_guard lock(mutex_);
        if (open_) {
            queued_.push_back(box);
            return;
        }
        open_ = true;
    }
    ShowInTurn(box);
}

bool SyncBoxes::ShowInTurn(const SyncBox& box) {
    const bool answer = Open(box);
    for (;;) {
        SyncBox next;
        {
            std::lock_guard lock(mutex_);
            if (queued_.empty()) {
                open_ = false;
                break;
            }
            next = std::move(queued_.front());
            queued_.pop_front();
        }
        Open(next);
    }
    turn_.notify_all();
    return answer;
}

bool SyncBoxes::Open(const SyncBox& box) {
    if (box.beep) desktop_.Beep();
    return boxes_.Show(box.text, box.caption, box.style);
}

}  // namespace kronvik
