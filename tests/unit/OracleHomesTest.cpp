// The Oracle home page against the fake registry: which subkeys are homes,
// the list's order, the chosen home's settings and the one-time schema users.
#include <gtest/gtest.h>

#include "fakes/OracleHome.h"
#include "fakes/WizardHarness.h"
#include "platform/Text.h"

namespace {

using Strings = std::vector<std::string>;
constexpr const char* kOracle = "\\SOFTWARE\\ORACLE\\";

class OracleHomesTest : public ::testing::Test {
protected:
    void Value(const std::string& subkey, const std::string& name, const std::string& value) {
        ws.Registry.SetString(reg::HKeyLocalMachine, kOracle + subkey, name, value);
    }

    // Page 2 of the Oracle path.
    TForm2& OpenHomePage() {
        ws.StoreChoice("Server", 1);
        TForm2& form = ws.Open();
        form.ButtonDalej.Click();
        return form;
    }

    Strings Fields(const TForm2& form) {
        return {form.ComboBoxOracleHome.Text(), form.EditBoundle.Text(), form.EditNLS.Text(), form.EditFolderHome.Text()};
    }

    WizardWorkstation ws;
};

TEST_F(OracleHomesTest, HomesAreListedSortedAndEachFindsItsOwnSubkey) {
    // The registry lists the subkeys K1, K2... in that order.
    Value("K1", "ORACLE_HOME_NAME", "Beta");
    Value("K1", "ORACLE_HOME", "C:\\b");
    Value("K1", "NLS_LANG", "POLISH_POLAND.EE8MSWIN1250");
    Value("K1", "ORACLE_BUNDLE_NAME", "Enterprise");
    Value("K2", "ORACLE_HOME_NAME", "Alfa");
    Value("K2", "ORACLE_HOME", "C:\\a");
    Value("K3", "ORACLE_HOME_NAME", "Beta");
    Value("K3", "ORACLE_HOME", "C:\\b2");
    Value("K4", "ORACLE_HOME", "C:\\no-name");
    Value("K5", "ORACLE_HOME_NAME", "No folder");
    Value("K6\\Deeper", "ORACLE_HOME_NAME", "Too deep");
    Value("K6\\Deeper", "ORACLE_HOME", "C:\\deep");
    TForm2& form = OpenHomePage();

    EXPECT_EQ(form.ComboBoxOracleHome.Items().ToVector(), (Strings{"Alfa", "Beta", "Beta"}));
    EXPECT_EQ(Fields(form), (Strings{"Alfa", "", "", "C:\\a"}));

    // Each pick reads its own home; a value the home lacks leaves the field as it was.
    const std::pair<int, Strings> picks[] = {
        {1, {"Beta", "Enterprise", "POLISH_POLAND.EE8MSWIN1250", "C:\\b"}},
        {2, {"Beta", "Enterprise", "POLISH_POLAND.EE8MSWIN1250", "C:\\b2"}},
        {0, {"Alfa", "Enterprise", "POLISH_POLAND.EE8MSWIN1250", "C:\\a"}},
        {2, {"Beta", "Enterprise", "POLISH_POLAND.EE8MSWIN1250", "C:\\b2"}},
    };
    for (const auto& [index, fields] : picks) {
        form.ComboBoxOracleHome.UserPick(index);
        EXPECT_EQ(Fields(form), fields) << "pick " << index;
    }

    // Coming back rebuilds the list and selects the first home again.
    form.ButtonWstecz.Click();
    form.ButtonDalej.Click();
    EXPECT_EQ(form.ComboBoxOracleHome.Items().Count(), 3);
    EXPECT_EQ(Fields(form), (Strings{"Alfa", "Enterprise", "POLISH_POLAND.EE8MSWIN1250", "C:\\a"}));

    EXPECT_EQ(ws.Errors(), Strings{});
    EXPECT_EQ(ws.Registry.OpenKeyCount(), 0);
    for (const fakereg::OpenRecord& open : ws.Registry.Opens()) {
        if (open.Path.rfind("\\SOFTWARE\\ORACLE", 0) != 0) continue;
        EXPECT_EQ(open.Access, reg::KeyRead) << open.Path;
        EXPECT_FALSE(open.CanCreate) << open.Path;
    }
}

TEST_F(OracleHomesTest, NoOracleKeyLeavesTheListEmptyWithoutAWord) {
    TForm2& form = OpenHomePage();
    EXPECT_EQ(form.ComboBoxOracleHome.Items().Count(), 0);
    EXPECT_EQ(Fields(form), (Strings{"", "", "", ""}));
    EXPECT_EQ(ws.Errors(), Strings{});
}

TEST_F(OracleHomesTest, AValueOfAnotherTypeIsShownAndTheKeysAreClosed) {
    Value("K1", "ORACLE_HOME", "C:\\a");
    ws.Registry.SetDword(reg::HKeyLocalMachine, std::string(kOracle) + "K1", "ORACLE_HOME_NAME", 7);
    OpenHomePage();
    EXPECT_EQ(ws.Errors(), Strings{"Niepoprawny typ danych : ORACLE_HOME_NAME."});
    EXPECT_EQ(ws.Registry.OpenKeyCount(), 0);
}

TEST_F(OracleHomesTest, SchemaUsersComeOnceFromTheAliasesOfTheCurrentPrefix) {
    ws.StoreChoice("Server", 1);
    TForm2& form = ws.Open();
    const std::string stem = WizardProbe::AliasPrefix(form) + "Veltra- ";
    ws.Session.AddAlias(UpperCase(stem) + "OCHRONA", "ORACLE", {"SERVER NAME=X", "USER NAME=OCHR"});
    ws.Session.AddAlias(stem + "RN", "ORACLE", {"USER NAME="});
    ws.Session.AddAlias(stem + "RN- Liczniki", "ORACLE", {"USER NAME=LICZ"});
    ws.Session.AddAlias("Veltra- RN", "ORACLE", {"USER NAME=UNPREFIXED"});

    form.ButtonDalej.Click();
    EXPECT_EQ(form.ComboBoxUserOchrona.Text(), "OCHR");
    EXPECT_EQ(form.ComboBoxUserRN.Text(), "VELTRA_RN");
    EXPECT_EQ(form.ComboBoxUserLiczniki.Text(), "LICZ");

    // A name typed afterwards survives the page's next showing.
    form.ComboBoxUserOchrona.SetText("TYPED");
    form.ButtonWstecz.Click();
    form.ButtonDalej.Click();
    EXPECT_EQ(form.ComboBoxUserOchrona.Text(), "TYPED");
    EXPECT_EQ(ws.Errors(), Strings{});
}

}  // namespace
