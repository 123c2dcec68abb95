// The server list of page 3: what the two search methods put into it, what
// a failure leaves there, and the wait cursor around every search.
#include <gtest/gtest.h>

#include "fakes/WizardHarness.h"
#include "mssql/SqlServerLists.h"

namespace {

using Strings = std::vector<std::string>;
using OptionalStrings = std::optional<Strings>;

class ServerDiscoveryTest : public ::testing::Test {
protected:
    // On the server page; the list holds an earlier search's entries and the
    // field the user's own text.
    void SetUp() override {
        ws.StoreChoice("Server", 0);
        ws.Open().ButtonDalej.Click();
        ws.Form().ButtonDalej.Click();
        ws.Form().ComboBoxServer.Items().Assign(Strings{"EARLIER"});
        ws.Form().ComboBoxServer.SetText("wpisany");
        ws.Application.Screen().SetView(&screen);
        ws.ServiceManager.Services = {
            {"\\\\M", {"MSSQLSERVER", "MSSQLServerADHelper", "MSSQL$SQLEXPRESS", "SQLAgent$SQLEXPRESS"}},
            {"\\\\N", {"mssql$dev", "MSSQL$"}},
            {"\\\\BEZ", {"Spooler", "SQLBrowser"}},
        };
    }

    // The user opens the list; the search must leave the text and the cursor as they were.
    Strings OpenList(bool browse) {
        ws.Form().CheckBoxDMO.SetChecked(browse);
        screen.Cursors.clear();
        ws.User([&] { ws.Form().ComboBoxServer.UserDropDown(); });
        EXPECT_EQ(ws.Form().ComboBoxServer.Text(), "wpisany");
        EXPECT_EQ(screen.Cursors, (std::vector<TCursor>{crHourGlass, crDefault}));
        return ws.Form().ComboBoxServer.Items().ToVector();
    }

    WizardWorkstation ws;
    TRecordingScreen screen;
};

TEST_F(ServerDiscoveryTest, BrowseAnswers) {
    const std::pair<std::optional<std::string>, Strings> cases[] = {
        {"SERVER:Server={A,B\\INST};UID:Login ID=?", {"A", "B\\INST"}},
        {"SERVER:Server={}", {}},
        {"UID:Login ID=?;PWD:Password=?", {}},
        {std::nullopt, {"EARLIER"}},  // no library, a handle refused, no SQL_NEED_DATA
        {"server:SERVER={X};", {"X"}},
        {"  \"SERVER:Server={ A , B C ,D}\"", {"A", "B", "C", "D"}},
        {"SERVER:Server={A B};UID:x=?", {"A"}},  // a blank ends the answer's item too
        {"SERVER:Server=A}{B,{C}", {"AB", "{C}"}},
        {"\"SERVER:Server={A;B}\";UID:x=?", {"A;B"}},
        {"SERVER:Server={\"A\"\"B\",C}", {"A\"B", "C"}},
        {"SERVER:Server={A,,B,}", {"A", "", "B", ""}},
    };
    for (const auto& [answer, expected] : cases) {
        ws.Form().ComboBoxServer.Items().Assign(Strings{"EARLIER"});
        ws.OdbcBrowser.Answer = answer;
        EXPECT_EQ(OpenList(true), expected) << answer.value_or("(none)");
    }
    EXPECT_EQ(ws.OdbcBrowser.Requests, Strings(std::size(cases), "DRIVER=SQL Native Client"));
    EXPECT_TRUE(ws.Errors().empty());
}

TEST(SqlServerInstanceEntryTest, AcceptsTheServerServicesOnly) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"MSSQLSERVER", "M"},         {"mssqlserver", "M"},  {"MSSQL$SQLEXPRESS", "M\\SQLEXPRESS"},
        {"mssql$dev", "M\\dev"},      {"MSSQL$", "M"},       {"MSSQL$A$B", "M\\A$B"},
        {"MSSQLServerADHelper", {}},  {"SQLAgent$X", {}},    {"MSSQLFDLauncher$X", {}},
        {"MSSQL", {}},                {"MSSQLSERVER2", {}},  {"", {}},
    };
    for (const auto& [service, entry] : cases) EXPECT_EQ(SqlServerInstanceEntry("M", service), entry) << service;
    EXPECT_EQ(MachinePath("SERWER"), "\\\\SERWER");
    // 255 characters of the ANSI code page, where "Ł" is one.
    EXPECT_EQ(MachinePath(std::string(252, 'x') + "ŁŁ"), "\\\\" + std::string(252, 'x') + "Ł");
}

TEST_F(ServerDiscoveryTest, ServiceMethod) {
    // NIEDOSTEPNY refuses the service manager; BEZ runs no SQL Server.
    const std::pair<OptionalStrings, Strings> cases[] = {
        {Strings{"M", "N"}, {"M", "M\\SQLEXPRESS", "N\\dev", "N"}},
        {Strings{"NIEDOSTEPNY", "BEZ", "N"}, {"N\\dev", "N"}},
        {Strings{"N", "N"}, {"N\\dev", "N", "N\\dev", "N"}},
        {Strings{}, {}},
        {std::nullopt, {"EARLIER"}},  // no library, more data, no network
    };
    for (const auto& [machines, expected] : cases) {
        ws.Form().ComboBoxServer.Items().Assign(Strings{"EARLIER"});
        ws.ServerEnumerator.Machines = machines;
        ws.ServiceManager.Opened.clear();
        EXPECT_EQ(OpenList(false), expected);
        Strings asked;
        for (const std::string& machine : machines.value_or(Strings{})) asked.push_back("\\\\" + machine);
        EXPECT_EQ(ws.ServiceManager.Opened, asked);
    }
    EXPECT_TRUE(ws.OdbcBrowser.Requests.empty());
}

TEST_F(ServerDiscoveryTest, EveryOpeningSearchesAgainAndAFailureKeepsTheLastEntries) {
    ws.OdbcBrowser.Answer = "SERVER:Server={A,B}";
    EXPECT_EQ(OpenList(true), (Strings{"A", "B"}));
    ws.OdbcBrowser.Answer.reset();
    EXPECT_EQ(OpenList(true), (Strings{"A", "B"}));
    ws.ServerEnumerator.Machines = Strings{"M"};
    EXPECT_EQ(OpenList(false), (Strings{"M", "M\\SQLEXPRESS"}));
    ws.ServerEnumerator.Machines.reset();
    EXPECT_EQ(OpenList(false), (Strings{"M", "M\\SQLEXPRESS"}));
    EXPECT_EQ(ws.OdbcBrowser.Requests.size() + ws.ServerEnumerator.Calls, 4u);

    // An error out of a search is shown, and the cursor still comes back.
    ws.OdbcBrowser.Throws = true;
    EXPECT_EQ(OpenList(true), (Strings{"M", "M\\SQLEXPRESS"}));
    EXPECT_EQ(ws.Errors(), Strings{"browse broke."});
}

}  // namespace
