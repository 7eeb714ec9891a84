#pragma once
// Registry port: keys under the current user's hive, values read and written as
// 32-bit integers or UTF-8 texts. A read tells "missing" and "wrong type" apart,
// because the settings fallbacks depend on the difference.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kronvik {

enum class RegResult { Ok, Missing, WrongType, Failed };

class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    virtual RegResult ReadInt(const std::string& name, int32_t& out) = 0;
    // REG_SZ and REG_EXPAND_SZ are texts, and so is a value of any type with no
    // data (the empty text); a missing value is reported as Missing.
    virtual RegResult ReadText(const std::string& name, std::string& out) = 0;
    virtual RegResult WriteInt(const std::string& name, int32_t value) = 0;
    virtual RegResult WriteText(const std::string& name, const std::string& value) = 0;
    virtual RegResult DeleteValue(const std::string& name) = 0;
    virtual std::vector<std::string> SubkeyNames() = 0;
    virtual std::vector<std::string> ValueNames() = 0;
};

class Registry {
public:
    virtual ~Registry() = default;
    // Paths are relative to HKEY_CURRENT_USER with '\' separators. nullptr when the
    // key does not exist (create == false) or cannot be created.
    virtual std::unique_ptr<RegistryKey> Open(const std::string& path, bool create) = 0;
    // Deletes the key with all its subkeys and values; false when nothing was deleted.
    virtual bool DeleteTree(const std::string& path) = 0;
};

}  // namespace kronvik
