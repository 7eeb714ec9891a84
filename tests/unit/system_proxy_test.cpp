#include "timesync/system_proxy.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_registry.h"

namespace kronvik {
namespace {

struct ProxyCase {
    std::string text;
    int result;
    const char* host;
    const char* port;
};

TEST(ProxyParse, SplitsHostAndPort) {
    const ProxyCase cases[] = {
        {"gate:8080", 0, "gate", "8080"},
        {"ftp=f:21;http=gate:8080;https=s:443", 0, "gate", "8080"},
        {"https=s:443;http=gate:80", 0, "gate", "80"},  // "https=" is not "http="
        {"gate", 0, "gate", ""},
        {"", -1, "", ""},
        // Before the port a ';' belongs to the host; after it, ';' or LF ends the walk.
        {"a;b:1;c:2", 0, "a;b", "1"},
        {"gate:80\nrest", 0, "gate", "80"},
        {"ga\nte:80", 0, "ga\nte", "80"},
        // Every ':' is skipped, including a second one inside the port.
        {"gate:80:81", 0, "gate", "8081"},
        {"http=", 0, "", ""},
        {":", 0, "", ""},
        {"HTTP=gate:1", 0, "HTTP=gate", "1"},  // the prefix is case-sensitive
        {std::string("gate:80\0junk", 12), 0, "gate", "80"},
        {std::string("\0gate", 5), -1, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string host = "old";
        std::string port = "old";
        EXPECT_EQ(ParseProxyServer(c.text, host, port), c.result);
        EXPECT_EQ(host, c.host);
        EXPECT_EQ(port, c.port);
    }
}

class SystemProxyTest : public testing::Test {
protected:
    int Query() { return GetSystemProxy(registry, host, port); }
    FakeRegistry registry;
    std::string host = "stale";
    std::string port = "stale";
};

TEST_F(SystemProxyTest, ReadsProxyServerOfInternetSettings) {
    registry.SetText(kInternetSettingsKey, "ProxyServer", "ftp=f:21;http=gate:8080");
    registry.SetInt(kInternetSettingsKey, "ProxyEnable", 0);  // not consulted
    EXPECT_EQ(Query(), 0);
    EXPECT_EQ(host, "gate");
    EXPECT_EQ(port, "8080");
    EXPECT_EQ(registry.LiveHandles(), 0);
}

TEST_F(SystemProxyTest, ExpandableTextCounts) {
    registry.SetExpandText(kInternetSettingsKey, "ProxyServer", "gate:3128");
    EXPECT_EQ(Query(), 0);
    EXPECT_EQ(host, "gate");
    EXPECT_EQ(port, "3128");
}

TEST_F(SystemProxyTest, NoUsableSettingGivesMinusOneAndEmptyTexts) {
    EXPECT_EQ(Query(), -1) << "no key";
    EXPECT_EQ(host, "");
    EXPECT_EQ(port, "");
    EXPECT_FALSE(registry.KeyExists(kInternetSettingsKey)) << "the key must not be created";

    registry.CreateKey(kInternetSettingsKey);
    host = port = "stale";
    EXPECT_EQ(Query(), -1) << "no value";
    EXPECT_EQ(host, "");

    registry.SetText(kInternetSettingsKey, "ProxyServer", "");
    EXPECT_EQ(Query(), -1) << "empty value";

    registry.SetWrongType(kInternetSettingsKey, "ProxyServer");
    host = port = "stale";
    EXPECT_EQ(Query(), -1) << "value of another type";
    EXPECT_EQ(host, "");
    EXPECT_EQ(port, "");
}

}  // namespace
}  // namespace kronvik
