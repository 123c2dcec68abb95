#pragma once
// The registry accessor on advapi32.
#include <windows.h>

#include "platform/Registry.h"
#include "platform/win32/UniqueHandle.h"

class TWin32Registry : public TRegistry {
public:
    explicit TWin32Registry(std::uint32_t access = reg::KeyAllAccess);

    void SetRootKey(std::uint32_t root) override;
    std::uint32_t RootKey() const override { return root_; }
    void SetAccess(std::uint32_t access) override { access_ = access; }
    std::uint32_t Access() const override { return access_; }

    bool OpenKey(const std::string& key, bool canCreate) override;
    void CloseKey() override { current_.reset(); }
    bool KeyExists(const std::string& key) override;
    bool ValueExists(const std::string& name) override;

    std::string ReadString(const std::string& name) override;
    std::int32_t ReadInteger(const std::string& name) override;
    void WriteString(const std::string& name, const std::string& value) override;
    void WriteInteger(const std::string& name, std::int32_t value) override;

    std::vector<std::string> GetValueNames() override;
    std::vector<std::string> GetKeyNames() override;
    bool DeleteValue(const std::string& name) override;
    bool DeleteKey(const std::string& key) override;

    // The open key's handle, null when none is open; the accessor keeps owning it.
    HKEY CurrentKey() const { return current_.get(); }

private:
    struct Target {
        HKEY base;
        std::wstring path;
    };
    // Where a key path points: absolute paths start at the root, relative ones
    // at the open key (or at the root when none is open).
    Target Resolve(const std::string& key) const;
    void WriteValue(const std::string& name, DWORD type, const void* data, DWORD size);

    std::uint32_t root_ = reg::HKeyCurrentUser;
    std::uint32_t access_;
    UniqueHKey current_;
};

class TWin32RegistryFactory : public TRegistryFactory {
public:
    std::unique_ptr<TRegistry> Create(std::uint32_t access) override;
};
