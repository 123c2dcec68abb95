#pragma once
// What the registry accessor does, held to one set of cases: natively against
// the fake (tests/unit), under Wine against advapi32 (tests/win32/platform),
// so the fake cannot drift from the real registry unnoticed.
//
// A rig owns the factory and a scratch key under HKEY_CURRENT_USER that each
// test starts without, and reaches the store behind the accessor's back:
//   TRegistryFactory& Factory();
//   void Seed(below, name, type, data);  // creates the key; strings as UTF-8 text
//   bool HasKey(below);
//   contract::Stored Get(below, name);   // {RegNone, ""} when missing
// `below` is a path under the scratch key, "" or "\\A\\B".
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fakes/ErrorText.h"
#include "platform/Registry.h"

namespace contract {

inline const std::string ScratchKey = "\\Software\\KonfiguracjaTest";

// winnt.h: REG_NONE 0, REG_SZ 1, REG_EXPAND_SZ 2, REG_BINARY 3, REG_DWORD 4.
constexpr std::uint32_t RegNone = 0, RegSz = 1, RegExpandSz = 2, RegBinary = 3, RegDword = 4;
// winnt.h: KEY_SET_VALUE, alone: neither reads nor enumerates.
constexpr std::uint32_t KeySetValue = 0x0002;

struct Stored {
    std::uint32_t Type = RegNone;
    std::string Data;  // string types: the UTF-8 text; others: the raw bytes
};

using Names = std::vector<std::string>;

template <class Rig>
class RegistryContract : public testing::Test {
protected:
    // An accessor with the scratch key (or a key below it) open, created if missing.
    std::unique_ptr<TRegistry> Open(std::uint32_t access, const std::string& below = "") {
        auto registry = rig.Factory().Create(access);
        if (!registry->OpenKey(ScratchKey + below, true)) ADD_FAILURE() << "cannot open " << ScratchKey + below;
        return registry;
    }
    // One opened without creating, for masks that cannot create.
    std::unique_ptr<TRegistry> Existing(std::uint32_t access, const std::string& below = "") {
        Open(reg::KeyAllAccess, below);
        auto registry = rig.Factory().Create(access);
        if (!registry->OpenKey(ScratchKey + below, false)) ADD_FAILURE() << "cannot open " << ScratchKey + below;
        return registry;
    }

    Rig rig;
};

TYPED_TEST_SUITE_P(RegistryContract);

TYPED_TEST_P(RegistryContract, FactoryGivesAFreshAccessorOnTheCurrentUser) {
    auto registry = this->rig.Factory().Create(reg::KeyRead);
    EXPECT_EQ(registry->RootKey(), reg::HKeyCurrentUser);
    EXPECT_EQ(registry->Access(), reg::KeyRead);
    this->rig.Seed("", "V", RegSz, "x");
    EXPECT_TRUE(registry->KeyExists(ScratchKey));
    EXPECT_TRUE(registry->OpenKey(ScratchKey, false));
    EXPECT_EQ(registry->ReadString("V"), "x");
}

TYPED_TEST_P(RegistryContract, OpenCreatesAMissingKeyOnlyWhenAsked) {
    auto registry = this->rig.Factory().Create(reg::KeyAllAccess);
    EXPECT_FALSE(registry->KeyExists(ScratchKey + "\\A"));
    EXPECT_FALSE(registry->OpenKey(ScratchKey + "\\A", false));
    EXPECT_FALSE(this->rig.HasKey("\\A"));

    EXPECT_TRUE(registry->OpenKey(ScratchKey + "\\A", true));
    EXPECT_TRUE(this->rig.HasKey("\\A"));
    EXPECT_TRUE(registry->KeyExists(ScratchKey + "\\A"));
    // An existing key opens without creating.
    EXPECT_TRUE(this->rig.Factory().Create(reg::KeyRead)->OpenKey(ScratchKey + "\\A", false));
}

TYPED_TEST_P(RegistryContract, AbsolutePathsStartAtTheRootAndOthersAtTheOpenKey) {
    auto registry = this->Open(reg::KeyAllAccess);
    ASSERT_TRUE(registry->OpenKey("Sub\\Deep", true));
    EXPECT_TRUE(this->rig.HasKey("\\Sub\\Deep"));
    ASSERT_TRUE(registry->OpenKey("Deeper", true));
    EXPECT_TRUE(this->rig.HasKey("\\Sub\\Deep\\Deeper"));
    EXPECT_FALSE(registry->KeyExists("Sub"));
    EXPECT_TRUE(registry->KeyExists(ScratchKey + "\\Sub"));

    // A leading backslash goes back to the root, whatever is open.
    ASSERT_TRUE(registry->OpenKey(ScratchKey + "\\Sub", false));
    registry->WriteString("Here", "sub");
    EXPECT_EQ(this->rig.Get("\\Sub", "Here").Type, RegSz);

    // With no key open, a relative path starts at the root too.
    registry->CloseKey();
    ASSERT_TRUE(registry->OpenKey(ScratchKey.substr(1) + "\\Rel", true));
    EXPECT_TRUE(this->rig.HasKey("\\Rel"));
}

TYPED_TEST_P(RegistryContract, NamesMatchWithoutRegardToCaseAndKeepTheirFirstSpelling) {
    auto registry = this->Open(reg::KeyAllAccess, "\\Źródło Łódź");
    registry->WriteString("Nazwa Ż", "pierwsza");
    registry->WriteString("NAZWA ż", "druga");
    EXPECT_EQ(registry->GetValueNames(), Names{"Nazwa Ż"});
    EXPECT_EQ(registry->ReadString("nazwa Ż"), "druga");
    EXPECT_TRUE(registry->DeleteValue("nAZWA ż"));
    EXPECT_FALSE(registry->ValueExists("Nazwa Ż"));

    EXPECT_TRUE(registry->KeyExists(ScratchKey + "\\ŹRÓDŁO łÓDŹ"));
    ASSERT_TRUE(registry->OpenKey(ScratchKey + "\\źródło łódź", true));
    ASSERT_TRUE(registry->OpenKey(ScratchKey, false));
    EXPECT_EQ(registry->GetKeyNames(), Names{"Źródło Łódź"});
}

TYPED_TEST_P(RegistryContract, RootKeySelectsTheTree) {
    this->Open(reg::KeyAllAccess);
    auto registry = this->rig.Factory().Create(reg::KeyRead);
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

TYPED_TEST_P(RegistryContract, FailedOpenKeepsTheOpenKey) {
    auto registry = this->Open(reg::KeyAllAccess);
    EXPECT_FALSE(registry->OpenKey(ScratchKey + "\\Missing", false));
    registry->WriteInteger("Still", 7);
    EXPECT_EQ(this->rig.Get("", "Still").Type, RegDword);
}

TYPED_TEST_P(RegistryContract, AccessMaskIsTheOneTheKeyWasOpenedWith) {
    this->Open(reg::KeyAllAccess)->WriteString("Name", "old");

    auto reader = this->Existing(reg::KeyRead);
    EXPECT_EQ(reader->ReadString("Name"), "old");
    EXPECT_EQ(ErrorText([&] { reader->WriteString("Name", "new"); }), "Failed to set data for 'Name'");
    EXPECT_EQ(ErrorText([&] { reader->WriteInteger("Count", 1); }), "Failed to set data for 'Count'");
    EXPECT_FALSE(reader->DeleteValue("Name"));
    EXPECT_EQ(this->rig.Get("", "Name").Data, "old");
    EXPECT_EQ(this->rig.Get("", "Count").Type, RegNone);

    // A new mask applies from the next OpenKey on.
    reader->SetAccess(reg::KeyAllAccess);
    EXPECT_EQ(reader->Access(), reg::KeyAllAccess);
    EXPECT_EQ(ErrorText([&] { reader->WriteString("Name", "new"); }), "Failed to set data for 'Name'");
    ASSERT_TRUE(reader->OpenKey(ScratchKey, false));
    reader->WriteString("Name", "new");
    EXPECT_EQ(reader->ReadString("Name"), "new");

    // Without KEY_QUERY_VALUE a value cannot be read: an error, not "missing".
    auto writer = this->Existing(KeySetValue);
    EXPECT_FALSE(writer->ValueExists("Name"));
    EXPECT_EQ(ErrorText([&] { writer->ReadString("Name"); }), "Pobranie danych dla 'Name' nie powiodło się");
    EXPECT_EQ(ErrorText([&] { writer->ReadInteger("Name"); }), "Pobranie danych dla 'Name' nie powiodło się");
    EXPECT_TRUE(writer->GetValueNames().empty());
    EXPECT_TRUE(writer->GetKeyNames().empty());
    writer->WriteInteger("Count", 2);
    EXPECT_EQ(this->rig.Get("", "Count").Type, RegDword);
}

TYPED_TEST_P(RegistryContract, WithNoKeyOpenNothingIsReadOrWritten) {
    auto registry = this->rig.Factory().Create(reg::KeyAllAccess);
    EXPECT_FALSE(registry->ValueExists("Name"));
    EXPECT_EQ(registry->ReadString("Name"), "");
    EXPECT_EQ(ErrorText([&] { registry->ReadInteger("Name"); }), "Pobranie danych dla 'Name' nie powiodło się");
    EXPECT_EQ(ErrorText([&] { registry->WriteString("Name", "x"); }), "Failed to set data for 'Name'");
    EXPECT_FALSE(registry->DeleteValue("Name"));
    EXPECT_TRUE(registry->GetValueNames().empty());
    EXPECT_TRUE(registry->GetKeyNames().empty());
}

TYPED_TEST_P(RegistryContract, StringsRoundTrip) {
    auto registry = this->Open(reg::KeyAllAccess);
    registry->WriteString("Ścieżka", "C:\\Program Files\\zażółć gęślą jaźń");
    registry->WriteString("Pusty", "");
    EXPECT_EQ(this->rig.Get("", "Ścieżka").Type, RegSz);
    EXPECT_EQ(this->rig.Get("", "Ścieżka").Data, "C:\\Program Files\\zażółć gęślą jaźń");

    EXPECT_EQ(registry->ReadString("Ścieżka"), "C:\\Program Files\\zażółć gęślą jaźń");
    EXPECT_EQ(registry->ReadString("Pusty"), "");
    EXPECT_TRUE(registry->ValueExists("Pusty"));
    EXPECT_FALSE(registry->ValueExists("Brak"));
    EXPECT_EQ(registry->ReadString("Brak"), "");
    // REG_EXPAND_SZ reads as stored, not expanded.
    this->rig.Seed("", "Expand", RegExpandSz, "%SystemRoot%\\system32");
    EXPECT_EQ(registry->ReadString("Expand"), "%SystemRoot%\\system32");
}

TYPED_TEST_P(RegistryContract, IntegersAreRegDword) {
    auto registry = this->Open(reg::KeyAllAccess);
    for (std::int32_t value : {0, 1, -1, INT_MIN, INT_MAX, 0x01020304}) {
        registry->WriteInteger("Server", value);
        const Stored stored = this->rig.Get("", "Server");
        EXPECT_EQ(stored.Type, RegDword);
        ASSERT_EQ(stored.Data.size(), 4u);
        EXPECT_EQ(registry->ReadInteger("Server"), value);
    }
    // Little-endian, as REG_DWORD is on Windows.
    EXPECT_EQ(this->rig.Get("", "Server").Data, "\x04\x03\x02\x01");
}

TYPED_TEST_P(RegistryContract, ReadsOfTheWrongKindRaiseTheTwoReadErrors) {
    const std::string wrongType = "Niepoprawny typ danych : ";
    const std::string noData = "Pobranie danych dla '";
    struct Case {
        const char* name;
        std::uint32_t type;
        std::string data;
        std::string readInteger;  // the error's start, "" when it reads
        std::string readString;
    };
    const Case cases[] = {
        {"Dword", RegDword, std::string("\x01\0\0\0", 4), "", wrongType},
        // Four bytes of another type: the type is wrong.
        {"Binary4", RegBinary, "\x01\x02\x03\x04", wrongType, wrongType},
        // More than four bytes do not fit, whatever the type, nor do fewer of a REG_DWORD.
        {"Binary8", RegBinary, "\x01\x02\x03\x04\x05\x06\x07\x08", noData, wrongType},
        {"ShortDword", RegDword, "\x01\x02", noData, wrongType},
        // Strings count as ANSI text with its NUL: up to three characters fit.
        {"Text1", RegSz, "1", wrongType, ""},
        {"Text3", RegSz, "123", wrongType, ""},
        {"Polish3", RegSz, "żół", wrongType, ""},
        {"Text4", RegSz, "1234", noData, ""},
        {"Expand3", RegExpandSz, "%a%", wrongType, ""},
    };
    for (const Case& c : cases) this->rig.Seed("", c.name, c.type, c.data);

    auto registry = this->Existing(reg::KeyRead);
    for (const Case& c : cases) {
        const std::string integer = ErrorText([&] { registry->ReadInteger(c.name); });
        EXPECT_EQ(integer.rfind(c.readInteger.empty() ? "<no exception>" : c.readInteger + c.name, 0), 0u)
            << c.name << ": " << integer;
        const std::string text = ErrorText([&] { registry->ReadString(c.name); });
        EXPECT_EQ(text.rfind(c.readString.empty() ? "<no exception>" : c.readString + c.name, 0), 0u)
            << c.name << ": " << text;
    }
    EXPECT_EQ(registry->ReadInteger("Dword"), 1);
    EXPECT_EQ(registry->ReadString("Polish3"), "żół");
    EXPECT_EQ(ErrorText([&] { registry->ReadInteger("Brak"); }), "Pobranie danych dla 'Brak' nie powiodło się");
    EXPECT_EQ(ErrorText([&] { registry->ReadInteger("Text4"); }), "Pobranie danych dla 'Text4' nie powiodło się");
}

TYPED_TEST_P(RegistryContract, EveryNameOnceAndSubkeysSortedWithoutRegardToCase) {
    auto registry = this->Open(reg::KeyAllAccess);
    Names written = {"Zeta", "alfa", "Mid", "Łódź", std::string(300, 'n'), ""};
    for (const auto& name : written) registry->WriteString(name, "v");
    for (const char* name : {"beta", "Alfa", "gamma", "Żuraw", "łza", "Łódź"}) this->Open(reg::KeyAllAccess, std::string("\\") + name);

    // Values come in an order of the registry's own (RegEnumValue promises none).
    Names names = registry->GetValueNames();
    std::sort(names.begin(), names.end());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(names, written);
    // Subkeys: sorted as upper-cased UTF-16, the registry's order.
    EXPECT_EQ(registry->GetKeyNames(), (Names{"Alfa", "beta", "gamma", "łza", "Łódź", "Żuraw"}));
}

TYPED_TEST_P(RegistryContract, DeleteValue) {
    auto registry = this->Open(reg::KeyAllAccess);
    registry->WriteInteger("Server", 1);
    registry->WriteInteger("Wersja", 0);
    EXPECT_TRUE(registry->DeleteValue("Server"));
    EXPECT_FALSE(registry->ValueExists("Server"));
    EXPECT_EQ(this->rig.Get("", "Server").Type, RegNone);
    EXPECT_TRUE(registry->ValueExists("Wersja"));
    EXPECT_FALSE(registry->DeleteValue("Server"));
}

TYPED_TEST_P(RegistryContract, DeleteKeyTakesAllItsSubkeys) {
    this->Open(reg::KeyAllAccess, "\\Tree\\A\\B")->WriteString("Deep", "x");
    this->Open(reg::KeyAllAccess, "\\Tree\\C")->WriteInteger("N", 1);
    this->Open(reg::KeyAllAccess, "\\Keep")->WriteInteger("N", 1);
    auto registry = this->rig.Factory().Create(reg::KeyAllAccess);
    EXPECT_TRUE(registry->DeleteKey(ScratchKey + "\\Tree"));
    EXPECT_FALSE(this->rig.HasKey("\\Tree"));
    EXPECT_FALSE(this->rig.HasKey("\\Tree\\A\\B"));
    EXPECT_TRUE(this->rig.HasKey("\\Keep"));
    EXPECT_FALSE(registry->DeleteKey(ScratchKey + "\\Tree"));

    // Relative to the open key.
    ASSERT_TRUE(registry->OpenKey(ScratchKey, false));
    this->Open(reg::KeyAllAccess, "\\Rel\\Child");
    EXPECT_TRUE(registry->DeleteKey("Rel"));
    EXPECT_FALSE(this->rig.HasKey("\\Rel"));

    // An empty path names no key: neither the root nor the open key is wiped.
    EXPECT_FALSE(registry->DeleteKey(""));
    EXPECT_FALSE(registry->DeleteKey("\\"));
    EXPECT_TRUE(this->rig.HasKey("\\Keep"));
}

TYPED_TEST_P(RegistryContract, AKeyDeletedWhileOpenHoldsNothing) {
    auto holder = this->Open(reg::KeyAllAccess, "\\Gone");
    holder->WriteString("Name", "x");
    ASSERT_TRUE(this->rig.Factory().Create(reg::KeyAllAccess)->DeleteKey(ScratchKey + "\\Gone"));

    EXPECT_FALSE(holder->ValueExists("Name"));
    EXPECT_EQ(ErrorText([&] { holder->ReadString("Name"); }), "Pobranie danych dla 'Name' nie powiodło się");
    EXPECT_TRUE(holder->GetValueNames().empty());
    EXPECT_EQ(ErrorText([&] { holder->WriteString("Name", "y"); }), "Failed to set data for 'Name'");
    EXPECT_FALSE(holder->KeyExists("Sub"));
    EXPECT_FALSE(holder->OpenKey("Sub", true));
    EXPECT_FALSE(this->rig.HasKey("\\Gone"));
}

REGISTER_TYPED_TEST_SUITE_P(RegistryContract, FactoryGivesAFreshAccessorOnTheCurrentUser,
                            OpenCreatesAMissingKeyOnlyWhenAsked, AbsolutePathsStartAtTheRootAndOthersAtTheOpenKey,
                            NamesMatchWithoutRegardToCaseAndKeepTheirFirstSpelling, RootKeySelectsTheTree,
                            FailedOpenKeepsTheOpenKey, AccessMaskIsTheOneTheKeyWasOpenedWith,
                            WithNoKeyOpenNothingIsReadOrWritten, StringsRoundTrip, IntegersAreRegDword,
                            ReadsOfTheWrongKindRaiseTheTwoReadErrors,
                            EveryNameOnceAndSubkeysSortedWithoutRegardToCase, DeleteValue,
                            DeleteKeyTakesAllItsSubkeys, AKeyDeletedWhileOpenHoldsNothing);

}  // namespace contract
