#pragma once
// A scripted ODBC driver manager, to the prototypes of sql.h and sqlext.h.
// Each call answers what the test scripted for it (SQL_SUCCESS otherwise)
// and is recorded; handles are checked as the driver manager checks them,
// and every misuse is counted. It is the loader that hands the library out
// as "odbc32.dll". One at a time.
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/OdbcApi.h"

class FakeOdbc : public TLoader {
public:
    FakeOdbc();
    ~FakeOdbc() override;
    FakeOdbc(const FakeOdbc&) = delete;
    FakeOdbc& operator=(const FakeOdbc&) = delete;

    std::unique_ptr<TLibrary> LoadSystemLibrary(const std::string& name) override;
    std::unique_ptr<TLibrary> LoadPathLibrary(const std::string&) override { return nullptr; }
    std::unique_ptr<TLibrary> LoadLibraryFile(const std::string&) override { return nullptr; }

    // The script: answers by call, named as in Calls ("SQLAllocHandle DBC",
    // "SQLFetch"). SQL_ERROR leaves "[Fake][ODBC] " and the call's name as
    // the message of the handle it was given, with ErrorState.
    std::map<std::string, SQLRETURN> Results;
    std::string ErrorState = "HY000";
    std::set<std::string> Missing;  // entry points the library lacks
    bool Absent = false;            // the library cannot be loaded
    std::string BrowseAnswer;       // ANSI
    // The result set, ANSI; nullptr is NULL. With NoTotal, SQLGetData
    // reports SQL_NO_TOTAL while more is to come.
    std::vector<std::string> Columns = {"NAZWA_\xA3"};  // "NAZWA_Ł"
    std::vector<std::vector<const char*>> Rows;
    bool NoTotal = false;

    // The record: calls in order with their arguments ("SQLConnect: dsn,
    // user, password"), the diagnostics left out; the libraries asked for.
    std::vector<std::string> Calls;
    std::vector<std::string> Requests;
    std::map<SQLHANDLE, SQLSMALLINT> Live;  // handles not freed -> type
    bool Connected = false;
    int Misuses = 0;

    // The entry points' own: checks `handle` is a live one of `type` (0:
    // none to check), records the call and gives its scripted answer.
    SQLRETURN Enter(const std::string& call, SQLHANDLE handle, SQLSMALLINT type, const std::string& arguments = "");
    std::size_t Next = 0, Current = 0, Offset = 0;
    std::uintptr_t Allocated = 0;
    SQLHANDLE ErrorHandle = SQL_NULL_HANDLE;
    std::string ErrorText;
};
