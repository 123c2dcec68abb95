// The schema-user lists of page 6, through the engine's Oracle driver and
// the stand-in client library: filled, silent when the server cannot be
// reached, and shown when reading the rows fails.
#include <gtest/gtest.h>

#include "fakes/OracleHome.h"
#include "fakes/WizardHarness.h"

namespace {

using Strings = std::vector<std::string>;

const Strings kUsers = {"SYS", "SYSTEM", "VELTRA_OCHRONA", "VELTRA_RN", "KSIĘGOWOŚĆ"};

class SchemaUsersTest : public ::testing::Test {
protected:
    // Page 6, the service box naming the stand-in's one service.
    TForm2& OpenUserPage() {
        ws.Loader.MapPath("oci.dll", OCI_STANDIN_PATH);
        const std::string names = "veltra=(DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=TCP)(HOST=h)(PORT=1))))\r\n";
        SeedOracleHome(ws, {}, &names);
        ws.StoreChoice("Server", 1);
        TForm2& form = ws.Open();
        for (int i = 0; i < 3; ++i) form.ButtonDalej.Click();
        return form;
    }

    std::vector<Strings> Lists(const TForm2& form) {
        return {form.ComboBoxUserOchrona.Items().ToVector(), form.ComboBoxUserRN.Items().ToVector(),
                form.ComboBoxUserLiczniki.Items().ToVector()};
    }

    WizardWorkstation ws;
};

TEST_F(SchemaUsersTest, EveryOpeningLogsInAndFillsTheLists) {
    TForm2& form = OpenUserPage();
    ASSERT_EQ(form.ComboBoxOracleServer.Text(), "VELTRA");

    form.ComboBoxUserLiczniki.UserDropDown();
    EXPECT_EQ(Lists(form), (std::vector<Strings>{kUsers, kUsers, kUsers}));
    EXPECT_EQ(form.ComboBoxUserOchrona.Text(), "VELTRA_OCHRONA");
    EXPECT_EQ(form.ComboBoxUserLiczniki.Text(), "");
    EXPECT_FALSE(form.Query2.Active());
    const TStringList& params = form.DatabaseOracle.Params;
    EXPECT_EQ(params.Values("SERVER NAME"), "VELTRA");
    EXPECT_EQ(params.Values("USER NAME"), "sysveltra");
    EXPECT_EQ(params.Lines().back(), "password=mnpdarvel");

    // A service the client cannot resolve: Ochrona's list empties, silently.
    form.ComboBoxOracleServer.SetText("NIEZNANY");
    form.ComboBoxUserRN.UserDropDown();
    EXPECT_EQ(Lists(form), (std::vector<Strings>{{}, kUsers, kUsers}));
    EXPECT_EQ(params.Lines().back(), "password=mnpdarvel");
    EXPECT_EQ(ws.Errors(), Strings{});
}

TEST_F(SchemaUsersTest, AnErrorWhileReadingIsShownWithTheRowsReadSoFar) {
    TForm2& form = OpenUserPage();
    form.ComboBoxUserOchrona.UserDropDown();
    form.Query2.SQL = {"select USERNAME from BROKEN_USERS"};

    ws.User([&] { form.ComboBoxUserOchrona.UserDropDown(); });

    EXPECT_EQ(ws.Errors(), Strings{"ORA-03113: end-of-file on communication channel."});
    EXPECT_EQ(Lists(form), (std::vector<Strings>{{"SYS", "SYSTEM"}, kUsers, kUsers}));
    EXPECT_FALSE(form.Query2.Active());
}

}  // namespace
