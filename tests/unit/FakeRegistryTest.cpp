// The fake registry's reads and its open-key counters, which the wizard's
// error messages and the other suites' leak checks depend on.
#include <gtest/gtest.h>

#include "fakes/ErrorText.h"
#include "fakes/FakeRegistry.h"

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
