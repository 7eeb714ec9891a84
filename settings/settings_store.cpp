#include "settings/settings_store.h"

#include <memory>

#include "settings/templates.h"

namespace kronvik {

// The messages are concatenated: a name or user text is never used as a format.
std::string MissingValueMessage(const std::string& name) {
    return "'" + name + "' の取得に失敗しました";
}
std::string WrongTypeMessage(const std::string& name) {
    return "'" + name + "' のデータ型が不正です";
}
std::string NotIntegerMessage(const std::string& text) {
    return "'" + text + "' は整数ではありません";
}
std::string WriteFailedMessage(const std::string& name) {
    return "'" + name + "' の設定に失敗しました";
}

namespace {

[[noreturn]] void ThrowReadError(RegResult result, const std::string& name) {
    throw SettingsError(result == RegResult::WrongType ? WrongTypeMessage(name)
                                                       : MissingValueMessage(name));
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
        throw SettingsError(WriteFailedMessage(name));
    }
}

void WriteText(RegistryKey* key, const std::string& name, const std::string& value) {
    if (!key || key->WriteText(name, value) != RegResult::Ok) {
        throw SettingsError(WriteFailedMessage(name));
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

struct DefaultValue {
    const char* name;
    bool is_text;
    int32_t number;
    const char* text;
};

// Every value after the proxy pair, in the order the defaults are written.
constexpr DefaultValue kDefaults[] = {
    {"DSP_FLAG", false, 0, nullptr},
    {"RUN_AND_RUN", false, 0, nullptr},
    {"RUN_STOP", false, 0, nullptr},
    {"SET_TIME", true, 0, kDefaultSetTime},
    {"RUNTIME1", false, 0, nullptr},
    {"RUNTIME2", false, 0, nullptr},
    {"RUNTIME3", false, 3, nullptr},
    {"WEEK_ON", false, 1, nullptr},
    {"WEEK_TYPE", false, 0, nullptr},
    {"DAY_FORM", true, 0, "%04d年%02d月%02d日"},
    {"DAY_FORM1", true, 0, "年"},
    {"DAY_FORM2", true, 0, "月"},
    {"DAY_FORM3", true, 0, "日"},
    {"TIM_FORM", true, 0, "%02d時%02d分"},
    {"TIM_FORM1", true, 0, "時"},
    {"TIM_FORM2", true, 0, "分"},
    {"WEK_FORM_J", true, 0, "%s曜日"},
    {"WEK_FORM_J1", true, 0, ""},
    {"WEK_FORM_J2", true, 0, "曜日"},
    {"WEK_FORM_E", true, 0, "[ %s ]"},
    {"WEK_FORM_E1", true, 0, "[ "},
    {"WEK_FORM_E2", true, 0, " ]"},
    {"TIME_PLUS", false, 0, nullptr},
    {"YEAR_SEL", false, 0, nullptr},
    {"REKI", true, 0, "平成"},
    {"ZERO", false, 1, nullptr},
    {"MODE", false, 0, nullptr},
    {"SNTP", true, 0, kDefaultSntpHost},
    {"SNTPanswer", false, 3, nullptr},
    {"SNTPcycle", false, 30, nullptr},
    {"MEMO", true, 0, "Tanks! Download"},
};

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

void WriteDefaultSettings(Registry& registry, const SystemProxy& proxy) {
    // The proxy is looked up before the store is touched.
    std::string host;
    std::string port;
    const bool have_proxy = proxy.Query(host, port) == 0;

    // The marker goes in on its own, ahead of everything else.
    WriteInt(registry.Open(kSettingsKey, true).get(), "Ver", kSettingsVersion);

    const std::unique_ptr<RegistryKey> key = registry.Open(kSettingsKey, true);
    WriteText(key.get(), "PROXYADR", have_proxy ? host : std::string());
    WriteText(key.get(), "PROXYPORT", have_proxy ? port : std::string());
    for (const DefaultValue& value : kDefaults) {
        if (value.is_text) {
            WriteText(key.get(), value.name, value.text);
        } else {
            WriteInt(key.get(), value.name, value.number);
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
    // Read under the record's lock: a time being recorded meanwhile lands in
    // the registry and the record together, before or after this read.
    record.SET_TIME.Replace([&] { return ReadText(key, "SET_TIME"); });
    record.RUN_AND_RUN = ReadInt(key, "RUN_AND_RUN");
    record.RUN_STOP = ReadInt(key, "RUN_STOP");
    record.RUNTIME1 = ReadInt(key, "RUNTIME1");
    record.RUNTIME2 = ReadInt(key, "RUNTIME2");
    record.RUNTIME3 = ReadInt(key, "RUNTIME3");
    record.WEEK_ON = ReadInt(key, "WEEK_ON");
    record.WEEK_TYPE = ReadInt(key, "WEEK_TYPE");
    record.DAY_FORM = ReadText(key, "DAY_FORM");
    record.DAY_FORM1 = ReadText(key, "DAY_FORM1");
    record.DAY_FORM2 = ReadText(key, "DAY_FORM2");
    record.DAY_FORM3 = ReadText(key, "DAY_FORM3");
    record.TIM_FORM = ReadText(key, "TIM_FORM");
    record.TIM_FORM1 = ReadText(key, "TIM_FORM1");
    record.TIM_FORM2 = ReadText(key, "TIM_FORM2");
    record.WEK_FORM_E = ReadText(key, "WEK_FORM_E");
    record.WEK_FORM_E1 = ReadText(key, "WEK_FORM_E1");
    record.WEK_FORM_E2 = ReadText(key, "WEK_FORM_E2");
    record.WEK_FORM_J = ReadText(key, "WEK_FORM_J");
    record.WEK_FORM_J1 = ReadText(key, "WEK_FORM_J1");
    record.WEK_FORM_J2 = ReadText(key, "WEK_FORM_J2");
    record.TIME_PLUS = ReadInt(key, "TIME_PLUS");
    record.YEAR_SEL = ReadIntOrRestore(key, "YEAR_SEL", 0);
    record.REKI = ReadText(key, "REKI");
    record.ZERO = ReadIntOrRestore(key, "ZERO", 1);
    record.MODE = ReadInt(key, "MODE");
    record.SNTP = ReadText(key, "SNTP");
    record.SNTPanswer = ReadInt(key, "SNTPanswer");
    record.SNTPcycle = ReadInt(key, "SNTPcycle");
    record.MEMO = ReadText(key, "MEMO");
}

void SaveSettings(Registry& registry, SettingsRecord& record, const SaveInput& input) {
    // The record takes the display choice even when the store cannot be written.
    record.DSP_FLAG = input.display;

    // A bad number stores nothing: both are checked before the first write.
    const int32_t time_plus = ParseWholeNumber(input.time_shift);
    const int32_t sntp_answer = ParseWholeNumber(input.reply_timeout);

    const std::unique_ptr<RegistryKey> owned = registry.Open(kSettingsKey, true);
    if (!owned) return;
    RegistryKey* const key = owned.get();

    WriteText(key, "PROXYADR", input.proxy_address);
    WriteText(key, "PROXYPORT", input.proxy_port);
    WriteInt(key, "DSP_FLAG", input.display);
    WriteInt(key, "RUN_AND_RUN", input.sync);
    WriteInt(key, "RUN_STOP", input.run_stop ? 1 : 0);
    // The daily time and the HTTP period are kept as stored unless the chosen
    // synchronisation uses them.
    if (input.sync == 2) {
        WriteInt(key, "RUNTIME1", input.work_hour);
        WriteInt(key, "RUNTIME2", input.work_minute);
    }
    if (input.sync == 3) WriteInt(key, "RUNTIME3", input.work_period_hours);
    WriteInt(key, "WEEK_ON", record.WEEK_ON);
    WriteInt(key, "WEEK_TYPE", input.japanese_day_names ? 1 : 0);

    WriteText(key, "DAY_FORM",
              ComposeDateTemplate(input.work_year_sel, record.ZERO, input.era_name,
                                  input.year_separator, input.month_separator,
                                  input.day_separator));
    WriteText(key, "DAY_FORM1", input.year_separator);
    WriteText(key, "DAY_FORM2", input.month_separator);
    WriteText(key, "DAY_FORM3", input.day_separator);
    WriteText(key, "TIM_FORM",
              ComposeTimeTemplate(record.ZERO, input.hour_separator, input.minute_separator));
    WriteText(key, "TIM_FORM1", input.hour_separator);
    WriteText(key, "TIM_FORM2", input.minute_separator);
    WriteText(key, "WEK_FORM_J", ComposeWeekdayTemplate(input.japanese_before, input.japanese_after));
    WriteText(key, "WEK_FORM_J1", input.japanese_before);
    WriteText(key, "WEK_FORM_J2", input.japanese_after);
    WriteText(key, "WEK_FORM_E", ComposeWeekdayTemplate(input.english_before, input.english_after));
    WriteText(key, "WEK_FORM_E1", input.english_before);
    WriteText(key, "WEK_FORM_E2", input.english_after);

    WriteInt(key, "TIME_PLUS", time_plus);
    WriteInt(key, "YEAR_SEL", input.work_year_sel);
    WriteText(key, "REKI", input.era_name);
    WriteInt(key, "ZERO", record.ZERO != 0 ? 1 : 0);
    WriteInt(key, "MODE", input.sntp_method ? 0 : 1);
    WriteText(key, "SNTP", input.server_name);
    WriteInt(key, "SNTPanswer", sntp_answer);
    WriteInt(key, "SNTPcycle", input.work_period_minutes);
    WriteText(key, "MEMO", input.memo);
}

}  // namespace kronvik
