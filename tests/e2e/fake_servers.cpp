#include "fake_servers.h"

#include <ws2tcpip.h>

#include <cstdio>
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
    ULARGE_INTEGER u;
    u.LowPart = ft.dwLowDateTime;
    u.HighPart = ft.dwHighDateTime;
    const unsigned long long units = u.QuadPart - kUnixEpochAsFileTime;
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

// Waits a tenth of a second at most, so that a server thread sees its stop flag.
bool Readable(SOCKET s) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval wait{0, 100000};
    return select(0, &set, nullptr, nullptr, &wait) == 1;
}

void StartWinsock() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) Abort("WSAStartup failed");
}

}  // namespace

FakeSntpServer::FakeSntpServer(Answer answer) : answer_(answer) {
    StartWinsock();
    socket_ = socket(AF_INET, SOCK_DGRAM, 0);
    other_ = socket(AF_INET, SOCK_DGRAM, 0);
    const sockaddr_in server = Loopback(123);
    const sockaddr_in other = Loopback(0);
    if (bind(socket_, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0 ||
        bind(other_, reinterpret_cast<const sockaddr*>(&other), sizeof other) != 0)
        Abort("the fake SNTP server cannot bind 127.0.0.1:123 (error " + std::to_string(WSAGetLastError()) + ")");
    thread_ = CreateThread(nullptr, 0, Serve, this, 0, nullptr);
}

FakeSntpServer::~FakeSntpServer() {
    stop_ = true;
    if (thread_) {
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
    }
    closesocket(socket_);
    closesocket(other_);
    WSACleanup();
}

std::vector<FakeSntpServer::Request> FakeSntpServer::Requests() {
    std::lock_guard<std::mutex> lock(lock_);
    return requests_;
}

DWORD WINAPI FakeSntpServer::Serve(void* p) {
    auto* self = static_cast<FakeSntpServer*>(p);
    while (!self->stop_) {
        if (!Readable(self->socket_)) continue;
        unsigned char in[512];
        sockaddr_in from{};
        int fromSize = sizeof from;
        const int got = recvfrom(self->socket_, reinterpret_cast<char*>(in), sizeof in, 0,
                                 reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (got < 0) continue;
        {
            std::lock_guard<std::mutex> lock(self->lock_);
            self->requests_.push_back({std::vector<unsigned char>(in, in + got), ntohs(from.sin_port)});
        }
        if (self->answer_ == Answer::Silent) continue;

        unsigned char out[48] = {};
        out[0] = 0x1C;  // leap indicator 0, version 3, mode 4
        out[1] = 1;
        long long now = AtPhase(20);
        if (self->answer_ == Answer::HourAhead) now += 3600;
        const unsigned long ntp = static_cast<unsigned long>(now + 2208988800LL);
        for (int i = 0; i < 4; ++i) out[40 + i] = static_cast<unsigned char>(ntp >> (24 - 8 * i));
        int size = sizeof out;
        SOCKET via = self->socket_;
        switch (self->answer_) {
        case Answer::TransmitZero: std::memset(out + 40, 0, 8); break;
        case Answer::ClientMode: out[0] = 0x1B; break;
        case Answer::Stratum0: out[1] = 0; break;
        case Answer::Stratum16: out[1] = 16; break;
        case Answer::Unsynchronised: out[0] = 0xDC; break;
        case Answer::Short: size = 47; break;
        case Answer::OtherPort: via = self->other_; break;
        default: break;
        }
        sendto(via, reinterpret_cast<const char*>(out), size, 0, reinterpret_cast<const sockaddr*>(&from), fromSize);
    }
    return 0;
}

FakeHttpProxy::FakeHttpProxy(const Script& script) : script_(script) {
    StartWinsock();
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in any = Loopback(0);
    if (bind(listener_, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0 || listen(listener_, 4) != 0)
        Abort("the fake HTTP proxy cannot listen on 127.0.0.1");
    int size = sizeof any;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&any), &size);
    port_ = ntohs(any.sin_port);
    thread_ = CreateThread(nullptr, 0, Serve, this, 0, nullptr);
}

FakeHttpProxy::~FakeHttpProxy() {
    stop_ = true;
    if (thread_) {
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
    }
    closesocket(listener_);
    WSACleanup();
}

std::vector<std::string> FakeHttpProxy::Requests() {
    std::lock_guard<std::mutex> lock(lock_);
    return requests_;
}

DWORD WINAPI FakeHttpProxy::Serve(void* p) {
    auto* self = static_cast<FakeHttpProxy*>(p);
    while (!self->stop_) {
        if (!Readable(self->listener_)) continue;
        const SOCKET client = accept(self->listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        self->Answer(client);
        closesocket(client);
    }
    return 0;
}

void FakeHttpProxy::Answer(SOCKET client) {
    std::string head;
    char buffer[1024];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        const int got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) return;
        head.append(buffer, static_cast<size_t>(got));
    }
    {
        std::lock_guard<std::mutex> lock(lock_);
        requests_.push_back(head.substr(0, head.find("\r\n\r\n")));
    }

    // The page's time is whole seconds, the Date is taken as its second's
    // middle: each is sent where a clock set from it lands within Wine's
    // half-second tolerance.
    const long long now = AtPhase(script_.timeLine ? 20 : 300);
    std::string body = "<html><head><script type=\"text/javascript\">\r\n";
    if (script_.timeLine)
        body += "var Start = Math.floor( " + std::to_string(now) + " + 500 / 1000 );\r\n";
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
        std::strftime(date, sizeof date, "%a, %d %b %Y %H:%M:%S GMT", &utc);
        reply += std::string("Date: ") + date + "\r\n";
    }
    reply += "Content-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
             "\r\nConnection: close\r\n\r\n" + body;
    send(client, reply.data(), static_cast<int>(reply.size()), 0);
    shutdown(client, SD_SEND);
}

}  // namespace e2e
