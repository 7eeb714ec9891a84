#pragma once
// Text lengths in code page 932 (Shift JIS) bytes, the unit in which the
// program's text limits are given. ASCII and half-width katakana take one
// byte, every other character two; a character the code page lacks counts as
// two as well, so a limit never depends on which characters the code page has.
#include <cstddef>
#include <string>
#include <string_view>

namespace kronvik {

std::size_t Cp932Bytes(std::u16string_view text);

// The longest beginning of the text that fits in max_bytes, never cutting a
// character (a surrogate pair stays whole).
std::u16string_view Cp932Prefix(std::u16string_view text, std::size_t max_bytes);
std::string Cp932Prefix(std::string_view utf8, std::size_t max_bytes);

}  // namespace kronvik
