#pragma once
// The settings values held by the main window for the whole run, one field per
// value of Software\Velk\FLAG under the same name (all but the version marker
// and the proxy pair, which the settings dialog's fields hold). Texts are UTF-8.
#include <cstdint>
#include <mutex>
#include <string>

namespace kronvik {

// SET_TIME is written by a worker after a clock setting while the UI thread may
// be reloading the settings, so this one text is guarded.
class GuardedText {
public:
    GuardedText() = default;
    GuardedText(const GuardedText& other) : text_(other.Get()) {}
    GuardedText& operator=(const GuardedText& other) {
        if (this != &other) Set(other.Get());
        return *this;
    }
    std::string Get() const {
        std::lock_guard lock(mutex_);
        return text_;
    }
    void Set(std::string text) {
        std::lock_guard lock(mutex_);
        text_ = std::move(text);
    }
    // The text that make() gives, made under the lock: what make() reads or
    // writes elsewhere changes together with the text.
    template <typename Make>
    void Replace(Make&& make) {
        std::lock_guard lock(mutex_);
        text_ = make();
    }

private:
    mutable std::mutex mutex_;
    std::string text_;
};

struct SettingsRecord {
    int32_t DSP_FLAG = 0;
    int32_t RUN_AND_RUN = 0;
    int32_t RUN_STOP = 0;
    int32_t RUNTIME1 = 0;
    int32_t RUNTIME2 = 0;
    int32_t RUNTIME3 = 0;
    int32_t WEEK_ON = 0;
    int32_t WEEK_TYPE = 0;
    int32_t TIME_PLUS = 0;
    int32_t YEAR_SEL = 0;
    int32_t ZERO = 0;
    int32_t MODE = 0;
    int32_t SNTPanswer = 0;
    int32_t SNTPcycle = 0;
    std::string DAY_FORM;
    std::string DAY_FORM1;
    std::string DAY_FORM2;
    std::string DAY_FORM3;
    std::string TIM_FORM;
    std::string TIM_FORM1;
    std::string TIM_FORM2;
    std::string WEK_FORM_E;
    std::string WEK_FORM_E1;
    std::string WEK_FORM_E2;
    std::string WEK_FORM_J;
    std::string WEK_FORM_J1;
    std::string WEK_FORM_J2;
    GuardedText SET_TIME;
    std::string REKI;
    std::string SNTP;
    std::string MEMO;
};

}  // namespace kronvik
