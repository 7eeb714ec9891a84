#pragma once
// In-memory registry for tests: a tree of keys under one hive, typed values
// (integer, text, expandable text, or some other type so a wrong-type read can be
// planted), injectable failures and a log of the writes made through the port.
// Key and value names compare case-insensitively, as on Windows. Safe to use
// from several threads; handles must not outlive the registry.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace kronvik {

class FakeRegistry : public Registry {
public:
    enum class Kind { Int, Text, ExpandText, Other };
    struct Value {
        Kind kind = Kind::Int;
        int32_t number = 0;
        std::string text;
    };
    // One write made through the port (helpers below are not logged).
    struct Write {
        std::string path;
        std::string name;
    };

    // --- Registry -----------------------------------------------------------
    std::unique_ptr<RegistryKey> Open(const std::string& path, bool create) override {
        if (on_open) on_open(path);
        std::lock_guard lock(mutex_);
        const auto parts = Split(path);
        if (!FindKey(parts)) {
            if (!create || fail_create_) return nullptr;
            MakeKey(parts);
        }
        ++live_handles_;
        return std::make_unique<Handle>(*this, parts);
    }

    bool DeleteTree(const std::string& path) override {
        std::lock_guard lock(mutex_);
        const auto parts = Split(path);
        if (parts.empty()) return false;
        Key* parent = FindKey({parts.begin(), parts.end() - 1});
        return parent && parent->subkeys.erase(parts.back()) > 0;
    }

    // Called at every Open, before the key is looked up.
    std::function<void(const std::string& path)> on_open;

    // --- Planting and inspecting (keys are created as needed) ---------------
    void CreateKey(const std::string& path) {
        std::lock_guard lock(mutex_);
        MakeKey(Split(path));
    }
    void SetInt(const std::string& path, const std::string& name, int32_t value) {
        Plant(path, name, Value{Kind::Int, value, {}});
    }
    void SetText(const std::string& path, const std::string& name, const std::string& value) {
        Plant(path, name, Value{Kind::Text, 0, value});
    }
    void SetExpandText(const std::string& path, const std::string& name, const std::string& value) {
        Plant(path, name, Value{Kind::ExpandText, 0, value});
    }
    // A value of a type that neither ReadInt nor ReadText accepts (binary data).
    void SetWrongType(const std::string& path, const std::string& name) {
        Plant(path, name, Value{Kind::Other, 0, {}});
    }
    bool DeleteValue(const std::string& path, const std::string& name) {
        std::lock_guard lock(mutex_);
        Key* key = FindKey(Split(path));
        return key && key->values.erase(name) > 0;
    }
    bool KeyExists(const std::string& path) const {
        std::lock_guard lock(mutex_);
        return FindKey(Split(path)) != nullptr;
    }
    bool Has(const std::string& path, const std::string& name) const {
        return Get(path, name).has_value();
    }
    // The value when it is an integer, nullopt when missing or of another type.
    std::optional<int32_t> Int(const std::string& path, const std::string& name) const {
        const auto value = Get(path, name);
        if (!value || value->kind != Kind::Int) return std::nullopt;
        return value->number;
    }
    // The value when it is a text (either kind), nullopt otherwise.
    std::optional<std::string> Text(const std::string& path, const std::string& name) const {
        const auto value = Get(path, name);
        if (!value || (value->kind != Kind::Text && value->kind != Kind::ExpandText)) {
            return std::nullopt;
        }
        return value->text;
    }
    std::vector<std::string> SubkeyNames(const std::string& path) const {
        std::lock_guard lock(mutex_);
        std::vector<std::string> names;
        if (const Key* key = FindKey(Split(path))) {
            for (const auto& [name, sub] : key->subkeys) names.push_back(name);
        }
        return names;
    }

    // --- Failure injection --------------------------------------------------
    // Every write through the port answers Failed.
    void SetWritesFail(bool fail) {
        std::lock_guard lock(mutex_);
        fail_all_writes_ = fail;
    }
    // Writes of this value name (any key) answer Failed.
    void FailWritesOf(const std::string& name) {
        std::lock_guard lock(mutex_);
        fail_write_names_.insert(name);
    }
    // Open(path, true) of a key that does not exist yet answers nullptr.
    void SetKeyCreationFails(bool fail) {
        std::lock_guard lock(mutex_);
        fail_create_ = fail;
    }

    // --- Observation --------------------------------------------------------
    std::vector<Write> Writes() const {
        std::lock_guard lock(mutex_);
        return writes_;
    }
    // Names written through the port to one key, in order.
    std::vector<std::string> WrittenNames(const std::string& path) const {
        std::lock_guard lock(mutex_);
        const auto parts = Split(path);
        std::vector<std::string> names;
        for (const Write& w : writes_) {
            if (SamePath(Split(w.path), parts)) names.push_back(w.name);
        }
        return names;
    }
    int WriteCount(const std::string& path, const std::string& name) const {
        std::lock_guard lock(mutex_);
        const auto parts = Split(path);
        int count = 0;
        for (const Write& w : writes_) {
            if (SamePath(Split(w.path), parts) && EqualNoCase(w.name, name)) ++count;
        }
        return count;
    }
    void ClearWrites() {
        std::lock_guard lock(mutex_);
        writes_.clear();
    }
    // Handles handed out and not yet destroyed.
    int LiveHandles() const {
        std::lock_guard lock(mutex_);
        return live_handles_;
    }

private:
    static char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
    static bool EqualNoCase(const std::string& a, const std::string& b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i) {
            if (Lower(a[i]) != Lower(b[i])) return false;
        }
        return true;
    }
    struct NoCaseLess {
        bool operator()(const std::string& a, const std::string& b) const {
            const size_t n = a.size() < b.size() ? a.size() : b.size();
            for (size_t i = 0; i < n; ++i) {
                const char x = Lower(a[i]);
                const char y = Lower(b[i]);
                if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
            }
            return a.size() < b.size();
        }
    };
    struct Key {
        std::map<std::string, std::unique_ptr<Key>, NoCaseLess> subkeys;
        std::map<std::string, Value, NoCaseLess> values;
    };
    using Path = std::vector<std::string>;

    static Path Split(const std::string& path) {
        Path parts;
        std::string part;
        for (char c : path) {
            if (c == '\\') {
                if (!part.empty()) parts.push_back(part);
                part.clear();
            } else {
                part += c;
            }
        }
        if (!part.empty()) parts.push_back(part);
        return parts;
    }
    static std::string Join(const Path& parts) {
        std::string path;
        for (const auto& part : parts) {
            if (!path.empty()) path += '\\';
            path += part;
        }
        return path;
    }
    static bool SamePath(const Path& a, const Path& b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i) {
            if (!EqualNoCase(a[i], b[i])) return false;
        }
        return true;
    }
    Key* FindKey(const Path& parts) {
        Key* key = &root_;
        for (const auto& part : parts) {
            const auto it = key->subkeys.find(part);
            if (it == key->subkeys.end()) return nullptr;
            key = it->second.get();
        }
        return key;
    }
    const Key* FindKey(const Path& parts) const {
        return const_cast<FakeRegistry*>(this)->FindKey(parts);
    }
    Key& MakeKey(const Path& parts) {
        Key* key = &root_;
        for (const auto& part : parts) {
            auto& sub = key->subkeys[part];
            if (!sub) sub = std::make_unique<Key>();
            key = sub.get();
        }
        return *key;
    }
    std::optional<Value> Get(const std::string& path, const std::string& name) const {
        std::lock_guard lock(mutex_);
        const Key* key = FindKey(Split(path));
        if (!key) return std::nullopt;
        const auto it = key->values.find(name);
        if (it == key->values.end()) return std::nullopt;
        return it->second;
    }
    void Plant(const std::string& path, const std::string& name, Value value) {
        std::lock_guard lock(mutex_);
        MakeKey(Split(path)).values[name] = std::move(value);
    }

    // A handle names its key by path, so it answers Failed once the key is
    // deleted under it, as a handle to a deleted key does on Windows.
    class Handle : public RegistryKey {
    public:
        Handle(FakeRegistry& owner, Path path) : owner_(owner), path_(std::move(path)) {}
        ~Handle() override {
            std::lock_guard lock(owner_.mutex_);
            --owner_.live_handles_;
        }
        RegResult ReadInt(const std::string& name, int32_t& out) override {
            std::lock_guard lock(owner_.mutex_);
            const Value* value = nullptr;
            if (const RegResult r = Find(name, value); r != RegResult::Ok) return r;
            if (value->kind != Kind::Int) return RegResult::WrongType;
            out = value->number;
            return RegResult::Ok;
        }
        RegResult ReadText(const std::string& name, std::string& out) override {
            std::lock_guard lock(owner_.mutex_);
            const Value* value = nullptr;
            if (const RegResult r = Find(name, value); r != RegResult::Ok) return r;
            if (value->kind != Kind::Text && value->kind != Kind::ExpandText) return RegResult::WrongType;
            out = value->text;
            return RegResult::Ok;
        }
        RegResult WriteInt(const std::string& name, int32_t value) override {
            return Store(name, Value{Kind::Int, value, {}});
        }
        RegResult WriteText(const std::string& name, const std::string& value) override {
            return Store(name, Value{Kind::Text, 0, value});
        }
        RegResult DeleteValue(const std::string& name) override {
            std::lock_guard lock(owner_.mutex_);
            Key* key = owner_.FindKey(path_);
            if (!key) return RegResult::Failed;
            return key->values.erase(name) > 0 ? RegResult::Ok : RegResult::Missing;
        }
        std::vector<std::string> SubkeyNames() override {
            std::lock_guard lock(owner_.mutex_);
            std::vector<std::string> names;
            if (const Key* key = owner_.FindKey(path_)) {
                for (const auto& [name, sub] : key->subkeys) names.push_back(name);
            }
            return names;
        }
        std::vector<std::string> ValueNames() override {
            std::lock_guard lock(owner_.mutex_);
            std::vector<std::string> names;
            if (const Key* key = owner_.FindKey(path_)) {
                for (const auto& [name, value] : key->values) names.push_back(name);
            }
            return names;
        }

    private:
        RegResult Find(const std::string& name, const Value*& value) {
            const Key* key = owner_.FindKey(path_);
            if (!key) return RegResult::Failed;
            const auto it = key->values.find(name);
            if (it == key->values.end()) return RegResult::Missing;
            value = &it->second;
            return RegResult::Ok;
        }
        RegResult Store(const std::string& name, Value value) {
            std::lock_guard lock(owner_.mutex_);
            Key* key = owner_.FindKey(path_);
            if (!key || owner_.fail_all_writes_ || owner_.fail_write_names_.count(name) > 0) {
                return RegResult::Failed;
            }
            key->values[name] = std::move(value);
            owner_.writes_.push_back(Write{Join(path_), name});
            return RegResult::Ok;
        }

        FakeRegistry& owner_;
        Path path_;
    };

    mutable std::mutex mutex_;
    Key root_;
    std::vector<Write> writes_;
    std::set<std::string, NoCaseLess> fail_write_names_;
    bool fail_all_writes_ = false;
    bool fail_create_ = false;
    int live_handles_ = 0;
};

}  // namespace kronvik
