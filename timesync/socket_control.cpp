#include "timesync/socket_control.h"

#include <chrono>

#include "platform/local_calendar.h"
#include "settings/settings_store.h"
#include "timesync/sntp_packet.h"

namespace kronvik {

namespace {

// Reads datagrams until one passes the reply checks or the seconds run out;
// anything else that arrives is dropped. The reply's transmit seconds, or
// nothing.
std::optional<uint32_t> WaitForReply(UdpSocket& socket, uint32_t server_address, int32_t seconds) {
    using std::chrono::steady_clock;
    // A negative wait polls, as 0 does.
    const auto deadline = steady_clock::now() + std::chrono::seconds(seconds > 0 ? seconds : 0);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady_clock::now());
        if (socket.WaitReadable(left.count() > 0 ? left.count() : 0) != UdpSocket::Wait::Readable)
            return std::nullopt;
        Datagram datagram;
        bool truncated = false;
        if (!socket.Receive(datagram, truncated)) return std::nullopt;
        if (!truncated) {
            const std::optional<uint32_t> transmit_seconds = CheckSntpReply(
                datagram.bytes.data(), datagram.bytes.size(), datagram.address, datagram.port,
                server_address);
            if (transmit_seconds) return transmit_seconds;
        }
        if (steady_clock::now() >= deadline) return std::nullopt;
    }
}

}  // namespace

std::optional<LocalTime> SntpLocalTime(uint32_t transmit_seconds, int32_t time_plus) {
    // Whole seconds: the fraction is dropped and the round trip not corrected.
    return LocalFromSeconds(NtpToUnixSeconds(transmit_seconds) + int64_t{time_plus} * 60);
}

bool RunSntpExchange(Network& network, const SntpSettings& settings, const ApplyTime& apply) {
    // One socket for the one exchange, from local port 1024 to port 123 of the server.
    const std::unique_ptr<UdpSocket> socket = network.OpenUdp();
    if (!socket || !socket->Bind(kSntpLocalPort)) return false;
    const std::optional<uint32_t> server =
        network.ResolveIPv4(settings.host.empty() ? kDefaultSntpHost : settings.host);
    if (!server) return false;
    const auto request = SntpRequest();
    if (!socket->SendTo(*server, kSntpPort, request.data(), request.size())) return false;
    const std::optional<uint32_t> transmit_seconds = WaitForReply(*socket, *server, settings.answer_seconds);
    if (!transmit_seconds) return false;
    // The server's time shifted by TIME_PLUS minutes.
    const std::optional<LocalTime> local = SntpLocalTime(*transmit_seconds, settings.time_plus);
    return local && apply(*local);
}

}  // namespace kronvik
