#pragma once
// The HTTP time exchange: fetch the time page, through the proxy when one is
// given, and set the clock from it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/http.h"
#include "timesync/server_time.h"

namespace kronvik {

inline constexpr char kTimePageUrl[] = "http://www.nict.go.jp/cgi-bin/JST2.pl";
inline constexpr char kTimePageAgent[] = "MyApp";
// The whole exchange, from the request to the last byte read; past it, it failed.
inline constexpr int64_t kTimePageDeadlineMs = 10000;
// A time that came later than this after the request may have been that old
// already when the server sent it: how old cannot be known, so it is not used.
inline constexpr int64_t kTimePageFreshMs = 3000;
// The time line stands near the top; more of a body is not read.
inline constexpr size_t kTimePageBodyLimit = 64 * 1024;

// The server's time by a response's Date header, in milliseconds since 1970:
// half a second on, as the header drops the fraction. Only of a response with
// a status below 500 (a 5xx may come from the proxy), not of a 407 (the proxy
// asks for credentials) and not from a cache (an Age above 0).
std::optional<int64_t> DateHeaderMs(uint32_t status, const std::optional<std::string>& date,
                                    const std::optional<std::string>& age);

// One exchange; true when the clock was set. The time is the page's time
// line, read as soon as it has come, or else the Date header; either is
// handed over with the moment it arrived.
bool FetchTimePage(HttpClient& http, const std::string& proxy, const ApplyTime& apply,
                   const MonotonicMs& now_ms);

}  // namespace kronvik
