#include "settings/settings_dialog.h"

#include "settings/settings_store.h"

namespace kronvik {

ProxyFields ReadProxyFields(Registry& registry) {
    ProxyFields fields;
    const auto key = registry.Open(kSettingsKey, false);
    if (!key) return fields;
    std::string text;
    if (key->ReadText("PROXYADR", text) == RegResult::Ok) fields.address = text;
    text.clear();
    if (key->ReadText("PROXYPORT", text) == RegResult::Ok) fields.port = text;
    return fields;
}

std::string LastSettingLabel(const std::string& set_time) { return set_time + "に行いました。"; }

}  // namespace kronvik
