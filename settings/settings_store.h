#pragma once
// The settings store: Software\Velk\FLAG under the current user, its defaults,
// and the loading and saving of SettingsRecord.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/registry.h"
#include "platform/system_ports.h"
#include "settings/settings_record.h"
#include "settings/settings_table.h"

namespace kronvik {

inline constexpr int32_t kSettingsVersion = 3202;
inline constexpr char kRootKey[] = "Software\\Velk";
inline constexpr char kSettingsKey[] = "Software\\Velk\\FLAG";

// A read, write or conversion failure; what() is the text shown to the user.
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string NotIntegerMessage(const std::string& text);  // '%s' は整数ではありません

struct ProxyFields {
    std::string address;
    std::string port;
};

// The settings dialog's proxy fields are filled once, when it is created, from
// the stored PROXYADR and PROXYPORT; a missing or unreadable value is empty.
ProxyFields ReadProxyFields(Registry& registry);

// The last-setting label: "<SET_TIME>に行いました。"
std::string LastSettingLabel(const std::string& set_time);

// The system proxy gives the defaults of PROXYADR and PROXYPORT.
void CheckSettingsVersion(Registry& registry, SettingsRecord& record, const SystemProxy& proxy);
void LoadSettings(Registry& registry, SettingsRecord& record);
// What Apply chose: the proxy texts, then the rows in order, the four
// templates composed from their parts and the daily time and the HTTP period
// only with the synchronisation that uses them. Nothing when the key cannot
// be opened.
void SaveSettings(Registry& registry, SettingsRecord chosen, const ProxyFields& proxy);
void WriteDefaultSettings(Registry& registry, const SystemProxy& proxy);

// An optionally signed whole number that fits 32 bits; throws SettingsError
// with NotIntegerMessage(text) otherwise.
int32_t ParseWholeNumber(const std::string& text);

}  // namespace kronvik
