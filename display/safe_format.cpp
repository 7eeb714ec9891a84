#include "display/safe_format.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/text.h"

namespace kronvik {

namespace {

// Width and precision are clamped here: a hand-edited template such as
// "%999999999d" must not make one clock text gigabytes long.
constexpr size_t kMaxField = 1024;

enum class Length { kChar, kShort, kDefault, kWide };

struct Conversion {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool zero = false;
    bool alternate = false;
    size_t width = 0;
    bool has_precision = false;
    size_t precision = 0;
    Length length = Length::kDefault;
    char kind = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t ReadNumber(std::string_view format, size_t& i) {
    size_t value = 0;
    while (i < format.size() && IsDigit(format[i])) {
        value = value * 10 + static_cast<size_t>(format[i] - '0');
        if (value > kMaxField) value = kMaxField;
        ++i;
    }
    return value;
}

void ReadFlags(std::string_view format, size_t& i, Conversion& conv) {
    for (; i < format.size(); ++i) {
        switch (format[i]) {
        case '-': conv.left = true; break;
        case '+': conv.plus = true; break;
        case ' ': conv.space = true; break;
        case '0': conv.zero = true; break;
        case '#': conv.alternate = true; break;
        default: return;
        }
    }
}

void ReadLength(std::string_view format, size_t& i, Conversion& conv) {
    // Takes the next character when it is one of these.
    const auto take = [&](std::string_view any_of) {
        const bool taken = i < format.size() && any_of.find(format[i]) != std::string_view::npos;
        if (taken) ++i;
        return taken;
    };
    if (take("h")) {
        conv.length = take("h") ? Length::kChar : Length::kShort;
    } else if (take("l")) {
        conv.length = Length::kWide;
        take("l");
    } else if (take("zjtL")) {
        conv.length = Length::kWide;
    }
}

// Reads what follows a '%' up to and including the conversion character;
// false when the template ends first.
bool ReadConversion(std::string_view format, size_t& i, Conversion& conv) {
    ReadFlags(format, i, conv);
    conv.width = ReadNumber(format, i);
    if (i < format.size() && format[i] == '.') {
        ++i;
        conv.has_precision = true;
        conv.precision = ReadNumber(format, i);
    }
    ReadLength(format, i, conv);
    if (i >= format.size()) return false;
    conv.kind = format[i++];
    return true;
}

void AppendPadded(std::string& out, const Conversion& conv, std::string_view body) {
    const size_t pad = conv.width > body.size() ? conv.width - body.size() : 0;
    if (!conv.left) out.append(pad, ' ');
    out.append(body);
    if (conv.left) out.append(pad, ' ');
}

// A precision cuts a text in bytes, but never inside a UTF-8 sequence.
void AppendText(std::string& out, const Conversion& conv, std::string_view text) {
    if (conv.has_precision && conv.precision < text.size()) {
        size_t end = conv.precision;
        for (int back = 0; back < 3 && end > 0; ++back) {
            if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80) break;
            --end;
        }
        if ((static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) end = conv.precision;
        text = text.substr(0, end);
    }
    AppendPadded(out, conv, text);
}

// %c takes a code point: the texts are UTF-8, so it is written as UTF-8.
// NUL, surrogates and values beyond Unicode give nothing.
void AppendCodePoint(std::string& out, const Conversion& conv, int64_t value) {
    std::string body;
    if (value > 0 && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF))
        AppendUtf8(body, static_cast<char32_t>(value));
    AppendPadded(out, conv, body);
}

// The argument is cut to the size the length modifier names, as the C
// library would read it: no modifier is a 32-bit int, l and wider 64 bits.
uint64_t Magnitude(const Conversion& conv, int64_t value, bool& negative) {
    constexpr int kBits[] = {8, 16, 32, 64};  // by Length
    const int unused = 64 - kBits[static_cast<int>(conv.length)];
    const uint64_t cut = static_cast<uint64_t>(value) << unused;
    const int64_t v = static_cast<int64_t>(cut) >> unused;  // sign-extended
    negative = (conv.kind == 'd' || conv.kind == 'i') && v < 0;
    return negative ? 0 - static_cast<uint64_t>(v) : cut >> unused;
}

std::string Digits(const Conversion& conv, uint64_t magnitude, unsigned base) {
    const char* digit_chars = conv.kind == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string digits;
    for (uint64_t m = magnitude; m != 0; m /= base) digits += digit_chars[m % base];
    std::reverse(digits.begin(), digits.end());
    if (!conv.has_precision && magnitude == 0) digits.assign(1, '0');
    if (conv.has_precision && digits.size() < conv.precision)
        digits.insert(0, conv.precision - digits.size(), '0');
    if (conv.alternate && base == 8 && (digits.empty() || digits.front() != '0')) digits.insert(0, 1, '0');
    return digits;
}

std::string_view Prefix(const Conversion& conv, bool negative, uint64_t magnitude) {
    if (conv.kind == 'd' || conv.kind == 'i') {
        if (negative) return "-";
        if (conv.plus) return "+";
        if (conv.space) return " ";
        return {};
    }
    if (!conv.alternate || magnitude == 0) return {};
    return conv.kind == 'x' ? "0x" : conv.kind == 'X' ? "0X" : "";
}

void AppendInteger(std::string& out, const Conversion& conv, int64_t value) {
    bool negative = false;
    const uint64_t magnitude = Magnitude(conv, value, negative);
    const unsigned base = conv.kind == 'o' ? 8 : (conv.kind == 'x' || conv.kind == 'X') ? 16 : 10;
    const std::string digits = Digits(conv, magnitude, base);
    const std::string_view prefix = Prefix(conv, negative, magnitude);
    if (conv.zero && !conv.left && !conv.has_precision) {
        const size_t length = prefix.size() + digits.size();
        out += prefix;
        out.append(conv.width > length ? conv.width - length : 0, '0');
        out += digits;
        return;
    }
    AppendPadded(out, conv, std::string(prefix) + digits);
}

struct ArgWriter {
    std::string& out;
    const Conversion& conv;

    void operator()(int64_t value) const {
        if (conv.kind == 's') {
            AppendText(out, conv, std::to_string(value));
        } else if (conv.kind == 'c') {
            AppendCodePoint(out, conv, value);
        } else {
            AppendInteger(out, conv, value);
        }
    }
    void operator()(std::string_view text) const { AppendText(out, conv, text); }
};

}  // namespace

std::string SafeFormat(std::string_view format, std::span<const FormatArg> args) {
    std::string out;
    out.reserve(format.size() + 32);
    size_t next_arg = 0;
    size_t i = 0;
    while (i < format.size()) {
        if (format[i] != '%') {
            const size_t end = std::min(format.find('%', i), format.size());
            out.append(format.substr(i, end - i));
            i = end;
            continue;
        }
        const size_t start = i++;
        Conversion conv;
        if (!ReadConversion(format, i, conv)) {
            // A conversion cut off by the end of the template stays as written.
            out.append(format.substr(start));
            break;
        }
        if (conv.kind == '%') {
            out += '%';
        } else if (std::string_view("diuxXocs").find(conv.kind) != std::string_view::npos &&
                   next_arg < args.size()) {
            std::visit(ArgWriter{out, conv}, args[next_arg++]);
        } else {
            out.append(format.substr(start, i - start));
        }
    }
    return out;
}

std::string SafeFormat(std::string_view format, std::initializer_list<FormatArg> args) {
    return SafeFormat(format, std::span<const FormatArg>(args.begin(), args.size()));
}

}  // namespace kronvik
