#pragma once
// The SNTP datagrams: the version 1 client request, the checks a reply must
// pass before its time is believed, and the NTP era rule.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace kronvik {

inline constexpr uint16_t kSntpPort = 123;
inline constexpr uint16_t kSntpLocalPort = 1024;
inline constexpr size_t kSntpPacketSize = 48;

// Leap indicator 0, version 1, mode 3 (client), then 47 zero bytes.
std::array<uint8_t, kSntpPacketSize> SntpRequest();

// The transmit seconds of a server's reply, or nothing when the datagram is
// not one: it must come from the server's address and port 123, hold at
// least 48 bytes, have mode 4 (server), a leap indicator other than 3 (clock
// not synchronised), stratum 1 to 15 and a transmit timestamp other than 0.
std::optional<uint32_t> CheckSntpReply(const uint8_t* data, size_t size, uint32_t from_address,
                                       uint16_t from_port, uint32_t server_address);

// Seconds since 1970-01-01 UTC of NTP seconds: a most significant bit of 1
// counts from 1900, of 0 from the era that begins on 2036-02-07 06:28:16 UTC.
int64_t NtpToUnixSeconds(uint32_t ntp_seconds);

}  // namespace kronvik
