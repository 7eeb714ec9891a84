#pragma once
// The settings dialog's behaviour that does not depend on its window.
#include <string>

#include "platform/registry.h"

namespace kronvik {

struct ProxyFields {
    std::string address;
    std::string port;
};

// The proxy fields are filled once, when the dialog is created, from the
// stored PROXYADR and PROXYPORT; a missing value reads as empty.
ProxyFields ReadProxyFields(Registry& registry);

// The last-setting label: "<SET_TIME>に行いました。"
std::string LastSettingLabel(const std::string& set_time);

}  // namespace kronvik
