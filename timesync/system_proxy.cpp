#include "timesync/system_proxy.h"

namespace kronvik {

int ParseProxyServer(std::string_view text, std::string& host, std::string& port) {
    host.clear();
    port.clear();
    // The registry text ends at its terminator; anything after an embedded NUL
    // is not part of the setting.
    if (const auto nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    if (text.empty()) return -1;

    // A per-protocol list ("ftp=f:21;http=gate:8080") names the HTTP proxy
    // after "http="; a plain "gate:8080" is used from its start.
    constexpr std::string_view kHttpPrefix = "http=";
    if (const auto at = text.find(kHttpPrefix); at != std::string_view::npos) {
        text.remove_prefix(at + kHttpPrefix.size());
    }

    bool in_port = false;
    for (char c : text) {
        if (c == ':') {
            in_port = true;
            continue;
        }
        if (!in_port) {
            host += c;
        } else {
            if (c == ';' || c == '\n') break;
            port += c;
        }
    }
    return 0;
}

int GetSystemProxy(Registry& registry, std::string& host, std::string& port) {
    host.clear();
    port.clear();
    std::string text;
    if (auto key = registry.Open(kInternetSettingsKey, false)) {
        // Missing reads as empty; a value of another type is no usable setting.
        if (key->ReadText("ProxyServer", text) != RegResult::Ok) text.clear();
    }
    return ParseProxyServer(text, host, port);
}

}  // namespace kronvik
