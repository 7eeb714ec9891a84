#pragma once
// SOCKET_CONTROL: one SNTP exchange over one UDP socket, from local port 1024
// to port 123 of the server. Made for one exchange and destroyed after it.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/network.h"

namespace kronvik {

// Sets the clock to a local time; true when the system took it.
using ApplyTime = std::function<bool(const LocalTime& time)>;

class SOCKET_CONTROL {
public:
    enum WaitResult { kReplied = 0, kWaitFailed = 1, kTimedOut = 2, kReceiveFailed = 3 };

    explicit SOCKET_CONTROL(Network& network);

    int BindLocal();                                 // 0, or -1 when the port is taken
    bool ResolveServer(const std::string& host);
    int SendRequest();                               // bytes sent, or -1
    // Reads datagrams until one passes the reply checks or the seconds run
    // out; anything else that arrives is dropped.
    int WaitForReply(int32_t seconds);
    // The server's time shifted by time_plus minutes, set through apply.
    bool ProcessReply(int32_t time_plus, const ApplyTime& apply) const;

private:
    Network& network_;
    std::unique_ptr<UdpSocket> socket_;
    uint32_t server_address_ = 0;
    std::optional<uint32_t> transmit_seconds_;
};

// The local time to set from a reply's transmit seconds and the shift in minutes.
std::optional<LocalTime> SntpLocalTime(uint32_t transmit_seconds, int32_t time_plus);

struct SntpSettings {
    std::string host;            // empty: the built-in server
    int32_t answer_seconds = 0;  // SNTPanswer
    int32_t time_plus = 0;       // TIME_PLUS, minutes
};

// The whole exchange; true when the clock was set.
bool RunSntpExchange(Network& network, const SntpSettings& settings, const ApplyTime& apply);

}  // namespace kronvik
