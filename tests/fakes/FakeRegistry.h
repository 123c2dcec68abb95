#pragma once
// In-memory registry for the native suites. The factory owns one store shared
// by every accessor it creates, records how each key was opened, and can
// refuse access or writes so the "no rights" paths can be tested.
//
// Behaviour copied from the real registry and accessor:
// - key and value names match without regard to case (Polish letters too,
//   FoldCase.h) and keep the spelling they were created with; each root is a
//   separate tree; an empty path deletes no key;
// - subkeys enumerate sorted without regard to case, values in the order they
//   were first written;
// - a failed OpenKey leaves the previously open key open;
// - value reads need KEY_QUERY_VALUE, writes KEY_SET_VALUE in the mask the key
//   was opened with, key enumeration KEY_ENUMERATE_SUB_KEYS;
// - ReadInteger: a missing value, or data longer than four bytes, raises
//   GetDataFailed; then a type other than REG_DWORD raises InvalidType; then
//   a REG_DWORD shorter than four bytes raises GetDataFailed. A string's size
//   is that of its ANSI bytes plus the terminating NUL, so a string of at most
//   three characters fits and is refused for its type;
// - ReadString: missing reads as ""; a type other than REG_SZ / REG_EXPAND_SZ
//   raises InvalidType; with a key open but unreadable (no KEY_QUERY_VALUE,
//   or deleted meanwhile) both reads raise GetDataFailed.
// tests/contract/RegistryContract.h holds these to the real registry.
// Accessors must not outlive their factory.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace fakereg {
// Value types as the registry numbers them.
constexpr std::uint32_t Sz = 1;
constexpr std::uint32_t ExpandSz = 2;
constexpr std::uint32_t Binary = 3;
constexpr std::uint32_t Dword = 4;

// Access bits the fake checks.
constexpr std::uint32_t QueryValue = 0x0001;
constexpr std::uint32_t SetValue = 0x0002;
constexpr std::uint32_t CreateSubKey = 0x0004;
constexpr std::uint32_t EnumerateSubKeys = 0x0008;
// Any of these makes an open "for writing".
constexpr std::uint32_t WriteRights = 0x0002 | 0x0004 | 0x0020 | 0x10000 | 0x40000 | 0x80000;

struct Value {
    std::uint32_t Type = Sz;
    // String types: the UTF-8 text without a NUL. Other types: the raw bytes.
    std::string Data;
};

struct OpenRecord {
    std::uint32_t Root = 0;
    std::string Path;  // absolute ("\A\B"), spelled as requested; "\" for the root
    std::uint32_t Access = 0;
    bool CanCreate = false;
    bool Created = false;  // the key was missing and this open created it
    bool Succeeded = false;
};

enum class Denial {
    Open,   // every open fails, KeyExists says false, nothing can be created
    Write,  // opens asking for write rights fail and missing keys cannot be created
};

struct Node;
struct State;
}  // namespace fakereg

class FakeRegistryFactory : public TRegistryFactory {
public:
    FakeRegistryFactory();
    ~FakeRegistryFactory() override;
    FakeRegistryFactory(const FakeRegistryFactory&) = delete;
    FakeRegistryFactory& operator=(const FakeRegistryFactory&) = delete;

    std::unique_ptr<TRegistry> Create(std::uint32_t access) override;

    // Seeding and inspection; paths are absolute under the root (a leading
    // backslash is optional here) and match without regard to case.
    void CreateKey(std::uint32_t root, const std::string& path);
    void SetString(std::uint32_t root, const std::string& path, const std::string& name, const std::string& value);
    void SetDword(std::uint32_t root, const std::string& path, const std::string& name, std::int32_t value);
    // Any type and data, e.g. {Binary, "\x01\x02"} or {Dword, "\x01\x00"}.
    void SetValue(std::uint32_t root, const std::string& path, const std::string& name, fakereg::Value value);
    void RemoveKey(std::uint32_t root, const std::string& path);

    bool HasKey(std::uint32_t root, const std::string& path) const;
    bool HasValue(std::uint32_t root, const std::string& path, const std::string& name) const;
    std::optional<fakereg::Value> GetValue(std::uint32_t root, const std::string& path,
                                           const std::string& name) const;
    // nullopt when missing or of another type.
    std::optional<std::string> GetString(std::uint32_t root, const std::string& path, const std::string& name) const;
    std::optional<std::int32_t> GetDword(std::uint32_t root, const std::string& path, const std::string& name) const;
    std::vector<std::string> KeyNames(std::uint32_t root, const std::string& path) const;
    std::vector<std::string> ValueNames(std::uint32_t root, const std::string& path) const;

    // Refusals apply to the key and everything below it.
    void Deny(std::uint32_t root, const std::string& path, fakereg::Denial denial);
    // Opens succeed, but WriteString/WriteInteger raise SetDataFailed and
    // DeleteValue fails: for every value below the key, or for one name.
    void FailWrites(std::uint32_t root, const std::string& path);
    void FailWrite(std::uint32_t root, const std::string& path, const std::string& name);

    // Every OpenKey of every accessor, in call order.
    const std::vector<fakereg::OpenRecord>& Opens() const;
    // Those for one key (path compared without regard to case, leading backslash optional).
    std::vector<fakereg::OpenRecord> OpensOf(std::uint32_t root, const std::string& path) const;
    void ClearOpens();
    // Runs after every change an accessor makes (not the seeding calls above).
    void OnChange(std::function<void()> changed);

    int OpenKeyCount() const;      // keys held open by accessors right now
    int LiveAccessorCount() const; // accessors not yet destroyed
    int CreatedAccessorCount() const;

private:
    std::unique_ptr<fakereg::State> state_;
};
