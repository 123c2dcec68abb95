// The net service page over a real-world names file, the edited mark, the
// checks on leaving the page, and what the writers leave alone.
#include <gtest/gtest.h>

#include "fakes/ErrorText.h"
#include "fakes/OracleHome.h"
#include "fakes/WizardHarness.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace {

using Strings = std::vector<std::string>;

// Entries of several forms, after a stray continuation; only XE.SERWER and
// ZETA can be stored.
const Strings kNamesFile = {
    "  (DESCRIPTION = (ADDRESS_LIST = (ADDRESS = (HOST = x))))",
    "# tnsnames.ora",
    "",
    "XE.SERWER = (DESCRIPTION = (ADDRESS_LIST = (ADDRESS = (PROTOCOL = TCP)(HOST = serwer)(PORT = 1521)))",
    "    (CONNECT_DATA = (SERVICE_NAME = XE)))",
    "",
    "RONDEL.VELTRA = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = 192.0.2.20)(PORT = 1521)))",
    "lower=(description=(address_list=(address=(protocol=tcp)(host=h)(port=1))))",
    "xe.serwer=(DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=TCP)(HOST=repeated)(PORT=1))))",
    "IFILE = C:\\oracle\\inne.ora",
    "zeta = (DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=TCP)(HOST=księgowość)(PORT=1526)))",
    "\t(CONNECT_DATA=(SERVICE_NAME=ZETA)))",
};

class NetServicePageTest : public ::testing::Test {
protected:
    // Page 4 of the Oracle path over the names file above.
    TForm2& OpenServicePage() {
        const std::string bytes = Utf8ToCp1250(JoinLinesCrLf(kNamesFile));
        admin = SeedOracleHome(ws, {}, &bytes);
        ws.StoreChoice("Server", 1);
        TForm2& form = ws.Open();
        form.ButtonDalej.Click();
        form.ButtonDalej.Click();
        return form;
    }

    Strings Current(const TForm2& form) {
        return {form.ClientDataSet1Name().AsString(), form.ClientDataSet1ADDR_ADDR_PROT().AsString(),
                form.ClientDataSet1ADDR_ADDR_HOST().AsString(), form.ClientDataSet1ADDR_ADDR_PORT().AsString(),
                form.ClientDataSet1CONN_SERV().AsString()};
    }

    void Dalej() { ws.User([&] { ws.Form().ButtonDalej.Click(); }); }

    WizardWorkstation ws;
    std::string admin;
};

TEST_F(NetServicePageTest, EntriesTheTableCannotKeepAreSkippedAndTheLoadGoesOn) {
    TForm2& form = OpenServicePage();

    EXPECT_EQ(ws.Errors(), Strings{});
    EXPECT_EQ(form.ComboBoxOracleServer.Items().ToVector(), (Strings{"XE.SERWER", "ZETA"}));
    EXPECT_EQ(form.ComboBoxOracleServer.Text(), "XE.SERWER");
    EXPECT_EQ(form.ClientDataSet1.State(), dsBrowse);
    EXPECT_EQ(Current(form), (Strings{"XE.SERWER", "TCP", "serwer", "1521", "XE"}));
    EXPECT_EQ(WizardProbe::NetAdminDir(form), admin);
    EXPECT_EQ(WizardProbe::TnsNamesLines(form).Lines(), kNamesFile);

    // Picking the other entry; typing a name in other case starts a new one.
    form.ComboBoxOracleServer.UserPick(1);
    EXPECT_EQ(Current(form), (Strings{"ZETA", "TCP", "księgowość", "1526", "ZETA"}));
    form.ComboBoxOracleServer.UserType("zeta");
    EXPECT_EQ(form.ClientDataSet1.State(), dsInsert);
    EXPECT_EQ(Current(form), (Strings{"", "TCP", "", "1521", "XE"}));
    EXPECT_FALSE(WizardProbe::ServiceTableEdited(form));
}

TEST_F(NetServicePageTest, TheMainAliasNamesTheServiceAtTheFirstShowingOnly) {
    ws.Session.SetConfigMode(cmPersistent);
    ws.Session.AddAlias("X Veltra- RN", "ORACLE", {"SERVER NAME=zeta"});
    TForm2& form = OpenServicePage();
    EXPECT_EQ(form.ComboBoxOracleServer.Text(), "ZETA");
    EXPECT_EQ(Current(form)[2], "księgowość");

    form.ButtonWstecz.Click();
    form.ButtonDalej.Click();
    EXPECT_EQ(form.ComboBoxOracleServer.Text(), "XE.SERWER");
}

TEST_F(NetServicePageTest, TheEditedMarkFollowsTheUsersChanges) {
    struct Case {
        const char* Name;
        const char* Box;   // typed into the service-name box first, when set
        bool TypeHost;
        bool Edited;
    };
    const Case cases[] = {
        {"stored entry passed through", nullptr, false, false},
        {"stored entry changed", nullptr, true, true},
        {"new entry typed", "NOWY", true, true},
        {"new entry only named", "NOWY", false, false},
    };
    TForm2& form = OpenServicePage();
    for (const Case& c : cases) {
        form.ButtonWstecz.Click();
        form.ButtonDalej.Click();
        if (c.Box) form.ComboBoxOracleServer.UserType(c.Box);
        if (c.TypeHost) form.DBEdit2.UserType("inny");
        // Dropping the change keeps the mark.
        form.ComboBoxOracleServer.UserType("XE.SERWER");
        EXPECT_EQ(WizardProbe::ServiceTableEdited(form), c.Edited) << c.Name;
    }
}

TEST_F(NetServicePageTest, TextThatWouldBreakTheFileKeepsThePage) {
    struct Case {
        const char* Box;
        const char* Host;  // typed into the host edit, when set
        const char* Message;
    };
    const char* kNameMessage = "Nazwa serwisu Oracle nie może zawierać spacji, znaków sterujących, znaków = ( ) # ani cudzysłowu.";
    const Case cases[] = {
        {"NOWY SERWIS", "h", kNameMessage},
        {"NOWY=1", "h", kNameMessage},
        {"NOWY#", "h", kNameMessage},
        {"XE.SERWER", "h(1)", "Pole 'Nazwa lub IP serwera' nie może zawierać znaków sterujących, znaków = ( ) # ani cudzysłowu."},
    };
    TForm2& form = OpenServicePage();
    for (const Case& c : cases) {
        ws.ClearErrors();
        form.ComboBoxOracleServer.UserType(c.Box);
        form.DBEdit2.UserType(c.Host);
        Dalej();
        EXPECT_EQ(ws.Errors(), Strings{c.Message}) << c.Box;
        EXPECT_EQ(form.PageControl1.ActivePage(), &form.TabSheet2Oracle) << c.Box;
        EXPECT_EQ(form.ClientDataSet1.RecordCount(), 2) << c.Box;
    }
    // A blank inside a field is the user's business.
    form.ComboBoxOracleServer.UserType("NOWY");
    form.DBEdit2.UserType("my host");
    Dalej();
    EXPECT_EQ(form.PageControl1.ActivePage(), &form.TabSheet3Oracle);
}

// The apply's writes are in the apply suite; here what is not written.
TEST_F(NetServicePageTest, AnUneditedTableWritesNoNamesFileAndAFailedWriteNamesThePath) {
    TForm2& form = OpenServicePage();
    form.SaveNetServiceEntry();
    EXPECT_EQ(ws.Files.WriteCount(), 0);
    EXPECT_EQ(form.MemoStatus.Lines().Count(), 0);

    ws.Files.FailNextWrite(FakeFileSystem::AccessDenied);
    const std::string error = ErrorText([&] { form.UpdateSqlNetFile(); });
    EXPECT_NE(error.find(admin + "sqlnet.ora"), std::string::npos) << error;
    EXPECT_EQ(form.MemoStatus.Lines().Count(), 0);
}

}  // namespace
