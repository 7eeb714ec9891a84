#pragma once
// Network port for the SNTP exchange: IPv4 UDP sockets and name resolution.
// Addresses are IPv4 numbers in host order (127.0.0.1 = 0x7F000001).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kronvik {

struct Datagram {
    std::vector<uint8_t> bytes;
    uint32_t address = 0;
    uint16_t port = 0;
};

class UdpSocket {
public:
    enum class Wait { Readable, Failed, TimedOut };

    virtual ~UdpSocket() = default;
    // Binds to the port on every local address; false when it is taken.
    virtual bool Bind(uint16_t port) = 0;
    virtual bool SendTo(uint32_t address, uint16_t port, const uint8_t* data, size_t size) = 0;
    // Waits at most timeout_ms (0 polls) for a datagram to read.
    virtual Wait WaitReadable(int64_t timeout_ms) = 0;
    // Reads one datagram; false on a receive error. A datagram longer than
    // the platform's buffer is read cut short, with truncated set.
    virtual bool Receive(Datagram& out, bool& truncated) = 0;
};

class Network {
public:
    virtual ~Network() = default;
    // nullptr when no socket can be made.
    virtual std::unique_ptr<UdpSocket> OpenUdp() = 0;
    // A dotted IPv4 address is taken as it stands; otherwise the first IPv4
    // address of the name. Nothing when the name does not resolve.
    virtual std::optional<uint32_t> ResolveIPv4(const std::string& host) = 0;
};

}  // namespace kronvik
