#pragma once
// The synchronisation's message boxes, one at a time: a failure reported, or
// a question asked, while another box is open is shown once that box closes,
// never beside it and never dropped.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>

#include "platform/desktop.h"
#include "platform/message_box.h"

namespace kronvik {

struct SyncBox {
    std::string text;
    std::string caption;
    BoxStyle style = BoxStyle::Error;
    bool beep = false;  // the simple beep as the box opens
};

class SyncBoxes {
public:
    SyncBoxes(MessageBoxes& boxes, Desktop& desktop) : boxes_(boxes), desktop_(desktop) {}

    // On a worker: waits for its turn, shows the box and gives the answer
    // (true for OK).
    bool Show(const SyncBox& box);
    // On the UI thread, which must not wait: shows the box now, or leaves it
    // to whoever closes the open one.
    void ShowOrQueue(const SyncBox& box);

private:
    // With the turn taken: the box, then whatever was queued meanwhile.
    bool ShowInTurn(const SyncBox& box);
    bool Open(const SyncBox& box);

    MessageBoxes& boxes_;
    Desktop& desktop_;
    std::mutex mutex_;
    std::condition_variable turn_;
    bool open_ = false;
    std::deque<SyncBox> queued_;
};

}  // namespace kronvik
