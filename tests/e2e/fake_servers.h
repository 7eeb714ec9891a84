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
#include <thread>
#include <vector>

namespace e2e {

// A socket on 127.0.0.1 served by a thread of its own until destruction.
class FakeServer {
public:
    FakeServer(int type, unsigned short port);
    virtual ~FakeServer();
    FakeServer(const FakeServer&) = delete;
    FakeServer& operator=(const FakeServer&) = delete;
    unsigned short Port() const { return port_; }

protected:
    // Start is the last step of a derived constructor, Stop the first of its
    // destructor: the thread must not outlive the derived members.
    void Start();
    void Stop();
    // Waits ms, or less when the server is stopping; false then.
    bool Pause(DWORD ms) const;
    virtual void OnReadable() = 0;
    SOCKET socket_ = INVALID_SOCKET;
    std::mutex lock_;

private:
    unsigned short port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class FakeSntpServer : public FakeServer {
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
        Seconds1,       // transmit seconds 1, which the era rule reads as 2036
    };
    struct Request {
        std::vector<unsigned char> bytes;
        unsigned short fromPort = 0;
    };

    explicit FakeSntpServer(Answer answer);
    ~FakeSntpServer() override;
    std::vector<Request> Requests();

private:
    void OnReadable() override;
    Answer answer_;
    SOCKET other_ = INVALID_SOCKET;
    std::vector<Request> requests_;
};

class FakeHttpProxy : public FakeServer {
public:
    enum class Pace {
        Prompt,
        Trickle,  // the answer one byte a second
        Never,    // the request is read and never answered
    };
    struct Script {
        int status = 200;
        bool timeLine = true;    // the page carries the aligned time line
        size_t bodySize = 1500;  // padded to this many bytes
        bool date = true;        // an aligned Date header
        Pace pace = Pace::Prompt;
        DWORD tailDelayMs = 0;   // the body after the time line comes this much later
    };

    explicit FakeHttpProxy(const Script& script);
    ~FakeHttpProxy() override;
    // The request heads received, each up to its blank line.
    std::vector<std::string> Requests();

private:
    void OnReadable() override;
    void Send(SOCKET client, const std::string& reply);
    Script script_;
    std::vector<std::string> requests_;
    std::vector<SOCKET> held_;  // the connections never answered
};

}  // namespace e2e
