#pragma once
// What the synchronisation runs on, made deterministic: workers that run
// their exchange only when the test says so, a UI queue the test drains, and
// scripted UDP and HTTP peers.
#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/http.h"
#include "platform/network.h"
#include "platform/ui_dispatch.h"
#include "timesync/sync_worker.h"

namespace kronvik::fakes {

class FakeWorker : public Worker {
public:
    explicit FakeWorker(std::function<void()> exchange) : exchange_(std::move(exchange)) {}
    bool Wake() override {
        if (busy_) return false;
        busy_ = true;
        return true;
    }
    // Runs the exchange a wake-up started, as the worker thread would.
    bool Run() {
        if (!busy_) return false;
        exchange_();
        busy_ = false;
        return true;
    }

private:
    std::function<void()> exchange_;
    bool busy_ = false;
};

class FakeWorkerStarter : public WorkerStarter {
public:
    std::unique_ptr<Worker> Start(std::function<void()> exchange) override {
        if (fail) return nullptr;
        auto worker = std::make_unique<FakeWorker>(std::move(exchange));
        started.push_back(worker.get());
        return worker;
    }
    bool fail = false;
    std::vector<FakeWorker*> started;  // HTTP first, then SNTP
};

class FakeUiDispatch : public UiDispatch {
public:
    void Post(std::function<void()> task) override { tasks.push_back(std::move(task)); }
    void RunAll() {
        while (!tasks.empty()) {
            auto task = std::move(tasks.front());
            tasks.pop_front();
            task();
        }
    }
    std::deque<std::function<void()>> tasks;
};

// A UDP peer: every send is recorded, and what the test queued in `replies`
// arrives after it.
class FakeNetwork : public Network {
public:
    struct Sent {
        uint32_t address;
        uint16_t port;
        std::vector<uint8_t> bytes;
    };

    std::unique_ptr<UdpSocket> OpenUdp() override;
    std::optional<uint32_t> ResolveIPv4(const std::string& host) override {
        const auto it = hosts.find(host);
        if (it == hosts.end()) return std::nullopt;
        return it->second;
    }

    std::map<std::string, uint32_t> hosts{{"127.0.0.1", 0x7F000001}};
    std::deque<Datagram> replies;
    std::vector<Sent> sent;
    std::vector<uint16_t> bound;
};

class FakeUdpSocket : public UdpSocket {
public:
    explicit FakeUdpSocket(FakeNetwork& network) : network_(network) {}
    bool Bind(uint16_t port) override {
        network_.bound.push_back(port);
        return true;
    }
    bool SendTo(uint32_t address, uint16_t port, const uint8_t* data, size_t size) override {
        network_.sent.push_back({address, port, std::vector<uint8_t>(data, data + size)});
        return true;
    }
    Wait WaitReadable(int64_t) override {
        return network_.replies.empty() ? Wait::TimedOut : Wait::Readable;
    }
    bool Receive(Datagram& out, bool& truncated) override {
        out = std::move(network_.replies.front());
        network_.replies.pop_front();
        truncated = false;
        return true;
    }

private:
    FakeNetwork& network_;
};

inline std::unique_ptr<UdpSocket> FakeNetwork::OpenUdp() { return std::make_unique<FakeUdpSocket>(*this); }

// One scripted response, handed out in pieces of at most `chunk` bytes. Time
// passes on now_ms as the head and each piece come; a wait shorter than that
// runs out instead.
class FakeHttp : public HttpClient {
public:
    struct Reply {
        std::string body;
        uint32_t status = 200;
        std::optional<std::string> date;
        std::optional<std::string> age;
        size_t chunk = 600;
        bool read_error = false;  // the read after the body fails instead of ending
        int64_t read_ms = 0;      // how long each piece takes
        int64_t head_ms = 0;      // how long the head takes
    };

    std::unique_ptr<HttpSession> Open(const std::string& agent, const std::string& proxy) override;
    // Lets ms pass, or the wait run out first.
    bool Wait(int64_t ms, int64_t wait_ms) {
        now_ms += std::min(ms, wait_ms);
        return ms <= wait_ms;
    }

    Reply reply;
    bool connect_fails = false;
    std::function<void()> while_connecting;
    std::string agent, proxy, url;
    int64_t now_ms = 0;
};

class FakeHttpResponse : public HttpResponse {
public:
    explicit FakeHttpResponse(FakeHttp& http) : http_(http), reply_(http.reply) {}
    int64_t Read(char* buffer, size_t size, int64_t wait_ms) override {
        if (!http_.Wait(reply_.read_ms, wait_ms)) return -1;
        const size_t n = std::min({size, reply_.chunk, reply_.body.size() - at_});
        if (n == 0 && reply_.read_error) return -1;
        reply_.body.copy(buffer, n, at_);
        at_ += n;
        return static_cast<int64_t>(n);
    }
    uint32_t Status() override { return reply_.status; }
    std::optional<std::string> Header(HttpHeader header) override {
        return header == HttpHeader::Date ? reply_.date : reply_.age;
    }

private:
    FakeHttp& http_;
    FakeHttp::Reply reply_;
    size_t at_ = 0;
};

class FakeHttpSession : public HttpSession {
public:
    explicit FakeHttpSession(FakeHttp& http) : http_(http) {}
    std::unique_ptr<HttpResponse> OpenUrl(const std::string& url, int64_t wait_ms) override {
        http_.url = url;
        if (http_.while_connecting) http_.while_connecting();
        if (http_.connect_fails || !http_.Wait(http_.reply.head_ms, wait_ms)) return nullptr;
        return std::make_unique<FakeHttpResponse>(http_);
    }

private:
    FakeHttp& http_;
};

inline std::unique_ptr<HttpSession> FakeHttp::Open(const std::string& a, const std::string& p) {
    agent = a;
    proxy = p;
    return std::make_unique<FakeHttpSession>(*this);
}

}  // namespace kronvik::fakes
