// The database lists through a scripted driver: the temporary data source
// while the query runs, the login it is given, the swallowed failures, and
// the removal of the temporary data source on every way out.
#include <gtest/gtest.h>

#include <functional>

#include "fakes/OdbcSeed.h"
#include "fakes/ScriptDriver.h"
#include "fakes/WizardHarness.h"

namespace {

using Strings = std::vector<std::string>;
using namespace odbcseed;
constexpr auto HKLM = reg::HKeyLocalMachine;
const std::string Temp = "TmpVeltraMSSQLDataSource";

class DatabaseListTest : public ::testing::Test {
protected:
    DatabaseListTest() : form(ws.Open()) {
        RegisterDriver(ws.Registry);
        ws.Session.SetDriver("SQL Native Client", std::make_unique<ScriptDriver>(script));
        ws.Application.Screen().SetView(&screen);
        for (int i = 0; i < 3; ++i) form.ButtonDalej.Click();  // the database page
        script.columns = {"NAME"};
        script.onExecute = [this] {
            const std::string key = SourceKey(Temp);
            seen = {ws.Registry.GetString(HKLM, SourcesKey, Temp).value_or("-"),
                    ws.Registry.GetString(HKLM, key, "Driver").value_or("-"),
                    ws.Registry.GetString(HKLM, key, "Server").value_or("-"),
                    ws.Registry.GetString(HKLM, key, "Trusted_Connection").value_or("-"),
                    ws.Registry.GetString(HKLM, key, "MARS_Connection").value_or("-")};
        };
    }

    bool TempGone() const {
        return !ws.Registry.HasValue(HKLM, SourcesKey, Temp) && !ws.Registry.HasKey(HKLM, SourceKey(Temp));
    }

    WizardWorkstation ws;
    TForm2& form;
    Script script;
    TRecordingScreen screen;
    Strings seen;  // the temporary data source as the query found it
};

TEST_F(DatabaseListTest, ListsTheUserDatabasesSortedThroughATemporaryDataSource) {
    form.ComboBoxServer.SetText("SERWER\\SQL");
    form.ComboBoxBaza.SetText("Wpisana");
    script.rows = {{"Zeta"}, {"Alfa"}, {"rondel"}};
    ws.Registry.ClearOpens();
    form.ComboBoxBaza.UserDropDown();

    EXPECT_EQ(form.ComboBoxBaza.Items().ToVector(), (Strings{"Alfa", "rondel", "Zeta"}));
    EXPECT_EQ(form.ComboBoxBaza.Text(), "Wpisana");
    EXPECT_EQ(form.ComboBoxBazaLiczniki.Items().Count(), 0);
    EXPECT_EQ(seen, (Strings{"SQL Native Client", DriverPath, "SERWER\\SQL", "Yes", "-"}));
    ASSERT_EQ(script.sql.size(), 1u);
    EXPECT_EQ(script.sql[0],
              "select cast(NAME as varchar(128)) NAME\n from sysdatabases where NAME not in ('master', 'msdb', "
              "'model', 'tempdb', 'resource', 'distribution')\n\n");
    EXPECT_EQ(script.params[0].Values("ODBC DSN"), Temp);
    EXPECT_EQ(script.params[0].Values("USER NAME"), "dbo");
    EXPECT_EQ(script.params[0].Values("DATABASE NAME"), "master");
    EXPECT_EQ(script.liveCursors, 0);
    EXPECT_FALSE(form.Query1.Active());
    EXPECT_TRUE(TempGone());
    EXPECT_EQ(screen.Cursors, (std::vector<TCursor>{crHourGlass, crDefault}));

    // The temporary data source was written with its own, narrower access.
    for (const auto& open : ws.Registry.Opens())
        if (open.Path == DriversKey || open.Path == SourceKey(Temp)) {
            EXPECT_EQ(open.Access, 0x4001Fu) << open.Path;
        }
}

TEST_F(DatabaseListTest, ServerLoginUsesTheFixedUserAndItsPasswordStays) {
    form.CheckBoxWindows.SetChecked(false);
    form.ComboBoxBazaLiczniki.UserDropDown();
    EXPECT_EQ(seen[3], "No");
    EXPECT_EQ(script.params[0].Values("USER NAME"), "veltra");
    // "password" takes the place of the design's "PASSWORD" line.
    EXPECT_EQ(script.params[0].Lines().back(), "password=m.n.p. darvel");
    EXPECT_EQ(script.params[0].Count(), 18u);

    form.CheckBoxWindows.SetChecked(true);
    form.ComboBoxBaza.UserDropDown();
    EXPECT_EQ(script.params[1].Values("USER NAME"), "dbo");
    EXPECT_EQ(script.params[1].Values("PASSWORD"), "m.n.p. darvel");
}

TEST_F(DatabaseListTest, FailuresAreSilentAndTheTemporaryDataSourceNeverStays) {
    struct Case {
        const char* what;
        std::function<void(WizardWorkstation&, Script&)> seed;
        Strings listed;
        Strings errors;
        std::size_t queries;
    };
    const Case cases[] = {
        {"server unreachable", [](WizardWorkstation&, Script& s) { s.executeError = "[08001] Brak serwera"; }, {}, {},
         1},
        {"error while reading", [](WizardWorkstation&, Script& s) { s.fetchErrorAt = 2; }, {"B", "C"}, {}, 1},
        {"driver not installed",
         [](WizardWorkstation& w, Script&) {
             w.Registry.SetString(HKLM, DriversKey, "SQL Native Client", "Removed");
             AddDataSource(w.Registry, Temp, "SQL Server");
         },
         {}, {}, 0},
        {"ODBC keys read-only",
         [](WizardWorkstation& w, Script&) { w.Registry.Deny(HKLM, "\\SOFTWARE\\ODBC", fakereg::Denial::Write); }, {}, {},
         0},
        {"a write refused half-way",
         [](WizardWorkstation& w, Script&) { w.Registry.FailWrite(HKLM, SourceKey(Temp), "Trusted_Connection"); }, {},
         {"Failed to set data for 'Trusted_Connection'"}, 0},
        {"an earlier one of another driver",
         [](WizardWorkstation& w, Script&) {
             AddDataSource(w.Registry, Temp, "SQL Server");
             w.Registry.SetString(HKLM, SourceKey(Temp), "Database", "x");
         },
         {"A", "B", "C"}, {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WizardWorkstation w;
        TForm2& f = w.Open();
        for (int i = 0; i < 3; ++i) f.ButtonDalej.Click();
        RegisterDriver(w.Registry);
        Script s;
        s.columns = {"name"};
        s.rows = {{"C"}, {"B"}, {"A"}};
        TRecordingScreen cursors;
        w.Application.Screen().SetView(&cursors);
        c.seed(w, s);
        w.Session.SetDriver("SQL Native Client", std::make_unique<ScriptDriver>(s));
        w.User([&] { f.ComboBoxBaza.UserDropDown(); });

        EXPECT_EQ(f.ComboBoxBaza.Items().ToVector(), c.listed);
        EXPECT_EQ(w.Errors(), c.errors);
        EXPECT_EQ(s.sql.size(), c.queries);
        EXPECT_EQ(s.liveCursors, 0);
        EXPECT_FALSE(w.Registry.HasValue(HKLM, SourcesKey, Temp));
        EXPECT_FALSE(w.Registry.HasKey(HKLM, SourceKey(Temp)));
        EXPECT_EQ(cursors.Cursors.back(), crDefault);
        w.Application.Screen().SetView(nullptr);
    }
}

}  // namespace
