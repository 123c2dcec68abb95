// ODBC data sources of the "SQL Native Client" driver: the apply's checks and
// writes with the access they ask for, the list of existing data sources, and
// the once-per-run pre-fill of the data source and server pages.
#include <gtest/gtest.h>

#include <functional>

#include "fakes/ErrorText.h"
#include "fakes/OdbcSeed.h"
#include "fakes/WizardHarness.h"

namespace {

using Strings = std::vector<std::string>;
using namespace odbcseed;
constexpr auto HKLM = reg::HKeyLocalMachine;

struct OdbcDataSourceTest : ::testing::Test {
    WizardWorkstation ws;
    TForm2& form = ws.Open();
    std::optional<std::string> Value(const std::string& key, const std::string& name) const {
        return ws.Registry.GetString(HKLM, key, name);
    }
};

TEST_F(OdbcDataSourceTest, SetupChecksTheDriverThenWritesTheDataSourceWithFullAccess) {
    RegisterDriver(ws.Registry, "installed");
    ws.Registry.SetString(HKLM, SourceKey("Rondel"), "Database", "obca");  // a key without its list entry is new
    ws.Registry.ClearOpens();
    form.SetupOdbcDataSource("Rondel", "SERWER\\SQL", true);

    Strings opened;
    for (const auto& open : ws.Registry.Opens()) {
        EXPECT_TRUE(open.Root == HKLM && open.Access == 0xF003Fu && open.CanCreate) << open.Path;
        opened.push_back(open.Path);
    }
    EXPECT_EQ(opened, (Strings{DriversKey, DriverKey, SourcesKey, SourceKey("Rondel")}));
    EXPECT_EQ(Value(SourcesKey, "Rondel"), "SQL Native Client");
    Strings values;
    for (const std::string& name : ws.Registry.ValueNames(HKLM, SourceKey("Rondel")))
        values.push_back(name + "=" + *Value(SourceKey("Rondel"), name));
    EXPECT_EQ(values, (Strings{"Database=obca", std::string("Driver=") + DriverPath, "MARS_Connection=Yes",
                               "Server=SERWER\\SQL", "Trusted_Connection=Yes"}));
    EXPECT_EQ(form.MemoStatus.Lines().ToVector(),
              (Strings{" Utworzono źródło danych ODBC \"Rondel\".", "  Instancja serwera MSSQL: \"SERWER\\SQL\".",
                       "  Logowanie poprzez użytkownika Windows.", ""}));

    // Again, listed for the driver in other case, with the server's login.
    ws.Registry.SetString(HKLM, SourcesKey, "Rondel", "sql native client");
    form.MemoStatus.Lines().Clear();
    form.SetupOdbcDataSource("Rondel", "SERWER", false);
    EXPECT_EQ(Value(SourceKey("Rondel"), "Trusted_Connection"), "No");
    EXPECT_EQ(form.MemoStatus.Lines()[0], " Zmodyfikowano źródło danych ODBC \"Rondel\".");
    EXPECT_EQ(form.MemoStatus.Lines()[2], "  Logowanie poprzez użytkownika serwera MSSQL.");
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
        {"X", [](FakeRegistryFactory&) {}, "Brak sterownika ODBC \"SQL Native Client\""},
        {"X", [](FakeRegistryFactory& r) { RegisterDriver(r, "Removed"); },
         "Sterownik ODBC \"SQL Native Client\" nie zainstalowany"},
        {"X", [](FakeRegistryFactory& r) { r.SetString(HKLM, DriversKey, "SQL Native Client", "INSTALLED"); },
         "Brak określenia sterownika ODBC \"SQL Native Client\""},
        {"X", [](FakeRegistryFactory& r) { RegisterDriver(r), AddDataSource(r, "X", "SQL Server"); },
         "Źródło danych \"X\" istnieje i jest innego typu"},
        {"", registered, "Nazwa źródła danych ODBC nie może być pusta"},
        {"Rondel;DSN=x", registered, "Nazwa źródła danych ODBC \"Rondel;DSN=x\" zawiera niedozwolony znak \";\""},
        {"..\\Inne", registered, "Nazwa źródła danych ODBC \"..\\Inne\" zawiera niedozwolony znak \"\\\""},
        {"X", [](FakeRegistryFactory& r) { RegisterDriver(r), r.Deny(HKLM, SourcesKey, fakereg::Denial::Write); },
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

}  // namespace
