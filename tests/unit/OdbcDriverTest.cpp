// The "SQL Native Client" driver. Against the real unixODBC driver manager
// and SQLite ODBC driver for the rows and the driver's messages; against a
// scripted ODBC library for what it passes in and that every handle is
// released on every way out.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <ostream>
#include <sql.h>
#include <sqlext.h>
#include <stdlib.h>
#include <unistd.h>

#include "engine/Database.h"
#include "engine/OdbcDriver.h"
#include "engine/Query.h"
#include "engine/Session.h"
#include "fakes/EngineRig.h"
#include "fakes/ErrorText.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeRegistry.h"
#include "platform/Registry.h"
#include "platform/Text.h"
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

enum class Step { None, AllocEnv, SetEnvAttr, AllocDbc, Connect, Use, AllocStmt, Exec, NumCols, Describe, Fetch, GetData };

std::ostream& operator<<(std::ostream& out, Step step) {
    static const char* const names[] = {"None",      "AllocEnv", "SetEnvAttr", "AllocDbc", "Connect", "Use", "AllocStmt",
                                        "ExecDirect", "NumResultCols", "DescribeCol", "Fetch", "GetData"};
    return out << names[static_cast<int>(step)];
}

struct FakeOdbc {
    Step failAt = Step::None;
    std::map<SQLHANDLE, SQLSMALLINT> live;  // handle -> type
    int misuses = 0;
    bool connected = false;
    int disconnects = 0;
    std::string dsn, user, password, sql, catalog;
    SQLHANDLE errorHandle = SQL_NULL_HANDLE;
    std::string errorText, errorState = "HY000";
    // Result: column names and rows in the ANSI code page; nullptr marks NULL.
    std::vector<std::string> columns = {"NAZWA_\xA3"};  // "NAZWA_Ł"
    std::vector<std::vector<const char*>> rows;
    bool noTotal = false;  // GetData reports SQL_NO_TOTAL while more is to come
    std::size_t row = 0, offset = 0;
    int fetched = 0;
};

FakeOdbc* fake = nullptr;

SQLRETURN Failing(Step step, SQLHANDLE handle) {
    if (fake->failAt != step) return SQL_SUCCESS;
    fake->errorHandle = handle;
    fake->errorText = "[Fake][ODBC] failure " + std::to_string(static_cast<int>(step));
    return SQL_ERROR;
}

bool Live(SQLHANDLE handle, SQLSMALLINT type) {
    auto it = fake->live.find(handle);
    if (it != fake->live.end() && it->second == type) return true;
    ++fake->misuses;
    return false;
}

std::string Text(SQLCHAR* text, SQLINTEGER length) {
    const char* s = reinterpret_cast<const char*>(text);
    return length == SQL_NTS ? std::string(s) : std::string(s, static_cast<std::size_t>(length));
}

SQLRETURN SQL_API AllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output) {
    if (type == SQL_HANDLE_ENV) {
        if (Failing(Step::AllocEnv, SQL_NULL_HANDLE)) return SQL_ERROR;
    } else if (!Live(input, type == SQL_HANDLE_DBC ? SQL_HANDLE_ENV : SQL_HANDLE_DBC)) {
        return SQL_INVALID_HANDLE;
    } else if (Failing(type == SQL_HANDLE_DBC ? Step::AllocDbc : Step::AllocStmt, input)) {
        return SQL_ERROR;
    }
    *output = new int(type);
    fake->live[*output] = type;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API FreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
    if (!Live(handle, type)) return SQL_INVALID_HANDLE;
    // A connection still logged in, or a parent with children, cannot be freed.
    if (type == SQL_HANDLE_DBC && fake->connected) ++fake->misuses;
    if (type != SQL_HANDLE_STMT) {
        const SQLSMALLINT child = type == SQL_HANDLE_ENV ? SQL_HANDLE_DBC : SQL_HANDLE_STMT;
        for (const auto& [h, t] : fake->live)
            if (t == child) ++fake->misuses;
    }
    fake->live.erase(handle);
    delete static_cast<int*>(handle);
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SetEnvAttr(SQLHENV env, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
    if (!Live(env, SQL_HANDLE_ENV)) return SQL_INVALID_HANDLE;
    if (attribute != SQL_ATTR_ODBC_VERSION || reinterpret_cast<std::uintptr_t>(value) != SQL_OV_ODBC3) ++fake->misuses;
    return Failing(Step::SetEnvAttr, env);
}

SQLRETURN SQL_API Connect(SQLHDBC dbc, SQLCHAR* dsn, SQLSMALLINT dsnLength, SQLCHAR* user, SQLSMALLINT userLength,
                          SQLCHAR* password, SQLSMALLINT passwordLength) {
    if (!Live(dbc, SQL_HANDLE_DBC)) return SQL_INVALID_HANDLE;
    fake->dsn = Text(dsn, dsnLength);
    fake->user = Text(user, userLength);
    fake->password = Text(password, passwordLength);
    if (Failing(Step::Connect, dbc)) return SQL_ERROR;
    fake->connected = true;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SetConnectAttr(SQLHDBC dbc, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length) {
    if (!Live(dbc, SQL_HANDLE_DBC) || attribute != SQL_ATTR_CURRENT_CATALOG || !fake->connected) ++fake->misuses;
    fake->catalog = Text(static_cast<SQLCHAR*>(value), length);
    return Failing(Step::Use, dbc);
}

SQLRETURN SQL_API Disconnect(SQLHDBC dbc) {
    if (!Live(dbc, SQL_HANDLE_DBC)) return SQL_INVALID_HANDLE;
    if (!fake->connected) ++fake->misuses;
    for (const auto& [h, t] : fake->live)
        if (t == SQL_HANDLE_STMT) ++fake->misuses;  // statements go first
    fake->connected = false;
    ++fake->disconnects;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API ExecDirect(SQLHSTMT stmt, SQLCHAR* text, SQLINTEGER length) {
    if (!Live(stmt, SQL_HANDLE_STMT)) return SQL_INVALID_HANDLE;
    fake->sql = Text(text, length);
    return Failing(Step::Exec, stmt);
}

SQLRETURN SQL_API NumResultCols(SQLHSTMT stmt, SQLSMALLINT* count) {
    if (!Live(stmt, SQL_HANDLE_STMT)) return SQL_INVALID_HANDLE;
    *count = static_cast<SQLSMALLINT>(fake->columns.size());
    return Failing(Step::NumCols, stmt);
}

SQLRETURN SQL_API DescribeCol(SQLHSTMT stmt, SQLUSMALLINT column, SQLCHAR* name, SQLSMALLINT size, SQLSMALLINT* length,
                              SQLSMALLINT* type, SQLULEN* columnSize, SQLSMALLINT* digits, SQLSMALLINT* nullable) {
    if (!Live(stmt, SQL_HANDLE_STMT)) return SQL_INVALID_HANDLE;
    if (column < 1 || column > fake->columns.size()) ++fake->misuses;
    const std::string& text = fake->columns.at(column - 1u);
    std::snprintf(reinterpret_cast<char*>(name), static_cast<std::size_t>(size), "%s", text.c_str());
    *length = static_cast<SQLSMALLINT>(text.size());
    *type = SQL_VARCHAR;
    *columnSize = 128;
    *digits = 0;
    *nullable = SQL_NULLABLE;
    return Failing(Step::Describe, stmt);
}

SQLRETURN SQL_API Fetch(SQLHSTMT stmt) {
    if (!Live(stmt, SQL_HANDLE_STMT)) return SQL_INVALID_HANDLE;
    if (Failing(Step::Fetch, stmt)) return SQL_ERROR;
    if (fake->fetched++ > 0) ++fake->row;
    fake->offset = 0;
    return fake->row < fake->rows.size() ? SQL_SUCCESS : SQL_NO_DATA;
}

SQLRETURN SQL_API GetData(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT type, SQLPOINTER buffer, SQLLEN size,
                          SQLLEN* indicator) {
    if (!Live(stmt, SQL_HANDLE_STMT)) return SQL_INVALID_HANDLE;
    if (type != SQL_C_CHAR || size < 1 || !indicator) ++fake->misuses;
    if (Failing(Step::GetData, stmt)) return SQL_ERROR;
    const char* value = fake->rows.at(fake->row).at(column - 1u);
    if (!value) {
        *indicator = SQL_NULL_DATA;
        return SQL_SUCCESS;
    }
    const std::size_t total = std::strlen(value);
    if (fake->offset > 0 && fake->offset >= total) return SQL_NO_DATA;
    const std::size_t rest = total - fake->offset;
    const std::size_t room = static_cast<std::size_t>(size) - 1;
    const std::size_t n = rest < room ? rest : room;
    std::memcpy(buffer, value + fake->offset, n);
    static_cast<char*>(buffer)[n] = '\0';
    fake->offset += n;
    const bool more = n < rest;
    *indicator = more && fake->noTotal ? SQL_NO_TOTAL : static_cast<SQLLEN>(rest);
    return more ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

SQLRETURN SQL_API GetDiagRec(SQLSMALLINT, SQLHANDLE handle, SQLSMALLINT record, SQLCHAR* state, SQLINTEGER* native,
                             SQLCHAR* text, SQLSMALLINT size, SQLSMALLINT* length) {
    if (handle != fake->errorHandle || record != 1 || fake->errorText.empty()) return SQL_NO_DATA;
    std::memcpy(state, fake->errorState.c_str(), 6);
    *native = 0;
    std::snprintf(reinterpret_cast<char*>(text), static_cast<std::size_t>(size), "%s", fake->errorText.c_str());
    *length = static_cast<SQLSMALLINT>(fake->errorText.size());
    return static_cast<std::size_t>(size) > fake->errorText.size() ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

class FakeOdbcLibrary : public TLibrary {
public:
    void* Proc(const char* name) override {
        static const std::map<std::string, void*> procs = {
            {"SQLAllocHandle", Entry<decltype(&SQLAllocHandle)>(&AllocHandle)},
            {"SQLFreeHandle", Entry<decltype(&SQLFreeHandle)>(&FreeHandle)},
            {"SQLSetEnvAttr", Entry<decltype(&SQLSetEnvAttr)>(&SetEnvAttr)},
            {"SQLConnect", Entry<decltype(&SQLConnect)>(&Connect)},
            {"SQLSetConnectAttr", Entry<decltype(&SQLSetConnectAttr)>(&SetConnectAttr)},
            {"SQLDisconnect", Entry<decltype(&SQLDisconnect)>(&Disconnect)},
            {"SQLExecDirect", Entry<decltype(&SQLExecDirect)>(&ExecDirect)},
            {"SQLNumResultCols", Entry<decltype(&SQLNumResultCols)>(&NumResultCols)},
            {"SQLDescribeCol", Entry<decltype(&SQLDescribeCol)>(&DescribeCol)},
            {"SQLFetch", Entry<decltype(&SQLFetch)>(&Fetch)},
            {"SQLGetData", Entry<decltype(&SQLGetData)>(&GetData)},
            {"SQLGetDiagRec", Entry<decltype(&SQLGetDiagRec)>(&GetDiagRec)},
        };
        auto it = procs.find(name);
        return it == procs.end() ? nullptr : it->second;
    }

private:
    // The static_cast proves each stand-in has the real prototype.
    template <class Fn, class Impl>
    static void* Entry(Impl impl) {
        return reinterpret_cast<void*>(static_cast<Fn>(impl));
    }
};

class OdbcScriptedTest : public testing::Test {
protected:
    OdbcScriptedTest() : driver(std::make_unique<FakeOdbcLibrary>()) { fake = &state; }
    ~OdbcScriptedTest() override { fake = nullptr; }

    std::vector<std::vector<std::string>> Run(const TStringList& params, const std::string& sql) {
        std::vector<std::vector<std::string>> rows;
        auto cursor = driver.Execute(params, sql);
        names = cursor->ColumnNames();
        for (std::vector<std::string> row; cursor->Fetch(row);) rows.push_back(row);
        return rows;
    }

    FakeOdbc state;
    OdbcDriver driver;
    std::vector<std::string> names;
};

TEST_F(OdbcScriptedTest, LogsInWithTheNamedParametersInTheAnsiCodePage) {
    state.rows = {{"Gda\xF1sk"}};  // "Gdańsk"
    const auto rows = Run({"DATABASE NAME=Łąka", "odbc dsn=Źródło", "User Name=veltra", "password=m.n.p. żółw"},
                          "select 'ł'\n");
    EXPECT_EQ(state.catalog, Utf8ToCp1250("Łąka"));  // after the login, before the query
    EXPECT_EQ(state.dsn, Utf8ToCp1250("Źródło"));
    EXPECT_EQ(state.user, "veltra");
    EXPECT_EQ(state.password, Utf8ToCp1250("m.n.p. żółw"));
    EXPECT_EQ(state.sql, Utf8ToCp1250("select 'ł'\n"));
    EXPECT_EQ(names, std::vector<std::string>{"NAZWA_Ł"});
    EXPECT_EQ(rows, std::vector<std::vector<std::string>>{{"Gdańsk"}});
    EXPECT_EQ(state.live.size(), 0u);
    EXPECT_EQ(state.disconnects, 1);
    EXPECT_EQ(state.misuses, 0);
}

TEST_F(OdbcScriptedTest, ValuesLongerThanTheBufferAreReadInPieces) {
    const std::string longValue(5000, 'x');
    std::string withEnd = longValue + "\xB9";  // ends in "ą"
    state.rows = {{withEnd.c_str()}, {nullptr}, {""}};
    for (bool noTotal : {false, true}) {
        SCOPED_TRACE(noTotal);
        state.noTotal = noTotal;
        state.row = 0;
        state.fetched = 0;
        const auto rows = Run({"ODBC DSN=x"}, "select");
        EXPECT_EQ(rows, (std::vector<std::vector<std::string>>{{longValue + "ą"}, {""}, {""}}));
    }
    EXPECT_EQ(state.misuses, 0);
}

class OdbcFailureTest : public OdbcScriptedTest, public testing::WithParamInterface<Step> {};

TEST_P(OdbcFailureTest, RaisesTheDriversTextAndReleasesEveryHandle) {
    state.failAt = GetParam();
    state.rows = {{"a"}};
    const std::string message = ErrorText([&] { Run({"ODBC DSN=x", "DATABASE NAME=d"}, "select"); });
    if (GetParam() == Step::AllocEnv)
        EXPECT_NE(message.find("środowiska ODBC"), std::string::npos) << message;
    else
        EXPECT_EQ(message, "[Fake][ODBC] failure " + std::to_string(static_cast<int>(GetParam())));
    EXPECT_EQ(state.live.size(), 0u);
    EXPECT_FALSE(state.connected);
    EXPECT_EQ(state.disconnects, GetParam() > Step::Connect ? 1 : 0);
    EXPECT_EQ(state.misuses, 0);
}

INSTANTIATE_TEST_SUITE_P(EveryCall, OdbcFailureTest,
                         testing::Values(Step::AllocEnv, Step::SetEnvAttr, Step::AllocDbc, Step::Connect, Step::Use,
                                         Step::AllocStmt, Step::Exec, Step::NumCols, Step::Describe, Step::Fetch,
                                         Step::GetData),
                         testing::PrintToStringParamName());

TEST_F(OdbcScriptedTest, ADriverWithoutCatalogsQueriesItsOwnDatabase) {
    state.failAt = Step::Use;
    for (const char* sqlState : {"HYC00", "HY092"}) {
        state.errorState = sqlState;
        EXPECT_NO_THROW(Run({"ODBC DSN=x", "DATABASE NAME=Rondel"}, "select")) << sqlState;
    }
}

TEST(OdbcDriver, RefusesALibraryWithoutTheEntryPoints) {
    class Empty : public TLibrary {
    public:
        void* Proc(const char*) override { return nullptr; }
    };
    EXPECT_NE(ErrorText([] { OdbcDriver driver(std::make_unique<Empty>()); }).find("SQLAllocHandle"),
              std::string::npos);
}

}  // namespace
