#pragma once
// The HTTP time exchange: fetch the time page, through the proxy when one is
// given, and set the clock from it.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/http.h"
#include "timesync/socket_control.h"

namespace kronvik {

inline constexpr char kTimePageUrl[] = "http://www.nict.go.jp/cgi-bin/JST2.pl";
inline constexpr char kTimePageAgent[] = "MyApp";
// The whole exchange, from the request to the last byte; past it, it failed.
inline constexpr int64_t kTimePageDeadlineMs = 10000;
// The time line stands near the top; more of a body is not read.
inline constexpr size_t kTimePageBodyLimit = 64 * 1024;

struct ServerTime {
    int64_t seconds = 0;       // since 1970-01-01 UTC
    int32_t milliseconds = 0;
};

// The server's time as a response tells it: the page's time line, or else its
// Date header plus half a second (the header drops the fraction), but the
// Date only of a response with a status below 500 (a 5xx may come from the
// proxy), not of a 407 (the proxy asks for credentials) and not from a cache
// (an Age above 0).
std::optional<ServerTime> ServerTimeOf(std::string_view body, uint32_t status,
                                       const std::optional<std::string>& date,
                                       const std::optional<std::string>& age);

// Milliseconds on a clock that only moves forward.
using MonotonicMs = std::function<int64_t()>;
int64_t SteadyMs();

// One exchange; true when the clock was set.
bool FetchTimePage(HttpClient& http, const std::string& proxy, const ApplyTime& apply,
                   const MonotonicMs& now_ms = SteadyMs);

}  // namespace kronvik
