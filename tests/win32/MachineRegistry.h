#pragma once
// Values under HKEY_LOCAL_MACHINE of the test prefix, set and read by the
// window suites past the code under test; and the remembered choices under
// HKEY_CURRENT_USER.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "shared/Expected.h"

namespace machine {

// The keys the program reads and writes, as the suites spell them.
constexpr const wchar_t* SettingsKey = expected::SettingsKey.Raw;  // under HKEY_CURRENT_USER
constexpr const wchar_t* EngineKey = expected::EngineKey.Raw;
constexpr const wchar_t* DriversKey = expected::OdbcDriversKey.Raw;
constexpr const wchar_t* DriverKey = expected::OdbcDriverKey.Raw;
constexpr const wchar_t* SourcesKey = expected::OdbcSourcesKey.Raw;
constexpr const wchar_t* SourceKeyStem = L"SOFTWARE\\ODBC\\ODBC.INI\\";
// The one Oracle home the suites register.
constexpr const wchar_t* HomeKey = L"SOFTWARE\\ORACLE\\KEY_KonfiguracjaBDE_test";
constexpr const char* HomeName = "KonfiguracjaBDE_test";

inline std::optional<std::wstring> Get(const std::wstring& key, const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

inline void SetRaw(const std::wstring& key, const std::wstring& name, DWORD type, const void* data, DWORD size) {
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), type, data, size);
}
inline void Set(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
    SetRaw(key, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}
inline void Set(const std::wstring& key, const std::wstring& name, DWORD value) {
    SetRaw(key, name, REG_DWORD, &value, sizeof(value));
}

// The key's values as "name=text" in the registry's order; a value that is no text as "name=".
inline std::vector<std::wstring> Values(const std::wstring& key) {
    UniqueHKey opened;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, opened.put());
    std::vector<std::wstring> values;
    wchar_t name[256];
    for (DWORD i = 0, n = 256;
         opened && RegEnumValueW(opened.get(), i, name, &n, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, n = 256)
        values.push_back(name + (L"=" + Get(key, name).value_or(L"")));
    return values;
}

// A remembered choice, when it is there as a number.
inline std::optional<DWORD> Setting(const wchar_t* name) {
    DWORD value = 0, size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, SettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// A value set for one test, put back as it was (or removed) at the end.
class Value {
public:
    Value(const wchar_t* key, const wchar_t* name, const std::wstring& value)
        : key_(key), name_(name), saved_(Get(key, name)) {
        Set(key, name, value);
    }
    ~Value() {
        if (saved_)
            Set(key_, name_, *saved_);
        else
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key_, name_);
    }
    Value(const Value&) = delete;
    Value& operator=(const Value&) = delete;

private:
    const wchar_t* key_;
    const wchar_t* name_;
    std::optional<std::wstring> saved_;
};

}  // namespace machine
