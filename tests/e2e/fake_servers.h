#pragma once
// Time servers on 127.0.0.1 for the synchronisation cases: an SNTP server on
// UDP 123 and an HTTP proxy that answers every request with a scripted page.
// Each records what it was sent; "aligned" answers carry the current time,
// sent at a moment of the second when Wine accepts a clock set to it.
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace e2e {

class FakeSntpServer {
public:
    enum class Answer {
        Aligned,        // the current second, sent just after it began
        HourAhead,      // an hour ahead: Wine refuses to set it
        TransmitZero,
        ClientMode,     // mode 3
        Stratum0,
        Stratum16,
        Unsynchronised, // leap indicator 3
        Short,          // 47 bytes
        OtherPort,      // a good answer, but from another port than 123
        Silent,
    };
    struct Request {
        std::vector<unsigned char> bytes;
        unsigned short fromPort = 0;
    };

    explicit FakeSntpServer(Answer answer);
    ~FakeSntpServer();
    FakeSntpServer(const FakeSntpServer&) = delete;
    FakeSntpServer& operator=(const FakeSntpServer&) = delete;

    std::vector<Request> Requests();

private:
    static DWORD WINAPI Serve(void* self);
    Answer answer_;
    SOCKET socket_ = INVALID_SOCKET;
    SOCKET other_ = INVALID_SOCKET;
    HANDLE thread_ = nullptr;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::vector<Request> requests_;
};

class FakeHttpProxy {
public:
    struct Script {
        int status = 200;
        bool timeLine = true;    // the page carries the aligned time line
        size_t bodySize = 1500;  // padded to this many bytes
        bool date = true;        // an aligned Date header
    };

    explicit FakeHttpProxy(const Script& script);
    ~FakeHttpProxy();
    FakeHttpProxy(const FakeHttpProxy&) = delete;
    FakeHttpProxy& operator=(const FakeHttpProxy&) = delete;

    unsigned short Port() const { return port_; }
    // The request heads received, each up to its blank line.
    std::vector<std::string> Requests();

private:
    static DWORD WINAPI Serve(void* self);
    void Answer(SOCKET client);
    Script script_;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    HANDLE thread_ = nullptr;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::vector<std::string> requests_;
};

}  // namespace e2e
