#include "timesync/http_time.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "platform/local_calendar.h"
#include "timesync/time_page.h"

namespace kronvik {

namespace {

// The proxy's own answer: its Date is the proxy's clock, not the server's.
constexpr uint32_t kProxyAuthenticationRequired = 407;

bool FromCache(const std::optional<std::string>& age) {
    // Only a plain 0 says the response is fresh.
    return age && (age->empty() || age->find_first_not_of('0') != std::string::npos);
}

// The body to its end, or nothing when a read broke or the exchange ran past
// its deadline: either leaves a time that may be as old as the wait. No read
// waits beyond the time that is left.
std::optional<std::string> ReadBody(HttpResponse& response, const std::function<int64_t()>& remaining_ms) {
    std::string body;
    std::vector<char> chunk(8192);
    while (body.size() < kTimePageBodyLimit) {
        const int64_t remaining = remaining_ms();
        if (remaining <= 0) return std::nullopt;
        response.SetTimeout(static_cast<uint32_t>(remaining));
        const size_t room = std::min(chunk.size(), kTimePageBodyLimit - body.size());
        const int64_t got = response.Read(chunk.data(), room);
        if (got < 0 || remaining_ms() < 0) return std::nullopt;
        if (got == 0) break;
        body.append(chunk.data(), static_cast<size_t>(got));
    }
    return body;
}

}  // namespace

int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::optional<ServerTime> ServerTimeOf(std::string_view body, uint32_t status,
                                       const std::optional<std::string>& date,
                                       const std::optional<std::string>& age) {
    if (const std::optional<int64_t> page = ParseTimePage(body)) return ServerTime{*page, 0};
    if (!date || status >= 500 || status == kProxyAuthenticationRequired || FromCache(age))
        return std::nullopt;
    const std::optional<int64_t> seconds = ParseHttpDate(*date);
    if (!seconds) return std::nullopt;
    return ServerTime{*seconds, 500};
}

bool FetchTimePage(HttpClient& http, const std::string& proxy, const ApplyTime& apply,
                   const MonotonicMs& now_ms) {
    // From the request to the last byte: a server or proxy that trickles its
    // answer would otherwise hold the worker and age the time it gives.
    const int64_t deadline = now_ms() + kTimePageDeadlineMs;
    const std::function<int64_t()> remaining_ms = [&] { return deadline - now_ms(); };
    const std::unique_ptr<HttpSession> session = http.Open(kTimePageAgent, proxy);
    if (!session) return false;
    session->SetTimeout(static_cast<uint32_t>(kTimePageDeadlineMs));
    const std::unique_ptr<HttpResponse> response = session->OpenUrl(kTimePageUrl);
    if (!response || remaining_ms() < 0) return false;
    const std::optional<std::string> body = ReadBody(*response, remaining_ms);
    if (!body) return false;

    const std::optional<ServerTime> time =
        ServerTimeOf(*body, response->Status(), response->Header(HttpHeader::Date),
                     response->Header(HttpHeader::Age));
    if (!time) return false;
    std::optional<LocalTime> local = LocalFromSeconds(time->seconds);
    if (!local) return false;
    local->milliseconds = time->milliseconds;
    return apply(*local);
}

}  // namespace kronvik
