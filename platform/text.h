#pragma once
// UTF-8 <-> UTF-16 conversion, the one place where the program's UTF-8 texts
// meet the platform's wide strings. Malformed input becomes U+FFFD, never a crash.
#include <string>
#include <string_view>

namespace kronvik {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
// Appends one code point (at most U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace kronvik
