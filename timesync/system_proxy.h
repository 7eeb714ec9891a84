#pragma once
// The system's HTTP proxy, read from the current user's Internet Settings.
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "platform/system_ports.h"

namespace kronvik {

inline constexpr char kInternetSettingsKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// Splits a ProxyServer text ("gate:8080", "ftp=f:21;http=gate:8080;...") into
// host and port. Returns 0, or -1 for an empty text.
int ParseProxyServer(std::string_view text, std::string& host, std::string& port);

// Returns 0 with host and port when ProxyServer is set, -1 (empty texts) otherwise.
int GetSystemProxy(Registry& registry, std::string& host, std::string& port);

class RegistrySystemProxy : public SystemProxy {
public:
    explicit RegistrySystemProxy(Registry& registry) : registry_(registry) {}
    int Query(std::string& host, std::string& port) const override { return GetSystemProxy(registry_, host, port); }

private:
    Registry& registry_;
};

}  // namespace kronvik
