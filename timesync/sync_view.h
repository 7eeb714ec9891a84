#pragma once
// What the synchronisation needs of the settings dialog.
#include <string>

namespace kronvik {

// The settings dialog's controls as the synchronisation uses them: the
// last-setting label, the red notice of an automatic failure, and the proxy
// fields, read as they stand rather than as stored. Used on the UI thread only.
class SyncView {
public:
    virtual ~SyncView() = default;
    virtual void SetLastSetting(const std::string& text) = 0;
    virtual void SetFailureNotice(const std::string& text) = 0;
    virtual std::string ProxyAddress() = 0;
    virtual std::string ProxyPort() = 0;
};

}  // namespace kronvik
