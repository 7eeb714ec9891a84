#include "timesync/time_page.h"

#include <array>
#include <limits>

#include "platform/local_calendar.h"

namespace kronvik {

namespace {

constexpr size_t kWindow = 280;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a text piece by piece; once a piece fails, every later one fails too,
// so a caller checks ok() once at the end.
class TextReader {
public:
    explicit TextReader(std::string_view text) : text_(text) {}

    bool ok() const { return ok_; }
    bool AtEnd() const { return at_ == text_.size(); }

    void Literal(std::string_view literal) {
        ok_ = ok_ && text_.substr(at_, literal.size()) == literal;
        if (ok_) at_ += literal.size();
    }
    // As formatted-input scanning reads a format's plain text: a blank takes
    // any run of white space, none included.
    void Pattern(std::string_view pattern) {
        for (const char c : pattern) {
            if (c == ' ') {
                while (at_ < text_.size() && IsBlank(text_[at_])) ++at_;
            } else {
                Literal(std::string_view(&c, 1));
            }
        }
    }
    // As "%d" reads: white space, an optional sign, at least one digit; the
    // value must lie within [low, high].
    int64_t Number(int64_t low, int64_t high) {
        Pattern(" ");
        const bool negative = ok_ && at_ < text_.size() && text_[at_] == '-';
        if (ok_ && at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
        ok_ = ok_ && at_ < text_.size() && IsDigit(text_[at_]);
        // Accumulated towards the sign's side so that the lowest value fits too.
        int64_t value = 0;
        for (; ok_ && at_ < text_.size() && IsDigit(text_[at_]); ++at_) {
            const int digit = text_[at_] - '0';
            ok_ = negative ? value >= (low + digit) / 10 : value <= (high - digit) / 10;
            if (ok_) value = negative ? value * 10 - digit : value * 10 + digit;
        }
        ok_ = ok_ && value >= low && value <= high;
        return ok_ ? value : 0;
    }
    // Exactly `width` digits.
    int32_t Digits(size_t width) {
        int32_t value = 0;
        for (size_t i = 0; i < width; ++i) {
            ok_ = ok_ && at_ < text_.size() && IsDigit(text_[at_]);
            if (ok_) value = value * 10 + (text_[at_++] - '0');
        }
        return ok_ ? value : 0;
    }
    // The index of the name that stands here.
    template <size_t N>
    int32_t Name(const std::array<std::string_view, N>& names) {
        for (size_t i = 0; ok_ && i < N; ++i) {
            if (text_.substr(at_, names[i].size()) == names[i]) {
                at_ += names[i].size();
                return static_cast<int32_t>(i);
            }
        }
        ok_ = false;
        return 0;
    }

private:
    std::string_view text_;
    size_t at_ = 0;
    bool ok_ = true;
};

// "var Start = Math.floor( %ld + %d / %d );" scanned: the seconds are read in
// 64 bits, so the line keeps working after 2038, and within a range whose
// milliseconds still fit; B / C divides unsigned.
std::optional<int64_t> EvaluateTimeLine(std::string_view line) {
    constexpr int64_t kIntMin = std::numeric_limits<int32_t>::min();
    constexpr int64_t kIntMax = std::numeric_limits<int32_t>::max();
    constexpr int64_t kSecondsLimit = std::numeric_limits<int64_t>::max() / 2000;
    TextReader reader(line);
    reader.Pattern("var Start = Math.floor( ");
    const int64_t a = reader.Number(-kSecondsLimit, kSecondsLimit);
    reader.Pattern(" + ");
    const int64_t b = reader.Number(kIntMin, kIntMax);
    reader.Pattern(" / ");
    const int64_t c = reader.Number(kIntMin, kIntMax);
    const auto divisor = static_cast<uint32_t>(static_cast<int32_t>(c));
    if (!reader.ok() || divisor == 0) return std::nullopt;
    return a + int64_t{static_cast<uint32_t>(static_cast<int32_t>(b)) / divisor};
}

// Day names and month names as HTTP dates spell them.
constexpr std::array<std::string_view, 7> kShortDays = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr std::array<std::string_view, 7> kLongDays = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                                       "Friday", "Saturday", "Sunday"};
constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct DateFields {
    int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// hh:mm:ss
void ReadTime(TextReader& reader, DateFields& date) {
    date.hour = reader.Digits(2);
    reader.Literal(":");
    date.minute = reader.Digits(2);
    reader.Literal(":");
    date.second = reader.Digits(2);
}

std::optional<int64_t> Checked(const TextReader& reader, const DateFields& d) {
    if (!reader.ok() || !reader.AtEnd()) return std::nullopt;
    // A leap second (60) is read as the last second of its minute.
    if (d.day < 1 || d.day > DaysInMonth(d.year, d.month) || d.hour > 23 || d.minute > 59 || d.second > 60)
        return std::nullopt;
    return SecondsFromUtc(d.year, d.month, d.day, d.hour, d.minute, d.second > 59 ? 59 : d.second);
}

// "Sun, 06 Nov 1994 08:49:37 GMT" and "Sunday, 06-Nov-94 08:49:37 GMT": the
// day name, then day, month and year joined by `separator`. Two-digit years
// 70 to 99 are of the 1900s, the others of the 2000s.
template <size_t N>
std::optional<int64_t> ReadGmtDate(std::string_view text, const std::array<std::string_view, N>& days,
                                   std::string_view separator, size_t year_digits) {
    TextReader reader(text);
    DateFields date;
    reader.Name(days);
    reader.Literal(", ");
    date.day = reader.Digits(2);
    reader.Literal(separator);
    date.month = reader.Name(kMonths) + 1;
    reader.Literal(separator);
    date.year = reader.Digits(year_digits);
    reader.Literal(" ");
    ReadTime(reader, date);
    reader.Literal(" GMT");
    if (year_digits == 2) date.year += date.year < 70 ? 2000 : 1900;
    return Checked(reader, date);
}

// "Sun Nov  6 08:49:37 1994": a day below 10 stands after two blanks.
std::optional<int64_t> ReadAsctimeDate(std::string_view text) {
    TextReader reader(text);
    DateFields date;
    reader.Name(kShortDays);
    reader.Literal(" ");
    date.month = reader.Name(kMonths) + 1;
    reader.Literal(" ");
    TextReader single = reader;
    single.Literal(" ");
    const bool one_digit = single.ok();
    if (one_digit) reader = single;
    date.day = reader.Digits(one_digit ? 1 : 2);
    reader.Literal(" ");
    ReadTime(reader, date);
    reader.Literal(" ");
    date.year = reader.Digits(4);
    return Checked(reader, date);
}

}  // namespace

std::optional<int64_t> ParseTimePage(std::string_view body) {
    // The marker holds no line break, so its first place is on the first line that holds it.
    const size_t marker = body.find(kTimePageMarker);
    if (marker == std::string_view::npos) return std::nullopt;
    std::string_view window = body.substr(marker, kWindow);
    window = window.substr(0, window.find_first_of("\r\n"));
    const size_t semicolon = window.find(';');
    if (semicolon == std::string_view::npos) return std::nullopt;
    return EvaluateTimeLine(window.substr(0, semicolon + 1));
}

std::optional<int64_t> ParseHttpDate(std::string_view text) {
    if (auto seconds = ReadGmtDate(text, kShortDays, " ", 4)) return seconds;
    if (auto seconds = ReadGmtDate(text, kLongDays, "-", 2)) return seconds;
    return ReadAsctimeDate(text);
}

std::string ProxyText(const std::string& address, const std::string& port) {
    if (address.empty()) return {};
    return address + ":" + port;
}

}  // namespace kronvik
