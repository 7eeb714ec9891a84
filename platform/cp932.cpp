#include "platform/cp932.h"

#include "platform/text.h"

namespace kronvik {
namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

std::size_t UnitsOfCharacter(std::u16string_view text, std::size_t pos) {
    return IsHighSurrogate(text[pos]) && pos + 1 < text.size() && IsLowSurrogate(text[pos + 1]) ? 2
                                                                                                : 1;
}

std::size_t BytesOfCharacter(char16_t first_unit) {
    const bool single_byte = first_unit < 0x80 || (first_unit >= 0xFF61 && first_unit <= 0xFF9F);
    return single_byte ? 1 : 2;
}

}  // namespace

std::size_t Cp932Bytes(std::u16string_view text) {
    std::size_t bytes = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += UnitsOfCharacter(text, pos))
        bytes += BytesOfCharacter(text[pos]);
    return bytes;
}

std::u16string_view Cp932Prefix(std::u16string_view text, std::size_t max_bytes) {
    std::size_t bytes = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t next = bytes + BytesOfCharacter(text[pos]);
        if (next > max_bytes) break;
        bytes = next;
        pos += UnitsOfCharacter(text, pos);
    }
    return text.substr(0, pos);
}

std::string Cp932Prefix(std::string_view utf8, std::size_t max_bytes) {
    const std::u16string wide = Utf8ToUtf16(utf8);
    const std::u16string_view kept = Cp932Prefix(wide, max_bytes);
    // Unchanged text stays byte for byte as it was, malformed parts included.
    if (kept.size() == wide.size()) return std::string(utf8);
    return Utf16ToUtf8(kept);
}

}  // namespace kronvik
