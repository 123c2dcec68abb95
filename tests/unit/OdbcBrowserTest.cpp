// The server browse through the driver manager, on the scripted ODBC library:
// an answer only when every step succeeds, and every handle comes back.
#include <gtest/gtest.h>

#include <optional>

#include "fakes/FakeOdbc.h"
#include "platform/OdbcBrowser.h"

namespace {

using Strings = std::vector<std::string>;

TEST(OdbcBrowserTest, AnswersOnlyWhenEveryStepSucceeds) {
    struct Case {
        bool Absent;
        const char* Missing;  // an entry point the library lacks
        const char* Call;     // and the one that answers `Result`
        SQLRETURN Result;
        std::string Answer;
        std::optional<std::string> Expected;
    };
    const std::string full = "SERVER:Server={" + std::string(1100, 'x');
    const Case cases[] = {
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
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        FakeOdbc odbc;
        odbc.Absent = c.Absent;
        odbc.Missing = {c.Missing};
        odbc.Results = {{"SQLBrowseConnect", SQL_NEED_DATA}};
        odbc.Results[c.Call] = c.Result;
        odbc.BrowseAnswer = c.Answer;
        EXPECT_EQ(TSystemOdbcBrowser(odbc).Browse("DRIVER=SQL Native Client"), c.Expected);
        EXPECT_EQ(odbc.Requests, Strings{"odbc32.dll"});
        EXPECT_TRUE(odbc.Live.empty());
        // Without SQLDisconnect a browsing connection is freed as it is.
        if (std::string(c.Missing) != "SQLDisconnect") {
            EXPECT_EQ(odbc.Misuses, 0);
        }
        if (!c.Expected) continue;
        Strings calls = {"SQLAllocHandle ENV", "SQLSetEnvAttr: 200, 3, 0", "SQLAllocHandle DBC",
                         "SQLBrowseConnect: DRIVER=SQL Native Client, 24, 1024", "SQLDisconnect",
                         "SQLFreeHandle DBC", "SQLFreeHandle ENV"};
        if (*c.Missing) calls.erase(calls.begin() + 4);
        EXPECT_EQ(odbc.Calls, calls);
    }
}

}  // namespace
