// The registry accessor against the real registry, under a scratch key of the
// current user that each test starts without.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <climits>

#include "Scratch.h"
#include "platform/win32/Win32Registry.h"

namespace {

const std::string ScratchKey = "\\Software\\KonfiguracjaTest";
const wchar_t* const ScratchPath = L"Software\\KonfiguracjaTest";

using scratch::ErrorOf;

// Direct advapi32 access, to set up and check what the accessor did.
struct RawValue {
    DWORD type = REG_NONE;
    std::string data;
};

bool RawKeyExists(const std::wstring& path) {
    UniqueHKey key;
    return ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

void RawSet(const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size) {
    UniqueHKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                                nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
}

RawValue RawGet(const std::wstring& path, const std::wstring& name) {
    RawValue value;
    UniqueHKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return value;
    char buffer[1024];
    DWORD size = sizeof(buffer);
    if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return {};
    value.data.assign(buffer, size);
    return value;
}

std::string Wide(const std::wstring& text, bool withNul) {
    std::string bytes(reinterpret_cast<const char*>(text.c_str()), (text.size() + (withNul ? 1 : 0)) * 2);
    return bytes;
}

class RegistryTest : public testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, ScratchPath);
        ASSERT_FALSE(RawKeyExists(ScratchPath));
    }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, ScratchPath); }

    // An accessor with its key open on the scratch key (or a path below it).
    std::unique_ptr<TRegistry> Open(std::uint32_t access, const std::string& below = "") {
        auto registry = factory.Create(access);
        if (!registry->OpenKey(ScratchKey + below, true)) ADD_FAILURE() << "cannot open " << ScratchKey + below;
        return registry;
    }
    std::unique_ptr<TRegistry> Seeded(std::uint32_t access) {
        if (!RawKeyExists(ScratchPath)) Open(reg::KeyAllAccess);
        auto registry = factory.Create(access);
        if (!registry->OpenKey(ScratchKey, false)) ADD_FAILURE() << "cannot open " << ScratchKey;
        return registry;
    }

    TWin32RegistryFactory factory;
};

TEST_F(RegistryTest, FactoryGivesAFreshAccessorOnTheCurrentUser) {
    auto registry = factory.Create(reg::KeyRead);
    EXPECT_EQ(registry->RootKey(), reg::HKeyCurrentUser);
    EXPECT_EQ(registry->Access(), reg::KeyRead);
    // Rooted at HKEY_CURRENT_USER: the scratch key, created there, is found.
    RawSet(ScratchPath, L"V", REG_SZ, L"x", 4);
    EXPECT_TRUE(registry->KeyExists(ScratchKey));
    EXPECT_TRUE(registry->OpenKey(ScratchKey, false));
    EXPECT_EQ(registry->ReadString("V"), "x");
}

TEST_F(RegistryTest, OpenCreatesAMissingKeyOnlyWhenAsked) {
    auto registry = factory.Create(reg::KeyAllAccess);
    EXPECT_FALSE(registry->KeyExists(ScratchKey + "\\A"));
    EXPECT_FALSE(registry->OpenKey(ScratchKey + "\\A", false));
    EXPECT_FALSE(RawKeyExists(std::wstring(ScratchPath) + L"\\A"));

    EXPECT_TRUE(registry->OpenKey(ScratchKey + "\\A", true));
    EXPECT_TRUE(RawKeyExists(std::wstring(ScratchPath) + L"\\A"));
    EXPECT_TRUE(registry->KeyExists(ScratchKey + "\\A"));
    // An existing key opens without creating.
    auto other = factory.Create(reg::KeyRead);
    EXPECT_TRUE(other->OpenKey(ScratchKey + "\\A", false));
}

TEST_F(RegistryTest, AbsolutePathsStartAtTheRootAndOthersAtTheOpenKey) {
    auto registry = Open(reg::KeyAllAccess);
    // Relative to the open key.
    ASSERT_TRUE(registry->OpenKey("Sub\\Deep", true));
    EXPECT_TRUE(RawKeyExists(std::wstring(ScratchPath) + L"\\Sub\\Deep"));
    ASSERT_TRUE(registry->OpenKey("Deeper", true));
    EXPECT_TRUE(RawKeyExists(std::wstring(ScratchPath) + L"\\Sub\\Deep\\Deeper"));
    EXPECT_FALSE(registry->KeyExists("Sub"));
    EXPECT_TRUE(registry->KeyExists(ScratchKey + "\\Sub"));

    // A leading backslash goes back to the root, whatever is open.
    ASSERT_TRUE(registry->OpenKey(ScratchKey + "\\Sub", false));
    registry->WriteString("Here", "sub");
    EXPECT_EQ(RawGet(std::wstring(ScratchPath) + L"\\Sub", L"Here").type, static_cast<DWORD>(REG_SZ));

    // With no key open, a relative path starts at the root too.
    registry->CloseKey();
    ASSERT_TRUE(registry->OpenKey(ScratchKey.substr(1) + "\\Rel", true));
    EXPECT_TRUE(RawKeyExists(std::wstring(ScratchPath) + L"\\Rel"));
}

TEST_F(RegistryTest, RootKeySelectsTheTree) {
    Open(reg::KeyAllAccess);
    auto registry = factory.Create(reg::KeyRead);
    registry->SetRootKey(reg::HKeyLocalMachine);
    EXPECT_EQ(registry->RootKey(), reg::HKeyLocalMachine);
    EXPECT_TRUE(registry->KeyExists("\\Software"));
    // The scratch key lives under the current user only.
    EXPECT_FALSE(registry->KeyExists(ScratchKey));
    EXPECT_FALSE(registry->OpenKey(ScratchKey, false));

    // Changing the root closes the open key.
    registry->SetRootKey(reg::HKeyCurrentUser);
    ASSERT_TRUE(registry->OpenKey(ScratchKey, false));
    registry->SetRootKey(reg::HKeyLocalMachine);
    EXPECT_FALSE(registry->ValueExists(""));
    EXPECT_TRUE(registry->GetValueNames().empty());
}

TEST_F(RegistryTest, FailedOpenKeepsTheOpenKey) {
    auto registry = Open(reg::KeyAllAccess);
    EXPECT_FALSE(registry->OpenKey(ScratchKey + "\\Missing", false));
    registry->WriteInteger("Still", 7);
    EXPECT_EQ(RawGet(ScratchPath, L"Still").type, static_cast<DWORD>(REG_DWORD));
}

TEST_F(RegistryTest, AccessMaskIsTheOneTheKeyWasOpenedWith) {
    Open(reg::KeyAllAccess)->WriteString("Name", "old");

    auto reader = Seeded(reg::KeyRead);
    EXPECT_EQ(reader->ReadString("Name"), "old");
    EXPECT_EQ(ErrorOf([&] { reader->WriteString("Name", "new"); }), "Failed to set data for 'Name'");
    EXPECT_EQ(ErrorOf([&] { reader->WriteInteger("Count", 1); }), "Failed to set data for 'Count'");
    EXPECT_FALSE(reader->DeleteValue("Name"));
    EXPECT_EQ(RawGet(ScratchPath, L"Name").data, Wide(L"old", true));
    EXPECT_EQ(RawGet(ScratchPath, L"Count").type, static_cast<DWORD>(REG_NONE));

    // A new mask applies from the next OpenKey on.
    reader->SetAccess(reg::KeyAllAccess);
    EXPECT_EQ(reader->Access(), reg::KeyAllAccess);
    EXPECT_EQ(ErrorOf([&] { reader->WriteString("Name", "new"); }), "Failed to set data for 'Name'");
    ASSERT_TRUE(reader->OpenKey(ScratchKey, false));
    reader->WriteString("Name", "new");
    EXPECT_EQ(reader->ReadString("Name"), "new");
}

TEST_F(RegistryTest, WithNoKeyOpenNothingIsReadOrWritten) {
    auto registry = factory.Create(reg::KeyAllAccess);
    EXPECT_FALSE(registry->ValueExists("Name"));
    EXPECT_EQ(registry->ReadString("Name"), "");
    EXPECT_EQ(ErrorOf([&] { registry->ReadInteger("Name"); }), "Pobranie danych dla 'Name' nie powiodło się");
    EXPECT_EQ(ErrorOf([&] { registry->WriteString("Name", "x"); }), "Failed to set data for 'Name'");
    EXPECT_TRUE(registry->GetValueNames().empty());
    EXPECT_TRUE(registry->GetKeyNames().empty());
}

TEST_F(RegistryTest, StringsAreRegSzWithTheirNul) {
    auto registry = Open(reg::KeyAllAccess);
    registry->WriteString("Ścieżka", "C:\\Program Files\\zażółć gęślą jaźń");
    registry->WriteString("Pusty", "");

    const RawValue stored = RawGet(ScratchPath, L"\u015Acie\u017Cka");
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored.data, Wide(L"C:\\Program Files\\za\u017C\u00F3\u0142\u0107 g\u0119\u015Bl\u0105 ja\u017A\u0144", true));
    EXPECT_EQ(RawGet(ScratchPath, L"Pusty").data, Wide(L"", true));

    EXPECT_EQ(registry->ReadString("Ścieżka"), "C:\\Program Files\\zażółć gęślą jaźń");
    EXPECT_EQ(registry->ReadString("Pusty"), "");
    EXPECT_TRUE(registry->ValueExists("Pusty"));
    EXPECT_FALSE(registry->ValueExists("Brak"));
    EXPECT_EQ(registry->ReadString("Brak"), "");
}

TEST_F(RegistryTest, StringsAsOtherProgramsStoreThem) {
    const std::wstring noNul = L"bez końca";
    RawSet(ScratchPath, L"NoNul", REG_SZ, noNul.c_str(), static_cast<DWORD>(noNul.size() * 2));
    const std::wstring expand = L"%SystemRoot%\\system32";
    RawSet(ScratchPath, L"Expand", REG_EXPAND_SZ, expand.c_str(), static_cast<DWORD>((expand.size() + 1) * 2));
    const wchar_t extraNuls[] = L"abc\0\0\0";
    RawSet(ScratchPath, L"ExtraNuls", REG_SZ, extraNuls, sizeof(extraNuls));

    auto registry = Seeded(reg::KeyRead);
    EXPECT_EQ(registry->ReadString("NoNul"), "bez końca");
    // Read as stored, not expanded.
    EXPECT_EQ(registry->ReadString("Expand"), "%SystemRoot%\\system32");
    EXPECT_EQ(registry->ReadString("ExtraNuls"), "abc");
}

TEST_F(RegistryTest, IntegersAreRegDword) {
    auto registry = Open(reg::KeyAllAccess);
    for (std::int32_t value : {0, 1, -1, INT_MIN, INT_MAX}) {
        registry->WriteInteger("Server", value);
        const RawValue stored = RawGet(ScratchPath, L"Server");
        EXPECT_EQ(stored.type, static_cast<DWORD>(REG_DWORD));
        ASSERT_EQ(stored.data.size(), 4u);
        EXPECT_EQ(registry->ReadInteger("Server"), value);
    }
}

TEST_F(RegistryTest, ReadsOfTheWrongKindRaiseTheTwoReadErrors) {
    const DWORD dword = 1;
    RawSet(ScratchPath, L"Dword", REG_DWORD, &dword, 4);
    const unsigned char eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    RawSet(ScratchPath, L"Binary8", REG_BINARY, eight, 8);
    RawSet(ScratchPath, L"Binary4", REG_BINARY, eight, 4);
    RawSet(ScratchPath, L"ShortDword", REG_DWORD, eight, 2);
    RawSet(ScratchPath, L"Text1", REG_SZ, L"1", 4);
    RawSet(ScratchPath, L"Text3", REG_SZ, L"123", 8);
    RawSet(ScratchPath, L"Text4", REG_SZ, L"1234", 10);

    auto registry = Seeded(reg::KeyRead);
    EXPECT_EQ(ErrorOf([&] { registry->ReadString("Dword"); }), "Niepoprawny typ danych : Dword");
    EXPECT_EQ(ErrorOf([&] { registry->ReadString("Binary4"); }), "Niepoprawny typ danych : Binary4");

    // Four bytes of another type: the type is wrong.
    EXPECT_EQ(ErrorOf([&] { registry->ReadInteger("Binary4"); }), "Niepoprawny typ danych : Binary4");
    // Strings count as ANSI text with its NUL: up to three characters fit.
    EXPECT_EQ(ErrorOf([&] { registry->ReadInteger("Text1"); }), "Niepoprawny typ danych : Text1");
    EXPECT_EQ(ErrorOf([&] { registry->ReadInteger("Text3"); }), "Niepoprawny typ danych : Text3");
    // More than four bytes do not fit, whatever the type; nor does a missing value.
    EXPECT_EQ(ErrorOf([&] { registry->ReadInteger("Text4"); }), "Pobranie danych dla 'Text4' nie powiodło się");
    EXPECT_EQ(ErrorOf([&] { registry->ReadInteger("Binary8"); }), "Pobranie danych dla 'Binary8' nie powiodło się");
    EXPECT_EQ(ErrorOf([&] { registry->ReadInteger("ShortDword"); }),
              "Pobranie danych dla 'ShortDword' nie powiodło się");
    EXPECT_EQ(ErrorOf([&] { registry->ReadInteger("Brak"); }), "Pobranie danych dla 'Brak' nie powiodło się");

    EXPECT_EQ(registry->ReadInteger("Dword"), 1);
}

TEST_F(RegistryTest, NamesComeInTheRegistrysOrder) {
    auto registry = Open(reg::KeyAllAccess);
    const std::string longName(300, 'n');
    const std::vector<std::string> written = {"Zeta", "alfa", "Mid", "Łódź", longName, ""};
    for (const auto& name : written) registry->WriteString(name, "v");
    for (const char* name : {"beta", "Alfa", "gamma", "Żuraw"}) {
        auto child = Open(reg::KeyAllAccess, std::string("\\") + name);
    }

    // Values: every one exactly once, in the order the registry enumerates them.
    std::vector<std::wstring> raw;
    {
        UniqueHKey key;
        ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, ScratchPath, 0, KEY_READ, key.put()), ERROR_SUCCESS);
        wchar_t name[1024];
        for (DWORD i = 0;; ++i) {
            DWORD length = 1024;
            if (::RegEnumValueW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            raw.emplace_back(name, length);
        }
    }
    const std::vector<std::string> names = registry->GetValueNames();
    ASSERT_EQ(names.size(), raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) EXPECT_EQ(names[i], WideToUtf8(raw[i])) << i;
    std::vector<std::string> sortedNames = names, sortedWritten = written;
    std::sort(sortedNames.begin(), sortedNames.end());
    std::sort(sortedWritten.begin(), sortedWritten.end());
    EXPECT_EQ(sortedNames, sortedWritten);

    // Subkeys: the registry keeps them sorted without regard to case.
    EXPECT_EQ(registry->GetKeyNames(), (std::vector<std::string>{"Alfa", "beta", "gamma", "Żuraw"}));
}

TEST_F(RegistryTest, DeleteValue) {
    auto registry = Open(reg::KeyAllAccess);
    registry->WriteInteger("Server", 1);
    registry->WriteInteger("Wersja", 0);
    EXPECT_TRUE(registry->DeleteValue("Server"));
    EXPECT_FALSE(registry->ValueExists("Server"));
    EXPECT_TRUE(registry->ValueExists("Wersja"));
    EXPECT_FALSE(registry->DeleteValue("Server"));
}

TEST_F(RegistryTest, DeleteKeyTakesAllItsSubkeys) {
    {
        auto registry = Open(reg::KeyAllAccess, "\\Tree\\A\\B");
        registry->WriteString("Deep", "x");
        Open(reg::KeyAllAccess, "\\Tree\\C")->WriteInteger("N", 1);
        Open(reg::KeyAllAccess, "\\Keep")->WriteInteger("N", 1);
    }
    auto registry = factory.Create(reg::KeyAllAccess);
    EXPECT_TRUE(registry->DeleteKey(ScratchKey + "\\Tree"));
    EXPECT_FALSE(RawKeyExists(std::wstring(ScratchPath) + L"\\Tree"));
    EXPECT_TRUE(RawKeyExists(std::wstring(ScratchPath) + L"\\Keep"));
    EXPECT_FALSE(registry->DeleteKey(ScratchKey + "\\Tree"));

    // Relative to the open key.
    ASSERT_TRUE(registry->OpenKey(ScratchKey, false));
    Open(reg::KeyAllAccess, "\\Rel\\Child");
    EXPECT_TRUE(registry->DeleteKey("Rel"));
    EXPECT_FALSE(RawKeyExists(std::wstring(ScratchPath) + L"\\Rel"));

    // An empty path names no key: neither the root nor the open key is wiped.
    EXPECT_FALSE(registry->DeleteKey(""));
    EXPECT_FALSE(registry->DeleteKey("\\"));
    EXPECT_TRUE(RawKeyExists(std::wstring(ScratchPath) + L"\\Keep"));
}

bool IsOpen(HKEY key) {
    DWORD values = 0;
    return ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                              nullptr, nullptr) == ERROR_SUCCESS;
}

TEST_F(RegistryTest, KeysAreClosedOnEveryPath) {
    Open(reg::KeyAllAccess)->WriteInteger("N", 1);
    TWin32Registry registry(reg::KeyAllAccess);
    EXPECT_EQ(registry.CurrentKey(), nullptr);

    // Replaced by a further open, closed by CloseKey.
    ASSERT_TRUE(registry.OpenKey(ScratchKey, false));
    const HKEY first = registry.CurrentKey();
    ASSERT_TRUE(IsOpen(first));
    ASSERT_TRUE(registry.OpenKey(ScratchKey, false));
    const HKEY second = registry.CurrentKey();
    EXPECT_FALSE(IsOpen(first));
    registry.CloseKey();
    EXPECT_FALSE(IsOpen(second));
    EXPECT_EQ(registry.CurrentKey(), nullptr);

    // Closed by a change of root.
    ASSERT_TRUE(registry.OpenKey(ScratchKey, false));
    const HKEY beforeRootChange = registry.CurrentKey();
    registry.SetRootKey(reg::HKeyLocalMachine);
    EXPECT_FALSE(IsOpen(beforeRootChange));

    // Closed by the destructor, also after errors.
    HKEY afterErrors = nullptr;
    {
        TWin32Registry reader(reg::KeyRead);
        ASSERT_TRUE(reader.OpenKey(ScratchKey, false));
        afterErrors = reader.CurrentKey();
        EXPECT_NE(ErrorOf([&] { reader.WriteInteger("N", 2); }), "<no error>");
        EXPECT_NE(ErrorOf([&] { reader.ReadString("N"); }), "<no error>");
        EXPECT_TRUE(IsOpen(afterErrors));
    }
    EXPECT_FALSE(IsOpen(afterErrors));
}

}  // namespace
