// Start of the wizard: creating and showing the form, the remembered server
// type and version, the alias-name prefix, and the failures on the way.
#include <gtest/gtest.h>

#include "fakes/ErrorText.h"
#include "fakes/WizardHarness.h"

namespace {

using Strings = std::vector<std::string>;

constexpr auto HKCU = reg::HKeyCurrentUser;
constexpr auto HKLM = reg::HKeyLocalMachine;
const char* const Settings = WizardWorkstation::SettingsKey;

struct Buttons {
    bool Wstecz, Dalej, Wykonaj;
    bool operator==(const Buttons&) const = default;
};

Buttons ButtonsOf(const TForm2& form) {
    return {form.ButtonWstecz.Enabled(), form.ButtonDalej.Enabled(), form.ButtonWykonaj.Enabled()};
}

void PrintTo(const Buttons& b, std::ostream* os) {
    *os << "{Wstecz " << b.Wstecz << ", Dalej " << b.Dalej << ", Wykonaj " << b.Wykonaj << "}";
}

const std::string& Prefix(const TForm2& form) { return WizardProbe::AliasPrefix(form); }

class WizardStartTest : public ::testing::Test {
protected:
    WizardWorkstation ws;
};

TEST_F(WizardStartTest, FirstRunCreatesTheSettingsKeyEmptyAndShowsTheDefaults) {
    ASSERT_FALSE(ws.Registry.HasKey(HKCU, Settings));
    TForm2& form = ws.Open();

    EXPECT_TRUE(ws.Registry.HasKey(HKCU, Settings));
    EXPECT_EQ(ws.Registry.ValueNames(HKCU, Settings), Strings{});

    EXPECT_EQ(form.RadioGroupSerwer.ItemIndex(), 0);
    EXPECT_EQ(form.RadioGroupSerwer.Items()[0], "Microsoft SQL Server");
    EXPECT_EQ(form.RadioGroupWersja.ItemIndex(), 1);
    EXPECT_EQ(form.RadioGroupWersja.Items()[1], "10 (X)");
    EXPECT_FALSE(form.CheckBoxKopia.Checked());
    EXPECT_EQ(Prefix(form), "X ");
    EXPECT_EQ(form.LabelConfigFile.Caption(), WizardWorkstation::ConfigFile);
    EXPECT_EQ(ws.Errors(), Strings{});
}

TEST_F(WizardStartTest, ShowingOpensTheWizardOnItsFirstPageWithTheServiceTableReady) {
    TForm2& form = ws.Open();

    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(form.PageControl2.ActivePage(), &form.TabSheet4);
    EXPECT_EQ(form.PageControl1.ActivePage(), &form.TabSheet0);
    EXPECT_TRUE(form.TabSheet0.Showing());
    EXPECT_EQ(ButtonsOf(form), (Buttons{false, true, false}));

    // Page 0's show handler ran exactly once: one visit to the settings key.
    EXPECT_EQ(ws.Registry.OpensOf(HKCU, Settings).size(), 1u);

    EXPECT_TRUE(ws.Session.Active());
    EXPECT_EQ(ws.Session.ConfigMode(), cmPersistent);
    EXPECT_TRUE(form.ClientDataSet1.Active());
    EXPECT_TRUE(form.ClientDataSet1.IsEmpty());
    EXPECT_EQ(form.ClientDataSet1.State(), dsBrowse);
    EXPECT_EQ(WizardProbe::TnsNamesLines(form).Count(), 0u);
    EXPECT_EQ(WizardProbe::NetAdminDir(form), "");
    EXPECT_FALSE(WizardProbe::ServiceTableEdited(form));
}

TEST_F(WizardStartTest, StoredChoicesAreRestoredWithoutBeingWritten) {
    // Storing happens only on a user's change of the server group; a restore
    // that ran it would write the version beside the server.
    ws.StoreChoice("Server", 1);
    TForm2& form = ws.Open();

    EXPECT_EQ(form.RadioGroupSerwer.ItemIndex(), 1);
    EXPECT_EQ(form.RadioGroupWersja.ItemIndex(), 1);
    EXPECT_EQ(ws.Registry.ValueNames(HKCU, Settings), Strings{"Server"});
    EXPECT_EQ(ws.Registry.GetDword(HKCU, Settings, "Server"), 1);
}

TEST_F(WizardStartTest, StoredIndicesOutOfRangeAreClamped) {
    ws.StoreChoice("Server", -5);
    ws.StoreChoice("Wersja", 7);
    TForm2& form = ws.Open();

    EXPECT_EQ(form.RadioGroupSerwer.ItemIndex(), -1);
    EXPECT_EQ(form.RadioGroupWersja.ItemIndex(), 1);
    EXPECT_EQ(Prefix(form), "X ");
    EXPECT_EQ(ws.Registry.GetDword(HKCU, Settings, "Server"), -5);
    EXPECT_EQ(ws.Registry.GetDword(HKCU, Settings, "Wersja"), 7);
}

TEST_F(WizardStartTest, PrefixFollowsTheVersionAndTheTestCopy) {
    TForm2& form = ws.Open();
    struct Case {
        int Version;
        bool Copy;
        const char* Prefix;
    };
    const Case cases[] = {
        {0, false, "II "},
        {0, true, "Kopia "},
        {1, true, "KopiaX "},
        {1, false, "X "},
    };
    for (const Case& c : cases) {
        form.RadioGroupWersja.UserSelect(c.Version);
        if (form.CheckBoxKopia.Checked() != c.Copy) form.CheckBoxKopia.UserToggle();
        EXPECT_EQ(Prefix(form), c.Prefix) << "version " << c.Version << ", copy " << c.Copy;
    }
    // Neither the version nor the test copy is stored.
    EXPECT_EQ(ws.Registry.ValueNames(HKCU, Settings), Strings{});
}

TEST_F(WizardStartTest, ShowingRecomputesThePrefixFromTheChoicesOnScreen) {
    ws.StoreChoice("Wersja", 0);
    TForm2& form = ws.Open();
    EXPECT_EQ(Prefix(form), "II ");

    form.CheckBoxKopia.UserToggle();
    form.RadioGroupWersja.UserSelect(1);
    ASSERT_EQ(Prefix(form), "KopiaX ");

    // Back on page 0 the stored version returns and the prefix follows it,
    // the unremembered test copy included.
    form.ButtonDalej.Click();
    form.ButtonWstecz.Click();
    EXPECT_EQ(form.RadioGroupWersja.ItemIndex(), 0);
    EXPECT_TRUE(form.CheckBoxKopia.Checked());
    EXPECT_EQ(Prefix(form), "Kopia ");
}

TEST_F(WizardStartTest, ChangingTheServerStoresBothChoices) {
    TForm2& form = ws.Open();
    form.RadioGroupWersja.UserSelect(0);
    EXPECT_EQ(ws.Registry.ValueNames(HKCU, Settings), Strings{});

    form.RadioGroupSerwer.UserSelect(1);
    EXPECT_EQ(ws.Registry.GetDword(HKCU, Settings, "Server"), 1);
    EXPECT_EQ(ws.Registry.GetDword(HKCU, Settings, "Wersja"), 0);
    EXPECT_EQ(ws.Registry.GetValue(HKCU, Settings, "Server")->Type, fakereg::Dword);
    EXPECT_EQ(ws.Registry.GetValue(HKCU, Settings, "Wersja")->Type, fakereg::Dword);
}

TEST_F(WizardStartTest, AServerValueOfAnotherTypeIsReportedAndTheDefaultsStay) {
    ws.Registry.SetString(HKCU, Settings, "Server", "abc");
    ws.StoreChoice("Wersja", 0);
    TForm2& form = ws.Open();

    ASSERT_EQ(ws.ErrorBox.Shown.size(), 1u);
    EXPECT_EQ(ws.ErrorBox.Shown[0].first, WizardWorkstation::Title);
    EXPECT_EQ(ws.ErrorBox.Shown[0].second, "Niepoprawny typ danych : Server.");

    // The version after it is not applied either; the page still opens.
    EXPECT_EQ(form.RadioGroupSerwer.ItemIndex(), 0);
    EXPECT_EQ(form.RadioGroupWersja.ItemIndex(), 1);
    EXPECT_EQ(Prefix(form), "X ");
    EXPECT_EQ(form.PageControl1.ActivePage(), &form.TabSheet0);
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(ButtonsOf(form), (Buttons{false, true, false}));
    EXPECT_EQ(ws.Registry.LiveAccessorCount(), 0);
}

TEST_F(WizardStartTest, AVersionValueTooLongToReadLeavesTheServerApplied) {
    ws.StoreChoice("Server", 1);
    ws.Registry.SetValue(HKCU, Settings, "Wersja", {fakereg::Binary, std::string(8, '\0')});
    TForm2& form = ws.Open();

    EXPECT_EQ(ws.Errors(), Strings{"Pobranie danych dla 'Wersja' nie powiodło się."});
    EXPECT_EQ(form.RadioGroupSerwer.ItemIndex(), 1);
    EXPECT_EQ(form.RadioGroupWersja.ItemIndex(), 1);
}

TEST_F(WizardStartTest, EngineThatCannotStartIsReportedAndTheFormOpensWithoutTheServiceTable) {
    ws.Registry.RemoveKey(HKLM, WizardWorkstation::EngineKey);
    ws.StoreChoice("Wersja", 0);
    TSession other(ws.Registry, ws.Files, ws.Loader);
    const std::string engineMessage = ErrorText([&] { other.SetConfigMode(cmPersistent); });
    ASSERT_NE(engineMessage, "<no exception>");

    TForm2& form = ws.Open();

    EXPECT_EQ(ws.Errors(), Strings{TApplication::ErrorBoxText(engineMessage)});
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(form.PageControl1.ActivePage(), &form.TabSheet0);
    EXPECT_EQ(ButtonsOf(form), (Buttons{false, true, false}));
    EXPECT_FALSE(form.ClientDataSet1.Active());
    EXPECT_EQ(Prefix(form), "II ");
    EXPECT_EQ(form.LabelConfigFile.Caption(), "");
    EXPECT_TRUE(ws.Registry.HasKey(HKCU, Settings));
}

TEST_F(WizardStartTest, RegistryKeysAreOpenedWithTheirMasksAndReleased) {
    TForm2& form = ws.Open();
    form.RadioGroupSerwer.UserSelect(1);

    const auto engineOpens = ws.Registry.OpensOf(HKLM, WizardWorkstation::EngineKey);
    ASSERT_FALSE(engineOpens.empty());
    for (const auto& open : engineOpens) {
        EXPECT_EQ(open.Access, reg::KeyRead);
        EXPECT_FALSE(open.CanCreate);
    }
    const auto settingsOpens = ws.Registry.OpensOf(HKCU, Settings);
    ASSERT_EQ(settingsOpens.size(), 2u);  // restore, then store
    EXPECT_TRUE(settingsOpens[0].Created);
    for (const auto& open : settingsOpens) {
        EXPECT_EQ(open.Access, reg::KeyAllAccess);
        EXPECT_TRUE(open.CanCreate);
        EXPECT_TRUE(open.Succeeded);
    }
    EXPECT_EQ(ws.Registry.LiveAccessorCount(), 0);
    EXPECT_EQ(ws.Registry.OpenKeyCount(), 0);
}

TEST_F(WizardStartTest, PageZeroReadsBothKeysThroughOneAccessor) {
    TForm2& form = ws.Open();
    form.ButtonDalej.Click();
    const int before = ws.Registry.CreatedAccessorCount();
    ws.Registry.ClearOpens();

    form.ButtonWstecz.Click();

    EXPECT_EQ(ws.Registry.CreatedAccessorCount() - before, 1);
    const auto& opens = ws.Registry.Opens();
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_EQ(opens[0].Root, HKLM);
    EXPECT_EQ(opens[1].Root, HKCU);
}

TEST_F(WizardStartTest, ASettingsKeyThatCannotBeOpenedIsIgnoredSilently) {
    ws.Registry.Deny(HKCU, "\\software\\Veltra", fakereg::Denial::Open);
    TForm2& form = ws.Open();
    form.RadioGroupSerwer.UserSelect(1);

    EXPECT_EQ(ws.Errors(), Strings{});
    EXPECT_FALSE(ws.Registry.HasKey(HKCU, Settings));
    EXPECT_EQ(form.RadioGroupSerwer.ItemIndex(), 1);
    EXPECT_EQ(ws.Registry.LiveAccessorCount(), 0);
}

TEST_F(WizardStartTest, AFailedWriteIsReportedAndTheSelectionStays) {
    ws.Registry.CreateKey(HKCU, Settings);
    ws.Registry.FailWrites(HKCU, Settings);
    TForm2& form = ws.Open();

    ws.User([&] { form.RadioGroupSerwer.UserSelect(1); });

    // A closing quote sorts below the full stop: none is added.
    EXPECT_EQ(ws.Errors(), Strings{"Failed to set data for 'Server'"});
    EXPECT_EQ(form.RadioGroupSerwer.ItemIndex(), 1);
    EXPECT_EQ(ws.Registry.LiveAccessorCount(), 0);
}

TEST_F(WizardStartTest, TheConfigurationLabelKeepsItsCaptionWhenTheEngineKeyGoes) {
    TForm2& form = ws.Open();
    ws.Registry.RemoveKey(HKLM, WizardWorkstation::EngineKey);

    form.ButtonDalej.Click();
    form.ButtonWstecz.Click();

    EXPECT_EQ(form.LabelConfigFile.Caption(), WizardWorkstation::ConfigFile);
    EXPECT_EQ(ws.Errors(), Strings{});
}

TEST_F(WizardStartTest, OkOnTheStatusPageEndsTheProgram) {
    TForm2& form = ws.Open();
    ASSERT_EQ(ws.Application.MainForm(), &form);
    form.PageControl2.SetActivePage(&form.TabSheet5);  // where a successful apply leaves it
    ASSERT_FALSE(ws.Application.Terminated());

    form.Button1.Click();

    EXPECT_TRUE(ws.Application.Terminated());
    EXPECT_FALSE(form.Visible());
}

}  // namespace
