// Splits arbitrary ProxyServer texts and checks the split against the walk's
// rules: the host is everything from the start (or after "http=") up to the
// first ':', the port never holds ':', ';' or a line feed. The same input,
// split at its first NUL into an address and a port, goes through ProxyText.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_fail.h"
#include "timesync/system_proxy.h"
#include "timesync/time_page.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const size_t nul = input.find('\0');
    const std::string address(input.substr(0, nul));
    const std::string proxy_port(nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1));
    const std::string proxy = kronvik::ProxyText(address, proxy_port);
    if (address.empty() ? !proxy.empty() : proxy != address + ":" + proxy_port)
        Fail("proxy is not address:port, or not empty for no address");

    std::string host = "stale";
    std::string port = "stale";
    const int result = kronvik::ParseProxyServer(input, host, port);

    std::string_view text = input.substr(0, input.find('\0'));
    if (text.empty()) {
        if (result != -1 || !host.empty() || !port.empty()) Fail("empty text must give -1");
        return 0;
    }
    if (result != 0) Fail("non-empty text must give 0");

    if (const auto at = text.find("http="); at != std::string_view::npos) text.remove_prefix(at + 5);
    if (host != text.substr(0, text.find(':'))) Fail("host is not the text up to the first ':'");
    if (port.find_first_of(":;\n") != std::string::npos) Fail("port holds a separator");
    if (host.size() + port.size() > text.size()) Fail("more out than in");
    if (text.find(':') == std::string_view::npos && !port.empty()) Fail("port without ':'");
    return 0;
}
