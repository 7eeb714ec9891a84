#pragma once
// The SNTP exchange: one request over one UDP socket, from local port 1024 to
// port 123 of the server, and the clock set from the reply.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/network.h"

namespace kronvik {

// Sets the clock to a local time; true when the system took it.
using ApplyTime = std::function<bool(const LocalTime& time)>;

// The local time to set from a reply's transmit seconds and the shift in minutes.
std::optional<LocalTime> SntpLocalTime(uint32_t transmit_seconds, int32_t time_plus);

struct SntpSettings {
    std::string host;            // empty: the built-in server
    int32_t answer_seconds = 0;  // SNTPanswer
    int32_t time_plus = 0;       // TIME_PLUS, minutes
};

// The whole exchange; true when the clock was set.
bool RunSntpExchange(Network& network, const SntpSettings& settings, const ApplyTime& apply);

}  // namespace kronvik
