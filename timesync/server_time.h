#pragma once
// What an exchange hands to the clock setting: the server's time as its
// answer told it, and when that answer arrived, so the time set can be moved
// on by whatever passed in between.
#include <cstdint>
#include <functional>

namespace kronvik {

struct ServerTime {
    int64_t unix_ms = 0;     // milliseconds since 1970-01-01 00:00:00 UTC
    int64_t arrived_ms = 0;  // on the exchange's MonotonicMs
};

// Sets the clock from a server's time; true when the system took it.
using ApplyTime = std::function<bool(const ServerTime& time)>;

// Milliseconds on a clock that only moves forward.
using MonotonicMs = std::function<int64_t()>;

}  // namespace kronvik
