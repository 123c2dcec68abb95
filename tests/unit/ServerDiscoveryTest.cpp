// The server list of page 3: what the two search methods put into it, what
// a failure leaves there, and the wait cursor around every search.
#include <gtest/gtest.h>

#include "fakes/WizardHarness.h"
#include "mssql/SqlServerLists.h"

namespace {

using Strings = std::vector<std::string>;

class ServerDiscoveryTest : public ::testing::Test {
protected:
    // The wizard on the server page, the list holding an earlier search's
    // entries and the user's own text in the field.
    TForm2& OnServerPage(bool browse = true) {
        ws.StoreChoice("Server", 0);
        TForm2& form = ws.Open();
        form.ButtonDalej.Click();
        form.ButtonDalej.Click();
        form.CheckBoxDMO.SetChecked(browse);
        form.ComboBoxServer.Items().Assign(Strings{"EARLIER"});
        form.ComboBoxServer.SetText("wpisany");
        ws.Application.Screen().SetView(&screen);
        return form;
    }

    Strings OpenList() {
        ws.User([&] { ws.Form().ComboBoxServer.UserDropDown(); });
        return ws.Form().ComboBoxServer.Items().ToVector();
    }

    WizardWorkstation ws;
    TRecordingScreen screen;
};

struct BrowseCase {
    const char* Name;
    std::optional<std::string> Answer;
    Strings Expected;
};

class BrowseAnswerTest : public ServerDiscoveryTest, public ::testing::WithParamInterface<BrowseCase> {};

TEST_P(BrowseAnswerTest, FillsTheList) {
    TForm2& form = OnServerPage();
    ws.OdbcBrowser.Answer = GetParam().Answer;
    EXPECT_EQ(OpenList(), GetParam().Expected);
    EXPECT_EQ(ws.OdbcBrowser.Requests, Strings{"DRIVER=SQL Native Client"});
    EXPECT_EQ(form.ComboBoxServer.Text(), "wpisany");
    EXPECT_EQ(screen.Cursors, (std::vector<TCursor>{crHourGlass, crDefault}));
    EXPECT_TRUE(ws.Errors().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, BrowseAnswerTest,
    ::testing::Values(
        BrowseCase{"TwoServers", "SERVER:Server={A,B\\INST};UID:Login ID=?", {"A", "B\\INST"}},
        BrowseCase{"EmptyBraces", "SERVER:Server={}", {}},
        BrowseCase{"NoServerItem", "UID:Login ID=?;PWD:Password=?", {}},
        BrowseCase{"FailedBrowse", std::nullopt, {"EARLIER"}},
        BrowseCase{"NameWithoutRegardToCase", "server:SERVER={X};", {"X"}},
        BrowseCase{"BlanksDropAndSplit", "  \"SERVER:Server={ A , B C ,D}\"", {"A", "B", "C", "D"}},
        BrowseCase{"OnlyFirstBraceOfEachKind", "SERVER:Server=A}{B,{C}", {"AB", "{C}"}},
        BrowseCase{"QuotedItemKeepsItsDelimiter", "\"SERVER:Server={A;B}\";UID:x=?", {"A;B"}},
        BrowseCase{"DoubledQuote", "SERVER:Server={\"A\"\"B\",C}", {"A\"B", "C"}},
        BrowseCase{"EmptyItemsStay", "SERVER:Server={A,,B,}", {"A", "", "B", ""}},
        BrowseCase{"BlankEndsTheAnswersItem", "SERVER:Server={A B};UID:x=?", {"A"}}),
    [](const auto& info) { return std::string(info.param.Name); });

struct ServiceCase {
    const char* Service;
    std::optional<std::string> Entry;
};

TEST(SqlServerInstanceEntryTest, AcceptsTheServerServicesOnly) {
    const ServiceCase cases[] = {
        {"MSSQLSERVER", "M"},           {"mssqlserver", "M"},
        {"MSSQL$SQLEXPRESS", "M\\SQLEXPRESS"}, {"mssql$dev", "M\\dev"},
        {"MSSQL$", "M"},                {"MSSQL$A$B", "M\\A$B"},
        {"MSSQLServerADHelper", {}},    {"SQLAgent$X", {}},
        {"MSSQLFDLauncher$X", {}},      {"MSSQL", {}},
        {"MSSQLSERVER2", {}},           {"", {}},
    };
    for (const ServiceCase& c : cases) EXPECT_EQ(SqlServerInstanceEntry("M", c.Service), c.Entry) << c.Service;
}

TEST(MachinePathTest, TwoBackslashesAndAtMost255Characters) {
    EXPECT_EQ(MachinePath("SERWER"), "\\\\SERWER");
    EXPECT_EQ(MachinePath(std::string(300, 'x')), "\\\\" + std::string(253, 'x'));
    // Counted in the ANSI code page, where "Ł" is one character.
    EXPECT_EQ(MachinePath(std::string(252, 'x') + "ŁŁ"), "\\\\" + std::string(252, 'x') + "Ł");
}

struct EnumCase {
    const char* Name;
    std::optional<Strings> Machines;
    Strings Expected;
};

class ServiceMethodTest : public ServerDiscoveryTest, public ::testing::WithParamInterface<EnumCase> {
protected:
    void SetUp() override {
        ws.ServiceManager.Services = {
            {"\\\\M", {"MSSQLSERVER", "MSSQLServerADHelper", "MSSQL$SQLEXPRESS", "SQLAgent$SQLEXPRESS"}},
            {"\\\\N", {"mssql$dev", "MSSQL$"}},
            {"\\\\BEZ", {"Spooler", "SQLBrowser"}},
        };
    }
};

TEST_P(ServiceMethodTest, FillsTheList) {
    TForm2& form = OnServerPage(false);
    ws.ServerEnumerator.Machines = GetParam().Machines;
    EXPECT_EQ(OpenList(), GetParam().Expected);
    EXPECT_EQ(form.ComboBoxServer.Text(), "wpisany");
    EXPECT_TRUE(ws.OdbcBrowser.Requests.empty());
    EXPECT_EQ(screen.Cursors, (std::vector<TCursor>{crHourGlass, crDefault}));
    Strings asked;
    for (const std::string& machine : GetParam().Machines.value_or(Strings{})) asked.push_back("\\\\" + machine);
    EXPECT_EQ(ws.ServiceManager.Opened, asked);
}

// "NIEDOSTEPNY" refuses the service manager; "BEZ" runs no SQL Server.
INSTANTIATE_TEST_SUITE_P(
    Machines, ServiceMethodTest,
    ::testing::Values(EnumCase{"InstancesInTheManagersOrder", Strings{"M", "N"}, {"M", "M\\SQLEXPRESS", "N\\dev", "N"}},
                      EnumCase{"RefusingAndEmptyMachinesLeftOut", Strings{"NIEDOSTEPNY", "BEZ", "N"}, {"N\\dev", "N"}},
                      EnumCase{"MachineTwiceListedTwice", Strings{"N", "N"}, {"N\\dev", "N", "N\\dev", "N"}},
                      EnumCase{"NoMachines", Strings{}, {}},
                      EnumCase{"FailedEnumeration", std::nullopt, {"EARLIER"}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ServerDiscoveryTest, EveryOpeningSearchesAgainAndAFailureKeepsTheLastEntries) {
    OnServerPage(true);
    ws.OdbcBrowser.Answer = "SERVER:Server={A,B}";
    EXPECT_EQ(OpenList(), (Strings{"A", "B"}));
    ws.OdbcBrowser.Answer.reset();
    EXPECT_EQ(OpenList(), (Strings{"A", "B"}));
    EXPECT_EQ(ws.OdbcBrowser.Requests.size(), 2u);

    ws.Form().CheckBoxDMO.SetChecked(false);
    ws.ServerEnumerator.Machines = Strings{"M"};
    ws.ServiceManager.Services = {{"\\\\M", {"MSSQLSERVER"}}};
    EXPECT_EQ(OpenList(), (Strings{"M"}));
    ws.ServerEnumerator.Machines.reset();
    EXPECT_EQ(OpenList(), (Strings{"M"}));
    EXPECT_EQ(ws.ServerEnumerator.Calls, 2);
}

TEST_F(ServerDiscoveryTest, AnErrorStillRestoresTheCursor) {
    OnServerPage(true);
    ws.OdbcBrowser.Throws = true;
    EXPECT_EQ(OpenList(), Strings{"EARLIER"});
    EXPECT_EQ(screen.Cursors, (std::vector<TCursor>{crHourGlass, crDefault}));
    EXPECT_EQ(ws.Application.Screen().Cursor(), crDefault);
    EXPECT_EQ(ws.Errors(), Strings{"browse broke."});
}

}  // namespace
