// The SQL Server path of the real program under Wine: KonfiguracjaBDE.exe
// runs as a process of its own in the test prefix and is driven from here
// with real button, key and combo box messages. Wine's odbc32 hands
// connections to unixODBC, which reads the odbc.ini named by ODBCINI (set by
// the build for this suite): there the temporary data source of the
// database list leads to a SQLite file that stands in for the server.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/AliasStore.h"
#include "engine/Database.h"
#include "engine/Query.h"
#include "engine/Session.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Loader.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/WideText.h"
#include "win32/ProgramDriver.h"
#include "win32/UiWindowSupport.h"

using namespace uiwin;

namespace {

constexpr const wchar_t* DriversKey = L"SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Drivers";
constexpr const wchar_t* DriverKey = L"SOFTWARE\\ODBC\\ODBCINST.INI\\SQL Native Client";
constexpr const wchar_t* SourcesKey = L"SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";
constexpr const wchar_t* SourceKey = L"SOFTWARE\\ODBC\\ODBC.INI\\Rondel Wine";
constexpr const wchar_t* TempKey = L"SOFTWARE\\ODBC\\ODBC.INI\\TmpVeltraMSSQLDataSource";
constexpr const wchar_t* EngineKey = L"SOFTWARE\\Borland\\Database Engine";
constexpr const wchar_t* SettingsKey = L"software\\Veltra\\Zentor";
// The SQLite driver of this process's architecture: unixODBC loads it in here.
constexpr const char* SqliteDriver = sizeof(void*) == 4 ? "/usr/lib/i386-linux-gnu/odbc/libsqlite3odbc.so"
                                                        : "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

std::optional<std::wstring> RegString(const wchar_t* key, const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void SetRegString(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::vector<std::wstring> ValueNames(const wchar_t* key) {
    UniqueHKey opened;
    std::vector<std::wstring> names;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, opened.put());
    wchar_t name[256];
    for (DWORD i = 0, n = 256; opened && RegEnumValueW(opened.get(), i, name, &n, nullptr, nullptr, nullptr, nullptr) ==
                                            ERROR_SUCCESS;
         ++i, n = 256)
        names.push_back(name);
    return names;
}

class SqlServerProgram : public ::testing::Test {
protected:
    void SetUp() override {
        const char* ini = std::getenv("ODBCINI");
        ASSERT_NE(ini, nullptr) << "ODBCINI names the odbc.ini of unixODBC for this suite";
        const std::string iniPath = ini;
        folder_ = iniPath.substr(0, iniPath.rfind('/'));
        CreateDirectoryW(Utf8ToWide(WinePath(folder_)).c_str(), nullptr);
        const std::string server = folder_ + "/serwer.db";
        DeleteFileW(Utf8ToWide(WinePath(server)).c_str());
        std::string text;
        for (const char* section : {"TmpVeltraMSSQLDataSource", "Seed"})
            text += std::string("[") + section + "]\nDriver=" + SqliteDriver + "\nDatabase=" + server + "\n";
        files_.WriteBytes(WinePath(iniPath), text);

        configFile_ = WinePath(folder_ + "/konfiguracja.cfg");
        DeleteFileW(Utf8ToWide(configFile_).c_str());
        previousConfig_ = RegString(EngineKey, L"CONFIGFILE01");
        SetRegString(EngineKey, L"CONFIGFILE01", Utf8ToWide(configFile_));
        SetRegString(DriversKey, L"SQL Native Client", L"Installed");
        SetRegString(DriverKey, L"Driver", L"C:\\windows\\system32\\sqlncli.dll");
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, SourcesKey, L"Rondel Wine");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, SourceKey);
    }

    void TearDown() override {
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, SourcesKey, L"Rondel Wine");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, SourceKey);
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, DriversKey, L"SQL Native Client");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, DriverKey);
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
        if (previousConfig_)
            SetRegString(EngineKey, L"CONFIGFILE01", *previousConfig_);
        else
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, EngineKey, L"CONFIGFILE01");
    }

    // The stand-in server's databases, written through Wine's odbc32 and unixODBC.
    void SeedServer(const Strings& databases) {
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

    TAliasStore Saved() {
        TAliasStore store;
        store.Load(files_.ReadBytes(configFile_), configFile_);
        return store;
    }

    TWin32FileSystem files_;
    std::string folder_;
    std::string configFile_;
    std::optional<std::wstring> previousConfig_;
};

const Strings Modules = {"X Veltra- Ochrona",     "X Veltra- RN",          "X Veltra- RN- Faktury",
                         "X Veltra- RN- Magistr", "X Veltra- RN- Odbiorcy", "X Veltra- RN- Odczyty",
                         "X Veltra- RN- Liczniki"};

Strings AliasParams(const std::string& database) {
    return {"DATABASE NAME=" + database, "USER NAME=veltra", "ODBC DSN=Rondel Wine", "OPEN MODE=READ/WRITE",
            "BATCH COUNT=200", "LANGDRIVER=anpolish", "MAX ROWS=-1", "SCHEMA CACHE DIR=", "SCHEMA CACHE SIZE=8",
            "SCHEMA CACHE TIME=-1", "SQLPASSTHRU MODE=SHARED AUTOCOMMIT", "SQLQRYMODE=", "ENABLE SCHEMA CACHE=FALSE",
            "ENABLE BCD=FALSE", "ROWSET SIZE=20", "BLOBS TO CACHE=64", "BLOB SIZE=32"};
}

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
        program.Click(L"Microsoft SQL Server");
        program.Click(L"Dalej >");
        ASSERT_EQ(program.Page(), "TabSheet1");
        program.Type(program.Combo(0), L"Rondel Wine");
        program.Click(L"Dalej >");
        ASSERT_EQ(program.Page(), "TabSheet2");
        program.Type(program.Combo(0), L"SERWER\\RONDEL");
        program.Click(L"Logowanie do serwera poprzez użytkownika Windows");
        program.Click(L"Dalej >");
        ASSERT_EQ(program.Page(), "TabSheet3");

        // The stand-in server's user databases, through the temporary data source.
        EXPECT_EQ(program.DropDown(program.Combo(0)), (Strings{"Alfa", "Rondel", "Zeta"}));
        EXPECT_FALSE(RegString(SourcesKey, L"TmpVeltraMSSQLDataSource"));
        EXPECT_TRUE(ValueNames(TempKey).empty());
        program.Type(program.Combo(0), L"Rondel");
        program.Type(program.Combo(1), L"RondelLiczniki");

        program.Click(L"Wykonaj");
        ASSERT_EQ(program.Page(), "TabSheet5");
        EXPECT_EQ(program.StatusLog(), ExpectedLog("Utworzono"));
        program.Click(L"OK");
        EXPECT_TRUE(program.Ended());
    }

    EXPECT_EQ(RegString(SourcesKey, L"Rondel Wine"), L"SQL Native Client");
    EXPECT_EQ(ValueNames(SourceKey),
              (std::vector<std::wstring>{L"Driver", L"MARS_Connection", L"Server", L"Trusted_Connection"}));
    EXPECT_EQ(RegString(SourceKey, L"Driver"), L"C:\\windows\\system32\\sqlncli.dll");
    EXPECT_EQ(RegString(SourceKey, L"MARS_Connection"), L"Yes");
    EXPECT_EQ(RegString(SourceKey, L"Server"), L"SERWER\\RONDEL");
    EXPECT_EQ(RegString(SourceKey, L"Trusted_Connection"), L"No");
    const TAliasStore saved = Saved();
    EXPECT_EQ(saved.Count(), Modules.size());
    for (const std::string& alias : Modules) {
        SCOPED_TRACE(alias);
        ASSERT_NE(saved.Find(alias), nullptr);
        EXPECT_EQ(saved.Find(alias)->Driver, "SQL Native Client");
        EXPECT_EQ(saved.Find(alias)->Params.Lines(), AliasParams(alias == Modules[6] ? "RondelLiczniki" : "Rondel"));
    }

    // A new process: the pages come pre-filled from the aliases and the data source.
    Program again;
    ASSERT_TRUE(again.Running());
    for (int i = 0; i < 3; ++i) again.Click(L"Dalej >");
    ASSERT_EQ(again.Page(), "TabSheet3");
    EXPECT_EQ(again.Text(again.Combo(0)), L"Rondel");
    again.Click(L"Wykonaj");
    ASSERT_EQ(again.Page(), "TabSheet5");
    EXPECT_EQ(again.StatusLog(), ExpectedLog("Zmodyfikowano"));
}

TEST_F(SqlServerProgram, WithoutTheDriverWykonajStopsAndLeavesTheConfigurationAlone) {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, DriversKey, L"SQL Native Client");
    files_.WriteBytes(configFile_, "; poprzednia konfiguracja\r\n");
    const std::string before = files_.ReadBytes(configFile_);

    Program program;
    ASSERT_TRUE(program.Running());
    for (int i = 0; i < 3; ++i) program.Click(L"Dalej >");
    ASSERT_EQ(program.Page(), "TabSheet3");
    program.Type(program.Combo(0), L"Rondel");
    program.Click(L"Wykonaj");
    // The closing quotation mark sorts below the full stop: no full stop is added.
    EXPECT_EQ(program.DismissMessage(), "Brak sterownika ODBC \"SQL Native Client\"");
    EXPECT_EQ(program.Page(), "TabSheet3");
    EXPECT_EQ(files_.ReadBytes(configFile_), before);
    EXPECT_FALSE(RegString(SourcesKey, L"MSSQL Veltra RN"));
}

}  // namespace
