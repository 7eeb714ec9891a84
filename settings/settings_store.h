#pragma once
// The settings store: Software\Velk\FLAG under the current user, its defaults,
// and the loading and saving of SettingsRecord.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/registry.h"
#include "platform/system_ports.h"
#include "settings/settings_record.h"

namespace kronvik {

inline constexpr int32_t kSettingsVersion = 3202;
inline constexpr char kRootKey[] = "Software\\Velk";
inline constexpr char kSettingsKey[] = "Software\\Velk\\FLAG";
inline constexpr char kDefaultSntpHost[] = "ntp.nict.jp";
inline constexpr char kDefaultSetTime[] = "----年--月--日--時--分--秒";

// A read, write or conversion failure; what() is the text shown to the user.
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string MissingValueMessage(const std::string& name);   // '%s' の取得に失敗しました
std::string WrongTypeMessage(const std::string& name);      // '%s' のデータ型が不正です
std::string NotIntegerMessage(const std::string& text);     // '%s' は整数ではありません
std::string WriteFailedMessage(const std::string& name);    // '%s' の設定に失敗しました

// What the settings dialog holds when Apply is pressed.
struct SaveInput {
    int32_t display = 0;        // 0 date and time, 1 time only, 2 none
    int32_t sync = 0;           // as RUN_AND_RUN
    bool run_stop = false;
    int32_t work_hour = 0;
    int32_t work_minute = 0;
    int32_t work_period_hours = 0;
    int32_t work_period_minutes = 0;
    int32_t work_year_sel = 0;
    bool japanese_day_names = false;
    bool sntp_method = true;
    std::string proxy_address, proxy_port;
    std::string year_separator, month_separator, day_separator;
    std::string hour_separator, minute_separator;
    std::string japanese_before, japanese_after;
    std::string english_before, english_after;
    std::string era_name;
    std::string time_shift;
    std::string server_name;
    std::string reply_timeout;
    std::string memo;
};

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
void SaveSettings(Registry& registry, SettingsRecord& record, const SaveInput& input);
void WriteDefaultSettings(Registry& registry, const SystemProxy& proxy);

// An optionally signed whole number that fits 32 bits; throws SettingsError
// with NotIntegerMessage(text) otherwise.
int32_t ParseWholeNumber(const std::string& text);

}  // namespace kronvik
