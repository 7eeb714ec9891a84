// Arbitrary response bodies through the time page's script line reader.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "fuzz_fail.h"
#include "timesync/time_page.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An odd first byte puts the marker before the rest, so that many inputs
    // reach the numbers; otherwise the bytes are the body as they are.
    std::string marked;
    std::string_view body(reinterpret_cast<const char*>(data), size);
    if (size > 0 && (data[0] & 1) != 0) {
        marked = kronvik::kTimePageMarker + std::string(body.substr(1));
        body = marked;
    }
    const auto seconds = kronvik::ParseTimePage(body);
    if (body.find(kronvik::kTimePageMarker) == std::string_view::npos) {
        if (seconds) Fail("value without the marker");
        return 0;
    }

    // Lines before the script's that lack the marker change nothing.
    if (kronvik::ParseTimePage("<html>\r\n<head>\n" + std::string(body)) != seconds)
        Fail("earlier line changed the value");
    if (!seconds) return 0;

    // A is read within the range whose milliseconds fit twice over, and
    // B / C adds 0 .. 2^32 - 1.
    constexpr int64_t kHigh = std::numeric_limits<int64_t>::max() / 2000;
    constexpr int64_t kLow = -kHigh;
    constexpr int64_t kMaxQuotient = 0xFFFFFFFF;
    if (*seconds < kLow || *seconds > kHigh + kMaxQuotient) Fail("value out of range");

    // Written back in a script line of its own, the value reads the same;
    // beyond the range of A the rest goes into B as -1 (0xFFFFFFFF) over 1.
    const bool split = *seconds > kHigh;
    const std::string line = "<script>var Start = Math.floor( " +
                             std::to_string(split ? *seconds - kMaxQuotient : *seconds) +
                             (split ? " + -1 / 1 ); var End;" : " + 0 / 1 ); var End;");
    if (kronvik::ParseTimePage(line) != seconds) Fail("value does not read back");
    return 0;
}
