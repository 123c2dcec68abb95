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

// A workstation on the database page with the driver registered.
struct DatabasePage {
    explicit DatabasePage(std::function<void(WizardWorkstation&, Script&)> seed = {}) {
        for (int i = 0; i < 3; ++i) form.ButtonDalej.Click();
        RegisterDriver(ws.Registry);
        ws.Application.Screen().SetView(&screen);
        script.columns = {"NAME"};
        script.rows = {{"Zeta"}, {"Alfa"}, {"rondel"}};
        script.onExecute = [this] {
            for (const char* name : {"Driver", "Server", "Trusted_Connection", "MARS_Connection"})
                seen.push_back(ws.Registry.GetString(HKLM, SourceKey(Temp), name).value_or("-"));
            seen.push_back(ws.Registry.GetString(HKLM, SourcesKey, Temp).value_or("-"));
        };
        if (seed) seed(ws, script);
        ws.Session.SetDriver("SQL Native Client", std::make_unique<ScriptDriver>(script));
    }
    ~DatabasePage() { ws.Application.Screen().SetView(nullptr); }
    bool TempGone() const {
        return !ws.Registry.HasValue(HKLM, SourcesKey, Temp) && !ws.Registry.HasKey(HKLM, SourceKey(Temp));
    }

    WizardWorkstation ws;
    TForm2& form = ws.Open();
    Script script;
    TRecordingScreen screen;
    Strings seen;  // the temporary data source as the query found it
};

TEST(DatabaseList, ListsTheUserDatabasesSortedThroughATemporaryDataSource) {
    DatabasePage page;
    TForm2& form = page.form;
    form.ComboBoxServer.SetText("SERWER\\SQL");
    form.ComboBoxBaza.SetText("Wpisana");
    page.ws.Registry.ClearOpens();
    form.ComboBoxBaza.UserDropDown();

    EXPECT_EQ(form.ComboBoxBaza.Items().ToVector(), (Strings{"Alfa", "rondel", "Zeta"}));
    EXPECT_EQ(form.ComboBoxBaza.Text(), "Wpisana");
    EXPECT_EQ(form.ComboBoxBazaLiczniki.Items().Count(), 0);
    EXPECT_EQ(page.seen, (Strings{DriverPath, "SERWER\\SQL", "Yes", "-", "SQL Native Client"}));
    EXPECT_EQ(page.script.sql.at(0),
              "select cast(NAME as varchar(128)) NAME\n from sysdatabases where NAME not in ('master', 'msdb', "
              "'model', 'tempdb', 'resource', 'distribution')\n\n");
    const TStringList& params = page.script.params.at(0);
    EXPECT_EQ((Strings{params.Values("ODBC DSN"), params.Values("USER NAME"), params.Values("DATABASE NAME")}),
              (Strings{Temp, "dbo", "master"}));
    EXPECT_TRUE(page.TempGone());
    EXPECT_FALSE(form.Query1.Active());
    EXPECT_EQ(page.screen.Cursors, (std::vector<TCursor>{crHourGlass, crDefault}));
    for (const auto& open : page.ws.Registry.Opens())
        EXPECT_TRUE(open.Access == 0x4001Fu || (open.Path != DriversKey && open.Path != SourceKey(Temp))) << open.Path;

    // The server's own login: the fixed user, whose password then stays.
    form.CheckBoxWindows.SetChecked(false);
    form.ComboBoxBazaLiczniki.UserDropDown();
    form.CheckBoxWindows.SetChecked(true);
    form.ComboBoxBazaLiczniki.UserDropDown();
    EXPECT_EQ(page.seen[7], "No");
    EXPECT_EQ(page.script.params[1].Values("USER NAME"), "veltra");
    EXPECT_EQ(page.script.params[1].Lines().back(), "password=m.n.p. darvel");  // in place of "PASSWORD="
    EXPECT_EQ(page.script.params[1].Count(), 18u);
    EXPECT_EQ(page.script.params[2].Values("USER NAME"), "dbo");
    EXPECT_EQ(page.script.params[2].Values("PASSWORD"), "m.n.p. darvel");
}

TEST(DatabaseList, FailuresAreSilentAndTheTemporaryDataSourceNeverStays) {
    const struct {
        const char* what;
        std::function<void(WizardWorkstation&, Script&)> seed;
        Strings listed, errors;
        std::size_t queries;
    } cases[] = {
        {"server unreachable", [](WizardWorkstation&, Script& s) { s.executeError = "[08001] Brak serwera"; }, {}, {},
         1},
        {"error while reading", [](WizardWorkstation&, Script& s) { s.fetchErrorAt = 2; }, {"Alfa", "Zeta"}, {}, 1},
        {"driver not installed",
         [](WizardWorkstation& w, Script&) {
             w.Registry.SetString(HKLM, DriversKey, "SQL Native Client", "Removed");
             AddDataSource(w.Registry, Temp, "SQL Server");
         },
         {}, {}, 0},
        {"driver's state a number",
         [](WizardWorkstation& w, Script&) { w.Registry.SetDword(HKLM, DriversKey, "SQL Native Client", 1); }, {}, {}, 0},
        {"driver's path a number",
         [](WizardWorkstation& w, Script&) { w.Registry.SetDword(HKLM, DriverKey, "Driver", 1); }, {}, {}, 0},
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
         {"Alfa", "rondel", "Zeta"}, {}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DatabasePage page(c.seed);
        page.ws.User([&] { page.form.ComboBoxBaza.UserDropDown(); });
        EXPECT_EQ(page.form.ComboBoxBaza.Items().ToVector(), c.listed);
        EXPECT_EQ(page.ws.Errors(), c.errors);
        EXPECT_EQ(page.script.sql.size(), c.queries);
        EXPECT_EQ(page.script.liveCursors, 0);
        EXPECT_TRUE(page.TempGone());
        EXPECT_EQ(page.screen.Cursors.back(), crDefault);
    }
}

}  // namespace
