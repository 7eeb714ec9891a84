#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "fakes/fake_sync.h"
#include "timesync/http_time.h"
#include "timesync/sntp_packet.h"
#include "timesync/socket_control.h"
#include "timesync/time_page.h"

namespace kronvik {
namespace {

using fakes::FakeHttp;
using fakes::FakeNetwork;

constexpr uint32_t kServer = 0x7F000001;

std::vector<uint8_t> Reply(uint32_t seconds, uint8_t first = 0x1C, uint8_t stratum = 2, size_t size = 48) {
    std::vector<uint8_t> bytes(size, 0);
    bytes[0] = first;
    if (size > 1) bytes[1] = stratum;
    for (int i = 0; i < 4 && 40 + i < static_cast<int>(size); ++i)
        bytes[40 + static_cast<size_t>(i)] = static_cast<uint8_t>(seconds >> (24 - 8 * i));
    return bytes;
}

class ExchangeTest : public ::testing::Test {
protected:
    std::vector<ServerTime> applied;
    ApplyTime apply = [this](const ServerTime& t) {
        applied.push_back(t);
        return true;
    };
    MonotonicMs now_ms = [] { return int64_t{4321}; };
};

TEST_F(ExchangeTest, OnlyAWellFormedReplyFromTheServerIsBelieved) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        uint32_t from;
        uint16_t port;
        bool accepted;
    };
    const Case cases[] = {
        {"server reply", Reply(3400000000u), kServer, 123, true},
        {"longer reply", Reply(3400000000u, 0x1C, 2, 60), kServer, 123, true},
        {"leap indicator 1", Reply(3400000000u, 0x5C), kServer, 123, true},
        {"another host", Reply(3400000000u), kServer + 1, 123, false},
        {"another port", Reply(3400000000u), kServer, 124, false},
        {"47 bytes", Reply(3400000000u, 0x1C, 2, 47), kServer, 123, false},
        {"mode 3", Reply(3400000000u, 0x1B), kServer, 123, false},
        {"leap indicator 3", Reply(3400000000u, 0xDC), kServer, 123, false},
        {"stratum 0", Reply(3400000000u, 0x1C, 0), kServer, 123, false},
        {"stratum 16", Reply(3400000000u, 0x1C, 16), kServer, 123, false},
        {"transmit 0", Reply(0), kServer, 123, false},
    };
    for (const Case& c : cases) {
        const auto seconds = CheckSntpReply(c.bytes.data(), c.bytes.size(), c.from, c.port, kServer);
        EXPECT_EQ(seconds.has_value(), c.accepted) << c.what;
    }
}

TEST_F(ExchangeTest, NtpSecondsFollowTheEraRuleAndTheShift) {
    EXPECT_EQ(NtpToUnixSeconds(3400000000u), 1191011200);
    EXPECT_EQ(NtpToUnixSeconds(0x80000000u), 2147483648LL - 2208988800LL);
    // Past 2036 the seconds wrap; a clear top bit means the next era.
    EXPECT_EQ(NtpToUnixSeconds(0), 2085978496);
    EXPECT_EQ(NtpToUnixSeconds(100000000u), 2185978496);
    EXPECT_EQ(SntpServerMs(3400000000u, -5), 1191010900000);
}

TEST_F(ExchangeTest, SntpExchangeSendsTheRequestAndSetsTheFirstValidReply) {
    FakeNetwork network;
    network.hosts["time.example"] = kServer;
    network.replies.push_back({Reply(3400000000u, 0x1B), kServer, 123});   // dropped: mode 3
    network.replies.push_back({Reply(3400000000u), kServer, 123});
    ASSERT_TRUE(RunSntpExchange(network, {"time.example", 3, 0}, apply, now_ms));
    ASSERT_EQ(network.sent.size(), 1u);
    std::vector<uint8_t> request(48, 0);
    request[0] = 0x0B;
    EXPECT_EQ(network.sent[0].bytes, request);
    EXPECT_EQ(network.sent[0].address, kServer);
    EXPECT_EQ(network.sent[0].port, 123);
    EXPECT_EQ(network.bound, std::vector<uint16_t>{1024});
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_TRUE(applied[0].unix_ms == 1191011200000 && applied[0].arrived_ms == 4321);
}

TEST_F(ExchangeTest, UnknownServerNameFailsWithoutSending) {
    FakeNetwork network;
    network.replies.push_back({Reply(3400000000u), kServer, 123});
    EXPECT_FALSE(RunSntpExchange(network, {"nowhere.invalid", 0, 0}, apply, now_ms));
    EXPECT_TRUE(network.sent.empty());
    EXPECT_TRUE(applied.empty());
}

TEST_F(ExchangeTest, EmptyServerSettingAddressesTheBuiltInServer) {
    FakeNetwork network;
    network.hosts["ntp.nict.jp"] = 0x0A000001;
    network.replies.push_back({Reply(3400000000u), 0x0A000001, 123});
    EXPECT_TRUE(RunSntpExchange(network, {"", 1, 0}, apply, now_ms));
    ASSERT_EQ(network.sent.size(), 1u);
    EXPECT_EQ(network.sent[0].address, 0x0A000001u);
}

TEST_F(ExchangeTest, TimePageLineGivesSecondsOrNothing) {
    struct Case {
        const char* body;
        std::optional<int64_t> seconds;
    };
    const std::string far(300, ' ');
    const std::string beyond_window = std::string("var Start = Math.floor(") + far + "1 + 1 / 1 );";
    const Case cases[] = {
        {"<script>\nvar Start = Math.floor( 1182400000 + 500 / 1000 );\n", 1182400000},
        {"var Start = Math.floor( 1182400000 + 3000 / 1000 );", 1182400003},
        {"x\r\nvar Start = Math.floor(1182400000+3000/1000);\r\nvar Start = Math.floor( 5 + 0 / 1 );", 1182400003},
        {"var Start = Math.floor( 4102444800 + 0 / 1 );", 4102444800},   // 2100: 64-bit seconds
        {"var Start = Math.floor( 1182400000 + -1000 / 1000 );", 1182400000 + 4294966},  // B taken unsigned
        {"var Start = Math.floor( 1182400000 + 500 / 0 );", std::nullopt},
        {"var Start = Math.floor( 1182400000 + 500 );", std::nullopt},
        {"var Start = Math.floor( 1182400000 + 99999999999 / 1 );", std::nullopt},
        {"var Start = Math.floor( 1182400000 + 500 / 1000 )", std::nullopt},
        {"var start = Math.floor( 1 + 1 / 1 );", std::nullopt},
        {"no line at all", std::nullopt},
        {beyond_window.c_str(), std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseTimePage(c.body), c.seconds) << c.body;
}

TEST_F(ExchangeTest, HttpDatesInAllThreeFormsAndNothingElse) {
    struct Case {
        const char* text;
        std::optional<int64_t> seconds;
    };
    const Case cases[] = {
        {"Sun, 06 Nov 1994 08:49:37 GMT", 784111777},
        {"Sunday, 06-Nov-94 08:49:37 GMT", 784111777},
        {"Sun Nov  6 08:49:37 1994", 784111777},
        {"Tue, 29 Feb 2028 23:59:59 GMT", 1835481599},
        {"Thu, 01 Jan 2099 00:00:00 GMT", 4070908800},
        {"Wed, 29 Feb 2023 00:00:00 GMT", std::nullopt},
        {"Sun, 06 Nov 1994 24:00:00 GMT", std::nullopt},
        {"Sun, 06 Nov 1994 08:49:37 +0900", std::nullopt},
        {"Sun, 6 Nov 1994 08:49:37 GMT", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseHttpDate(c.text), c.seconds) << c.text;
}

TEST_F(ExchangeTest, DateHeaderIsUsedOnlyFromAFreshResponse) {
    const std::optional<std::string> date = "Sun, 06 Nov 1994 08:49:37 GMT";
    struct Case {
        const char* what;
        uint32_t status;
        std::optional<std::string> date, age;
        std::optional<int64_t> ms;
    };
    const Case cases[] = {
        {"date, half a second on", 200, date, std::nullopt, 784111777500},
        {"404 with date", 404, date, "0", 784111777500},
        {"502 from a proxy", 502, date, std::nullopt, std::nullopt},
        {"407 from a proxy", 407, date, std::nullopt, std::nullopt},
        {"cached", 200, date, "30", std::nullopt},
        {"no date", 200, std::nullopt, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(DateHeaderMs(c.status, c.date, c.age), c.ms) << c.what;
}

TEST_F(ExchangeTest, FetchReadsTheWholeBodyThroughTheProxy) {
    FakeHttp http;
    http.reply.body = std::string(1200, ' ') + "\nvar Start = Math.floor( 1182400000 + 500 / 1000 );\n";
    http.reply.date = "Sun, 06 Nov 1994 08:49:37 GMT";  // the page line wins
    EXPECT_TRUE(FetchTimePage(http, ProxyText("gate", "8080"), apply, now_ms));
    EXPECT_EQ(http.agent, "MyApp");
    EXPECT_EQ(http.proxy, "gate:8080");
    EXPECT_EQ(http.url, "http://www.nict.go.jp/cgi-bin/JST2.pl");
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0].unix_ms, 1182400000000);

    EXPECT_EQ(ProxyText("", "8080"), "");
    EXPECT_EQ(ProxyText("gate", ""), "gate:");
    EXPECT_EQ(ProxyText(std::string(200, 'h'), "1").size(), 202u);
}

// Bounded by 10 s in all, and the time used only when it came within 3 s.
TEST_F(ExchangeTest, FetchSucceedsOnlyWhenTheClockWasSet) {
    const std::string line = "var Start = Math.floor( 1182400000 + 0 / 1 );\n";
    const std::string no_line(1500, ' ');
    const std::optional<std::string> date = "Sun, 06 Nov 1994 08:49:37 GMT";
    struct Case {
        const char* what;
        FakeHttp::Reply reply;
        bool connect_fails;
        bool ok;
    };
    const Case cases[] = {
        {"page in pieces", {std::string(700, 'x') + "\n" + line, 200, {}, {}, 300, false}, false, true},
        {"time beyond 64 KiB", {std::string(70000, 'x') + "\n" + line, 200, {}, {}, 8192, false}, false, false},
        {"broken before the line", {no_line, 200, {}, {}, 600, true}, false, false},
        {"no connection", {line, 200, {}, {}, 600, false}, true, false},
        {"line after 2.4 s", {line, 200, {}, {}, 8, false, 400}, false, true},
        {"line after 3.6 s", {line, 200, {}, {}, 8, false, 600}, false, false},
        {"trickling past 10 s", {line, 200, {}, {}, 4, false, 900}, false, false},
        {"head never comes", {line, 200, {}, {}, 600, false, 0, 60000}, false, false},
        {"date after a 2 s head", {no_line, 200, date, {}, 600, false, 0, 2000}, false, true},
        {"date after a 4 s head", {no_line, 200, date, {}, 600, false, 0, 4000}, false, false},
    };
    for (const Case& c : cases) {
        FakeHttp http;
        http.reply = c.reply;
        http.connect_fails = c.connect_fails;
        applied.clear();
        EXPECT_EQ(FetchTimePage(http, "", apply, [&] { return http.now_ms; }), c.ok) << c.what;
        EXPECT_EQ(applied.size(), c.ok ? 1u : 0u) << c.what;
        EXPECT_LE(http.now_ms, kTimePageDeadlineMs) << c.what;
    }
}

}  // namespace
}  // namespace kronvik
