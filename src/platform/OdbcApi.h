#pragma once
// The ODBC driver manager loaded at run time (odbc32.dll; libodbc.so.2 in
// native tests): its entry points, typed from sql.h and sqlext.h, and one
// owner for its handles. The query driver and the server browse sit on it.
#include <memory>
#include <optional>

#ifdef _WIN32
#include <windows.h>
#endif
// The single-byte entry points: strings go in the ANSI code page.
#ifndef SQL_NOUNICODEMAP
#define SQL_NOUNICODEMAP
#endif
#include <sql.h>
#include <sqlext.h>

#include "platform/Loader.h"

// One entry point and its exported name; null when the library lacks it.
template <class Fn>
struct TOdbcEntry {
    TOdbcEntry(TLibrary& library, const char* name) : Name(name), Call(library.Get<Fn>(name)) {}
    explicit operator bool() const { return Call != nullptr; }
    template <class... Args>
    SQLRETURN operator()(Args... args) const { return Call(args...); }

    const char* Name;
    Fn Call;
};

class TOdbcApi {
    std::unique_ptr<TLibrary> library_;  // first: the entries are looked up in it

public:
    // Looks every entry point up in `library` (never null), which stays
    // loaded as long as this object.
    explicit TOdbcApi(std::unique_ptr<TLibrary> library) : library_(std::move(library)) {}
    TOdbcApi(const TOdbcApi&) = delete;
    TOdbcApi& operator=(const TOdbcApi&) = delete;

    // Raises `missingText` (one %s for the name) for the first of `entries`
    // the library lacks.
    template <class... Entries>
    static void Require(const char* missingText, const Entries&... entries) {
        ((entries ? void() : throw Exception(Format(missingText, {entries.Name}))), ...);
    }

    TOdbcEntry<decltype(&SQLAllocHandle)> AllocHandle{*library_, "SQLAllocHandle"};
    TOdbcEntry<decltype(&SQLFreeHandle)> FreeHandle{*library_, "SQLFreeHandle"};
    TOdbcEntry<decltype(&SQLSetEnvAttr)> SetEnvAttr{*library_, "SQLSetEnvAttr"};
    TOdbcEntry<decltype(&SQLConnect)> Connect{*library_, "SQLConnect"};
    TOdbcEntry<decltype(&SQLBrowseConnect)> BrowseConnect{*library_, "SQLBrowseConnect"};
    TOdbcEntry<decltype(&SQLSetConnectAttr)> SetConnectAttr{*library_, "SQLSetConnectAttr"};
    TOdbcEntry<decltype(&SQLDisconnect)> Disconnect{*library_, "SQLDisconnect"};
    TOdbcEntry<decltype(&SQLExecDirect)> ExecDirect{*library_, "SQLExecDirect"};
    TOdbcEntry<decltype(&SQLNumResultCols)> NumResultCols{*library_, "SQLNumResultCols"};
    TOdbcEntry<decltype(&SQLDescribeCol)> DescribeCol{*library_, "SQLDescribeCol"};
    TOdbcEntry<decltype(&SQLFetch)> Fetch{*library_, "SQLFetch"};
    TOdbcEntry<decltype(&SQLGetData)> GetData{*library_, "SQLGetData"};
    TOdbcEntry<decltype(&SQLGetDiagRec)> GetDiagRec{*library_, "SQLGetDiagRec"};
};

// One environment, connection or statement handle, freed by its destructor.
// Declare a parent before its children, so that they go first.
class TOdbcHandle {
public:
    TOdbcHandle(const TOdbcApi& api, SQLSMALLINT type) : api_(api), type_(type) {}
    ~TOdbcHandle();
    TOdbcHandle(const TOdbcHandle&) = delete;
    TOdbcHandle& operator=(const TOdbcHandle&) = delete;

    // The driver manager's answer. A handle given with a warning is owned too.
    SQLRETURN Allocate(SQLHANDLE parent);
    // A connection that logged in, or is part way through a browse, is
    // disconnected before it is freed.
    void Connected() { connected_ = true; }
    SQLHANDLE Get() const { return handle_; }

private:
    const TOdbcApi& api_;
    SQLSMALLINT type_;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
    bool connected_ = false;
};

// An environment for ODBC 3 and one connection handle on it.
class TOdbcConnection {
public:
    explicit TOdbcConnection(const TOdbcApi& api) : Env(api, SQL_HANDLE_ENV), Dbc(api, SQL_HANDLE_DBC), api_(api) {}

    // The step that answered other than SQL_SUCCESS (with `strict`) or failed:
    // its call, its answer and the environment whose messages explain it
    // (null when the environment itself was refused).
    struct TRefusal {
        const char* Call;
        SQLRETURN Result;
        SQLHANDLE Env;
    };
    std::optional<TRefusal> Open(bool strict);

    TOdbcHandle Env;
    TOdbcHandle Dbc;

private:
    const TOdbcApi& api_;
};
