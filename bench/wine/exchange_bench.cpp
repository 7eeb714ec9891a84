// Times one HTTP time-page exchange and one SNTP exchange against fakes on
// 127.0.0.1 that run in this same process, with the product's own exchange
// code and Win32 ports. The clock is never set: apply only records the time.
//
//   exchange_bench.exe OUTFILE [RUNS]
//
// After one warm-up of each, RUNS (default 20) runs of each are timed. The
// result lines go to stdout and to OUTFILE (a Wine desktop may lose the exit
// code; the file is written even when a run fails):
//   http_exchange_800B_ms median=M max=X runs=N
//   sntp_exchange_ms median=M max=X runs=N
//   failed TEXT        one line per run that failed
// Exits 0 only when every run, the warm-ups included, succeeded.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/http_win32.h"
#include "platform/win32/network_win32.h"
#include "timesync/http_time.h"
#include "timesync/socket_control.h"
#include "timesync/sntp_packet.h"

namespace {

constexpr uint16_t kProxyPort = 18089;
constexpr char kProxy[] = "127.0.0.1:18089";
constexpr size_t kPageSize = 800;
constexpr int64_t kNtpToUnix = 2208988800;
// Recorded times further than this from the system's are taken as misread.
constexpr int64_t kToleranceMs = 3000;

sockaddr_in Loopback(uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

int64_t FileTimeMs(const FILETIME& ft) {
    return static_cast<int64_t>((uint64_t{ft.dwHighDateTime} << 32 | ft.dwLowDateTime) / 10000);
}

// Milliseconds since 1970 UTC, of the system clock.
int64_t UnixMs() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return FileTimeMs(ft) - 11644473600000;
}

std::string TimePage() {
    const int64_t unix_ms = UnixMs();
    std::string page = "<html><head><title>JST</title><script>\n";
    page += "var Start = Math.floor( " + std::to_string(unix_ms / 1000) + " + " +
            std::to_string(unix_ms % 1000) + " / 1000 );\n";
    page += "</script></head><body>\n";
    const std::string tail = "</body></html>\n";
    page.append(kPageSize - page.size() - tail.size(), 'x');
    return page + tail;
}

// A request line in proxy form for the time page; WinINet may name the port,
// as in "GET http://www.nict.go.jp:80/cgi-bin/JST2.pl HTTP/1.1".
bool IsProxyRequest(const std::string& line) {
    const std::string url = kronvik::kTimePageUrl;
    const size_t path = url.find('/', 7);
    const std::string tail = url.substr(path) + " HTTP/1.1";
    return line.rfind("GET " + url.substr(0, path), 0) == 0 && line.size() >= tail.size() &&
           line.compare(line.size() - tail.size(), tail.size(), tail) == 0;
}

// An HTTP proxy that answers every request with the time page and closes.
// Counts the requests that came in proxy form (the absolute URL).
struct FakeProxy {
    SOCKET listener = INVALID_SOCKET;
    std::atomic<int> proxied{0};
    std::atomic<int> other{0};

    bool Start() {
        listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        const sockaddr_in a = Loopback(kProxyPort);
        return listener != INVALID_SOCKET &&
               bind(listener, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0 &&
               listen(listener, 8) == 0;
    }

    void Serve() {
        for (;;) {
            const SOCKET s = accept(listener, nullptr, nullptr);
            if (s == INVALID_SOCKET) return;  // closed at the end
            std::string head;
            char buffer[2048];
            while (head.find("\r\n\r\n") == std::string::npos) {
                const int got = recv(s, buffer, sizeof buffer, 0);
                if (got <= 0) break;
                head.append(buffer, static_cast<size_t>(got));
            }
            const std::string line = head.substr(0, head.find("\r\n"));
            (IsProxyRequest(line) ? proxied : other)++;
            const std::string body = TimePage();
            const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                                      std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
            send(s, reply.data(), static_cast<int>(reply.size()), 0);
            shutdown(s, SD_SEND);
            closesocket(s);
        }
    }
};

// An SNTP server on 127.0.0.1:123 that answers every datagram with the time.
struct FakeSntp {
    SOCKET socket_ = INVALID_SOCKET;

    bool Start() {
        socket_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        const sockaddr_in a = Loopback(kronvik::kSntpPort);
        return socket_ != INVALID_SOCKET && bind(socket_, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    }

    void Serve() {
        for (;;) {
            char request[512];
            sockaddr_in from{};
            int from_size = sizeof from;
            const int got = recvfrom(socket_, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&from), &from_size);
            if (got == SOCKET_ERROR) {
                if (WSAGetLastError() == WSAECONNRESET) continue;  // an earlier reply went unread
                return;  // closed at the end
            }
            uint8_t reply[kronvik::kSntpPacketSize] = {};
            reply[0] = static_cast<uint8_t>((got > 0 ? request[0] & 0x38 : 0x08) | 4);  // LI 0, client's version, server
            reply[1] = 1;  // stratum
            const uint32_t seconds = static_cast<uint32_t>(UnixMs() / 1000 + kNtpToUnix);
            for (int i = 0; i < 4; ++i) reply[40 + i] = static_cast<uint8_t>(seconds >> (24 - 8 * i));
            sendto(socket_, reinterpret_cast<const char*>(reply), sizeof reply, 0,
                   reinterpret_cast<const sockaddr*>(&from), from_size);
        }
    }
};

struct Figures {
    std::vector<double> ms;
    std::vector<std::string> failures;
};

// Milliseconds on the clock the exchanges stamp their answers with.
int64_t ElapsedMs() { return static_cast<int64_t>(GetTickCount64()); }

// Times one exchange; apply checks the time it is given against the system's.
void TimeRun(const char* name, int run, Figures& out, bool keep,
             const std::function<bool(const kronvik::ApplyTime&)>& exchange) {
    bool applied = false;
    int64_t off_ms = 0;
    const kronvik::ApplyTime apply = [&](const kronvik::ServerTime& t) {
        off_ms = t.unix_ms + (ElapsedMs() - t.arrived_ms) - UnixMs();
        applied = true;
        return true;
    };
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    const bool ok = exchange(apply);
    QueryPerformanceCounter(&t1);
    const double ms = static_cast<double>(t1.QuadPart - t0.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
    const std::string what = std::string(name) + (keep ? " run " + std::to_string(run) : " warm-up");
    if (!ok || !applied) {
        out.failures.push_back(what + (applied ? ": returned false" : ": no time applied") + " after " +
                               std::to_string(static_cast<int>(ms)) + " ms");
    } else if (off_ms > kToleranceMs || off_ms < -kToleranceMs) {
        out.failures.push_back(what + ": time off by " + std::to_string(off_ms) + " ms");
    }
    if (keep) out.ms.push_back(ms);
}

std::string Line(const char* key, std::vector<double> ms) {
    if (ms.empty()) return std::string(key) + " runs=0\n";
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    char text[160];
    std::snprintf(text, sizeof text, "%s median=%.1f max=%.1f runs=%zu\n", key, median, ms.back(), n);
    return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const int runs = argc > 2 ? static_cast<int>(std::wcstol(argv[2], nullptr, 10)) : 20;
    if (runs <= 0) return 2;

    // The fakes' sockets have a WinSock start of their own.
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 1;
    FakeProxy proxy;
    FakeSntp sntp;
    std::string report;
    if (!proxy.Start()) report += "failed the fake proxy cannot listen on 127.0.0.1:" + std::to_string(kProxyPort) + "\n";
    if (!sntp.Start()) report += "failed the fake SNTP server cannot bind 127.0.0.1:123\n";

    Figures http, sntp_figures;
    if (report.empty()) {
        std::thread proxy_thread([&] { proxy.Serve(); });
        std::thread sntp_thread([&] { sntp.Serve(); });

        kronvik::Win32HttpClient client;
        kronvik::Win32Network network;
        const auto fetch = [&](const kronvik::ApplyTime& apply) {
            return kronvik::FetchTimePage(client, kProxy, apply, ElapsedMs);
        };
        const auto exchange = [&](const kronvik::ApplyTime& apply) {
            return kronvik::RunSntpExchange(network, {"127.0.0.1", 5, 0}, apply, ElapsedMs);
        };
        for (int i = 0; i <= runs; ++i) TimeRun("http", i, http, i > 0, fetch);
        for (int i = 0; i <= runs; ++i) TimeRun("sntp", i, sntp_figures, i > 0, exchange);

        closesocket(proxy.listener);
        closesocket(sntp.socket_);
        proxy_thread.join();
        sntp_thread.join();
        if (proxy.other > 0 || proxy.proxied != runs + 1) {
            report += "failed the proxy saw " + std::to_string(proxy.proxied.load()) + " proxy-form and " +
                      std::to_string(proxy.other.load()) + " other requests for " + std::to_string(runs + 1) +
                      " exchanges\n";
        }
    }
    WSACleanup();

    report = Line("http_exchange_800B_ms", http.ms) + Line("sntp_exchange_ms", sntp_figures.ms) + report;
    for (const auto* f : {&http, &sntp_figures}) {
        for (const std::string& failure : f->failures) report += "failed " + failure + "\n";
    }
    std::fputs(report.c_str(), stdout);
    std::fflush(stdout);
    // Written aside and moved into place, so a reader never sees half a file.
    const std::wstring out = argv[1];
    const std::wstring tmp = out + L".tmp";
    { std::ofstream(tmp.c_str(), std::ios::binary) << report; }
    if (!MoveFileExW(tmp.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING)) return 1;
    return report.find("failed ") == std::string::npos ? 0 : 1;
}
