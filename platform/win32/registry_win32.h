#pragma once
#include "platform/registry.h"

namespace kronvik {

// The current user's hive through the wide registry calls.
class Win32Registry : public Registry {
public:
    std::unique_ptr<RegistryKey> Open(const std::string& path, bool create) override;
    bool DeleteTree(const std::string& path) override;
};

}  // namespace kronvik
