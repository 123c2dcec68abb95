// The SQL Server path's pages against fakes: the "SQL Native Client" data
// source (the apply's checks and writes, the list of existing ones, the
// once-per-run pre-fill of pages 1 and 3), the server list's two search
// methods, and the database lists through a scripted driver.
#include <gtest/gtest.h>

#include <functional>

#include "fakes/ErrorText.h"
#include "fakes/OdbcSeed.h"
#include "fakes/ScriptDriver.h"
#include "fakes/WizardHarness.h"
#include "mssql/SqlServerLists.h"

namespace {

using Strings = std::vector<std::string>;
using namespace odbcseed;
constexpr auto HKLM = reg::HKeyLocalMachine;
const std::string Temp = "TmpVeltraMSSQLDataSource";

// ---------------------------------------------------------------------------
// The data source.

struct OdbcDataSourceTest : ::testing::Test {
    WizardWorkstation ws;
    TForm2& form = ws.Open();
};

TEST_F(OdbcDataSourceTest, SetupChecksTheDriverThenWritesTheDataSourceWithFullAccess) {
    RegisterDriver(ws.Registry, "installed");
    ws.Registry.SetString(HKLM, SourceKey("Rondel"), "Database", "obca");  // a key without its list entry is new
    ws.Registry.ClearOpens();
    form.SetupOdbcDataSource("Rondel", "SERWER\\SQL", true);

    Strings opened, values;
    for (const auto& open : ws.Registry.Opens()) {
        EXPECT_TRUE(open.Root == HKLM && open.Access == 0xF003Fu && open.CanCreate) << open.Path;
        opened.push_back(open.Path);
    }
    EXPECT_EQ(opened, (Strings{DriversKey, DriverKey, SourcesKey, SourceKey("Rondel")}));
    EXPECT_EQ(ws.Registry.GetString(HKLM, SourcesKey, "Rondel"), "SQL Native Client");
    for (const std::string& name : ws.Registry.ValueNames(HKLM, SourceKey("Rondel")))
        values.push_back(name + "=" + *ws.Registry.GetString(HKLM, SourceKey("Rondel"), name));
    EXPECT_EQ(values, (Strings{"Database=obca", std::string("Driver=") + DriverPath, "MARS_Connection=Yes",
                               "Server=SERWER\\SQL", "Trusted_Connection=Yes"}));
    EXPECT_EQ(form.MemoStatus.Lines().ToVector(),
              (Strings{" Utworzono źródło danych ODBC \"Rondel\".", "  Instancja serwera MSSQL: \"SERWER\\SQL\".",
                       "  Logowanie poprzez użytkownika Windows.", ""}));

    // Again, listed for the driver in other case, with the server's login.
    ws.Registry.SetString(HKLM, SourcesKey, "Rondel", "sql native client");
    form.SetupOdbcDataSource("Rondel", "SERWER", false);
    EXPECT_EQ(ws.Registry.GetString(HKLM, SourceKey("Rondel"), "Trusted_Connection"), "No");
    EXPECT_EQ(form.MemoStatus.Lines()[4], " Zmodyfikowano źródło danych ODBC \"Rondel\".");
    EXPECT_EQ(ws.Registry.OpenKeyCount(), 0);
}

TEST_F(OdbcDataSourceTest, SetupRefusesBeforeTouchingTheDataSource) {
    using Seed = std::function<void(FakeRegistryFactory&)>;
    const Seed registered = [](FakeRegistryFactory& r) { RegisterDriver(r); };
    const struct {
        std::string name;
        Seed seed;
        std::string message;
    } cases[] = {
        {"X", [](auto&) {}, "Brak sterownika ODBC \"SQL Native Client\""},
        {"X", [](auto& r) { RegisterDriver(r, "Removed"); }, "Sterownik ODBC \"SQL Native Client\" nie zainstalowany"},
        {"X", [](auto& r) { r.SetString(HKLM, DriversKey, "SQL Native Client", "INSTALLED"); },
         "Brak określenia sterownika ODBC \"SQL Native Client\""},
        {"X", [](auto& r) { RegisterDriver(r), AddDataSource(r, "X", "SQL Server"); },
         "Źródło danych \"X\" istnieje i jest innego typu"},
        {"", registered, "Nazwa źródła danych ODBC nie może być pusta"},
        {"Rondel;DSN=x", registered, "Nazwa źródła danych ODBC \"Rondel;DSN=x\" zawiera niedozwolony znak \";\""},
        {"..\\Inne", registered, "Nazwa źródła danych ODBC \"..\\Inne\" zawiera niedozwolony znak \"\\\""},
        {"X", [](auto& r) { RegisterDriver(r), r.Deny(HKLM, SourcesKey, fakereg::Denial::Write); },
         "Nie można otworzyć klucza rejestru \"HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources\" z "
         "pełnym dostępem"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        WizardWorkstation w;
        TForm2& f = w.Open();
        c.seed(w.Registry);
        const Strings listed = w.Registry.ValueNames(HKLM, SourcesKey);
        EXPECT_EQ(ErrorText([&] { f.SetupOdbcDataSource(c.name, "SERWER", true); }), c.message);
        EXPECT_EQ(w.Registry.ValueNames(HKLM, SourcesKey), listed);
        EXPECT_EQ(w.Registry.ValueNames(HKLM, SourceKey("X")), Strings{});
        EXPECT_EQ(f.MemoStatus.Lines().Count(), 0);
    }
}

TEST_F(OdbcDataSourceTest, DataSourcePageListsAtEveryVisitAndFillsOnceFromTheAliases) {
    ws.Session.AddAlias("x veltra- rn", "SQL Native Client", {"ODBC DSN=Rondel DSN", "DATABASE NAME=Rondel"});
    ws.Session.AddAlias("X Veltra- RN- Liczniki", "SQL Native Client", {"ODBC DSN=", "DATABASE NAME=Liczniki"});
    ws.Session.AddAlias("II Veltra- RN", "SQL Native Client", {"ODBC DSN=Dziewiątka", "DATABASE NAME=IX"});
    ws.Registry.SetDword(HKLM, SourcesKey, "Liczba", 1);  // of another type: passed over in silence
    for (const auto& [name, driver] : std::vector<std::pair<std::string, std::string>>{
             {"Zeta", "SQL Native Client"}, {"Inna", "SQL Server"}, {"alfa", "SQL Native Client"},
             {"Mała", "sql native client"}})
        AddDataSource(ws.Registry, name, driver);
    ws.Registry.ClearOpens();
    form.ButtonDalej.Click();
    EXPECT_EQ(form.ComboBoxNazwaZrodla.Items().ToVector(), (Strings{"alfa", "Zeta"}));
    EXPECT_EQ(ws.Registry.OpensOf(HKLM, SourcesKey).at(0).Access, reg::KeyRead);
    EXPECT_EQ((Strings{form.ComboBoxNazwaZrodla.Text(), form.ComboBoxBaza.Text(), form.ComboBoxBazaLiczniki.Text()}),
              (Strings{"Rondel DSN", "Rondel", "Liczniki"}));

    // Back, version 9, forward: the list follows the registry, the fields stay.
    form.ButtonWstecz.Click();
    form.RadioGroupWersja.UserSelect(0);
    AddDataSource(ws.Registry, "Beta", "SQL Native Client");
    form.ButtonDalej.Click();
    EXPECT_EQ(form.ComboBoxNazwaZrodla.Items().ToVector(), (Strings{"alfa", "Beta", "Zeta"}));
    EXPECT_EQ(form.ComboBoxNazwaZrodla.Text(), "Rondel DSN");
    EXPECT_EQ(ws.Errors(), Strings{});
}

TEST_F(OdbcDataSourceTest, ServerPageFillsOnceFromTheNamedDataSource) {
    const struct {
        const char* trusted;
        bool denied, server, checked;
    } cases[] = {{"yes", false, true, true}, {"1", false, true, false}, {"True", false, true, false},
                 {"NO", true, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.trusted);
        WizardWorkstation w;
        TForm2& f = w.Open();
        w.Registry.SetString(HKLM, SourceKey("MSSQL Veltra RN"), "Server", "SERWER\\RONDEL");
        w.Registry.SetString(HKLM, SourceKey("MSSQL Veltra RN"), "Trusted_Connection", c.trusted);
        if (c.denied) w.Registry.Deny(HKLM, SourceKey("MSSQL Veltra RN"), fakereg::Denial::Write);
        f.ButtonDalej.Click();
        f.ButtonDalej.Click();
        EXPECT_EQ(f.ComboBoxServer.Text(), c.server ? "SERWER\\RONDEL" : "");
        EXPECT_EQ(f.CheckBoxWindows.Checked(), c.checked);
        const auto opens = w.Registry.OpensOf(HKLM, SourceKey("MSSQL Veltra RN"));
        EXPECT_TRUE(opens.size() == 1 && opens[0].Access == reg::KeyAllAccess && !opens[0].CanCreate);

        // Another name and back: the page keeps what it showed.
        f.ButtonWstecz.Click();
        f.ComboBoxNazwaZrodla.UserType("Inne");
        w.Registry.SetString(HKLM, SourceKey("Inne"), "Server", "GDZIE");
        f.ButtonDalej.Click();
        EXPECT_EQ(f.ComboBoxServer.Text(), c.server ? "SERWER\\RONDEL" : "");
        EXPECT_EQ(w.Errors(), Strings{});
    }
}

// ---------------------------------------------------------------------------
// The server list.

class ServerDiscoveryTest : public ::testing::Test {
protected:
    // On the server page, the field holding the user's own text.
    void SetUp() override {
        ws.StoreChoice("Server", 0);
        ws.Open().ButtonDalej.Click();
        ws.Form().ButtonDalej.Click();
        ws.Form().ComboBoxServer.SetText("wpisany");
        ws.Application.Screen().SetView(&screen);
        ws.ServiceManager.Services = {
            {"\\\\M", {"MSSQLSERVER", "MSSQLServerADHelper", "MSSQL$SQLEXPRESS", "SQLAgent$SQLEXPRESS"}},
            {"\\\\N", {"mssql$dev", "MSSQL$"}},
            {"\\\\BEZ", {"Spooler", "SQLBrowser"}},
        };
    }
    // The user opens the list holding an earlier search's entries; the search
    // must leave the text and the cursor as they were.
    Strings OpenList(bool browse) {
        ws.Form().ComboBoxServer.Items().Assign(Strings{"EARLIER"});
        ws.Form().CheckBoxDMO.SetChecked(browse);
        screen.Cursors.clear();
        ws.User([&] { ws.Form().ComboBoxServer.UserDropDown(); });
        EXPECT_EQ(ws.Form().ComboBoxServer.Text(), "wpisany");
        EXPECT_EQ(screen.Cursors, (std::vector<TCursor>{crHourGlass, crDefault}));
        return ws.Form().ComboBoxServer.Items().ToVector();
    }

    TRecordingScreen screen;  // first: it outlives the workstation that shows it
    WizardWorkstation ws;
};

TEST_F(ServerDiscoveryTest, BrowseAnswersAndItsError) {
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
        ws.OdbcBrowser.Answer = answer;
        EXPECT_EQ(OpenList(true), expected) << answer.value_or("(none)");
    }
    EXPECT_EQ(ws.OdbcBrowser.Requests, Strings(std::size(cases), "DRIVER=SQL Native Client"));
    EXPECT_TRUE(ws.Errors().empty());

    // An error out of the search is shown and keeps the entries.
    ws.OdbcBrowser.Throws = true;
    EXPECT_EQ(OpenList(true), Strings{"EARLIER"});
    EXPECT_EQ(ws.Errors(), Strings{"browse broke."});
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
    const std::pair<std::optional<Strings>, Strings> cases[] = {
        {Strings{"M", "N"}, {"M", "M\\SQLEXPRESS", "N\\dev", "N"}},
        {Strings{"NIEDOSTEPNY", "BEZ", "N"}, {"N\\dev", "N"}},
        {Strings{"N", "N"}, {"N\\dev", "N", "N\\dev", "N"}},
        {Strings{}, {}},
        {std::nullopt, {"EARLIER"}},  // no library, more data, no network
    };
    for (const auto& [machines, expected] : cases) {
        ws.ServerEnumerator.Machines = machines;
        ws.ServiceManager.Opened.clear();
        EXPECT_EQ(OpenList(false), expected);
        Strings asked;
        for (const std::string& machine : machines.value_or(Strings{})) asked.push_back("\\\\" + machine);
        EXPECT_EQ(ws.ServiceManager.Opened, asked);
    }
    EXPECT_EQ(ws.ServerEnumerator.Calls, static_cast<int>(std::size(cases)));  // a search at every opening
    EXPECT_TRUE(ws.OdbcBrowser.Requests.empty());
}

// ---------------------------------------------------------------------------
// The database lists: the temporary data source while the query runs, the
// login it is given, the swallowed failures, and the removal of the
// temporary data source on every way out.

// A workstation on the database page with the driver registered.
struct DatabasePage {
    explicit DatabasePage(const std::function<void(DatabasePage&)>& seed = {}) {
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
        if (seed) seed(*this);
        ws.Session.SetDriver("SQL Native Client", std::make_unique<ScriptDriver>(script));
    }
    bool TempGone() const {
        return !ws.Registry.HasValue(HKLM, SourcesKey, Temp) && !ws.Registry.HasKey(HKLM, SourceKey(Temp));
    }

    TRecordingScreen screen;  // first: it outlives the workstation that shows it
    WizardWorkstation ws;
    FakeRegistryFactory& registry = ws.Registry;
    TForm2& form = ws.Open();
    Script script;
    Strings seen;  // the temporary data source as the query found it
};

TEST(DatabaseList, ListsTheUserDatabasesSortedThroughATemporaryDataSource) {
    DatabasePage page;
    TForm2& form = page.form;
    form.ComboBoxServer.SetText("SERWER\\SQL");
    form.ComboBoxBaza.SetText("Wpisana");
    page.registry.ClearOpens();
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
    for (const auto& open : page.registry.Opens())
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
        std::size_t queries;
        Strings listed, errors;
        std::function<void(DatabasePage&)> seed;
    } cases[] = {
        {"server unreachable", 1, {}, {}, [](auto& p) { p.script.executeError = "[08001] Brak serwera"; }},
        {"error while reading", 1, {"Alfa", "Zeta"}, {}, [](auto& p) { p.script.fetchErrorAt = 2; }},
        {"driver not installed", 0, {}, {},
         [](auto& p) {
             p.registry.SetString(HKLM, DriversKey, "SQL Native Client", "Removed");
             AddDataSource(p.registry, Temp, "SQL Server");
         }},
        {"driver's state a number", 0, {}, {},
         [](auto& p) { p.registry.SetDword(HKLM, DriversKey, "SQL Native Client", 1); }},
        {"driver's path a number", 0, {}, {}, [](auto& p) { p.registry.SetDword(HKLM, DriverKey, "Driver", 1); }},
        {"ODBC keys read-only", 0, {}, {},
         [](auto& p) { p.registry.Deny(HKLM, "\\SOFTWARE\\ODBC", fakereg::Denial::Write); }},
        {"a write refused half-way", 0, {}, {"Failed to set data for 'Trusted_Connection'"},
         [](auto& p) { p.registry.FailWrite(HKLM, SourceKey(Temp), "Trusted_Connection"); }},
        {"an earlier one of another driver", 1, {"Alfa", "rondel", "Zeta"}, {},
         [](auto& p) {
             AddDataSource(p.registry, Temp, "SQL Server");
             p.registry.SetString(HKLM, SourceKey(Temp), "Database", "x");
         }},
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
