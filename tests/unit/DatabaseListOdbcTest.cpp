// The database list end to end: the temporary data source the wizard writes
// into the registry is what the real unixODBC driver manager opens; the
// driver registered as "SQL Native Client" is the SQLite ODBC driver, and a
// SQLite file with a sysdatabases table stands in for the server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "fakes/OdbcSeed.h"
#include "fakes/WizardHarness.h"
#include "shared/Expected.h"

namespace {

using Strings = std::vector<std::string>;
using namespace odbcseed;
constexpr auto HKLM = reg::HKeyLocalMachine;
constexpr const char* SqliteDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
constexpr const char* Temp = "TmpVeltraMSSQLDataSource";

class DatabaseListOdbcTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/veltra-dblist-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::ofstream(dir_ + "/odbcinst.ini") << "";
        setenv("ODBCSYSINI", dir_.c_str(), 1);
        setenv("ODBCINI", (dir_ + "/odbc.ini").c_str(), 1);
    }
    static void TearDownTestSuite() {
        std::system(("rm -rf " + dir_).c_str());
        unsetenv("ODBCSYSINI");
        unsetenv("ODBCINI");
    }

    // The data sources under ODBC.INI, mirrored into the odbc.ini unixODBC
    // reads at every change; the SQLite driver opens the file its "Database"
    // entry names, taken from the data source's "Server".
    DatabaseListOdbcTest() {
        RegisterDriver(ws.Registry, "Installed", SqliteDriver);
        ws.Registry.OnChange([this] { WriteIni(); });
        unlink((dir_ + "/serwer.db").c_str());
    }
    void WriteIni() const {
        std::ofstream ini(dir_ + "/odbc.ini", std::ios::trunc);
        const std::string odbcIni = expected::OdbcIniKey.Path;
        for (const std::string& section : ws.Registry.KeyNames(HKLM, odbcIni)) {
            ini << "[" << section << "]\n";
            for (const std::string& name : ws.Registry.ValueNames(HKLM, SourceKey(section))) {
                const std::string value = ws.Registry.GetString(HKLM, SourceKey(section), name).value_or("");
                ini << name << "=" << value << "\n" << (name == "Server" ? "Database=" + value + "\n" : "");
            }
        }
    }

    // Statements run on the stand-in server through a data source of its own.
    void OnServer(std::initializer_list<std::string> statements) {
        AddDataSource(ws.Registry, "Seed", "SQL Native Client");
        ws.Registry.SetString(HKLM, SourceKey("Seed"), "Driver", SqliteDriver);
        ws.Registry.SetString(HKLM, SourceKey("Seed"), "Server", dir_ + "/serwer.db");
        WriteIni();
        TDatabase seed(ws.Session);
        seed.DatabaseName = "_Seed";
        seed.DriverName = "SQL Native Client";
        seed.Params = {"ODBC DSN=Seed"};
        for (const std::string& sql : statements) {
            TQuery query(ws.Session);
            query.DatabaseName = "_Seed";
            query.SQL = {sql};
            query.Open();
            query.Close();
        }
        ws.Registry.RemoveKey(HKLM, SourceKey("Seed"));
        ws.Registry.RemoveKey(HKLM, SourcesKey);
        WriteIni();
    }

    static std::string dir_;
    WizardWorkstation ws;
};

std::string DatabaseListOdbcTest::dir_;

TEST_F(DatabaseListOdbcTest, ListsTheUserDatabasesOfTheServerSortedAndRemovesTheDataSource) {
    TForm2& form = ws.Open();
    for (int i = 0; i < 3; ++i) form.ButtonDalej.Click();  // the database page
    OnServer({"create table sysdatabases (NAME varchar(128), DBID integer)",
              "insert into sysdatabases values ('master', 1), ('tempdb', 2), ('Zeta', 3), ('model', 4), ('msdb', 5), "
              "('resource', 6), ('distribution', 7), ('Rondel', 8), ('Alfa', 9)"});

    for (bool windowsLogin : {true, false}) {
        SCOPED_TRACE(windowsLogin);
        form.CheckBoxWindows.SetChecked(windowsLogin);
        form.ComboBoxServer.SetText(dir_ + "/serwer.db");
        form.ComboBoxBaza.UserDropDown();
        EXPECT_EQ(form.ComboBoxBaza.Items().ToVector(), (Strings{"Alfa", "Rondel", "Zeta"}));
        EXPECT_FALSE(ws.Registry.HasValue(HKLM, SourcesKey, Temp));
        EXPECT_FALSE(ws.Registry.HasKey(HKLM, SourceKey(Temp)));
        std::stringstream ini;
        ini << std::ifstream(dir_ + "/odbc.ini").rdbuf();
        EXPECT_EQ(ini.str().find(Temp), std::string::npos) << ini.str();
    }
    EXPECT_EQ(ws.Errors(), Strings{});
}

}  // namespace
