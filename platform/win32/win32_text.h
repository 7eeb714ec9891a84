#pragma once
// UTF-8 <-> wide strings at the Win32 boundary (wchar_t is UTF-16 on Windows).
#include <string>
#include <string_view>

#include "platform/text.h"

namespace kronvik {

inline std::wstring Wide(std::string_view text) {
    const std::u16string u16 = Utf8ToUtf16(text);
    return std::wstring(u16.begin(), u16.end());
}

inline std::string Narrow(std::wstring_view text) {
    return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

}  // namespace kronvik
