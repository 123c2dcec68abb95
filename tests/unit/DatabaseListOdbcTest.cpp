// The database list end to end: the temporary data source the wizard writes
// into the registry is what the real unixODBC driver manager opens; the
// driver registered as "SQL Native Client" is the SQLite ODBC driver, and a
// SQLite file with a sysdatabases table stands in for the server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "engine/Session.h"
#include "fakes/DlLoader.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/OdbcIniMirror.h"
#include "fakes/OdbcSeed.h"
#include "fakes/RecordingViews.h"
#include "platform/Platform.h"
#include "wizard/Unit2.h"

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
        for (const char* file : {"/odbcinst.ini", "/odbc.ini", "/serwer.db", "/serwer.db-journal"})
            unlink((dir_ + file).c_str());
        rmdir(dir_.c_str());
        unsetenv("ODBCSYSINI");
        unsetenv("ODBCINI");
    }

    DatabaseListOdbcTest() {
        registry.SetString(HKLM, "\\SOFTWARE\\Borland\\Database Engine", "CONFIGFILE01", "C:\\BDE\\idapi.cfg");
        RegisterDriver(registry, "Installed", SqliteDriver);
        application.SetMessageBoxView(&errors);
        form_ = std::make_unique<TForm2>(platform, session, application);
        form_->Show();
        for (int i = 0; i < 3; ++i) form_->ButtonDalej.Click();  // the database page
        unlink(Server().c_str());
    }

    static std::string Server() { return dir_ + "/serwer.db"; }

    // Statements run on the stand-in server through a data source of its own.
    void OnServer(std::initializer_list<std::string> statements) {
        AddDataSource(registry, "Seed", "SQL Native Client");
        registry.SetString(HKLM, SourceKey("Seed"), "Driver", SqliteDriver);
        registry.SetString(HKLM, SourceKey("Seed"), "Server", Server());
        mirror.Sync();
        TDatabase seed(session);
        seed.DatabaseName = "_Seed";
        seed.DriverName = "SQL Native Client";
        seed.Params = {"ODBC DSN=Seed"};
        for (const std::string& sql : statements) {
            TQuery query(session);
            query.DatabaseName = "_Seed";
            query.SQL = {sql};
            query.Open();
            query.Close();
        }
        registry.RemoveKey(HKLM, SourceKey("Seed"));
        registry.RemoveKey(HKLM, SourcesKey);
        mirror.Sync();
    }

    std::string IniText() const {
        std::stringstream text;
        text << std::ifstream(dir_ + "/odbc.ini").rdbuf();
        return text.str();
    }

    static std::string dir_;
    FakeRegistryFactory registry;
    OdbcIniMirror mirror{registry, dir_ + "/odbc.ini"};
    FakeFileSystem files;
    DlLoader loader;
    TPlatform platform{mirror, files, loader};
    TSession session{mirror, files, loader};
    TRecordingMessageBox errors;
    TApplication application;
    std::unique_ptr<TForm2> form_;
};

std::string DatabaseListOdbcTest::dir_;

TEST_F(DatabaseListOdbcTest, ListsTheUserDatabasesOfTheServerSortedAndRemovesTheDataSource) {
    TForm2& form = *form_;
    OnServer({"create table sysdatabases (NAME varchar(128), DBID integer)",
              "insert into sysdatabases values ('master', 1), ('tempdb', 2), ('Zeta', 3), ('model', 4), ('msdb', 5), "
              "('resource', 6), ('distribution', 7), ('Rondel', 8), ('Alfa', 9)"});

    for (bool windowsLogin : {true, false}) {
        SCOPED_TRACE(windowsLogin);
        form.CheckBoxWindows.SetChecked(windowsLogin);
        form.ComboBoxServer.SetText(Server());
        form.ComboBoxBaza.UserDropDown();
        EXPECT_EQ(form.ComboBoxBaza.Items().ToVector(), (Strings{"Alfa", "Rondel", "Zeta"}));
        EXPECT_FALSE(registry.HasValue(HKLM, SourcesKey, Temp));
        EXPECT_FALSE(registry.HasKey(HKLM, SourceKey(Temp)));
        EXPECT_EQ(IniText().find(Temp), std::string::npos) << IniText();
    }
    EXPECT_TRUE(errors.Shown.empty());
}

}  // namespace
