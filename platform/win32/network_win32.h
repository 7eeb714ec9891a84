#pragma once
// The network port over WinSock 2, IPv4 only.
#include "platform/network.h"

namespace kronvik {

class Win32Network : public Network {
public:
    void Startup() override;
    void Cleanup() override;
    std::unique_ptr<UdpSocket> OpenUdp() override;
    std::optional<uint32_t> ResolveIPv4(const std::string& host) override;
};

}  // namespace kronvik
