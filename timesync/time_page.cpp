#include "timesync/time_page.h"

#include <array>
#include <limits>

#include "platform/local_calendar.h"

namespace kronvik {

namespace {

constexpr size_t kWindow = 280;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Formatted-input scanning of the script line, as "%ld + %d / %d" reads it: a
// blank in the pattern takes any run of white space, a number skips white
// space first and takes an optional sign and at least one digit.
class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    void SkipBlanks() {
        while (at_ < text_.size() && IsBlank(text_[at_])) ++at_;
    }
    bool Literal(std::string_view literal) {
        if (text_.substr(at_, literal.size()) != literal) return false;
        at_ += literal.size();
        return true;
    }
    // A number within [low, high]; false when there is none or it is out of range.
    bool Number(int64_t low, int64_t high, int64_t& out) {
        SkipBlanks();
        bool negative = false;
        if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) negative = text_[at_++] == '-';
        if (at_ >= text_.size() || !IsDigit(text_[at_])) return false;
        // Accumulated towards the sign's side so that the lowest value fits too.
        int64_t value = 0;
        for (; at_ < text_.size() && IsDigit(text_[at_]); ++at_) {
            const int digit = text_[at_] - '0';
            if (negative) {
                if (value < (low + digit) / 10) return false;
                value = value * 10 - digit;
            } else {
                if (value > (high - digit) / 10) return false;
                value = value * 10 + digit;
            }
        }
        if (value < low || value > high) return false;
        out = value;
        return true;
    }

private:
    std::string_view text_;
    size_t at_ = 0;
};

std::optional<int64_t> EvaluateTimeLine(std::string_view line) {
    constexpr int64_t kIntMin = std::numeric_limits<int32_t>::min();
    constexpr int64_t kIntMax = std::numeric_limits<int32_t>::max();
    Scanner scan(line);
    int64_t a = 0;
    int64_t b = 0;
    int64_t c = 0;
    // "var Start = Math.floor( %ld + %d / %d );"
    if (!scan.Literal("var")) return std::nullopt;
    scan.SkipBlanks();
    if (!scan.Literal("Start")) return std::nullopt;
    scan.SkipBlanks();
    if (!scan.Literal("=")) return std::nullopt;
    scan.SkipBlanks();
    if (!scan.Literal("Math.floor(")) return std::nullopt;
    scan.SkipBlanks();
    // The seconds are read in 64 bits, so the line keeps working after 2038.
    if (!scan.Number(std::numeric_limits<int64_t>::min() / 2, std::numeric_limits<int64_t>::max() / 2, a))
        return std::nullopt;
    scan.SkipBlanks();
    if (!scan.Literal("+")) return std::nullopt;
    scan.SkipBlanks();
    if (!scan.Number(kIntMin, kIntMax, b)) return std::nullopt;
    scan.SkipBlanks();
    if (!scan.Literal("/")) return std::nullopt;
    scan.SkipBlanks();
    if (!scan.Number(kIntMin, kIntMax, c)) return std::nullopt;
    const auto divisor = static_cast<uint32_t>(static_cast<int32_t>(c));
    if (divisor == 0) return std::nullopt;
    return a + int64_t{static_cast<uint32_t>(static_cast<int32_t>(b)) / divisor};
}

// Day names and month names as HTTP dates spell them.
constexpr std::array<std::string_view, 7> kShortDays = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr std::array<std::string_view, 7> kLongDays = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                                       "Friday", "Saturday", "Sunday"};
constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Reads the text piece by piece; every read fails once one has failed.
class DateReader {
public:
    explicit DateReader(std::string_view text) : text_(text) {}

    bool ok() const { return ok_; }
    bool AtEnd() const { return at_ == text_.size(); }

    void Literal(std::string_view literal) {
        if (ok_ && text_.substr(at_, literal.size()) == literal) {
            at_ += literal.size();
        } else {
            ok_ = false;
        }
    }
    // Exactly `width` digits.
    int32_t Digits(size_t width) {
        int32_t value = 0;
        for (size_t i = 0; i < width; ++i) {
            if (!ok_ || at_ >= text_.size() || !IsDigit(text_[at_])) {
                ok_ = false;
                return 0;
            }
            value = value * 10 + (text_[at_++] - '0');
        }
        return value;
    }
    template <size_t N>
    int32_t Name(const std::array<std::string_view, N>& names) {
        if (ok_) {
            for (size_t i = 0; i < N; ++i) {
                if (text_.substr(at_, names[i].size()) == names[i]) {
                    at_ += names[i].size();
                    return static_cast<int32_t>(i);
                }
            }
        }
        ok_ = false;
        return 0;
    }
    // hh:mm:ss
    void Time(int32_t& hour, int32_t& minute, int32_t& second) {
        hour = Digits(2);
        Literal(":");
        minute = Digits(2);
        Literal(":");
        second = Digits(2);
    }

private:
    std::string_view text_;
    size_t at_ = 0;
    bool ok_ = true;
};

int32_t DaysIn(int32_t year, int32_t month) {
    static constexpr std::array<int32_t, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[static_cast<size_t>(month - 1)];
}

std::optional<int64_t> Checked(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                               int32_t second) {
    // A leap second (60) is read as the last second of its minute.
    if (day < 1 || day > DaysIn(year, month) || hour > 23 || minute > 59 || second > 60) return std::nullopt;
    return SecondsFromUtc(year, month, day, hour, minute, second > 59 ? 59 : second);
}

// "Sun, 06 Nov 1994 08:49:37 GMT" and "Sunday, 06-Nov-94 08:49:37 GMT": the
// day name, then day, month and year joined by `separator`. Two-digit years
// 70 to 99 are of the 1900s, the others of the 2000s.
template <size_t N>
std::optional<int64_t> ReadGmtDate(std::string_view text, const std::array<std::string_view, N>& days,
                                   std::string_view separator, size_t year_digits) {
    DateReader reader(text);
    reader.Name(days);
    reader.Literal(", ");
    const int32_t day = reader.Digits(2);
    reader.Literal(separator);
    const int32_t month = reader.Name(kMonths) + 1;
    reader.Literal(separator);
    int32_t year = reader.Digits(year_digits);
    reader.Literal(" ");
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    reader.Time(hour, minute, second);
    reader.Literal(" GMT");
    if (!reader.ok() || !reader.AtEnd()) return std::nullopt;
    if (year_digits == 2) year += year < 70 ? 2000 : 1900;
    return Checked(year, month, day, hour, minute, second);
}

}  // namespace

std::optional<int64_t> ParseTimePage(std::string_view body) {
    size_t start = 0;
    while (start < body.size()) {
        size_t end = body.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = body.size();
        const std::string_view line = body.substr(start, end - start);
        const size_t marker = line.find(kTimePageMarker);
        if (marker != std::string_view::npos) {
            const std::string_view window = line.substr(marker, kWindow);
            const size_t semicolon = window.find(';');
            if (semicolon == std::string_view::npos) return std::nullopt;
            return EvaluateTimeLine(window.substr(0, semicolon + 1));
        }
        start = end + 1;
    }
    return std::nullopt;
}

std::optional<int64_t> ParseHttpDate(std::string_view text) {
    if (auto seconds = ReadGmtDate(text, kShortDays, " ", 4)) return seconds;
    if (auto seconds = ReadGmtDate(text, kLongDays, "-", 2)) return seconds;

    // "Sun Nov  6 08:49:37 1994"
    DateReader reader(text);
    reader.Name(kShortDays);
    reader.Literal(" ");
    const int32_t month = reader.Name(kMonths) + 1;
    reader.Literal(" ");
    DateReader probe = reader;
    probe.Literal(" ");
    int32_t day = 0;
    if (probe.ok()) {
        reader = probe;
        day = reader.Digits(1);
    } else {
        day = reader.Digits(2);
    }
    reader.Literal(" ");
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    reader.Time(hour, minute, second);
    reader.Literal(" ");
    const int32_t year = reader.Digits(4);
    if (!reader.ok() || !reader.AtEnd()) return std::nullopt;
    return Checked(year, month, day, hour, minute, second);
}

std::string ProxyText(const std::string& address, const std::string& port) {
    if (address.empty()) return {};
    return address + ":" + port;
}

}  // namespace kronvik
