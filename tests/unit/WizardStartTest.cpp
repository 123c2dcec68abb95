// Start of the wizard: creating and showing the form, the remembered server
// type and version, the alias-name prefix, and the failures on the way; the
// choices on page 0 as input sequences against what each input left.
#include <gtest/gtest.h>

#include "fakes/ErrorText.h"
#include "unit/WizardInputs.h"

namespace {

using Strings = std::vector<std::string>;
using namespace input;

constexpr auto HKCU = reg::HKeyCurrentUser;
constexpr auto HKLM = reg::HKeyLocalMachine;
const char* const Settings = WizardWorkstation::SettingsKey;

const std::string& Prefix(const TForm2& form) { return WizardProbe::AliasPrefix(form); }

// The remembered choices: "none" without the key, else each value, numbers
// as numbers and any other type by its number.
std::string Stored(const WizardWorkstation& ws) {
    if (!ws.Registry.HasKey(HKCU, Settings)) return "none";
    std::string text = "{";
    for (const std::string& name : ws.Registry.ValueNames(HKCU, Settings)) {
        const auto number = ws.Registry.GetDword(HKCU, Settings, name);
        text += (text.size() > 1 ? " " : "") + name + "=" +
                (number ? std::to_string(*number) : "type " + std::to_string(ws.Registry.GetValue(HKCU, Settings, name)->Type));
    }
    return text + "}";
}

// Page 0 as the user sees it, and what is remembered.
std::string Choices(const WizardWorkstation& ws) {
    const TForm2& form = const_cast<WizardWorkstation&>(ws).Form();
    const std::string& label = form.LabelConfigFile.Caption();
    return Where(form) + " serwer " + std::to_string(form.RadioGroupSerwer.ItemIndex()) + " wersja " +
           std::to_string(form.RadioGroupWersja.ItemIndex()) + " kopia " + (form.CheckBoxKopia.Checked() ? "1" : "0") +
           " '" + Prefix(form) + "' " + (label == WizardWorkstation::ConfigFile ? "cfg" : "'" + label + "'") + " " +
           Stored(ws);
}

struct StartCase {
    const char* Name;
    std::function<void(WizardWorkstation&)> Before;  // the workstation as an earlier run left it
    std::vector<TInput> Inputs;
    Strings Recorded;  // before the start, after it, after each input
};

const auto Nothing = [](WizardWorkstation&) {};

// clang-format off
const StartCase StartCases[] = {
    {"FirstRunCreatesTheSettingsKeyEmptyAndShowsTheDefaults", Nothing, {},
     {"none", "page 0 [-D-] serwer 0 wersja 1 kopia 0 'X ' cfg {}"}},
    // Storing happens only on a user's change of the server group; a restore
    // that ran it would write the version beside the server.
    {"StoredChoicesAreRestoredWithoutBeingWritten", [](WizardWorkstation& ws) { ws.StoreChoice("Server", 1); }, {},
     {"{Server=1}", "page 0 [-D-] serwer 1 wersja 1 kopia 0 'X ' cfg {Server=1}"}},
    {"StoredIndicesOutOfRangeAreClamped",
     [](WizardWorkstation& ws) { ws.StoreChoice("Server", -5), ws.StoreChoice("Wersja", 7); }, {},
     {"{Server=-5 Wersja=7}", "page 0 [-D-] serwer -1 wersja 1 kopia 0 'X ' cfg {Server=-5 Wersja=7}"}},
    // Neither the version nor the test copy is stored.
    {"PrefixFollowsTheVersionAndTheTestCopy", Nothing, {Wersja(0), Kopia, Wersja(1), Kopia},
     {"none", "page 0 [-D-] serwer 0 wersja 1 kopia 0 'X ' cfg {}", "page 0 [-D-] serwer 0 wersja 0 kopia 0 'II ' cfg {}",
      "page 0 [-D-] serwer 0 wersja 0 kopia 1 'Kopia ' cfg {}", "page 0 [-D-] serwer 0 wersja 1 kopia 1 'KopiaX ' cfg {}",
      "page 0 [-D-] serwer 0 wersja 1 kopia 0 'X ' cfg {}"}},
    // Back on page 0 the stored version returns and the prefix follows it,
    // the unremembered test copy included.
    {"ShowingRecomputesThePrefixFromTheChoicesOnScreen", [](WizardWorkstation& ws) { ws.StoreChoice("Wersja", 0); },
     {Kopia, Wersja(1), Dalej, Wstecz},
     {"{Wersja=0}", "page 0 [-D-] serwer 0 wersja 0 kopia 0 'II ' cfg {Wersja=0}",
      "page 0 [-D-] serwer 0 wersja 0 kopia 1 'Kopia ' cfg {Wersja=0}",
      "page 0 [-D-] serwer 0 wersja 1 kopia 1 'KopiaX ' cfg {Wersja=0}",
      "page 1 [WD-] serwer 0 wersja 1 kopia 1 'KopiaX ' cfg {Wersja=0}",
      "page 0 [-D-] serwer 0 wersja 0 kopia 1 'Kopia ' cfg {Wersja=0}"}},
    {"ChangingTheServerStoresBothChoicesAsNumbers", Nothing, {Wersja(0), Serwer(1), Serwer(0)},
     {"none", "page 0 [-D-] serwer 0 wersja 1 kopia 0 'X ' cfg {}", "page 0 [-D-] serwer 0 wersja 0 kopia 0 'II ' cfg {}",
      "page 0 [-D-] serwer 1 wersja 0 kopia 0 'II ' cfg {Server=1 Wersja=0}",
      "page 0 [-D-] serwer 0 wersja 0 kopia 0 'II ' cfg {Server=0 Wersja=0}"}},
    // The version after it is not applied either; the page still opens.
    {"AServerValueOfAnotherTypeIsReportedAndTheDefaultsStay",
     [](WizardWorkstation& ws) { ws.Registry.SetString(HKCU, Settings, "Server", "abc"), ws.StoreChoice("Wersja", 0); }, {},
     {"{Server=type 1 Wersja=0}", "page 0 [-D-] serwer 0 wersja 1 kopia 0 'X ' cfg {Server=type 1 Wersja=0}",
      "! Niepoprawny typ danych : Server."}},
    {"AVersionValueTooLongToReadLeavesTheServerApplied",
     [](WizardWorkstation& ws) {
         ws.StoreChoice("Server", 1);
         ws.Registry.SetValue(HKCU, Settings, "Wersja", {fakereg::Binary, std::string(8, '\0')});
     }, {},
     {"{Server=1 Wersja=type 3}", "page 0 [-D-] serwer 1 wersja 1 kopia 0 'X ' cfg {Server=1 Wersja=type 3}",
      "! Pobranie danych dla 'Wersja' nie powiodło się."}},
    {"ASettingsKeyThatCannotBeOpenedIsIgnoredSilently",
     [](WizardWorkstation& ws) { ws.Registry.Deny(HKCU, "\\software\\Veltra", fakereg::Denial::Open); }, {Serwer(1)},
     {"none", "page 0 [-D-] serwer 0 wersja 1 kopia 0 'X ' cfg none", "page 0 [-D-] serwer 1 wersja 1 kopia 0 'X ' cfg none"}},
    // A closing quote sorts below the full stop: none is added.
    {"AFailedWriteIsReportedAndTheSelectionStays",
     [](WizardWorkstation& ws) { ws.Registry.CreateKey(HKCU, Settings), ws.Registry.FailWrites(HKCU, Settings); }, {Serwer(1)},
     {"{}", "page 0 [-D-] serwer 0 wersja 1 kopia 0 'X ' cfg {}", "page 0 [-D-] serwer 1 wersja 1 kopia 0 'X ' cfg {}",
      "! Failed to set data for 'Server'"}},
    {"TheConfigurationLabelKeepsItsCaptionWhenTheEngineKeyGoes", Nothing,
     {World([](WizardWorkstation& ws) { ws.Registry.RemoveKey(HKLM, WizardWorkstation::EngineKey); }), Dalej, Wstecz},
     {"none", "page 0 [-D-] serwer 0 wersja 1 kopia 0 'X ' cfg {}", "page 0 [-D-] serwer 0 wersja 1 kopia 0 'X ' cfg {}",
      "page 1 [WD-] serwer 0 wersja 1 kopia 0 'X ' cfg {}", "page 0 [-D-] serwer 0 wersja 1 kopia 0 'X ' cfg {}"}},
};
// clang-format on

class WizardStartTableTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(WizardStartTableTest, RecordsPageZeroAndTheRememberedChoices) {
    const StartCase& c = GetParam();
    WizardWorkstation ws;
    c.Before(ws);
    Strings tape = {Stored(ws)};
    TForm2& form = ws.Open();
    EXPECT_TRUE(form.Visible());
    tape.push_back(Choices(ws));
    for (const auto& [caption, text] : ws.ErrorBox.Shown) {
        EXPECT_EQ(caption, WizardWorkstation::Title);
        tape.push_back("! " + text);
    }
    RecordInto(tape, ws, c.Inputs, [&](const TForm2&) { return Choices(ws); });
    EXPECT_EQ(tape, c.Recorded);
    EXPECT_EQ(ws.Registry.LiveAccessorCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Starts, WizardStartTableTest, ::testing::ValuesIn(StartCases),
                         [](const auto& info) { return std::string(info.param.Name); });

class WizardStartTest : public ::testing::Test {
protected:
    WizardWorkstation ws;
};

TEST_F(WizardStartTest, ShowingOpensTheWizardOnItsFirstPageWithTheServiceTableReady) {
    TForm2& form = ws.Open();

    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(form.PageControl2.ActivePage(), &form.TabSheet4);
    EXPECT_EQ(form.PageControl1.ActivePage(), &form.TabSheet0);
    EXPECT_TRUE(form.TabSheet0.Showing());
    EXPECT_EQ(Where(form), "page 0 [-D-]");
    EXPECT_EQ(form.RadioGroupSerwer.Items()[0], "Microsoft SQL Server");
    EXPECT_EQ(form.RadioGroupWersja.Items()[1], "10 (X)");

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

TEST_F(WizardStartTest, EngineThatCannotStartIsReportedAndTheFormOpensWithoutTheServiceTable) {
    ws.Registry.RemoveKey(HKLM, WizardWorkstation::EngineKey);
    ws.StoreChoice("Wersja", 0);
    TSession other(ws.Registry, ws.Files, ws.Loader);
    const std::string engineMessage = ErrorText([&] { other.SetConfigMode(cmPersistent); });
    ASSERT_NE(engineMessage, "<no exception>");

    TForm2& form = ws.Open();

    EXPECT_EQ(ws.Errors(), Strings{TApplication::ErrorBoxText(engineMessage)});
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(Choices(ws), "page 0 [-D-] serwer 0 wersja 0 kopia 0 'II ' '' {Wersja=0}");
    EXPECT_FALSE(form.ClientDataSet1.Active());
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

}  // namespace
