// The net service page over a real-world names file, the edited mark, the
// checks on leaving the page, and the two writers with their log lines.
#include <gtest/gtest.h>

#include "fakes/ErrorText.h"
#include "fakes/OracleHome.h"
#include "fakes/WizardHarness.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace {

using Strings = std::vector<std::string>;

// Entries of several forms; only XE.SERWER and ZETA can be stored.
const Strings kNamesFile = {
    "# tnsnames.ora",
    "",
    "XE.SERWER =",
    "  (DESCRIPTION =",
    "    (ADDRESS_LIST =",
    "      (ADDRESS = (PROTOCOL = TCP)(HOST = serwer)(PORT = 1521))",
    "    )",
    "    (CONNECT_DATA =",
    "      (SERVICE_NAME = XE)",
    "    )",
    "  )",
    "",
    "RONDEL.VELTRA =",
    "  (DESCRIPTION =",
    "    (ADDRESS = (PROTOCOL = TCP)(HOST = 192.0.2.20)(PORT = 1521))",
    "    (CONNECT_DATA = (SID = RONDEL))",
    "  )",
    "lower=(description=(address_list=(address=(protocol=tcp)(host=h)(port=1))))",
    "xe.serwer=(DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=TCP)(HOST=repeated)(PORT=1))))",
    "IFILE = C:\\oracle\\inne.ora",
    "zeta = (DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=TCP)(HOST=księgowość)(PORT=1526)))",
    "\t(CONNECT_DATA=(SERVICE_NAME=ZETA)))",
};

std::string FileBytes(const Strings& lines, const char* end = "\r\n") {
    std::string text;
    for (const std::string& line : lines) text += line + end;
    return Utf8ToCp1250(text);
}

class NetServicePageTest : public ::testing::Test {
protected:
    // Page 4 of the Oracle path over the given names file.
    TForm2& OpenServicePage(const std::string& bytes) {
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

    void Dalej() {
        ws.User([&] { ws.Form().ButtonDalej.Click(); });
    }

    WizardWorkstation ws;
    std::string admin;
};

TEST_F(NetServicePageTest, EntriesTheTableCannotKeepAreSkippedAndTheLoadGoesOn) {
    TForm2& form = OpenServicePage(FileBytes(kNamesFile, "\n"));

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

TEST_F(NetServicePageTest, AContinuationBeforeAnyEntryIsIgnored) {
    Strings lines = {"  (DESCRIPTION = (ADDRESS_LIST = (ADDRESS = (HOST = x))))"};
    lines.insert(lines.end(), kNamesFile.begin(), kNamesFile.end());
    TForm2& form = OpenServicePage(FileBytes(lines, "\r"));
    EXPECT_EQ(ws.Errors(), Strings{});
    EXPECT_EQ(form.ClientDataSet1.RecordCount(), 2);
}

TEST_F(NetServicePageTest, TheMainAliasNamesTheServiceAtTheFirstShowingOnly) {
    ws.StoreChoice("Server", 1);
    const std::string bytes = FileBytes(kNamesFile);
    admin = SeedOracleHome(ws, {}, &bytes);
    TForm2& form = ws.Open();
    ws.Session.AddAlias(WizardProbe::AliasPrefix(form) + "Veltra- RN", "ORACLE", {"SERVER NAME=zeta"});
    form.ButtonDalej.Click();
    form.ButtonDalej.Click();
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
    TForm2& form = OpenServicePage(FileBytes(kNamesFile));
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
    TForm2& form = OpenServicePage(FileBytes(kNamesFile));
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

TEST_F(NetServicePageTest, WritersChangeOnlyWhatIsNeededAndLogIt) {
    TForm2& form = OpenServicePage(FileBytes(kNamesFile));
    const std::string names = admin + "tnsnames.ora";
    const std::string sqlnet = admin + "sqlnet.ora";

    // Unedited: only the missing settings file is written.
    form.UpdateSqlNetFile();
    form.SaveNetServiceEntry();
    EXPECT_EQ(ws.Files.Bytes(sqlnet), "SQLNET.AUTHENTICATION_SERVICES=(NTS)\r\nNAMES.DIRECTORY_PATH=(TNSNAMES)\r\n");
    EXPECT_EQ(ws.Files.WriteCount(names), 0);
    form.UpdateSqlNetFile();
    EXPECT_EQ(ws.Files.WriteCount(sqlnet), 1);
    EXPECT_EQ(form.MemoStatus.Lines().ToVector(), (Strings{"  Utworzono plik", "     \"" + sqlnet + "\"", ""}));

    // The edited entry moves to the end in the wizard's layout; every other line stays.
    form.ComboBoxOracleServer.UserPick(1);
    form.DBEdit2.UserType("nowy.host");
    form.ButtonDalej.Click();
    form.MemoStatus.Lines().Clear();
    form.SaveNetServiceEntry();
    Strings expected(kNamesFile.begin(), kNamesFile.end() - 2);
    for (const char* line : {"ZETA =", "  (DESCRIPTION =", "    (ADDRESS_LIST =",
                             "      (ADDRESS = (PROTOCOL = TCP)(HOST = nowy.host)(PORT = 1526))", "    )",
                             "    (CONNECT_DATA =", "      (SERVICE_NAME = ZETA)", "    )", "  )"})
        expected.push_back(line);
    EXPECT_EQ(ws.Files.Bytes(names), FileBytes(expected));
    EXPECT_EQ(form.MemoStatus.Lines().ToVector(), (Strings{"  Zmodyfikowano plik", "     \"" + names + "\"", ""}));

    // A file that cannot be written stops with its path named.
    ws.Files.SetReadOnly(names);
    form.MemoStatus.Lines().Clear();
    const std::string error = ErrorText([&] { form.SaveNetServiceEntry(); });
    EXPECT_NE(error.find(names), std::string::npos) << error;
    EXPECT_EQ(form.MemoStatus.Lines().Count(), 0);
}

}  // namespace
