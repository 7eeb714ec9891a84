#include "settings/settings_dialog.h"

#include <gtest/gtest.h>

#include "fakes/fake_registry.h"

namespace kronvik {
namespace {

constexpr char kFlag[] = "Software\\Velk\\FLAG";

TEST(SettingsDialogTest, ProxyFieldsComeFromTheStoreAndToleratePoorValues) {
    FakeRegistry registry;
    EXPECT_EQ(ReadProxyFields(registry).address, "");   // no key at all

    registry.SetText(kFlag, "PROXYADR", "gate");
    registry.SetText(kFlag, "PROXYPORT", "8080");
    ProxyFields fields = ReadProxyFields(registry);
    EXPECT_EQ(fields.address, "gate");
    EXPECT_EQ(fields.port, "8080");

    // A hand-edited value of another type leaves the field empty rather than
    // stopping the program.
    registry.SetWrongType(kFlag, "PROXYPORT");
    fields = ReadProxyFields(registry);
    EXPECT_EQ(fields.address, "gate");
    EXPECT_EQ(fields.port, "");
}

TEST(SettingsDialogTest, LastSettingLabelKeepsPercentSignsAsText) {
    EXPECT_EQ(LastSettingLabel("----年--月--日--時--分--秒"), "----年--月--日--時--分--秒に行いました。");
    EXPECT_EQ(LastSettingLabel("%s%d"), "%s%dに行いました。");
}

}  // namespace
}  // namespace kronvik
