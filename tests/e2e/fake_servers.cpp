#include "fake_servers.h"

#include <cstring>
#include <ctime>

#include "harness.h"

namespace e2e {

namespace {

constexpr unsigned long long kUnixEpochAsFileTime = 116444736000000000ULL;

// Now, as seconds since 1970 and milliseconds into the second.
void UnixNow(long long& seconds, int& ms) {
    FILETIME ft;
    GetSystemTimePreciseAsFileTime(&ft);
    const unsigned long long units = ((static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) -
                                     kUnixEpochAsFileTime;
    seconds = static_cast<long long>(units / 10000000ULL);
    ms = static_cast<int>(units % 10000000ULL / 10000ULL);
}

// Waits until `phase` ms into a second and returns that second. A clock set
// to the whole second is accepted while the real time is within half a
// second of it.
long long AtPhase(int phase) {
    long long seconds = 0;
    int ms = 0;
    UnixNow(seconds, ms);
    Sleep(static_cast<DWORD>(ms <= phase ? phase - ms : 1000 - ms + phase));
    UnixNow(seconds, ms);
    return seconds;
}

sockaddr_in Loopback(unsigned short port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

SOCKET Bound(int type, unsigned short port) {
    const SOCKET s = socket(AF_INET, type, 0);
    const sockaddr_in address = Loopback(port);
    if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        Abort("a fake server cannot bind 127.0.0.1:" + std::to_string(port) + " (error " +
              std::to_string(WSAGetLastError()) + ")");
    return s;
}

// Waits a tenth of a second at most, so that a server thread sees its stop flag.
bool Readable(SOCKET s) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval wait{0, 100000};
    return select(0, &set, nullptr, nullptr, &wait) == 1;
}

}  // namespace

FakeServer::FakeServer(int type, unsigned short port) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) Abort("WSAStartup failed");
    socket_ = Bound(type, port);
    if (type == SOCK_STREAM && listen(socket_, 4) != 0) Abort("a fake server cannot listen");
    sockaddr_in bound{};
    int size = sizeof bound;
    getsockname(socket_, reinterpret_cast<sockaddr*>(&bound), &size);
    port_ = ntohs(bound.sin_port);
}

void FakeServer::Start() {
    thread_ = std::thread([this] {
        while (!stop_)
            if (Readable(socket_)) OnReadable();
    });
}

bool FakeServer::Pause(DWORD ms) const {
    for (const ULONGLONG end = NowMs() + ms; NowMs() < end;) {
        if (stop_) return false;
        Sleep(50);
    }
    return !stop_;
}

void FakeServer::Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

FakeServer::~FakeServer() {
    Stop();
    closesocket(socket_);
    WSACleanup();
}

FakeSntpServer::FakeSntpServer(Answer answer) : FakeServer(SOCK_DGRAM, 123), answer_(answer) {
    other_ = Bound(SOCK_DGRAM, 0);
    Start();
}

FakeSntpServer::~FakeSntpServer() {
    Stop();
    closesocket(other_);
}

std::vector<FakeSntpServer::Request> FakeSntpServer::Requests() {
    std::lock_guard<std::mutex> lock(lock_);
    return requests_;
}

void FakeSntpServer::OnReadable() {
    unsigned char in[512];
    sockaddr_in from{};
    int fromSize = sizeof from;
    const int got = recvfrom(socket_, reinterpret_cast<char*>(in), sizeof in, 0,
                             reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (got < 0) return;
    {
        std::lock_guard<std::mutex> lock(lock_);
        requests_.push_back({std::vector<unsigned char>(in, in + got), ntohs(from.sin_port)});
    }
    if (answer_ == Answer::Silent) return;

    // Every bad answer is aligned too: believed, it would set the clock.
    unsigned char out[48] = {};
    out[0] = 0x1C;  // leap indicator 0, version 3, mode 4
    out[1] = 1;
    const long long now = AtPhase(20) + (answer_ == Answer::HourAhead ? 3600 : 0);
    const unsigned long ntp = static_cast<unsigned long>(now + 2208988800LL);
    for (int i = 0; i < 4; ++i) out[40 + i] = static_cast<unsigned char>(ntp >> (24 - 8 * i));
    int size = sizeof out;
    SOCKET via = socket_;
    switch (answer_) {
    case Answer::TransmitZero: std::memset(out + 40, 0, 8); break;
    case Answer::ClientMode: out[0] = 0x1B; break;
    case Answer::Stratum0: out[1] = 0; break;
    case Answer::Stratum16: out[1] = 16; break;
    case Answer::Unsynchronised: out[0] = 0xDC; break;
    case Answer::Short: size = 47; break;
    case Answer::OtherPort: via = other_; break;
    case Answer::Seconds1: std::memset(out + 40, 0, 8); out[43] = 1; break;
    default: break;
    }
    sendto(via, reinterpret_cast<const char*>(out), size, 0, reinterpret_cast<const sockaddr*>(&from), fromSize);
}

FakeHttpProxy::FakeHttpProxy(const Script& script) : FakeServer(SOCK_STREAM, 0), script_(script) { Start(); }

FakeHttpProxy::~FakeHttpProxy() {
    Stop();
    for (const SOCKET s : held_) closesocket(s);
}

std::vector<std::string> FakeHttpProxy::Requests() {
    std::lock_guard<std::mutex> lock(lock_);
    return requests_;
}

// As the script paces it: at once, a byte a second, or what follows the time
// line some time after it.
void FakeHttpProxy::Send(SOCKET client, const std::string& reply) {
    const auto put = [&](size_t at, size_t n) {
        return send(client, reply.data() + at, static_cast<int>(n), 0) == static_cast<int>(n);
    };
    if (script_.pace == Pace::Trickle) {
        for (size_t at = 0; at < reply.size() && put(at, 1) && Pause(1000);) ++at;
        return;
    }
    const size_t line = reply.find("var Start");
    const size_t cut = script_.tailDelayMs != 0 && line != std::string::npos ? reply.find('\n', line) + 1 : reply.size();
    if (put(0, cut) && cut < reply.size() && Pause(script_.tailDelayMs)) put(cut, reply.size() - cut);
}

void FakeHttpProxy::OnReadable() {
    const SOCKET client = accept(socket_, nullptr, nullptr);
    if (client == INVALID_SOCKET) return;
    std::string head;
    char buffer[1024];
    int got = 1;
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536 &&
           (got = recv(client, buffer, sizeof buffer, 0)) > 0)
        head.append(buffer, static_cast<size_t>(got));
    if (got > 0) {
        {
            std::lock_guard<std::mutex> lock(lock_);
            requests_.push_back(head.substr(0, head.find("\r\n\r\n")));
            if (script_.pace == Pace::Never) {
                held_.push_back(client);
                return;
            }
        }
        // The page's time is whole seconds, the Date is taken as its second's
        // middle: each is sent where a clock set from it lands within Wine's
        // half-second tolerance.
        const long long now = AtPhase(script_.timeLine ? 20 : 300);
        std::string body = "<html><head><script type=\"text/javascript\">\r\n";
        if (script_.timeLine) body += "var Start = Math.floor( " + std::to_string(now) + " + 500 / 1000 );\r\n";
        body += "</script></head><body>\r\n";
        const std::string tail = "</body></html>\r\n";
        if (body.size() + tail.size() < script_.bodySize) body.append(script_.bodySize - body.size() - tail.size(), ' ');
        body += tail;

        std::string reply = "HTTP/1.1 " + std::to_string(script_.status) + " Scripted\r\n";
        if (script_.date) {
            const std::time_t t = static_cast<std::time_t>(now);
            std::tm utc{};
            gmtime_s(&utc, &t);
            char date[64];
            std::strftime(date, sizeof date, "Date: %a, %d %b %Y %H:%M:%S GMT\r\n", &utc);
            reply += date;
        }
        reply += "Content-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
                 "\r\nConnection: close\r\n\r\n" + body;
        Send(client, reply);
        shutdown(client, SD_SEND);
    }
    closesocket(client);
}

}  // namespace e2e
