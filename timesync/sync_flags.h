#pragma once
// The synchronisation flags, shared by the UI thread, the workers and the
// caption writer (which shows a marker while a synchronisation runs).
#include <atomic>
#include <cstdint>

namespace kronvik {

struct SyncFlags {
    std::atomic<int32_t> SyncRunning{0};  // a worker is carrying out an exchange
    std::atomic<int32_t> AutoSync{0};     // 1: started by Timer3; 0: by the user
    std::atomic<int32_t> SyncArmed{0};    // the first automatic interval was issued
};

}  // namespace kronvik
