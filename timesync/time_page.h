#pragma once
// Reading the server's time out of an HTTP response: the time page's script
// line, or else the response's Date header.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kronvik {

inline constexpr char kTimePageMarker[] = "var Start = Math.floor(";

// Seconds since 1970 from the first line that holds the marker: the line
// "var Start = Math.floor( A + B / C );" gives A + B / C, the division taken
// on B and C as unsigned 32-bit numbers. Nothing when no line holds the
// marker, no ";" follows it within 280 characters, fewer than three numbers
// can be read, a number is out of range or C is 0.
std::optional<int64_t> ParseTimePage(std::string_view body);

// Seconds since 1970 of an HTTP date in any of the three forms HTTP allows:
// "Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT" and
// "Sun Nov  6 08:49:37 1994". Nothing for anything else.
std::optional<int64_t> ParseHttpDate(std::string_view text);

// The proxy of the time page exchange: "address:port", or "" (a direct
// connection) when the address is empty.
std::string ProxyText(const std::string& address, const std::string& port);

}  // namespace kronvik
