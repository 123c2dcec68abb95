#pragma once
// Registry accessor: a root key and an access mask, one open key at a time.
// Key paths that begin with a backslash are absolute under the root; others
// are relative to the open key. The open key is closed by CloseKey, by a
// further OpenKey and by the destructor. No 32/64-bit view flag is ever used.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace reg {
constexpr std::uint32_t HKeyCurrentUser = 0x80000001u;
constexpr std::uint32_t HKeyLocalMachine = 0x80000002u;
constexpr std::uint32_t KeyRead = 0x20019u;
constexpr std::uint32_t KeyAllAccess = 0xF003Fu;

// Error texts; %s is the value's name.
constexpr const char* InvalidTypeText = "Niepoprawny typ danych : %s";
constexpr const char* GetDataFailedText = "Pobranie danych dla '%s' nie powiodło się";
constexpr const char* SetDataFailedText = "Failed to set data for '%s'";
}  // namespace reg

class TRegistry {
public:
    virtual ~TRegistry() = default;

    virtual void SetRootKey(std::uint32_t root) = 0;
    virtual std::uint32_t RootKey() const = 0;
    // Takes effect at the next OpenKey.
    virtual void SetAccess(std::uint32_t access) = 0;
    virtual std::uint32_t Access() const = 0;

    // False when the key is missing (and not created) or access is refused.
    virtual bool OpenKey(const std::string& key, bool canCreate) = 0;
    virtual void CloseKey() = 0;
    virtual bool KeyExists(const std::string& key) = 0;
    virtual bool ValueExists(const std::string& name) = 0;

    // REG_SZ / REG_EXPAND_SZ; a missing value reads as "".
    virtual std::string ReadString(const std::string& name) = 0;
    // REG_DWORD.
    virtual std::int32_t ReadInteger(const std::string& name) = 0;
    // REG_SZ written with its terminating NUL.
    virtual void WriteString(const std::string& name, const std::string& value) = 0;
    virtual void WriteInteger(const std::string& name, std::int32_t value) = 0;

    // Names of the open key's values and subkeys, in the registry's order.
    virtual std::vector<std::string> GetValueNames() = 0;
    virtual std::vector<std::string> GetKeyNames() = 0;
    virtual bool DeleteValue(const std::string& name) = 0;
    // Deletes the key with all its subkeys.
    virtual bool DeleteKey(const std::string& key) = 0;
};

// One accessor per operation: the factory makes a fresh one, rooted at
// HKEY_CURRENT_USER like a new accessor of the framework.
class TRegistryFactory {
public:
    virtual ~TRegistryFactory() = default;
    virtual std::unique_ptr<TRegistry> Create(std::uint32_t access) = 0;
    // A fresh accessor rooted at `root`.
    std::unique_ptr<TRegistry> CreateAt(std::uint32_t root, std::uint32_t access) {
        auto registry = Create(access);
        registry->SetRootKey(root);
        return registry;
    }
};
