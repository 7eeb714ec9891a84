#include "timesync/http_time.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "timesync/time_page.h"

namespace kronvik {

namespace {

// The proxy's own answer: its Date is the proxy's clock, not the server's.
constexpr uint32_t kProxyAuthenticationRequired = 407;

bool FromCache(const std::optional<std::string>& age) {
    // Only a plain 0 says the response is fresh.
    return age && (age->empty() || age->find_first_not_of('0') != std::string::npos);
}

// The body up to its time line, or to its end when it has none.
struct PageRead {
    std::string body;
    std::optional<int64_t> page_seconds;  // the time line's
    int64_t line_arrived = 0;
};

// Nothing when a read broke or the deadline passed before the time line or
// the end came. No read waits beyond the deadline.
std::optional<PageRead> ReadPage(HttpResponse& response, int64_t deadline, const MonotonicMs& now_ms) {
    PageRead page;
    std::vector<char> chunk(8192);
    while (page.body.size() < kTimePageBodyLimit) {
        const size_t room = std::min(chunk.size(), kTimePageBodyLimit - page.body.size());
        const int64_t got = response.Read(chunk.data(), room, deadline - now_ms());
        if (got < 0 || now_ms() > deadline) return std::nullopt;
        if (got == 0) break;
        page.body.append(chunk.data(), static_cast<size_t>(got));
        page.page_seconds = ParseTimePage(page.body);
        if (page.page_seconds) {
            page.line_arrived = now_ms();
            break;
        }
    }
    return page;
}

}  // namespace

std::optional<int64_t> DateHeaderMs(uint32_t status, const std::optional<std::string>& date,
                                    const std::optional<std::string>& age) {
    if (!date || status >= 500 || status == kProxyAuthenticationRequired || FromCache(age)) return std::nullopt;
    const std::optional<int64_t> seconds = ParseHttpDate(*date);
    if (!seconds) return std::nullopt;
    return *seconds * 1000 + 500;
}

bool FetchTimePage(HttpClient& http, const std::string& proxy, const ApplyTime& apply,
                   const MonotonicMs& now_ms) {
    const std::unique_ptr<HttpSession> session = http.Open(kTimePageAgent, proxy);
    if (!session) return false;
    // From the request on: a server or proxy that trickles its answer must
    // not hold the worker.
    const int64_t requested = now_ms();
    const int64_t deadline = requested + kTimePageDeadlineMs;
    const std::unique_ptr<HttpResponse> response = session->OpenUrl(kTimePageUrl, kTimePageDeadlineMs);
    if (!response) return false;
    const int64_t head_arrived = now_ms();
    const std::optional<PageRead> page = ReadPage(*response, deadline, now_ms);
    if (!page) return false;

    std::optional<ServerTime> time;
    if (page->page_seconds) {
        time = ServerTime{*page->page_seconds * 1000, page->line_arrived};
    } else if (const std::optional<int64_t> date = DateHeaderMs(
                   response->Status(), response->Header(HttpHeader::Date), response->Header(HttpHeader::Age))) {
        time = ServerTime{*date, head_arrived};
    }
    if (!time || time->arrived_ms - requested > kTimePageFreshMs) return false;
    return apply(*time);
}

}  // namespace kronvik
