// The SQL Server path of the real program under Wine, driven from page 0 to
// the status page as a user would. Wine's odbc32 hands
// connections to unixODBC, which reads the odbc.ini named by ODBCINI (set by
// the build for this suite): there the temporary data source of the
// database list leads to a SQLite file that stands in for the server.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/AliasStore.h"
#include "engine/Database.h"
#include "engine/Query.h"
#include "engine/Session.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Loader.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/WideText.h"
#include "shared/Expected.h"
#include "ui/Forms.h"
#include "win32/MachineRegistry.h"
#include "win32/ProgramDriver.h"

using namespace uiwin;

namespace {

using machine::SettingsKey;
using machine::DriversKey;
using machine::SourcesKey;

constexpr const wchar_t* SourceKey = L"SOFTWARE\\ODBC\\ODBC.INI\\Rondel Wine";
// The SQLite driver of this process's architecture: unixODBC loads it in here.
constexpr const char* SqliteDriver = sizeof(void*) == 4 ? "/usr/lib/i386-linux-gnu/odbc/libsqlite3odbc.so"
                                                        : "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

class SqlServerProgram : public ::testing::Test {
protected:
    SqlServerProgram() {
        Forget();
        DeleteFileW(Utf8ToWide(configFile_).c_str());
    }
    ~SqlServerProgram() override {
        Forget();
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, machine::DriverKey);
    }
    // What a run leaves: the remembered choices and the data source.
    static void Forget() {
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, SourcesKey, L"Rondel Wine");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, SourceKey);
    }

    // The stand-in server's databases, written through Wine's odbc32 and unixODBC.
    void SeedServer(const Strings& databases) {
        const std::string server = folder_ + "/serwer.db";
        DeleteFileW(Utf8ToWide(WinePath(server)).c_str());
        std::string ini;
        for (const char* section : {"TmpVeltraMSSQLDataSource", "Seed"})
            ini += std::string("[") + section + "]\nDriver=" + SqliteDriver + "\nDatabase=" + server + "\n";
        files_.WriteBytes(WinePath(folder_ + "/odbc.ini"), ini);
        TWin32RegistryFactory registry;
        TWin32Loader loader;
        TSession session(registry, files_, loader);
        session.SetConfigMode(cmPersistent);
        TDatabase seed(session);
        seed.DatabaseName = "_Seed";
        seed.DriverName = "SQL Native Client";
        seed.Params = {"ODBC DSN=Seed"};
        Strings statements = {"create table sysdatabases (NAME varchar(128))"};
        for (const std::string& name : databases) statements.push_back("insert into sysdatabases values ('" + name + "')");
        for (const std::string& sql : statements) {
            TQuery query(session);
            query.DatabaseName = "_Seed";
            query.SQL = {sql};
            query.Open();
            query.Close();
        }
    }

    // The folder of the odbc.ini the build names for this suite.
    std::string folder_ = [] {
        const std::string ini = std::getenv("ODBCINI") ? std::getenv("ODBCINI") : "/tmp/odbc.ini";
        const std::string folder = ini.substr(0, ini.rfind('/'));
        CreateDirectoryW(Utf8ToWide(WinePath(folder)).c_str(), nullptr);
        return folder;
    }();
    std::string configFile_ = WinePath(folder_ + "/konfiguracja.cfg");
    TWin32FileSystem files_;
    machine::Value configEntry_{expected::EngineKey.Raw, L"CONFIGFILE01", Utf8ToWide(configFile_)};
    machine::Value driverListed_{DriversKey, L"SQL Native Client", L"Installed"};
    machine::Value driverFile_{machine::DriverKey, L"Driver",
                               L"C:\\windows\\system32\\sqlncli.dll"};
};

const Strings Modules = expected::ModuleAliases("X ");

Strings ExpectedLog(const char* action) {
    Strings log = {"Konfiguracja została utworzona!",
                   "",
                   std::string(" ") + action + " źródło danych ODBC \"Rondel Wine\".",
                   "  Instancja serwera MSSQL: \"SERWER\\RONDEL\".",
                   "  Logowanie poprzez użytkownika serwera MSSQL.",
                   "",
                   " Zmodyfikowano konfigurację BDE."};
    for (const std::string& alias : Modules) log.push_back(std::string("  ") + action + " alias \"" + alias + "\".");
    return log;
}

TEST_F(SqlServerProgram, WalksThePathWritesTheDataSourceAndAliasesAndModifiesThemOnTheNextRun) {
    SeedServer({"master", "Zeta", "msdb", "model", "tempdb", "resource", "distribution", "Rondel", "Alfa"});
    {
        Program program;
        ASSERT_TRUE(program.Running());
        EXPECT_EQ(program.Page(), "TabSheet0");
        EXPECT_TRUE(program.Click(L"Microsoft SQL Server"));
        EXPECT_TRUE(program.Click(L"Dalej >"));
        ASSERT_EQ(program.Page(), "TabSheet1");
        program.Type(program.Combo(0), L"Rondel Wine");
        EXPECT_TRUE(program.Click(L"Dalej >"));
        ASSERT_EQ(program.Page(), "TabSheet2");
        program.Type(program.Combo(0), L"SERWER\\RONDEL");
        EXPECT_TRUE(program.Click(L"Logowanie do serwera poprzez użytkownika Windows"));
        EXPECT_TRUE(program.Click(L"Dalej >"));
        ASSERT_EQ(program.Page(), "TabSheet3");

        // The stand-in server's user databases, through the temporary data source.
        EXPECT_EQ(program.DropDown(program.Combo(0)), (Strings{"Alfa", "Rondel", "Zeta"}));
        EXPECT_FALSE(machine::Get(SourcesKey, L"TmpVeltraMSSQLDataSource"));
        EXPECT_TRUE(machine::ValueNames(L"SOFTWARE\\ODBC\\ODBC.INI\\TmpVeltraMSSQLDataSource").empty());
        program.Type(program.Combo(0), L"Rondel");
        program.Type(program.Combo(1), L"RondelLiczniki");

        EXPECT_TRUE(program.Click(L"Wykonaj"));
        ASSERT_EQ(program.Page(), "TabSheet5");
        EXPECT_EQ(program.StatusLog(), ExpectedLog("Utworzono"));
        EXPECT_TRUE(program.Click(L"OK"));
        EXPECT_TRUE(program.Ended());
    }

    EXPECT_EQ(machine::Get(SourcesKey, L"Rondel Wine"), L"SQL Native Client");
    std::vector<std::wstring> values;
    for (const std::wstring& name : machine::ValueNames(SourceKey))
        values.push_back(name + L"=" + machine::Get(SourceKey, name.c_str()).value_or(L"?"));
    EXPECT_EQ(values, (std::vector<std::wstring>{L"Driver=C:\\windows\\system32\\sqlncli.dll", L"MARS_Connection=Yes",
                                                 L"Server=SERWER\\RONDEL", L"Trusted_Connection=No"}));
    TAliasStore saved;
    saved.Load(files_.ReadBytes(configFile_), configFile_);
    EXPECT_EQ(saved.Count(), Modules.size());
    for (const std::string& alias : Modules) {
        SCOPED_TRACE(alias);
        ASSERT_NE(saved.Find(alias), nullptr);
        EXPECT_EQ(saved.Find(alias)->Driver, "SQL Native Client");
        // The whole parameter list is the apply suite's; here what the real run typed in.
        EXPECT_EQ(saved.Find(alias)->Params.Values("DATABASE NAME"), alias == Modules[6] ? "RondelLiczniki" : "Rondel");
        EXPECT_EQ(saved.Find(alias)->Params.Values("ODBC DSN"), "Rondel Wine");
    }

    // A new process: the pages come pre-filled from the aliases and the data source.
    Program again;
    ASSERT_TRUE(again.Running());
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(again.Click(L"Dalej >"));
    ASSERT_EQ(again.Page(), "TabSheet3");
    EXPECT_EQ(again.Text(again.Combo(0)), L"Rondel");
    EXPECT_TRUE(again.Click(L"Wykonaj"));
    ASSERT_EQ(again.Page(), "TabSheet5");
    EXPECT_EQ(again.StatusLog(), ExpectedLog("Zmodyfikowano"));
}

}  // namespace
