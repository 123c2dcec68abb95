// The fake registry held to the cases the real one passes under Wine, then the
// fake's own bookkeeping, which the other suites' leak checks rely on.
#include <gtest/gtest.h>

#include "contract/RegistryContract.h"
#include "fakes/FakeRegistry.h"

namespace {

constexpr auto HKCU = reg::HKeyCurrentUser;
constexpr auto HKLM = reg::HKeyLocalMachine;

struct FakeRegistryRig {
    // As on every Windows machine.
    FakeRegistryRig() { factory.CreateKey(HKLM, "\\Software"); }

    TRegistryFactory& Factory() { return factory; }
    void Seed(const std::string& below, const std::string& name, std::uint32_t type, const std::string& data) {
        factory.SetValue(HKCU, contract::ScratchKey + below, name, {type, data});
    }
    bool HasKey(const std::string& below) { return factory.HasKey(HKCU, contract::ScratchKey + below); }
    contract::Names ValueOrder(const std::string& below) {
        return factory.ValueNames(HKCU, contract::ScratchKey + below);
    }
    contract::Stored Get(const std::string& below, const std::string& name) {
        const auto value = factory.GetValue(HKCU, contract::ScratchKey + below, name);
        return value ? contract::Stored{value->Type, value->Data} : contract::Stored{};
    }

    FakeRegistryFactory factory;
};

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, RegistryContract, FakeRegistryRig);
}  // namespace contract

TEST(FakeRegistryTest, CountsKeysHeldOpenAndRecordsEveryOpen) {
    FakeRegistryFactory registry;
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
