#pragma once
// In-memory registry for the native suites. The factory owns one store shared
// by every accessor it creates, records how each key was opened, and can
// refuse access or writes so the "no rights" paths can be tested.
//
// As the real registry and accessor: names match without regard to case
// (FoldCase.h) and keep their first spelling; subkeys enumerate sorted that
// way, values in the order first written; a failed OpenKey keeps the open
// key; reads, writes and enumeration need their rights in the mask the key
// was opened with; reads of a missing, ill-typed or ill-sized value raise
// the errors the real accessor raises. tests/contract/RegistryContract.h
// holds all of it to the real registry.
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
constexpr std::uint32_t Sz = 1, ExpandSz = 2, Binary = 3, Dword = 4;

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
