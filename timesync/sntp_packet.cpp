#include "timesync/sntp_packet.h"

namespace kronvik {

namespace {

constexpr int64_t kSeconds1900To1970 = 2208988800;
constexpr int64_t kEraLength = int64_t{1} << 32;

uint32_t BigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

}  // namespace

std::array<uint8_t, kSntpPacketSize> SntpRequest() {
    std::array<uint8_t, kSntpPacketSize> request{};
    request[0] = 0x0B;
    return request;
}

std::optional<uint32_t> CheckSntpReply(const uint8_t* data, size_t size, uint32_t from_address,
                                       uint16_t from_port, uint32_t server_address) {
    if (from_address != server_address || from_port != kSntpPort) return std::nullopt;
    if (data == nullptr || size < kSntpPacketSize) return std::nullopt;
    const uint8_t leap = data[0] >> 6;
    const uint8_t mode = data[0] & 0x07;
    const uint8_t stratum = data[1];
    if (mode != 4 || leap == 3 || stratum < 1 || stratum > 15) return std::nullopt;
    const uint32_t seconds = BigEndian32(data + 40);
    const uint32_t fraction = BigEndian32(data + 44);
    if (seconds == 0 && fraction == 0) return std::nullopt;
    return seconds;
}

int64_t NtpToUnixSeconds(uint32_t ntp_seconds) {
    const int64_t era_start = (ntp_seconds & 0x80000000u) != 0 ? 0 : kEraLength;
    return era_start + int64_t{ntp_seconds} - kSeconds1900To1970;
}

}  // namespace kronvik
