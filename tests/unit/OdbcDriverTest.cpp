// The "SQL Native Client" driver. Against the real unixODBC driver manager
// and SQLite ODBC driver for the rows and the driver's messages; against a
// scripted ODBC library for what it passes in and that every handle is
// released on every way out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <stdlib.h>
#include <unistd.h>

#include "engine/Database.h"
#include "engine/OdbcDriver.h"
#include "engine/Query.h"
#include "engine/Session.h"
#include "fakes/EngineRig.h"
#include "fakes/ErrorText.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeOdbc.h"
#include "fakes/FakeRegistry.h"
#include "platform/Registry.h"
#include "base/Text.h"
#include "shared/Expected.h"

namespace {

// ---------------------------------------------------------------------------
// Real driver manager and SQLite driver.

constexpr const char* kSqliteDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
constexpr const char* kDsn = "VeltraTest";

class OdbcSqliteTest : public testing::Test, protected EngineRig {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/veltra-odbc-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::ofstream(dir_ + "/odbcinst.ini") << "";
        std::ofstream(dir_ + "/odbc.ini") << "[" << kDsn << "]\nDriver=" << kSqliteDriver
                                          << "\nDatabase=" << dir_ << "/veltra.db\n";
        setenv("ODBCSYSINI", dir_.c_str(), 1);
        setenv("ODBCINI", (dir_ + "/odbc.ini").c_str(), 1);
    }

    static void TearDownTestSuite() {
        for (const char* file : {"/odbcinst.ini", "/odbc.ini", "/veltra.db", "/veltra.db-journal"})
            unlink((dir_ + file).c_str());
        rmdir(dir_.c_str());
        unsetenv("ODBCSYSINI");
        unsetenv("ODBCINI");
    }

    OdbcSqliteTest() {
        registry.SetString(reg::HKeyLocalMachine, expected::EngineKey.Path, "CONFIGFILE01", "C:\\a.cfg");
        session.SetConfigMode(cmPersistent);
        // The form's database-list connection, as the listing prepares it.
        database.DatabaseName = "_TmpDatabase";
        database.DriverName = "SQL Native Client";
        database.Params.Lines() = expected::Filled(expected::SqlServerParams, {{"DATABASE NAME", "master"}, {"USER NAME", "veltra"}});
        database.Params.Add("PASSWORD=");
        database.Params.SetValue("ODBC DSN", kDsn);
        database.Params.SetValue("password", "m.n.p. darvel");
        query.DatabaseName = "_TmpDatabase";
    }

    void Exec(const std::string& sql) {
        TQuery q(session);
        q.DatabaseName = database.DatabaseName;
        q.SQL = {sql};
        q.Open();
        q.Close();
    }

    std::vector<std::string> Column(const std::string& field) {
        std::vector<std::string> values;
        for (query.Open(); !query.Eof(); query.Next()) values.push_back(query.FieldByName(field));
        query.Close();
        return values;
    }

    static std::string dir_;
};

std::string OdbcSqliteTest::dir_;

TEST_F(OdbcSqliteTest, DatabaseListQueryReturnsTheUserDatabases) {
    Exec("drop table if exists sysdatabases");
    Exec("create table sysdatabases (NAME varchar(128), CRDATE varchar(20))");
    for (const char* name : {"master", "Zeta", "msdb", "model", "tempdb", "resource", "distribution", "Alfa", "Łódź"})
        Exec(std::string("insert into sysdatabases values ('") + name + "', '2024-01-01')");

    query.SQL = {"select cast(NAME as varchar(128)) NAME",
                 " from sysdatabases where NAME not in ('master', 'msdb', 'model', 'tempdb', 'resource', 'distribution')",
                 ""};
    EXPECT_EQ(Column("name"), (std::vector<std::string>{"Zeta", "Alfa", "Łódź"}));
    EXPECT_FALSE(query.Active());
    EXPECT_FALSE(database.Connected());
}

TEST_F(OdbcSqliteTest, LongAndNullValuesAreReadAsText) {
    std::string longText;
    for (int i = 0; longText.size() < 5000; ++i) longText += "wiersz " + std::to_string(i) + "; ";
    Exec("drop table if exists notes");
    Exec("create table notes (ID integer, BODY text)");
    Exec("insert into notes values (1, '" + longText + "')");
    Exec("insert into notes values (2, null)");
    Exec("insert into notes values (3, '')");
    query.SQL = {"select ID, BODY from notes order by ID"};
    EXPECT_EQ(Column("body"), (std::vector<std::string>{longText, "", ""}));
    EXPECT_EQ(Column("id"), (std::vector<std::string>{"1", "2", "3"}));
}

TEST_F(OdbcSqliteTest, UnknownDataSourceRaisesTheDriverManagersMessage) {
    database.Params.SetValue("ODBC DSN", "TmpVeltraMSSQLDataSource");
    query.SQL = {"select 1"};
    const std::string message = ErrorText([&] { query.Open(); });
    EXPECT_NE(message.find("[unixODBC][Driver Manager]Data source name not found"), std::string::npos) << message;
    EXPECT_FALSE(query.Active());
}

TEST_F(OdbcSqliteTest, BadSqlRaisesTheDriversMessage) {
    query.SQL = {"select NAME from no_such_table"};
    const std::string message = ErrorText([&] { query.Open(); });
    EXPECT_NE(message.find("no such table: no_such_table"), std::string::npos) << message;
    EXPECT_FALSE(query.Active());
    // The connection works again right after.
    query.SQL = {"select 'ok' as STATUS"};
    EXPECT_EQ(Column("status"), std::vector<std::string>{"ok"});
}

// ---------------------------------------------------------------------------
// Scripted ODBC library.

class OdbcScriptedTest : public testing::Test {
protected:
    std::vector<std::vector<std::string>> Run(const TStringList& params, const std::string& sql) {
        std::vector<std::vector<std::string>> rows;
        auto cursor = driver.Execute(params, sql);
        names = cursor->ColumnNames();
        for (std::vector<std::string> row; cursor->Fetch(row);) rows.push_back(row);
        return rows;
    }

    FakeOdbc odbc;
    TOdbcDriver driver{odbc.Library()};
    std::vector<std::string> names;
};

TEST_F(OdbcScriptedTest, LogsInWithTheNamedParametersInTheAnsiCodePage) {
    odbc.Rows = {{"Gda\xF1sk"}};  // "Gdańsk"
    const auto rows = Run({"DATABASE NAME=Łąka", "odbc dsn=Źródło", "User Name=veltra", "password=m.n.p. żółw"},
                          "select 'ł'\n");
    EXPECT_EQ(names, std::vector<std::string>{"NAZWA_Ł"});
    EXPECT_EQ(rows, std::vector<std::vector<std::string>>{{"Gdańsk"}});
    // The catalog after the login, before the query; everything released in order.
    std::vector<std::string> calls = {
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
        const auto rows = Run({"ODBC DSN=x"}, "select");
        EXPECT_EQ(rows, (std::vector<std::vector<std::string>>{{longValue + "ą"}, {""}, {""}}));
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

TEST(OdbcDriver, RefusesALibraryWithoutTheEntryPoints) {
    FakeOdbc odbc;
    for (const char* name : {"SQLAllocHandle", "SQLGetDiagRec"}) {
        odbc.Missing = {name};
        EXPECT_NE(ErrorText([&] { TOdbcDriver driver(odbc.Library()); }).find(name), std::string::npos) << name;
    }
}

}  // namespace
