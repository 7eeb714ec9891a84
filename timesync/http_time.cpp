#include "timesync/http_time.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/local_calendar.h"
#include "timesync/time_page.h"

namespace kronvik {

namespace {

// The proxy's own answer: its Date is the proxy's clock, not the server's.
constexpr uint32_t kProxyAuthenticationRequired = 407;

bool FromCache(const std::optional<std::string>& age) {
    if (!age) return false;
    if (age->empty()) return true;
    // Only a plain 0 says the response is fresh.
    for (char c : *age) {
        if (c != '0') return true;
    }
    return false;
}

}  // namespace

std::optional<ServerTime> ServerTimeOf(std::string_view body, uint32_t status,
                                       const std::optional<std::string>& date,
                                       const std::optional<std::string>& age) {
    if (const std::optional<int64_t> page = ParseTimePage(body)) return ServerTime{*page, 0};
    if (!date || status >= 500 || status == kProxyAuthenticationRequired || FromCache(age)) return std::nullopt;
    const std::optional<int64_t> seconds = ParseHttpDate(*date);
    if (!seconds) return std::nullopt;
    return ServerTime{*seconds, 500};
}

bool FetchTimePage(HttpClient& http, const std::string& proxy, const ApplyTime& apply) {
    const std::unique_ptr<HttpSession> session = http.Open(kTimePageAgent, proxy);
    if (!session) return false;
    session->SetReceiveTimeout(kTimePageReceiveTimeoutMs);
    const std::unique_ptr<HttpResponse> response = session->OpenUrl(kTimePageUrl, kTimePageOpenFlags);
    if (!response) return false;

    // To the end of the body: each read waits only as long as data takes to
    // come, bounded by the receive time-out. A broken read leaves a time that
    // may be as old as that time-out, so it sets nothing.
    std::string body;
    std::vector<char> chunk(8192);
    while (body.size() < kTimePageBodyLimit) {
        const size_t room = std::min(chunk.size(), kTimePageBodyLimit - body.size());
        const int64_t got = response->Read(chunk.data(), room);
        if (got < 0) return false;
        if (got == 0) break;
        body.append(chunk.data(), static_cast<size_t>(got));
    }

    const std::optional<ServerTime> time =
        ServerTimeOf(body, response->Status(), response->Header(HttpHeader::Date), response->Header(HttpHeader::Age));
    if (!time) return false;
    std::optional<LocalTime> local = LocalFromSeconds(time->seconds);
    if (!local) return false;
    local->milliseconds = time->milliseconds;
    return apply(*local);
}

}  // namespace kronvik
