#include "platform/win32/registry_win32.h"

#include <windows.h>

#include "platform/win32/handle_win32.h"
#include "platform/win32/win32_text.h"

namespace kronvik {

namespace {

using Key = Owned<HKEY, RegCloseKey>;

// Every name an enumeration gives, up to the first index it fails on. The
// buffer holds the longest value name, and so any key name too.
template <typename Enumerate>
std::vector<std::string> Names(Enumerate enumerate) {
    constexpr DWORD kMaxName = 16384;
    std::vector<std::string> names;
    std::wstring name(kMaxName, L'\0');
    for (DWORD index = 0;; ++index) {
        DWORD length = kMaxName;
        if (enumerate(index, name.data(), &length) != ERROR_SUCCESS) return names;
        names.push_back(Narrow(std::wstring_view(name.data(), length)));
    }
}

class Win32Key : public RegistryKey {
public:
    explicit Win32Key(HKEY key) : key_(key) {}

    RegResult ReadInt(const std::string& name, int32_t& out) override {
        DWORD type = 0;
        DWORD value = 0;
        DWORD size = sizeof(value);
        const LONG rc = RegQueryValueExW(key_.get(), Wide(name).c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(&value), &size);
        if (rc == ERROR_FILE_NOT_FOUND) return RegResult::Missing;
        if (rc == ERROR_MORE_DATA) return RegResult::WrongType;
        if (rc != ERROR_SUCCESS) return RegResult::Failed;
        if (type != REG_DWORD || size != sizeof(value)) return RegResult::WrongType;
        out = static_cast<int32_t>(value);
        return RegResult::Ok;
    }

    RegResult ReadText(const std::string& name, std::string& out) override {
        const std::wstring wide_name = Wide(name);
        DWORD type = 0;
        DWORD size = 0;
        LONG rc = RegQueryValueExW(key_.get(), wide_name.c_str(), nullptr, &type, nullptr, &size);
        if (rc == ERROR_FILE_NOT_FOUND) return RegResult::Missing;
        if (rc != ERROR_SUCCESS) return RegResult::Failed;
        // A value with no data is the empty text, whatever its type.
        if (size == 0) {
            out.clear();
            return RegResult::Ok;
        }
        if (type != REG_SZ && type != REG_EXPAND_SZ) return RegResult::WrongType;
        std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        rc = RegQueryValueExW(key_.get(), wide_name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(buffer.data()), &bytes);
        if (rc != ERROR_SUCCESS) return RegResult::Failed;
        buffer.resize(bytes / sizeof(wchar_t));
        // Stored strings may or may not carry their terminator.
        while (!buffer.empty() && buffer.back() == L'\0') buffer.pop_back();
        out = Narrow(buffer);
        return RegResult::Ok;
    }

    RegResult WriteInt(const std::string& name, int32_t value) override {
        const DWORD data = static_cast<DWORD>(value);
        const LONG rc = RegSetValueExW(key_.get(), Wide(name).c_str(), 0, REG_DWORD,
                                       reinterpret_cast<const BYTE*>(&data), sizeof(data));
        return rc == ERROR_SUCCESS ? RegResult::Ok : RegResult::Failed;
    }

    RegResult WriteText(const std::string& name, const std::string& value) override {
        const std::wstring data = Wide(value);
        const LONG rc = RegSetValueExW(key_.get(), Wide(name).c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(data.c_str()),
                                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        return rc == ERROR_SUCCESS ? RegResult::Ok : RegResult::Failed;
    }

    RegResult DeleteValue(const std::string& name) override {
        const LONG rc = RegDeleteValueW(key_.get(), Wide(name).c_str());
        if (rc == ERROR_FILE_NOT_FOUND) return RegResult::Missing;
        return rc == ERROR_SUCCESS ? RegResult::Ok : RegResult::Failed;
    }

    std::vector<std::string> SubkeyNames() override {
        return Names([this](DWORD index, wchar_t* name, DWORD* length) {
            return RegEnumKeyExW(key_.get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
        });
    }

    std::vector<std::string> ValueNames() override {
        return Names([this](DWORD index, wchar_t* name, DWORD* length) {
            return RegEnumValueW(key_.get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
        });
    }

private:
    const Key key_;
};

}  // namespace

std::unique_ptr<RegistryKey> Win32Registry::Open(const std::string& path, bool create) {
    HKEY key = nullptr;
    const std::wstring wide_path = Wide(path);
    const LONG rc = create ? RegCreateKeyExW(HKEY_CURRENT_USER, wide_path.c_str(), 0, nullptr, 0,
                                             KEY_READ | KEY_WRITE, nullptr, &key, nullptr)
                           : RegOpenKeyExW(HKEY_CURRENT_USER, wide_path.c_str(), 0,
                                           KEY_READ | KEY_WRITE, &key);
    if (rc != ERROR_SUCCESS) return nullptr;
    return std::make_unique<Win32Key>(key);
}

bool Win32Registry::DeleteTree(const std::string& path) {
    HKEY key = nullptr;
    const std::wstring wide_path = Wide(path);
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wide_path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    RegDeleteTreeW(Key(key).get(), nullptr);
    return RegDeleteKeyW(HKEY_CURRENT_USER, wide_path.c_str()) == ERROR_SUCCESS;
}

}  // namespace kronvik
