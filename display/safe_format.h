#pragma once
// A printf-like formatter for templates that come from the registry or from the
// user: it reads only the arguments it is given. A conversion with no argument
// left, or one it does not know, is copied to the output as it stands.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace kronvik {

using FormatArg = std::variant<int64_t, std::string_view>;

// Supports flags "-+ 0#", width, precision, length modifiers (h, hh, l, ll, z,
// j, t, L) and the conversions d i u x X o c s %. An integer given to %s is
// printed in decimal; a text given to a numeric conversion is printed as text.
std::string SafeFormat(std::string_view format, std::span<const FormatArg> args);
std::string SafeFormat(std::string_view format, std::initializer_list<FormatArg> args);

}  // namespace kronvik
