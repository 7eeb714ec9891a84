#pragma once
// The network port over WinSock 2, IPv4 only.
#include "platform/network.h"

namespace kronvik {

// WinSock is started for as long as the object lives.
class Win32Network : public Network {
public:
    Win32Network();
    ~Win32Network() override;
    Win32Network(const Win32Network&) = delete;
    Win32Network& operator=(const Win32Network&) = delete;
    std::unique_ptr<UdpSocket> OpenUdp() override;
    std::optional<uint32_t> ResolveIPv4(const std::string& host) override;
};

}  // namespace kronvik
