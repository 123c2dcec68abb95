// ODBC data sources of the "SQL Native Client" driver: the checks and writes
// of the apply's data source with the access it asks for, the list of
// existing data sources, and the pre-fill of the data source and server pages.
#include <gtest/gtest.h>

#include <functional>

#include "fakes/ErrorText.h"
#include "fakes/OdbcSeed.h"
#include "fakes/WizardHarness.h"

namespace {

using Strings = std::vector<std::string>;
using namespace odbcseed;
constexpr auto HKLM = reg::HKeyLocalMachine;

class OdbcDataSourceTest : public ::testing::Test {
protected:
    OdbcDataSourceTest() : form(ws.Open()) {}

    Strings Log() const { return form.MemoStatus.Lines().ToVector(); }
    std::optional<std::string> Value(const std::string& key, const std::string& name) const {
        return ws.Registry.GetString(HKLM, key, name);
    }

    WizardWorkstation ws;
    TForm2& form;
};

TEST_F(OdbcDataSourceTest, SetupChecksTheDriverThenWritesTheDataSourceWithFullAccess) {
    RegisterDriver(ws.Registry);
    ws.Registry.ClearOpens();
    form.SetupOdbcDataSource("MSSQL Veltra RN", "SERWER\\SQL2005", true);

    Strings opened;
    for (const auto& open : ws.Registry.Opens()) {
        EXPECT_EQ(open.Root, HKLM);
        EXPECT_EQ(open.Access, 0xF003Fu) << open.Path;
        EXPECT_TRUE(open.CanCreate) << open.Path;
        opened.push_back(open.Path);
    }
    EXPECT_EQ(opened, (Strings{DriversKey, DriverKey, SourcesKey, SourceKey("MSSQL Veltra RN")}));
    EXPECT_EQ(Value(SourcesKey, "MSSQL Veltra RN"), "SQL Native Client");
    EXPECT_EQ(ws.Registry.ValueNames(HKLM, SourceKey("MSSQL Veltra RN")),
              (Strings{"Driver", "MARS_Connection", "Server", "Trusted_Connection"}));
    EXPECT_EQ(Value(SourceKey("MSSQL Veltra RN"), "Driver"), DriverPath);
    EXPECT_EQ(Value(SourceKey("MSSQL Veltra RN"), "MARS_Connection"), "Yes");
    EXPECT_EQ(Value(SourceKey("MSSQL Veltra RN"), "Server"), "SERWER\\SQL2005");
    EXPECT_EQ(Value(SourceKey("MSSQL Veltra RN"), "Trusted_Connection"), "Yes");
    EXPECT_EQ(Log(), (Strings{" Utworzono źródło danych ODBC \"MSSQL Veltra RN\".",
                              "  Instancja serwera MSSQL: \"SERWER\\SQL2005\".",
                              "  Logowanie poprzez użytkownika Windows.", ""}));
    EXPECT_EQ(ws.Registry.OpenKeyCount(), 0);
}

TEST_F(OdbcDataSourceTest, SetupModifiesInPlaceAndKeepsForeignValues) {
    struct Case {
        const char* listed;  // the list key's entry, or nullptr when the key stands alone
        const char* action;
    };
    for (const Case& c : {Case{"sql native client", "Zmodyfikowano"}, Case{nullptr, "Utworzono"}}) {
        SCOPED_TRACE(c.action);
        WizardWorkstation ws2;
        TForm2& f = ws2.Open();
        RegisterDriver(ws2.Registry, "installed");
        if (c.listed) ws2.Registry.SetString(HKLM, SourcesKey, "Rondel", c.listed);
        ws2.Registry.SetString(HKLM, SourceKey("Rondel"), "Database", "stara");
        ws2.Registry.SetString(HKLM, SourceKey("Rondel"), "Trusted_Connection", "Yes");

        f.SetupOdbcDataSource("Rondel", "SERWER", false);
        EXPECT_EQ(ws2.Registry.GetString(HKLM, SourceKey("Rondel"), "Database"), "stara");
        EXPECT_EQ(ws2.Registry.GetString(HKLM, SourceKey("Rondel"), "Trusted_Connection"), "No");
        EXPECT_EQ(ws2.Registry.GetString(HKLM, SourcesKey, "Rondel"), "SQL Native Client");
        EXPECT_EQ(f.MemoStatus.Lines().ToVector(),
                  (Strings{std::string(" ") + c.action + " źródło danych ODBC \"Rondel\".",
                           "  Instancja serwera MSSQL: \"SERWER\".", "  Logowanie poprzez użytkownika serwera MSSQL.",
                           ""}));
    }
}

TEST_F(OdbcDataSourceTest, SetupRefusesBeforeTouchingTheDataSource) {
    struct Case {
        const char* what;
        std::string name;
        std::function<void(FakeRegistryFactory&)> seed;
        std::string message;
    };
    const auto registered = [](FakeRegistryFactory& r) { RegisterDriver(r); };
    const Case cases[] = {
        {"no driver", "X", [](FakeRegistryFactory&) {}, "Brak sterownika ODBC \"SQL Native Client\""},
        {"not installed", "X", [](FakeRegistryFactory& r) { RegisterDriver(r, "Removed"); },
         "Sterownik ODBC \"SQL Native Client\" nie zainstalowany"},
        {"no driver path", "X",
         [](FakeRegistryFactory& r) { r.SetString(HKLM, DriversKey, "SQL Native Client", "INSTALLED"); },
         "Brak określenia sterownika ODBC \"SQL Native Client\""},
        {"other driver", "X",
         [](FakeRegistryFactory& r) {
             RegisterDriver(r);
             AddDataSource(r, "X", "SQL Server");
         },
         "Źródło danych \"X\" istnieje i jest innego typu"},
        {"empty name", "", registered, "Nazwa źródła danych ODBC nie może być pusta"},
        {"semicolon", "Rondel;DATABASE=x", registered,
         "Nazwa źródła danych ODBC \"Rondel;DATABASE=x\" zawiera niedozwolony znak \";\""},
        {"backslash", "..\\ODBC Data Sources", registered,
         "Nazwa źródła danych ODBC \"..\\ODBC Data Sources\" zawiera niedozwolony znak \"\\\""},
        {"no rights", "X",
         [](FakeRegistryFactory& r) {
             RegisterDriver(r);
             r.Deny(HKLM, SourcesKey, fakereg::Denial::Write);
         },
         "Nie można otworzyć klucza rejestru \"HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources\" z "
         "pełnym dostępem"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WizardWorkstation ws2;
        TForm2& f = ws2.Open();
        c.seed(ws2.Registry);
        const Strings listed = ws2.Registry.ValueNames(HKLM, SourcesKey);
        EXPECT_EQ(ErrorText([&] { f.SetupOdbcDataSource(c.name, "SERWER", true); }), c.message);
        EXPECT_EQ(ws2.Registry.ValueNames(HKLM, SourcesKey), listed);
        if (!c.name.empty()) {
            EXPECT_EQ(ws2.Registry.ValueNames(HKLM, SourceKey(c.name)), Strings{});
        }
        EXPECT_EQ(f.MemoStatus.Lines().Count(), 0);
    }
}

TEST_F(OdbcDataSourceTest, ListShowsTheDriversDataSourcesSortedCaseSensitively) {
    form.ComboBoxNazwaZrodla.SetText("Wpisana");
    form.ListOdbcDataSources();
    EXPECT_EQ(form.ComboBoxNazwaZrodla.Items().Count(), 0);
    EXPECT_FALSE(ws.Registry.HasKey(HKLM, SourcesKey));

    for (const auto& [name, driver] : std::vector<std::pair<std::string, std::string>>{
             {"Zeta", "SQL Native Client"}, {"Inna", "SQL Server"}, {"alfa", "SQL Native Client"},
             {"Mała", "sql native client"}})
        AddDataSource(ws.Registry, name, driver);
    ws.Registry.ClearOpens();
    form.ListOdbcDataSources();
    EXPECT_EQ(form.ComboBoxNazwaZrodla.Items().ToVector(), (Strings{"alfa", "Zeta"}));
    EXPECT_EQ(form.ComboBoxNazwaZrodla.Text(), "Wpisana");
    ASSERT_EQ(ws.Registry.Opens().size(), 1u);
    EXPECT_EQ(ws.Registry.Opens()[0].Access, reg::KeyRead);
    EXPECT_FALSE(ws.Registry.Opens()[0].CanCreate);
}

TEST_F(OdbcDataSourceTest, DataSourcePageFillsOnceFromTheAliasesAndListsAtEveryVisit) {
    ws.Session.AddAlias("x veltra- rn", "SQL Native Client", {"ODBC DSN=Rondel DSN", "DATABASE NAME=Rondel"});
    ws.Session.AddAlias("X Veltra- RN- Liczniki", "SQL Native Client", {"ODBC DSN=Inne", "DATABASE NAME=Liczniki"});
    ws.Session.AddAlias("II Veltra- RN", "SQL Native Client", {"ODBC DSN=Dziewiątka", "DATABASE NAME=IX"});
    AddDataSource(ws.Registry, "Pierwsze", "SQL Native Client");

    form.ButtonDalej.Click();
    EXPECT_EQ(form.ComboBoxNazwaZrodla.Text(), "Rondel DSN");
    EXPECT_EQ(form.ComboBoxBaza.Text(), "Rondel");
    EXPECT_EQ(form.ComboBoxBazaLiczniki.Text(), "Liczniki");
    EXPECT_EQ(form.ComboBoxNazwaZrodla.Items().ToVector(), Strings{"Pierwsze"});

    // Back to page 0, version 9: the list follows, the fields do not.
    form.ButtonWstecz.Click();
    form.RadioGroupWersja.UserSelect(0);
    AddDataSource(ws.Registry, "Drugie", "SQL Native Client");
    form.ButtonDalej.Click();
    EXPECT_EQ(form.ComboBoxNazwaZrodla.Text(), "Rondel DSN");
    EXPECT_EQ(form.ComboBoxBaza.Text(), "Rondel");
    EXPECT_EQ(form.ComboBoxNazwaZrodla.Items().ToVector(), (Strings{"Drugie", "Pierwsze"}));
    EXPECT_EQ(ws.Errors(), Strings{});
}

TEST_F(OdbcDataSourceTest, ServerPageFillsOnceFromTheNamedDataSource) {
    struct Case {
        const char* trusted;
        bool checked;
    };
    for (const Case& c : {Case{"yes", true}, Case{"1", false}, Case{"True", false}, Case{"NO", false}}) {
        SCOPED_TRACE(c.trusted);
        WizardWorkstation ws2;
        TForm2& f = ws2.Open();
        ws2.Registry.SetString(HKLM, SourceKey("MSSQL Veltra RN"), "Server", "SERWER\\RONDEL");
        ws2.Registry.SetString(HKLM, SourceKey("MSSQL Veltra RN"), "Trusted_Connection", c.trusted);
        f.ButtonDalej.Click();
        ws2.Registry.ClearOpens();
        f.ButtonDalej.Click();
        EXPECT_EQ(f.ComboBoxServer.Text(), "SERWER\\RONDEL");
        EXPECT_EQ(f.CheckBoxWindows.Checked(), c.checked);
        const auto opens = ws2.Registry.OpensOf(HKLM, SourceKey("MSSQL Veltra RN"));
        ASSERT_EQ(opens.size(), 1u);
        EXPECT_EQ(opens[0].Access, reg::KeyAllAccess);
        EXPECT_FALSE(opens[0].CanCreate);

        // Another name and back: the server page keeps what it showed.
        f.ButtonWstecz.Click();
        f.ComboBoxNazwaZrodla.UserType("Inne");
        ws2.Registry.SetString(HKLM, SourceKey("Inne"), "Server", "GDZIE");
        f.ButtonDalej.Click();
        EXPECT_EQ(f.ComboBoxServer.Text(), "SERWER\\RONDEL");
    }
}

TEST_F(OdbcDataSourceTest, ServerPageWithoutRightsFillsNothing) {
    ws.Registry.SetString(HKLM, SourceKey("MSSQL Veltra RN"), "Server", "SERWER");
    ws.Registry.Deny(HKLM, SourceKey("MSSQL Veltra RN"), fakereg::Denial::Write);
    form.ButtonDalej.Click();
    form.ButtonDalej.Click();
    EXPECT_EQ(form.ComboBoxServer.Text(), "");
    EXPECT_EQ(ws.Errors(), Strings{});
}

}  // namespace
