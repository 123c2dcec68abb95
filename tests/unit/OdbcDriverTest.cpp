// ODBC for "SQL Native Client". The engine's driver and the wizard's database
// list against the real unixODBC driver manager, the SQLite ODBC driver
// registered under that name and a SQLite file standing in for the server;
// the driver and the server browse against the scripted ODBC library, for
// what they pass in and that every handle is released on every way out.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdlib.h>
#include <unistd.h>

#include "base/Text.h"
#include "engine/Database.h"
#include "engine/OdbcDriver.h"
#include "engine/Query.h"
#include "fakes/ErrorText.h"
#include "fakes/FakeOdbc.h"
#include "fakes/OdbcSeed.h"
#include "fakes/WizardHarness.h"
#include "platform/OdbcBrowser.h"
#include "shared/Expected.h"

namespace {

using Strings = std::vector<std::string>;
using namespace odbcseed;
using testing::HasSubstr;
constexpr auto HKLM = reg::HKeyLocalMachine;
constexpr const char* kSqliteDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
constexpr const char* kTemp = "TmpVeltraMSSQLDataSource";

// ---------------------------------------------------------------------------
// Real driver manager and SQLite driver.

class UnixOdbcTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/veltra-odbc-XXXXXX";
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

    // The data sources under ODBC.INI are mirrored into the odbc.ini unixODBC
    // reads at every change; the SQLite driver opens the file its "Database"
    // entry names, taken from the data source's "Server". The suite's own
    // "Serwer" opens a fresh stand-in server.
    UnixOdbcTest() {
        unlink(Server().c_str());
        ws.Registry.OnChange([this] { WriteIni(); });
        RegisterDriver(ws.Registry, "Installed", kSqliteDriver);
        WriteIni();  // the seeding is no accessor's change
        database.DatabaseName = query.DatabaseName = "_Serwer";
        database.DriverName = "SQL Native Client";
        database.Params = {"ODBC DSN=Serwer"};
    }
    static std::string Server() { return dir_ + "/serwer.db"; }
    void WriteIni() const {
        std::ofstream ini(dir_ + "/odbc.ini", std::ios::trunc);
        ini << "[Serwer]\nDriver=" << kSqliteDriver << "\nDatabase=" << Server() << "\n";
        for (const std::string& section : ws.Registry.KeyNames(HKLM, expected::OdbcIniKey.Path)) {
            ini << "[" << section << "]\n";
            for (const std::string& name : ws.Registry.ValueNames(HKLM, SourceKey(section))) {
                const std::string value = ws.Registry.GetString(HKLM, SourceKey(section), name).value_or("");
                ini << name << "=" << value << "\n" << (name == "Server" ? "Database=" + value + "\n" : "");
            }
        }
    }

    // The column `field` of what `sql` gives on "Serwer"; none for a statement.
    Strings Run(const std::string& sql, const std::string& field = "") {
        Strings values;
        query.SQL = {sql};
        for (query.Open(); !query.Eof(); query.Next()) values.push_back(query.FieldByName(field));
        query.Close();
        return values;
    }

    static inline std::string dir_;
    WizardWorkstation ws;
    TForm2& form = ws.Open();  // which starts the engine
    TDatabase database{ws.Session};
    TQuery query{ws.Session};
};

TEST_F(UnixOdbcTest, DatabaseListNamesTheUserDatabasesSortedAndRemovesTheDataSource) {
    Run("create table sysdatabases (NAME varchar(128), DBID integer)");
    Run("insert into sysdatabases values ('master', 1), ('tempdb', 2), ('Zeta', 3), ('model', 4), ('msdb', 5), "
         "('resource', 6), ('distribution', 7), ('Rondel', 8), ('Alfa', 9), ('Łódź', 10)");
    for (int i = 0; i < 3; ++i) form.ButtonDalej.Click();  // the database page
    for (bool windowsLogin : {true, false}) {
        SCOPED_TRACE(windowsLogin);
        form.CheckBoxWindows.SetChecked(windowsLogin);
        form.ComboBoxServer.SetText(Server());
        form.ComboBoxBaza.UserDropDown();
        EXPECT_EQ(form.ComboBoxBaza.Items().ToVector(), (Strings{"Alfa", "Rondel", "Zeta", "Łódź"}));
        std::ifstream ini(dir_ + "/odbc.ini");  // the registry's data sources as unixODBC last saw them
        EXPECT_THAT(std::string(std::istreambuf_iterator<char>(ini), {}), testing::Not(HasSubstr(kTemp)));
    }
    EXPECT_EQ(ws.Errors(), Strings{});
}

TEST_F(UnixOdbcTest, LongAndNullValuesAreReadAsText) {
    std::string longText;
    for (int i = 0; longText.size() < 5000; ++i) longText += "wiersz " + std::to_string(i) + "; ";
    Run("create table notes (ID integer, BODY text)");
    Run("insert into notes values (1, '" + longText + "'), (2, null), (3, '')");
    EXPECT_EQ(Run("select ID, BODY from notes order by ID", "body"), (Strings{longText, "", ""}));
    EXPECT_EQ(Run("select ID, BODY from notes order by ID", "id"), (Strings{"1", "2", "3"}));
}

TEST_F(UnixOdbcTest, FailuresRaiseTheMessagesOfTheDriverAndTheDriverManager) {
    EXPECT_THAT(ErrorText([&] { Run("select NAME from no_such_table"); }), HasSubstr("no such table: no_such_table"));
    EXPECT_EQ(Run("select 'ok' as STATUS", "status"), Strings{"ok"});  // the connection works again right after

    database.Params.SetValue("ODBC DSN", kTemp);
    EXPECT_THAT(ErrorText([&] { Run("select 1"); }), HasSubstr("[unixODBC][Driver Manager]Data source name not found"));
}

// ---------------------------------------------------------------------------
// Scripted ODBC library.

class OdbcScriptedTest : public testing::Test {
protected:
    // The column names, then the rows.
    std::vector<Strings> Run(const TStringList& params, const std::string& sql) {
        auto cursor = driver.Execute(params, sql);
        std::vector<Strings> rows = {cursor->ColumnNames()};
        for (Strings row; cursor->Fetch(row);) rows.push_back(row);
        return rows;
    }

    FakeOdbc odbc;
    TOdbcDriver driver{odbc.LoadSystemLibrary("odbc32.dll")};
};

TEST_F(OdbcScriptedTest, LogsInWithTheNamedParametersInTheAnsiCodePage) {
    odbc.Rows = {{"Gda\xF1sk"}};  // "Gdańsk"
    const auto rows = Run({"DATABASE NAME=Łąka", "odbc dsn=Źródło", "User Name=veltra", "password=m.n.p. żółw"},
                          "select 'ł'\n");
    EXPECT_EQ(rows, (std::vector<Strings>{{"NAZWA_Ł"}, {"Gdańsk"}}));
    // The catalog after the login, before the query; everything released in order.
    Strings calls = {
        "SQLAllocHandle ENV", "SQLSetEnvAttr: 200, 3, 0", "SQLAllocHandle DBC",
        "SQLConnect: Źródło, veltra, m.n.p. żółw", "SQLSetConnectAttr: 109, Łąka", "SQLAllocHandle STMT",
        "SQLExecDirect: select 'ł'\n", "SQLNumResultCols", "SQLDescribeCol: 1", "SQLFetch", "SQLGetData: 1",
        "SQLFetch", "SQLFreeHandle STMT", "SQLDisconnect", "SQLFreeHandle DBC", "SQLFreeHandle ENV"};
    for (std::string& call : calls) call = Utf8ToCp1250(call);
    EXPECT_EQ(odbc.Calls, calls);
    EXPECT_EQ(odbc.Misuses, 0);
}

TEST_F(OdbcScriptedTest, ValuesLongerThanTheBufferAreReadInPieces) {
    const std::string longValue(5000, 'x');
    std::string withEnd = longValue + "\xB9";  // ends in "ą"
    odbc.Rows = {{withEnd.c_str()}, {nullptr}, {""}};
    for (bool noTotal : {false, true}) {
        SCOPED_TRACE(noTotal);
        odbc.NoTotal = noTotal;
        EXPECT_EQ(Run({"ODBC DSN=x"}, "select"), (std::vector<Strings>{{"NAZWA_Ł"}, {longValue + "ą"}, {""}, {""}}));
    }
    EXPECT_EQ(odbc.Misuses, 0);
}

TEST_F(OdbcScriptedTest, EveryFailingCallRaisesTheDriversTextAndReleasesEveryHandle) {
    const std::string calls[] = {"SQLAllocHandle ENV", "SQLSetEnvAttr",       "SQLAllocHandle DBC", "SQLConnect",
                                 "SQLSetConnectAttr",  "SQLAllocHandle STMT", "SQLExecDirect",      "SQLNumResultCols",
                                 "SQLDescribeCol",     "SQLFetch",            "SQLGetData"};
    for (std::size_t i = 0; i < std::size(calls); ++i) {
        SCOPED_TRACE(calls[i]);
        odbc.Results = {{calls[i], SQL_ERROR}};
        odbc.Calls.clear();
        odbc.Rows = {{"a"}};
        const std::string message = ErrorText([&] { Run({"ODBC DSN=x", "DATABASE NAME=d"}, "select"); });
        EXPECT_EQ(message, i == 0 ? "Nie można przydzielić środowiska ODBC" : "[Fake][ODBC] " + calls[i]);
        EXPECT_TRUE(odbc.Live.empty());
        EXPECT_FALSE(odbc.Connected);
        EXPECT_EQ(std::count(odbc.Calls.begin(), odbc.Calls.end(), "SQLDisconnect"), i > 3 ? 1 : 0);
        EXPECT_EQ(odbc.Misuses, 0);
    }
}

TEST_F(OdbcScriptedTest, ADriverWithoutCatalogsQueriesItsOwnDatabase) {
    odbc.Results["SQLSetConnectAttr"] = SQL_ERROR;
    for (const char* sqlState : {"HYC00", "HY092"}) {
        odbc.ErrorState = sqlState;
        EXPECT_NO_THROW(Run({"ODBC DSN=x", "DATABASE NAME=Rondel"}, "select")) << sqlState;
    }
}

TEST_F(OdbcScriptedTest, RefusesALibraryWithoutTheEntryPoints) {
    for (const char* name : {"SQLAllocHandle", "SQLGetDiagRec"}) {
        odbc.Missing = {name};
        EXPECT_THAT(ErrorText([&] { TOdbcDriver refused(odbc.LoadSystemLibrary("odbc32.dll")); }), HasSubstr(name));
    }
}

// The server browse: an answer only when every step succeeds, and every
// handle comes back.
TEST(OdbcBrowserTest, AnswersOnlyWhenEveryStepSucceeds) {
    const std::string full = "SERVER:Server={" + std::string(1100, 'x');
    const struct {
        bool absent;
        const char* missing;  // an entry point the library lacks
        const char* call;     // and the one that answers `result`
        SQLRETURN result;
        std::string answer;
        std::optional<std::string> expected;
    } cases[] = {
        {false, "", "", 0, "SERVER:Server={A,B};UID:Login ID=?", "SERVER:Server={A,B};UID:Login ID=?"},
        {false, "", "", 0, "SERVER:Server={SERWER-\xA3\xF3}", "SERVER:Server={SERWER-Łó}"},
        {false, "", "", 0, full, full.substr(0, 1023)},
        // SQLDisconnect only cleans up.
        {false, "SQLDisconnect", "", 0, "SERVER:Server={A}", "SERVER:Server={A}"},
        {true, "", "", 0, "x", std::nullopt},
        {false, "SQLBrowseConnect", "", 0, "x", std::nullopt},
        {false, "", "SQLAllocHandle ENV", SQL_ERROR, "x", std::nullopt},
        {false, "", "SQLAllocHandle ENV", SQL_SUCCESS_WITH_INFO, "x", std::nullopt},
        {false, "", "SQLSetEnvAttr", SQL_SUCCESS_WITH_INFO, "x", std::nullopt},
        {false, "", "SQLAllocHandle DBC", SQL_SUCCESS_WITH_INFO, "x", std::nullopt},
        {false, "", "SQLBrowseConnect", SQL_SUCCESS, "x", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        FakeOdbc odbc;
        odbc.Absent = c.absent;
        odbc.Missing = {c.missing};
        odbc.Results = {{"SQLBrowseConnect", SQL_NEED_DATA}};
        odbc.Results[c.call] = c.result;
        odbc.BrowseAnswer = c.answer;
        EXPECT_EQ(TSystemOdbcBrowser(odbc).Browse("DRIVER=SQL Native Client"), c.expected);
        EXPECT_EQ(odbc.Requests, Strings{"odbc32.dll"});
        EXPECT_TRUE(odbc.Live.empty());
        // Without SQLDisconnect a browsing connection is freed as it is.
        if (std::string(c.missing) != "SQLDisconnect") {
            EXPECT_EQ(odbc.Misuses, 0);
        }
        if (!c.expected) continue;
        Strings calls = {"SQLAllocHandle ENV", "SQLSetEnvAttr: 200, 3, 0", "SQLAllocHandle DBC",
                         "SQLBrowseConnect: DRIVER=SQL Native Client, 24, 1024", "SQLDisconnect",
                         "SQLFreeHandle DBC", "SQLFreeHandle ENV"};
        if (*c.missing) calls.erase(calls.begin() + 4);
        EXPECT_EQ(odbc.Calls, calls);
    }
}

}  // namespace
