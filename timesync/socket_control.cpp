#include "timesync/socket_control.h"

#include <chrono>
#include <utility>

#include "settings/settings_store.h"
#include "timesync/sntp_packet.h"

namespace kronvik {

SOCKET_CONTROL::SOCKET_CONTROL(Network& network, MonotonicMs now_ms)
    : network_(network), now_ms_(std::move(now_ms)), socket_(network.OpenUdp()) {}

int SOCKET_CONTROL::BindLocal() { return socket_ && socket_->Bind(kSntpLocalPort) ? 0 : -1; }

bool SOCKET_CONTROL::ResolveServer(const std::string& host) {
    const std::optional<uint32_t> address = network_.ResolveIPv4(host);
    if (!address) return false;
    server_address_ = *address;
    return true;
}

int SOCKET_CONTROL::SendRequest() {
    const auto request = SntpRequest();
    if (!socket_->SendTo(server_address_, kSntpPort, request.data(), request.size())) return -1;
    return static_cast<int>(request.size());
}

int SOCKET_CONTROL::WaitForReply(int32_t seconds) {
    using std::chrono::steady_clock;
    // A negative wait polls, as 0 does.
    const auto deadline = steady_clock::now() + std::chrono::seconds(seconds > 0 ? seconds : 0);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady_clock::now());
        const UdpSocket::Wait wait = socket_->WaitReadable(left.count() > 0 ? left.count() : 0);
        if (wait == UdpSocket::Wait::Failed) return kWaitFailed;
        if (wait == UdpSocket::Wait::TimedOut) return kTimedOut;
        Datagram datagram;
        bool truncated = false;
        if (!socket_->Receive(datagram, truncated)) return kReceiveFailed;
        if (!truncated) {
            transmit_seconds_ = CheckSntpReply(datagram.bytes.data(), datagram.bytes.size(),
                                               datagram.address, datagram.port, server_address_);
            if (transmit_seconds_) {
                arrived_ms_ = now_ms_();
                return kReplied;
            }
        }
        if (steady_clock::now() >= deadline) return kTimedOut;
    }
}

bool SOCKET_CONTROL::ProcessReply(int32_t time_plus, const ApplyTime& apply) const {
    if (!transmit_seconds_) return false;
    return apply(ServerTime{SntpServerMs(*transmit_seconds_, time_plus), arrived_ms_});
}

int64_t SntpServerMs(uint32_t transmit_seconds, int32_t time_plus) {
    // The round trip is not corrected.
    return (NtpToUnixSeconds(transmit_seconds) + int64_t{time_plus} * 60) * 1000;
}

bool RunSntpExchange(Network& network, const SntpSettings& settings, const ApplyTime& apply,
                     const MonotonicMs& now_ms) {
    SOCKET_CONTROL control(network, now_ms);
    if (control.BindLocal() != 0) return false;
    if (!control.ResolveServer(settings.host.empty() ? kDefaultSntpHost : settings.host)) return false;
    if (control.SendRequest() < 0) return false;
    if (control.WaitForReply(settings.answer_seconds) != SOCKET_CONTROL::kReplied) return false;
    return control.ProcessReply(settings.time_plus, apply);
}

}  // namespace kronvik
