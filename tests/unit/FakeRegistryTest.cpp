#include <gtest/gtest.h>

#include "fakes/ErrorText.h"
#include "fakes/FakeRegistry.h"

using fakereg::Denial;

namespace {

constexpr auto HKCU = reg::HKeyCurrentUser;
constexpr auto HKLM = reg::HKeyLocalMachine;

class FakeRegistryTest : public ::testing::Test {
protected:
    // An accessor with the key open for reading, as the program reads settings.
    std::unique_ptr<TRegistry> OpenForReading(const std::string& key) {
        auto r = registry.Create(reg::KeyRead);
        EXPECT_TRUE(r->OpenKey(key, false));
        return r;
    }

    FakeRegistryFactory registry;
};

}  // namespace

TEST_F(FakeRegistryTest, RecordsRootPathMaskAndCreationOfEveryOpen) {
    {
        auto r = registry.Create(reg::KeyAllAccess);
        EXPECT_EQ(r->RootKey(), HKCU);
        EXPECT_TRUE(r->OpenKey("\\software\\Veltra\\Zentor", true));
        EXPECT_TRUE(r->OpenKey("\\SOFTWARE\\veltra\\ZENTOR", true));
        r->SetRootKey(HKLM);
        r->SetAccess(reg::KeyRead);
        EXPECT_FALSE(r->OpenKey("\\SOFTWARE\\Borland\\Database Engine", false));
    }
    const auto& opens = registry.Opens();
    ASSERT_EQ(opens.size(), 3u);
    EXPECT_EQ(opens[0].Root, HKCU);
    EXPECT_EQ(opens[0].Path, "\\software\\Veltra\\Zentor");
    EXPECT_EQ(opens[0].Access, reg::KeyAllAccess);
    EXPECT_TRUE(opens[0].CanCreate);
    EXPECT_TRUE(opens[0].Created);
    EXPECT_TRUE(opens[0].Succeeded);
    EXPECT_FALSE(opens[1].Created);
    EXPECT_EQ(opens[2].Root, HKLM);
    EXPECT_EQ(opens[2].Access, reg::KeyRead);
    EXPECT_FALSE(opens[2].CanCreate);
    EXPECT_FALSE(opens[2].Succeeded);

    EXPECT_EQ(registry.OpensOf(HKCU, "\\SOFTWARE\\VELTRA\\ZENTOR").size(), 2u);
    EXPECT_TRUE(registry.HasKey(HKCU, "\\Software\\Veltra\\Zentor"));
    EXPECT_FALSE(registry.HasKey(HKLM, "\\Software\\Veltra\\Zentor"));
}

TEST_F(FakeRegistryTest, RelativePathsContinueFromTheOpenKey) {
    registry.CreateKey(HKLM, "\\SOFTWARE\\ORACLE\\KEY_Home1");
    auto r = registry.Create(reg::KeyRead);
    r->SetRootKey(HKLM);
    ASSERT_TRUE(r->OpenKey("\\SOFTWARE\\ORACLE", false));
    EXPECT_TRUE(r->KeyExists("KEY_Home1"));
    EXPECT_TRUE(r->OpenKey("KEY_Home1", false));
    EXPECT_EQ(registry.Opens().back().Path, "\\SOFTWARE\\ORACLE\\KEY_Home1");
    // With no key open a relative path starts at the root.
    r->CloseKey();
    EXPECT_TRUE(r->OpenKey("SOFTWARE", false));
    EXPECT_EQ(registry.Opens().back().Path, "\\SOFTWARE");
}

TEST_F(FakeRegistryTest, NamesMatchWithoutRegardToCaseAndKeepTheirSpelling) {
    registry.SetString(HKLM, "\\SOFTWARE\\ODBC\\ODBC.INI\\Veltra", "Server", "srv");
    auto r = registry.Create(reg::KeyRead);
    r->SetRootKey(HKLM);
    ASSERT_TRUE(r->OpenKey("\\software\\odbc\\odbc.ini", false));
    EXPECT_EQ(r->GetKeyNames(), std::vector<std::string>{"Veltra"});
    ASSERT_TRUE(r->OpenKey("VELTRA", false));
    EXPECT_TRUE(r->ValueExists("SERVER"));
    EXPECT_EQ(r->ReadString("server"), "srv");
    EXPECT_EQ(r->GetValueNames(), std::vector<std::string>{"Server"});
}

TEST_F(FakeRegistryTest, EnumeratesSubkeysSortedAndValuesInWriteOrder) {
    for (const char* name : {"KEY_b", "KEY_A", "KEY_c"}) registry.CreateKey(HKLM, std::string("\\SOFTWARE\\ORACLE\\") + name);
    auto r = registry.Create(reg::KeyAllAccess);
    ASSERT_TRUE(r->OpenKey("\\Dsn", true));
    r->WriteString("b", "1");
    r->WriteInteger("A", 2);
    r->WriteString("c", "3");
    r->WriteString("B", "4");  // an overwrite keeps the value's place and spelling
    EXPECT_EQ(r->GetValueNames(), (std::vector<std::string>{"b", "A", "c"}));
    EXPECT_EQ(r->ReadString("b"), "4");

    r->SetRootKey(HKLM);
    ASSERT_TRUE(r->OpenKey("\\SOFTWARE\\ORACLE", false));
    EXPECT_EQ(r->GetKeyNames(), (std::vector<std::string>{"KEY_A", "KEY_b", "KEY_c"}));
}

TEST_F(FakeRegistryTest, WrittenValuesKeepTheirTypes) {
    auto r = registry.Create(reg::KeyAllAccess);
    ASSERT_TRUE(r->OpenKey("\\software\\Veltra\\Zentor", true));
    r->WriteInteger("Server", -5);
    r->WriteString("Name", "Zażółć");
    EXPECT_EQ(r->ReadInteger("Server"), -5);
    EXPECT_EQ(registry.GetDword(HKCU, "\\software\\Veltra\\Zentor", "Server"), -5);
    EXPECT_EQ(registry.GetValue(HKCU, "\\software\\Veltra\\Zentor", "Server")->Data, std::string("\xFB\xFF\xFF\xFF", 4));
    EXPECT_EQ(registry.GetString(HKCU, "\\software\\Veltra\\Zentor", "Name"), "Zażółć");
    EXPECT_EQ(registry.GetString(HKCU, "\\software\\Veltra\\Zentor", "Server"), std::nullopt);
}

TEST_F(FakeRegistryTest, ReadIntegerRaisesWrongTypeOrDataThatDoesNotFit) {
    const std::string key = "\\software\\Veltra\\Zentor";
    registry.SetString(HKCU, key, "Short", "abc");
    registry.SetString(HKCU, key, "Polish", "żół");  // three ANSI bytes, six in UTF-8
    registry.SetString(HKCU, key, "Long", "abcd");
    registry.SetValue(HKCU, key, "Bin4", {fakereg::Binary, std::string(4, '\1')});
    registry.SetValue(HKCU, key, "Bin8", {fakereg::Binary, std::string(8, '\1')});
    registry.SetValue(HKCU, key, "Dword2", {fakereg::Dword, std::string(2, '\1')});
    auto r = OpenForReading(key);

    EXPECT_EQ(ErrorText([&] { r->ReadInteger("Short"); }), "Niepoprawny typ danych : Short");
    EXPECT_EQ(ErrorText([&] { r->ReadInteger("Polish"); }), "Niepoprawny typ danych : Polish");
    EXPECT_EQ(ErrorText([&] { r->ReadInteger("Bin4"); }), "Niepoprawny typ danych : Bin4");
    EXPECT_EQ(ErrorText([&] { r->ReadInteger("Long"); }), "Pobranie danych dla 'Long' nie powiodło się");
    EXPECT_EQ(ErrorText([&] { r->ReadInteger("Bin8"); }), "Pobranie danych dla 'Bin8' nie powiodło się");
    EXPECT_EQ(ErrorText([&] { r->ReadInteger("Dword2"); }), "Pobranie danych dla 'Dword2' nie powiodło się");
    EXPECT_EQ(ErrorText([&] { r->ReadInteger("Wersja"); }), "Pobranie danych dla 'Wersja' nie powiodło się");
}

TEST_F(FakeRegistryTest, ReadStringGivesEmptyForMissingAndRaisesForOtherTypes) {
    const std::string key = "\\SOFTWARE\\Borland\\Database Engine";
    registry.SetDword(HKCU, key, "Number", 1);
    registry.SetValue(HKCU, key, "Bin", {fakereg::Binary, "ab"});
    registry.SetValue(HKCU, key, "Expand", {fakereg::ExpandSz, "%WINDIR%\\x"});
    auto r = OpenForReading(key);
    EXPECT_EQ(r->ReadString("CONFIGFILE01"), "");
    EXPECT_EQ(r->ReadString("Expand"), "%WINDIR%\\x");
    EXPECT_EQ(ErrorText([&] { r->ReadString("Number"); }), "Niepoprawny typ danych : Number");
    EXPECT_EQ(ErrorText([&] { r->ReadString("Bin"); }), "Niepoprawny typ danych : Bin");
}

TEST_F(FakeRegistryTest, WritesThroughAReadOnlyKeyAreRefused) {
    registry.SetDword(HKCU, "\\software\\Veltra\\Zentor", "Server", 0);
    auto r = OpenForReading("\\software\\Veltra\\Zentor");
    EXPECT_EQ(ErrorText([&] { r->WriteInteger("Server", 1); }), "Failed to set data for 'Server'");
    EXPECT_EQ(ErrorText([&] { r->WriteString("Wersja", "1"); }), "Failed to set data for 'Wersja'");
    EXPECT_FALSE(r->DeleteValue("Server"));
    EXPECT_EQ(registry.GetDword(HKCU, "\\software\\Veltra\\Zentor", "Server"), 0);
    EXPECT_FALSE(registry.HasValue(HKCU, "\\software\\Veltra\\Zentor", "Wersja"));
}

TEST_F(FakeRegistryTest, DeniedWriteAccessRefusesWritableOpensAndCreation) {
    registry.SetString(HKLM, "\\SOFTWARE\\ODBC\\ODBC.INI\\Dsn", "Server", "srv");
    registry.Deny(HKLM, "\\SOFTWARE\\ODBC\\ODBC.INI", Denial::Write);
    auto r = registry.Create(reg::KeyAllAccess);
    r->SetRootKey(HKLM);
    EXPECT_FALSE(r->OpenKey("\\SOFTWARE\\ODBC\\ODBC.INI\\Dsn", true));
    EXPECT_TRUE(r->OpenKey("\\SOFTWARE\\ODBC", false));  // above the denied key
    r->SetAccess(reg::KeyRead);
    EXPECT_TRUE(r->OpenKey("\\SOFTWARE\\ODBC\\ODBC.INI\\Dsn", false));
    EXPECT_EQ(r->ReadString("Server"), "srv");
    EXPECT_FALSE(r->OpenKey("\\SOFTWARE\\ODBC\\ODBC.INI\\New", true));
    EXPECT_FALSE(registry.HasKey(HKLM, "\\SOFTWARE\\ODBC\\ODBC.INI\\New"));
    EXPECT_FALSE(r->DeleteKey("\\SOFTWARE\\ODBC\\ODBC.INI\\Dsn"));
    EXPECT_TRUE(registry.HasKey(HKLM, "\\SOFTWARE\\ODBC\\ODBC.INI\\Dsn"));
}

TEST_F(FakeRegistryTest, DeniedOpenRefusesEveryOpenAndHidesTheKey) {
    registry.CreateKey(HKLM, "\\SOFTWARE\\ORACLE\\KEY_Home1");
    registry.Deny(HKLM, "\\SOFTWARE\\ORACLE", Denial::Open);
    auto r = registry.Create(reg::KeyRead);
    r->SetRootKey(HKLM);
    EXPECT_FALSE(r->KeyExists("\\SOFTWARE\\ORACLE"));
    EXPECT_FALSE(r->OpenKey("\\SOFTWARE\\ORACLE", false));
    EXPECT_FALSE(r->OpenKey("\\SOFTWARE\\ORACLE\\KEY_Home1", true));
    EXPECT_EQ(registry.OpenKeyCount(), 0);
    registry.ClearRefusals();
    EXPECT_TRUE(r->OpenKey("\\SOFTWARE\\ORACLE", false));
}

TEST_F(FakeRegistryTest, FailedWritesRaiseWithTheValueName) {
    const std::string key = "\\SOFTWARE\\ODBC\\ODBC.INI\\Dsn";
    registry.SetString(HKLM, key, "Server", "old");
    registry.FailWrite(HKLM, key, "Database");
    auto r = registry.Create(reg::KeyAllAccess);
    r->SetRootKey(HKLM);
    ASSERT_TRUE(r->OpenKey(key, false));
    r->WriteString("Server", "new");
    EXPECT_EQ(ErrorText([&] { r->WriteString("DATABASE", "x"); }), "Failed to set data for 'DATABASE'");

    registry.FailWrites(HKLM, "\\SOFTWARE\\ODBC");
    EXPECT_EQ(ErrorText([&] { r->WriteString("Server", "newer"); }), "Failed to set data for 'Server'");
    EXPECT_EQ(ErrorText([&] { r->WriteInteger("Port", 1); }), "Failed to set data for 'Port'");
    EXPECT_EQ(registry.GetString(HKLM, key, "Server"), "new");
    EXPECT_FALSE(registry.HasValue(HKLM, key, "Database"));
}

TEST_F(FakeRegistryTest, DeleteKeyRemovesTheWholeSubtree) {
    registry.SetString(HKLM, "\\SOFTWARE\\ODBC\\ODBC.INI\\Tmp\\Sub\\Deeper", "x", "1");
    registry.CreateKey(HKLM, "\\SOFTWARE\\ODBC\\ODBC.INI\\Other");
    auto r = registry.Create(reg::KeyAllAccess);
    r->SetRootKey(HKLM);
    ASSERT_TRUE(r->OpenKey("\\SOFTWARE\\ODBC\\ODBC.INI", false));
    EXPECT_TRUE(r->DeleteKey("tmp"));
    EXPECT_FALSE(registry.HasKey(HKLM, "\\SOFTWARE\\ODBC\\ODBC.INI\\Tmp"));
    EXPECT_FALSE(registry.HasKey(HKLM, "\\SOFTWARE\\ODBC\\ODBC.INI\\Tmp\\Sub\\Deeper"));
    EXPECT_TRUE(registry.HasKey(HKLM, "\\SOFTWARE\\ODBC\\ODBC.INI\\Other"));
    EXPECT_FALSE(r->DeleteKey("Tmp"));
}

TEST_F(FakeRegistryTest, CountsKeysHeldOpen) {
    registry.CreateKey(HKCU, "\\A\\B");
    {
        auto r = registry.Create(reg::KeyRead);
        EXPECT_EQ(registry.LiveAccessorCount(), 1);
        ASSERT_TRUE(r->OpenKey("\\A", false));
        EXPECT_EQ(registry.OpenKeyCount(), 1);
        // A further open replaces the key; a failed one keeps it.
        ASSERT_TRUE(r->OpenKey("B", false));
        EXPECT_FALSE(r->OpenKey("\\Missing", false));
        EXPECT_EQ(registry.OpenKeyCount(), 1);
        EXPECT_EQ(registry.Opens().back().Path, "\\Missing");
        r->CloseKey();
        EXPECT_EQ(registry.OpenKeyCount(), 0);
        ASSERT_TRUE(r->OpenKey("\\A", false));
        r->SetRootKey(HKLM);
        EXPECT_EQ(registry.OpenKeyCount(), 0);
        ASSERT_TRUE(r->OpenKey("", false));
        EXPECT_EQ(registry.OpenKeyCount(), 1);
    }
    EXPECT_EQ(registry.OpenKeyCount(), 0);
    EXPECT_EQ(registry.LiveAccessorCount(), 0);
    EXPECT_EQ(registry.CreatedAccessorCount(), 1);
}
