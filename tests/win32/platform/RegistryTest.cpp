// The registry accessor against the real registry: the shared cases under a
// scratch key of the current user, then what only advapi32 can show (the
// bytes stored, data other programs wrote, the handles held).
#include <gtest/gtest.h>

#include <windows.h>

#include "contract/RegistryContract.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Registry.h"

namespace {

const wchar_t* const ScratchPath = L"Software\\KonfiguracjaTest";

std::wstring Below(const std::string& below) { return ScratchPath + Utf8ToWide(below); }

// Opened for reading past the code under test; empty when it cannot be.
UniqueHKey RawOpen(const std::wstring& path) {
    UniqueHKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) key.release();
    return key;
}

void RawSet(const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size) {
    UniqueHKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                                nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
}

// Type and bytes as advapi32 stores them.
contract::Stored RawGet(const std::wstring& path, const std::wstring& name) {
    char buffer[1024];
    DWORD size = sizeof(buffer), type = REG_NONE;
    const UniqueHKey key = RawOpen(path);
    if (!key || ::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
                    ERROR_SUCCESS)
        return {};
    return {type, std::string(buffer, size)};
}

struct Win32RegistryRig {
    Win32RegistryRig() { ::RegDeleteTreeW(HKEY_CURRENT_USER, ScratchPath); }
    ~Win32RegistryRig() { ::RegDeleteTreeW(HKEY_CURRENT_USER, ScratchPath); }

    TRegistryFactory& Factory() { return factory; }
    void Seed(const std::string& below, const std::string& name, std::uint32_t type, const std::string& data) {
        if (type != REG_SZ && type != REG_EXPAND_SZ) return RawSet(Below(below), Utf8ToWide(name), type, data.data(), data.size());
        const std::wstring text = Utf8ToWide(data);
        RawSet(Below(below), Utf8ToWide(name), type, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    }
    bool HasKey(const std::string& below) { return bool(RawOpen(Below(below))); }
    contract::Names ValueOrder(const std::string& below) {
        contract::Names names;
        const UniqueHKey key = RawOpen(Below(below));
        wchar_t name[1024];
        for (DWORD i = 0, length = 1024;
             ::RegEnumValueW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
             ++i, length = 1024)
            names.push_back(WideToUtf8(std::wstring(name, length)));
        return names;
    }
    contract::Stored Get(const std::string& below, const std::string& name) {
        contract::Stored value = RawGet(Below(below), Utf8ToWide(name));
        if (value.Type != REG_SZ && value.Type != REG_EXPAND_SZ) return value;
        const std::wstring text(reinterpret_cast<const wchar_t*>(value.Data.data()), value.Data.size() / 2);
        return {value.Type, WideToUtf8(text.substr(0, text.find(L'\0')))};
    }

    TWin32RegistryFactory factory;
};

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, RegistryContract, Win32RegistryRig);
}  // namespace contract

namespace {

using RegistryTest = contract::RegistryContract<Win32RegistryRig>;

TEST_F(RegistryTest, StringsAreRegSzWithTheirNulAndReadAsOtherProgramsStoreThem) {
    auto registry = Open();
    registry->WriteString("Ścieżka", "zażółć");
    registry->WriteString("Pusty", "");
    const std::wstring wide = L"za\u017C\u00F3\u0142\u0107";  // UTF-16 with its NUL
    EXPECT_EQ(RawGet(ScratchPath, L"\u015Acie\u017Cka").Data, std::string(reinterpret_cast<const char*>(wide.c_str()), 14));
    EXPECT_EQ(RawGet(ScratchPath, L"Pusty").Data, std::string(2, '\0'));

    const std::wstring noNul = L"bez końca";
    RawSet(ScratchPath, L"NoNul", REG_SZ, noNul.c_str(), static_cast<DWORD>(noNul.size() * 2));
    const wchar_t extraNuls[] = L"abc\0\0\0";
    RawSet(ScratchPath, L"ExtraNuls", REG_SZ, extraNuls, sizeof(extraNuls));
    EXPECT_EQ(registry->ReadString("NoNul"), "bez końca");
    EXPECT_EQ(registry->ReadString("ExtraNuls"), "abc");
}

bool IsOpen(HKEY key) {
    DWORD values = 0;
    return ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                              nullptr, nullptr) == ERROR_SUCCESS;
}

TEST_F(RegistryTest, KeysAreClosedOnEveryPath) {
    Open()->WriteInteger("N", 1);
    const std::string& scratchKey = contract::ScratchKey;
    TWin32Registry registry(reg::KeyAllAccess);
    EXPECT_EQ(registry.CurrentKey(), nullptr);

    // Replaced by a further open, closed by CloseKey.
    ASSERT_TRUE(registry.OpenKey(scratchKey, false));
    const HKEY first = registry.CurrentKey();
    ASSERT_TRUE(IsOpen(first));
    ASSERT_TRUE(registry.OpenKey(scratchKey, false));
    const HKEY second = registry.CurrentKey();
    EXPECT_FALSE(IsOpen(first));
    registry.CloseKey();
    EXPECT_FALSE(IsOpen(second));
    EXPECT_EQ(registry.CurrentKey(), nullptr);

    // Closed by a change of root.
    ASSERT_TRUE(registry.OpenKey(scratchKey, false));
    const HKEY beforeRootChange = registry.CurrentKey();
    registry.SetRootKey(reg::HKeyLocalMachine);
    EXPECT_FALSE(IsOpen(beforeRootChange));

    // Closed by the destructor, also after errors.
    HKEY afterErrors = nullptr;
    {
        TWin32Registry reader(reg::KeyRead);
        ASSERT_TRUE(reader.OpenKey(scratchKey, false));
        afterErrors = reader.CurrentKey();
        EXPECT_EQ(ErrorText([&] { reader.WriteInteger("N", 2); }), contract::NotSet("N"));
        EXPECT_EQ(ErrorText([&] { reader.ReadString("N"); }), contract::WrongType("N"));
        EXPECT_TRUE(IsOpen(afterErrors));
    }
    EXPECT_FALSE(IsOpen(afterErrors));
}

}  // namespace
