// Any template, with the argument kinds the clock text passes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string_view>

#include "display/safe_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view format(reinterpret_cast<const char*>(data), size);
    static const kronvik::FormatArg kArgs[] = {
        int64_t{2007}, std::string_view("木曜日"), int64_t{-1},
        std::numeric_limits<int64_t>::min(), std::string_view("100%s%n"), int64_t{0x1F600}};
    for (size_t count = 0; count <= std::size(kArgs); count += 3) {
        const std::string out = kronvik::SafeFormat(format, std::span(kArgs, count));
        // Each conversion takes at least two bytes of the template and gives at
        // most the clamped field width plus a sign and prefix.
        if (out.size() > size * 520 + 64) std::abort();
    }
    return 0;
}
