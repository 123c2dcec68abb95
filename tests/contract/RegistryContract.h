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
//   Names ValueOrder(below);             // the value names in the store's own order
// `below` is a path under the scratch key, "" or "\\A\\B".
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "fakes/ErrorText.h"
#include "platform/Registry.h"

namespace contract {

inline const std::string ScratchKey = "\\Software\\KonfiguracjaTest";

// winnt.h: REG_NONE 0, REG_SZ 1, REG_EXPAND_SZ 2, REG_BINARY 3, REG_DWORD 4;
// KEY_SET_VALUE alone neither reads nor enumerates.
constexpr std::uint32_t RegNone = 0, RegSz = 1, RegExpandSz = 2, RegBinary = 3, RegDword = 4;
constexpr std::uint32_t KeySetValue = 0x0002;

struct Stored {
    std::uint32_t Type = RegNone;
    std::string Data;  // string types: the UTF-8 text; others: the raw bytes
    bool operator==(const Stored&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Stored& s) { return out << s.Type << ' ' << s.Data; }
};

using Names = std::vector<std::string>;

inline std::string NoData(const std::string& name) { return "Pobranie danych dla '" + name + "' nie powiodło się"; }
inline std::string WrongType(const std::string& name) { return "Niepoprawny typ danych : " + name; }
inline std::string NotSet(const std::string& name) { return "Failed to set data for '" + name + "'"; }

template <class Rig>
class RegistryContract : public testing::Test {
protected:
    // An accessor on the scratch key (or a key below it), created if missing;
    // opened afterwards with `access` when that is given.
    std::unique_ptr<TRegistry> Open(const std::string& below = "", std::uint32_t access = reg::KeyAllAccess) {
        auto registry = rig.Factory().Create(reg::KeyAllAccess);
        if (!registry->OpenKey(ScratchKey + below, true)) ADD_FAILURE() << "cannot open " << ScratchKey + below;
        registry->SetAccess(access);
        if (!registry->OpenKey(ScratchKey + below, false)) ADD_FAILURE() << "cannot open " << ScratchKey + below;
        return registry;
    }

    Rig rig;
};

TYPED_TEST_SUITE_P(RegistryContract);

TYPED_TEST_P(RegistryContract, FactoryGivesAFreshAccessorOnTheCurrentUserThatCreatesOnlyWhenAsked) {
    auto registry = this->rig.Factory().Create(reg::KeyRead);
    EXPECT_EQ(registry->RootKey(), reg::HKeyCurrentUser);
    EXPECT_EQ(registry->Access(), reg::KeyRead);
    this->rig.Seed("", "V", RegSz, "x");
    EXPECT_TRUE(registry->KeyExists(ScratchKey));
    EXPECT_TRUE(registry->OpenKey(ScratchKey, false));
    EXPECT_EQ(registry->ReadString("V"), "x");

    registry = this->rig.Factory().Create(reg::KeyAllAccess);
    EXPECT_FALSE(registry->KeyExists(ScratchKey + "\\A"));
    EXPECT_FALSE(registry->OpenKey(ScratchKey + "\\A", false));
    EXPECT_FALSE(this->rig.HasKey("\\A"));
    EXPECT_TRUE(registry->OpenKey(ScratchKey + "\\A", true));
    EXPECT_TRUE(this->rig.HasKey("\\A"));
    EXPECT_TRUE(registry->KeyExists(ScratchKey + "\\A"));
    EXPECT_TRUE(this->rig.Factory().Create(reg::KeyRead)->OpenKey(ScratchKey + "\\A", false));
}

TYPED_TEST_P(RegistryContract, AbsolutePathsStartAtTheRootAndOthersAtTheOpenKey) {
    auto registry = this->Open();
    ASSERT_TRUE(registry->OpenKey("Sub\\Deep", true));
    EXPECT_TRUE(this->rig.HasKey("\\Sub\\Deep"));
    ASSERT_TRUE(registry->OpenKey("Deeper", true));
    EXPECT_TRUE(this->rig.HasKey("\\Sub\\Deep\\Deeper"));
    EXPECT_FALSE(registry->KeyExists("Sub"));
    EXPECT_TRUE(registry->KeyExists(ScratchKey + "\\Sub"));

    // A leading backslash goes back to the root, whatever is open; a failed open keeps the key.
    ASSERT_TRUE(registry->OpenKey(ScratchKey + "\\Sub", false));
    EXPECT_FALSE(registry->OpenKey(ScratchKey + "\\Missing", false));
    registry->WriteString("Here", "sub");
    EXPECT_EQ(this->rig.Get("\\Sub", "Here"), (Stored{RegSz, "sub"}));

    // With no key open, a relative path starts at the root too.
    registry->CloseKey();
    ASSERT_TRUE(registry->OpenKey(ScratchKey.substr(1) + "\\Rel", true));
    EXPECT_TRUE(this->rig.HasKey("\\Rel"));
}

TYPED_TEST_P(RegistryContract, NamesMatchWithoutRegardToCaseAndKeepTheirFirstSpelling) {
    auto registry = this->Open("\\Źródło Łódź");
    registry->WriteString("Nazwa Ż", "pierwsza");
    registry->WriteString("NAZWA ż", "druga");
    registry->WriteInteger("Inna", 1);
    Names names = registry->GetValueNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Names{"Inna", "Nazwa Ż"}));
    EXPECT_EQ(registry->ReadString("nazwa Ż"), "druga");
    EXPECT_TRUE(registry->DeleteValue("nAZWA ż"));
    EXPECT_FALSE(registry->ValueExists("Nazwa Ż"));
    EXPECT_TRUE(registry->ValueExists("Inna"));
    EXPECT_EQ(this->rig.Get("\\Źródło Łódź", "Nazwa Ż"), Stored{});
    EXPECT_FALSE(registry->DeleteValue("Nazwa Ż"));

    EXPECT_TRUE(registry->KeyExists(ScratchKey + "\\ŹRÓDŁO łÓDŹ"));
    ASSERT_TRUE(registry->OpenKey(ScratchKey + "\\źródło łódź", true));
    ASSERT_TRUE(registry->OpenKey(ScratchKey, false));
    EXPECT_EQ(registry->GetKeyNames(), Names{"Źródło Łódź"});
}

TYPED_TEST_P(RegistryContract, RootKeySelectsTheTree) {
    this->Open();
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

TYPED_TEST_P(RegistryContract, AccessMaskIsTheOneTheKeyWasOpenedWith) {
    this->Open()->WriteString("Name", "old");
    auto reader = this->Open("", reg::KeyRead);
    EXPECT_EQ(reader->ReadString("Name"), "old");
    EXPECT_EQ(ErrorText([&] { reader->WriteString("Name", "new"); }), NotSet("Name"));
    EXPECT_EQ(ErrorText([&] { reader->WriteInteger("Count", 1); }), NotSet("Count"));
    EXPECT_FALSE(reader->DeleteValue("Name"));
    EXPECT_EQ(this->rig.Get("", "Name"), (Stored{RegSz, "old"}));
    EXPECT_EQ(this->rig.Get("", "Count"), Stored{});

    // A new mask applies from the next OpenKey on.
    reader->SetAccess(reg::KeyAllAccess);
    EXPECT_EQ(reader->Access(), reg::KeyAllAccess);
    EXPECT_EQ(ErrorText([&] { reader->WriteString("Name", "new"); }), NotSet("Name"));
    ASSERT_TRUE(reader->OpenKey(ScratchKey, false));
    reader->WriteString("Name", "new");
    EXPECT_EQ(reader->ReadString("Name"), "new");

    // Without KEY_QUERY_VALUE a value cannot be read: an error, not "missing".
    auto writer = this->Open("", KeySetValue);
    EXPECT_FALSE(writer->ValueExists("Name"));
    EXPECT_EQ(ErrorText([&] { writer->ReadString("Name"); }), NoData("Name"));
    EXPECT_EQ(ErrorText([&] { writer->ReadInteger("Name"); }), NoData("Name"));
    EXPECT_TRUE(writer->GetValueNames().empty());
    EXPECT_TRUE(writer->GetKeyNames().empty());
    writer->WriteInteger("Count", 2);
    EXPECT_EQ(this->rig.Get("", "Count"), (Stored{RegDword, std::string("\x02\0\0\0", 4)}));
}

TYPED_TEST_P(RegistryContract, WithNoKeyOpenOrTheKeyDeletedNothingIsReadOrWritten) {
    auto registry = this->rig.Factory().Create(reg::KeyAllAccess);
    EXPECT_FALSE(registry->ValueExists("Name"));
    EXPECT_EQ(registry->ReadString("Name"), "");
    EXPECT_EQ(ErrorText([&] { registry->ReadInteger("Name"); }), NoData("Name"));
    EXPECT_EQ(ErrorText([&] { registry->WriteString("Name", "x"); }), NotSet("Name"));
    EXPECT_FALSE(registry->DeleteValue("Name"));
    EXPECT_TRUE(registry->GetValueNames().empty());
    EXPECT_TRUE(registry->GetKeyNames().empty());

    // A key another accessor deletes while it is open.
    auto holder = this->Open("\\Gone");
    holder->WriteString("Name", "x");
    ASSERT_TRUE(registry->DeleteKey(ScratchKey + "\\Gone"));
    EXPECT_FALSE(holder->ValueExists("Name"));
    EXPECT_EQ(ErrorText([&] { holder->ReadString("Name"); }), NoData("Name"));
    EXPECT_TRUE(holder->GetValueNames().empty());
    EXPECT_EQ(ErrorText([&] { holder->WriteString("Name", "y"); }), NotSet("Name"));
    EXPECT_FALSE(holder->KeyExists("Sub"));
    EXPECT_FALSE(holder->OpenKey("Sub", true));
    EXPECT_FALSE(this->rig.HasKey("\\Gone"));
}

TYPED_TEST_P(RegistryContract, StringsAndIntegersRoundTrip) {
    auto registry = this->Open();
    registry->WriteString("Ścieżka", "C:\\Program Files\\zażółć gęślą jaźń");
    registry->WriteString("Pusty", "");
    EXPECT_EQ(this->rig.Get("", "Ścieżka"), (Stored{RegSz, "C:\\Program Files\\zażółć gęślą jaźń"}));
    EXPECT_EQ(registry->ReadString("Ścieżka"), "C:\\Program Files\\zażółć gęślą jaźń");
    EXPECT_EQ(registry->ReadString("Pusty"), "");
    EXPECT_TRUE(registry->ValueExists("Pusty"));
    EXPECT_FALSE(registry->ValueExists("Brak"));
    EXPECT_EQ(registry->ReadString("Brak"), "");
    // REG_EXPAND_SZ reads as stored, not expanded.
    this->rig.Seed("", "Expand", RegExpandSz, "%SystemRoot%\\system32");
    EXPECT_EQ(registry->ReadString("Expand"), "%SystemRoot%\\system32");

    for (std::int32_t value : {0, 1, -1, INT_MIN, INT_MAX, 0x01020304}) {
        registry->WriteInteger("Server", value);
        EXPECT_EQ(this->rig.Get("", "Server").Type, RegDword);
        EXPECT_EQ(this->rig.Get("", "Server").Data.size(), 4u);
        EXPECT_EQ(registry->ReadInteger("Server"), value);
    }
    // Little-endian, as REG_DWORD is.
    EXPECT_EQ(this->rig.Get("", "Server").Data, "\x04\x03\x02\x01");
}

TYPED_TEST_P(RegistryContract, ReadsOfTheWrongKindRaiseTheTwoReadErrors) {
    enum Outcome { Reads, Type, Data };
    const struct {
        const char* name;
        std::uint32_t type;
        std::string data;
        Outcome integer, text;
    } cases[] = {
        {"Dword", RegDword, std::string("\x01\0\0\0", 4), Reads, Type},
        // Four bytes of another type: the type is wrong.
        {"Binary4", RegBinary, "\x01\x02\x03\x04", Type, Type},
        // More than four bytes do not fit, whatever the type, nor do fewer of a REG_DWORD.
        {"Binary8", RegBinary, "\x01\x02\x03\x04\x05\x06\x07\x08", Data, Type},
        {"ShortDword", RegDword, "\x01\x02", Data, Type},
        // Strings count as ANSI text with its NUL: up to three characters fit.
        {"Text1", RegSz, "1", Type, Reads},
        {"Text3", RegSz, "123", Type, Reads},
        {"Polish3", RegSz, "żół", Type, Reads},
        {"Text4", RegSz, "1234", Data, Reads},
        {"Expand3", RegExpandSz, "%a%", Type, Reads},
    };
    for (const auto& c : cases) this->rig.Seed("", c.name, c.type, c.data);
    auto registry = this->Open("", reg::KeyRead);
    const auto error = [](Outcome outcome, const std::string& name) {
        return outcome == Reads ? "<no exception>" : outcome == Type ? WrongType(name) : NoData(name);
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ErrorText([&] { registry->ReadInteger(c.name); }), error(c.integer, c.name));
        EXPECT_EQ(ErrorText([&] { registry->ReadString(c.name); }), error(c.text, c.name));
    }
    EXPECT_EQ(registry->ReadInteger("Dword"), 1);
    EXPECT_EQ(registry->ReadString("Polish3"), "żół");
    EXPECT_EQ(ErrorText([&] { registry->ReadInteger("Brak"); }), NoData("Brak"));
}

TYPED_TEST_P(RegistryContract, EveryNameOnceAndSubkeysSortedWithoutRegardToCase) {
    auto registry = this->Open();
    Names written = {"Zeta", "alfa", "Mid", "Łódź", std::string(300, 'n'), ""};
    for (const auto& name : written) registry->WriteString(name, "v");
    for (const char* name : {"beta", "Alfa", "gamma", "Żuraw", "łza", "Łódź"}) this->Open(std::string("\\") + name);

    // Values come in the registry's own order (RegEnumValue promises none).
    Names names = registry->GetValueNames();
    EXPECT_EQ(names, this->rig.ValueOrder(""));
    std::sort(names.begin(), names.end());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(names, written);
    // Subkeys: sorted as upper-cased UTF-16, the registry's order.
    EXPECT_EQ(registry->GetKeyNames(), (Names{"Alfa", "beta", "gamma", "łza", "Łódź", "Żuraw"}));
}

TYPED_TEST_P(RegistryContract, DeleteKeyTakesAllItsSubkeys) {
    this->Open("\\Tree\\A\\B")->WriteString("Deep", "x");
    this->Open("\\Tree\\C");
    this->Open("\\Keep");
    auto registry = this->rig.Factory().Create(reg::KeyAllAccess);
    EXPECT_TRUE(registry->DeleteKey(ScratchKey + "\\Tree"));
    EXPECT_FALSE(this->rig.HasKey("\\Tree"));
    EXPECT_FALSE(this->rig.HasKey("\\Tree\\A\\B"));
    EXPECT_TRUE(this->rig.HasKey("\\Keep"));
    EXPECT_FALSE(registry->DeleteKey(ScratchKey + "\\Tree"));

    // Relative to the open key.
    ASSERT_TRUE(registry->OpenKey(ScratchKey, false));
    this->Open("\\Rel\\Child");
    EXPECT_TRUE(registry->DeleteKey("Rel"));
    EXPECT_FALSE(this->rig.HasKey("\\Rel"));

    // An empty path names no key: neither the root nor the open key is wiped.
    EXPECT_FALSE(registry->DeleteKey(""));
    EXPECT_FALSE(registry->DeleteKey("\\"));
    EXPECT_TRUE(this->rig.HasKey("\\Keep"));
}

REGISTER_TYPED_TEST_SUITE_P(RegistryContract, FactoryGivesAFreshAccessorOnTheCurrentUserThatCreatesOnlyWhenAsked,
                            AbsolutePathsStartAtTheRootAndOthersAtTheOpenKey,
                            NamesMatchWithoutRegardToCaseAndKeepTheirFirstSpelling, RootKeySelectsTheTree,
                            AccessMaskIsTheOneTheKeyWasOpenedWith, WithNoKeyOpenOrTheKeyDeletedNothingIsReadOrWritten,
                            StringsAndIntegersRoundTrip, ReadsOfTheWrongKindRaiseTheTwoReadErrors,
                            EveryNameOnceAndSubkeysSortedWithoutRegardToCase, DeleteKeyTakesAllItsSubkeys);

}  // namespace contract
