#include "settings/settings_store.h"

#include <memory>

#include "settings/templates.h"

namespace kronvik {

// The messages are concatenated: a name or user text is never used as a format.
std::string NotIntegerMessage(const std::string& text) { return "'" + text + "' は整数ではありません"; }

namespace {

[[noreturn]] void ThrowReadError(RegResult result, const std::string& name) {
    const char* what = result == RegResult::WrongType ? "' のデータ型が不正です" : "' の取得に失敗しました";
    throw SettingsError("'" + name + what);
}

[[noreturn]] void ThrowWriteError(const std::string& name) {
    throw SettingsError("'" + name + "' の設定に失敗しました");
}

// A key that did not open reads as if every value were missing.
int32_t ReadInt(RegistryKey* key, const std::string& name) {
    int32_t value = 0;
    const RegResult result = key ? key->ReadInt(name, value) : RegResult::Missing;
    if (result != RegResult::Ok) ThrowReadError(result, name);
    return value;
}

std::string ReadText(RegistryKey* key, const std::string& name) {
    if (!key) return {};
    std::string value;
    const RegResult result = key->ReadText(name, value);
    if (result == RegResult::Ok) return value;
    if (result == RegResult::Missing) return {};
    ThrowReadError(result, name);
}

void WriteInt(RegistryKey* key, const std::string& name, int32_t value) {
    if (!key || key->WriteInt(name, value) != RegResult::Ok) {
        ThrowWriteError(name);
    }
}

void WriteText(RegistryKey* key, const std::string& name, const std::string& value) {
    if (!key || key->WriteText(name, value) != RegResult::Ok) {
        ThrowWriteError(name);
    }
}

// A missing or mistyped value is replaced in the store and in the record by
// the fallback instead of stopping the load.
int32_t ReadIntOrRestore(RegistryKey* key, const std::string& name, int32_t fallback) {
    int32_t value = 0;
    if (key && key->ReadInt(name, value) == RegResult::Ok) return value;
    WriteInt(key, name, fallback);
    return fallback;
}

void WriteProxy(RegistryKey* key, const ProxyFields& proxy) {
    WriteText(key, "PROXYADR", proxy.address);
    WriteText(key, "PROXYPORT", proxy.port);
}

// The templates the clock text is filled in, made from the parts the dialog edits.
void ComposeTemplates(SettingsRecord& r) {
    r.DAY_FORM = ComposeDateTemplate(r.YEAR_SEL, r.ZERO, r.REKI, r.DAY_FORM1, r.DAY_FORM2, r.DAY_FORM3);
    r.TIM_FORM = ComposeTimeTemplate(r.ZERO, r.TIM_FORM1, r.TIM_FORM2);
    r.WEK_FORM_J = ComposeWeekdayTemplate(r.WEK_FORM_J1, r.WEK_FORM_J2);
    r.WEK_FORM_E = ComposeWeekdayTemplate(r.WEK_FORM_E1, r.WEK_FORM_E2);
}

}  // namespace

int32_t ParseWholeNumber(const std::string& text) {
    const auto fail = [&]() -> int32_t { throw SettingsError(NotIntegerMessage(text)); };
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return fail();
    // The magnitude is bounded as it grows, so no digit count can overflow it.
    constexpr int64_t kLimit = int64_t{1} << 31;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return fail();
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > kLimit) return fail();
    }
    if (!negative && magnitude == kLimit) return fail();
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

ProxyFields ReadProxyFields(Registry& registry) {
    const auto key = registry.Open(kSettingsKey, false);
    const auto read = [&key](const char* name) {
        std::string text;
        return key && key->ReadText(name, text) == RegResult::Ok ? text : std::string();
    };
    return ProxyFields{read("PROXYADR"), read("PROXYPORT")};
}

std::string LastSettingLabel(const std::string& set_time) { return set_time + "に行いました。"; }

void WriteDefaultSettings(Registry& registry, const SystemProxy& proxy) {
    // The proxy is looked up before the store is touched.
    ProxyFields found;
    const bool have_proxy = proxy.Query(found.address, found.port) == 0;

    // The marker goes in on its own, ahead of everything else.
    WriteInt(registry.Open(kSettingsKey, true).get(), "Ver", kSettingsVersion);

    const std::unique_ptr<RegistryKey> key = registry.Open(kSettingsKey, true);
    WriteProxy(key.get(), have_proxy ? found : ProxyFields{});
    for (const Setting& row : kSettings) {
        if (row.text_default) {
            WriteText(key.get(), row.name, row.text_default);
        } else {
            WriteInt(key.get(), row.name, row.number_default);
        }
    }
}

void CheckSettingsVersion(Registry& registry, SettingsRecord& record, const SystemProxy& proxy) {
    {
        const std::unique_ptr<RegistryKey> key = registry.Open(kSettingsKey, false);
        int32_t version = 0;
        const bool current =
            key && key->ReadInt("Ver", version) == RegResult::Ok && version == kSettingsVersion;
        // DSP_FLAG comes from the key as found, before a reset can change it. A
        // current key must hold it: start-up cannot go on without it. An
        // outdated one is about to be repaired, so an unreadable flag is 0.
        if (current) {
            record.DSP_FLAG = ReadInt(key.get(), "DSP_FLAG");
        } else {
            int32_t display = 0;
            record.DSP_FLAG = key && key->ReadInt("DSP_FLAG", display) == RegResult::Ok ? display : 0;
            WriteDefaultSettings(registry, proxy);
        }
    }
    LoadSettings(registry, record);
}

void LoadSettings(Registry& registry, SettingsRecord& record) {
    // Each value goes into the record as soon as it is read, so a failure part
    // way leaves the earlier fields with their new contents.
    const std::unique_ptr<RegistryKey> owned = registry.Open(kSettingsKey, false);
    RegistryKey* const key = owned.get();
    // Read first, under the record's lock: a time being recorded meanwhile
    // lands in the registry and the record together, before or after this read.
    record.SET_TIME.Replace([&] { return ReadText(key, "SET_TIME"); });
    for (const Setting& row : kSettings) {
        if (row.text) record.*row.text = ReadText(key, row.name);
        if (!row.number || (row.flags & kNotReloaded)) continue;
        record.*row.number = (row.flags & kRestored) ? ReadIntOrRestore(key, row.name, row.number_default)
                                                     : ReadInt(key, row.name);
    }
}

void SaveSettings(Registry& registry, SettingsRecord chosen, const ProxyFields& proxy) {
    const std::unique_ptr<RegistryKey> owned = registry.Open(kSettingsKey, true);
    if (!owned) return;
    RegistryKey* const key = owned.get();
    ComposeTemplates(chosen);
    WriteProxy(key, proxy);
    for (const Setting& row : kSettings) {
        if (row.only_with_sync >= 0 && row.only_with_sync != chosen.RUN_AND_RUN) continue;
        if (row.text) WriteText(key, row.name, chosen.*row.text);
        if (row.number) WriteInt(key, row.name, chosen.*row.number);
    }
}

}  // namespace kronvik
