// Arbitrary datagrams from arbitrary senders through the reply checks, and
// arbitrary transmit seconds through the era rule.
//
// Input: one selector byte, the server's address (4), the sender's address
// (4), the sender's port (2), then the datagram. Selector bit 0 makes the
// sender the server and bit 1 sets port 123, so that most inputs reach the
// datagram checks instead of stopping at the sender.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_fail.h"
#include "timesync/sntp_packet.h"

namespace {

uint32_t Be32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

// 1968-01-20 03:14:08 UTC (NTP 2^31, the first second of the 1900 era this
// rule still reads) and 2104-02-26 09:42:23 UTC (NTP 2^31 - 1 of the 2036 era).
constexpr int64_t kFirstUnix = -61505152;
constexpr int64_t kLastUnix = 4233462143;

void CheckEraRule(uint32_t ntp) {
    const int64_t unix = kronvik::NtpToUnixSeconds(ntp);
    if (unix < kFirstUnix || unix > kLastUnix) Fail("unix seconds outside 1968-01-20 .. 2104-02-26");
    // Both eras must agree with the NTP seconds modulo 2^32.
    if (static_cast<uint32_t>(unix + 2208988800) != ntp) Fail("unix seconds not congruent to NTP seconds");
    // The next NTP second is the next unix second, across 2036 included; only
    // 2^31 - 1 (the last second read) has no successor.
    if (ntp != 0x7FFFFFFFu && kronvik::NtpToUnixSeconds(ntp + 1) != unix + 1) Fail("not strictly increasing");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t kHeader = 11;
    if (size < kHeader) {
        if (size >= 4) CheckEraRule(Be32(data));
        return 0;
    }
    const uint8_t selector = data[0];
    const uint32_t server = Be32(data + 1);
    const uint32_t from = (selector & 1) != 0 ? server : Be32(data + 5);
    const uint16_t port = (selector & 2) != 0 ? kronvik::kSntpPort : static_cast<uint16_t>((data[9] << 8) | data[10]);
    const uint8_t* packet = data + kHeader;
    const size_t length = size - kHeader;

    const auto seconds = kronvik::CheckSntpReply(packet, length, from, port, server);
    const bool good = from == server && port == 123 && length >= 48 && (packet[0] & 7) == 4 &&
                      (packet[0] >> 6) != 3 && packet[1] >= 1 && packet[1] <= 15 &&
                      (Be32(packet + 40) != 0 || Be32(packet + 44) != 0);
    if (seconds.has_value() != good) Fail(good ? "good reply rejected" : "bad reply accepted");
    if (seconds && *seconds != Be32(packet + 40)) Fail("seconds are not bytes 40..43 big-endian");
    // Bytes after the 48 of the packet (extension fields, padding) never matter.
    if (length > 48 && kronvik::CheckSntpReply(packet, 48, from, port, server) != seconds)
        Fail("trailing bytes changed the verdict");
    if (kronvik::CheckSntpReply(nullptr, length, from, port, server)) Fail("no datagram accepted");

    if (length >= 44) CheckEraRule(Be32(packet + 40));
    return 0;
}
