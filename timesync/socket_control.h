#pragma once
// SOCKET_CONTROL: one SNTP exchange over one UDP socket, from local port 1024
// to port 123 of the server. Made for one exchange and destroyed after it.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/network.h"
#include "timesync/server_time.h"

namespace kronvik {

class SOCKET_CONTROL {
public:
    enum WaitResult { kReplied = 0, kWaitFailed = 1, kTimedOut = 2, kReceiveFailed = 3 };

    // now_ms tells when the reply arrived.
    SOCKET_CONTROL(Network& network, MonotonicMs now_ms);

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
    MonotonicMs now_ms_;
    std::unique_ptr<UdpSocket> socket_;
    uint32_t server_address_ = 0;
    std::optional<uint32_t> transmit_seconds_;
    int64_t arrived_ms_ = 0;
};

// The server's time in milliseconds since 1970 from a reply's transmit
// seconds and the shift in minutes: whole seconds, the fraction dropped.
int64_t SntpServerMs(uint32_t transmit_seconds, int32_t time_plus);

struct SntpSettings {
    std::string host;            // empty: the built-in server
    int32_t answer_seconds = 0;  // SNTPanswer
    int32_t time_plus = 0;       // TIME_PLUS, minutes
};

// The whole exchange; true when the clock was set.
bool RunSntpExchange(Network& network, const SntpSettings& settings, const ApplyTime& apply,
                     const MonotonicMs& now_ms);

}  // namespace kronvik
