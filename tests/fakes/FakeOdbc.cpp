#include "fakes/FakeOdbc.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

FakeOdbc* fake = nullptr;

// By handle type: SQL_HANDLE_ENV (1), SQL_HANDLE_DBC (2), SQL_HANDLE_STMT (3).
const char* const kTypeNames[] = {"", "ENV", "DBC", "STMT"};
const SQLSMALLINT kParentTypes[] = {0, 0, SQL_HANDLE_ENV, SQL_HANDLE_DBC};

std::string Text(SQLCHAR* text, SQLINTEGER length) {
    const char* s = reinterpret_cast<const char*>(text);
    return length == SQL_NTS ? std::string(s) : std::string(s, static_cast<std::size_t>(length));
}

SQLRETURN SQL_API AllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output) {
    *output = SQL_NULL_HANDLE;
    const SQLRETURN rc = fake->Enter(std::string("SQLAllocHandle ") + kTypeNames[type], input, kParentTypes[type]);
    if (!SQL_SUCCEEDED(rc)) return rc;
    *output = reinterpret_cast<SQLHANDLE>(++fake->Allocated);  // never reused
    fake->Live[*output] = type;
    return rc;
}

SQLRETURN SQL_API FreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
    if (fake->Enter(std::string("SQLFreeHandle ") + kTypeNames[type], handle, type) == SQL_INVALID_HANDLE)
        return SQL_INVALID_HANDLE;
    // A connection still logged in, or a parent with children, cannot be freed.
    if (type == SQL_HANDLE_DBC && fake->Connected) ++fake->Misuses;
    for (const auto& [h, t] : fake->Live)
        if (kParentTypes[t] == type) ++fake->Misuses;
    fake->Live.erase(handle);
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SetEnvAttr(SQLHENV env, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length) {
    const auto number = reinterpret_cast<std::uintptr_t>(value);
    return fake->Enter("SQLSetEnvAttr", env, SQL_HANDLE_ENV,
                       std::to_string(attribute) + ", " + std::to_string(number) + ", " + std::to_string(length));
}

SQLRETURN SQL_API Connect(SQLHDBC dbc, SQLCHAR* dsn, SQLSMALLINT dsnLength, SQLCHAR* user, SQLSMALLINT userLength,
                          SQLCHAR* password, SQLSMALLINT passwordLength) {
    const SQLRETURN rc = fake->Enter("SQLConnect", dbc, SQL_HANDLE_DBC,
                                     Text(dsn, dsnLength) + ", " + Text(user, userLength) + ", " +
                                         Text(password, passwordLength));
    if (SQL_SUCCEEDED(rc)) fake->Connected = true;
    return rc;
}

SQLRETURN SQL_API BrowseConnect(SQLHDBC dbc, SQLCHAR* in, SQLSMALLINT inLength, SQLCHAR* out, SQLSMALLINT room,
                                SQLSMALLINT* length) {
    const SQLRETURN rc = fake->Enter("SQLBrowseConnect", dbc, SQL_HANDLE_DBC,
                                     Text(in, inLength) + ", " + std::to_string(inLength) + ", " + std::to_string(room));
    if (rc == SQL_INVALID_HANDLE) return rc;
    // Filled to the brim, with no NUL, when the answer does not fit.
    const std::string& answer = fake->BrowseAnswer;
    std::memcpy(out, answer.c_str(), std::min(answer.size() + 1, static_cast<std::size_t>(room)));
    *length = static_cast<SQLSMALLINT>(answer.size());
    // Connected, or part way through a browse.
    if (rc == SQL_NEED_DATA || SQL_SUCCEEDED(rc)) fake->Connected = true;
    return rc;
}

SQLRETURN SQL_API SetConnectAttr(SQLHDBC dbc, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length) {
    if (!fake->Connected) ++fake->Misuses;  // the catalog is chosen after the login
    return fake->Enter("SQLSetConnectAttr", dbc, SQL_HANDLE_DBC,
                       std::to_string(attribute) + ", " + Text(static_cast<SQLCHAR*>(value), length));
}

SQLRETURN SQL_API Disconnect(SQLHDBC dbc) {
    if (fake->Enter("SQLDisconnect", dbc, SQL_HANDLE_DBC) == SQL_INVALID_HANDLE) return SQL_INVALID_HANDLE;
    if (!fake->Connected) ++fake->Misuses;
    for (const auto& [h, t] : fake->Live)
        if (t == SQL_HANDLE_STMT) ++fake->Misuses;  // statements go first
    fake->Connected = false;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API ExecDirect(SQLHSTMT stmt, SQLCHAR* text, SQLINTEGER length) {
    fake->Next = 0;
    return fake->Enter("SQLExecDirect", stmt, SQL_HANDLE_STMT, Text(text, length));
}

SQLRETURN SQL_API NumResultCols(SQLHSTMT stmt, SQLSMALLINT* count) {
    *count = static_cast<SQLSMALLINT>(fake->Columns.size());
    return fake->Enter("SQLNumResultCols", stmt, SQL_HANDLE_STMT);
}

SQLRETURN SQL_API DescribeCol(SQLHSTMT stmt, SQLUSMALLINT column, SQLCHAR* name, SQLSMALLINT size, SQLSMALLINT* length,
                              SQLSMALLINT* type, SQLULEN* columnSize, SQLSMALLINT* digits, SQLSMALLINT* nullable) {
    const SQLRETURN rc = fake->Enter("SQLDescribeCol", stmt, SQL_HANDLE_STMT, std::to_string(column));
    if (rc != SQL_SUCCESS) return rc;
    if (column < 1 || column > fake->Columns.size()) return ++fake->Misuses, SQL_ERROR;
    const std::string& text = fake->Columns[column - 1u];
    std::snprintf(reinterpret_cast<char*>(name), static_cast<std::size_t>(size), "%s", text.c_str());
    *length = static_cast<SQLSMALLINT>(text.size());
    *type = SQL_VARCHAR, *columnSize = 128, *digits = 0, *nullable = SQL_NULLABLE;
    return rc;
}

SQLRETURN SQL_API Fetch(SQLHSTMT stmt) {
    const SQLRETURN rc = fake->Enter("SQLFetch", stmt, SQL_HANDLE_STMT);
    if (rc != SQL_SUCCESS) return rc;
    fake->Current = fake->Next++;
    fake->Offset = 0;
    return fake->Current < fake->Rows.size() ? SQL_SUCCESS : SQL_NO_DATA;
}

SQLRETURN SQL_API GetData(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT type, SQLPOINTER buffer, SQLLEN size,
                          SQLLEN* indicator) {
    if (type != SQL_C_CHAR || size < 1 || !indicator) ++fake->Misuses;
    const SQLRETURN rc = fake->Enter("SQLGetData", stmt, SQL_HANDLE_STMT, std::to_string(column));
    if (rc != SQL_SUCCESS) return rc;
    const char* value = fake->Rows.at(fake->Current).at(column - 1u);
    if (!value) return *indicator = SQL_NULL_DATA, SQL_SUCCESS;
    const std::size_t total = std::strlen(value);
    if (fake->Offset > 0 && fake->Offset >= total) return SQL_NO_DATA;
    const std::size_t rest = total - fake->Offset;
    const std::size_t n = std::min(rest, static_cast<std::size_t>(size) - 1);
    std::memcpy(buffer, value + fake->Offset, n);
    static_cast<char*>(buffer)[n] = '\0';
    fake->Offset += n;
    const bool more = n < rest;
    *indicator = more && fake->NoTotal ? SQL_NO_TOTAL : static_cast<SQLLEN>(rest);
    return more ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

SQLRETURN SQL_API GetDiagRec(SQLSMALLINT, SQLHANDLE handle, SQLSMALLINT record, SQLCHAR* state, SQLINTEGER* native,
                             SQLCHAR* text, SQLSMALLINT size, SQLSMALLINT* length) {
    const std::string& message = fake->ErrorText;
    if (handle != fake->ErrorHandle || record != 1 || message.empty()) return SQL_NO_DATA;
    std::snprintf(reinterpret_cast<char*>(state), 6, "%s", fake->ErrorState.c_str());
    *native = 0;
    std::snprintf(reinterpret_cast<char*>(text), static_cast<std::size_t>(size), "%s", message.c_str());
    *length = static_cast<SQLSMALLINT>(message.size());
    return static_cast<std::size_t>(size) > message.size() ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

// The cast proves each stand-in has the real prototype.
#define ENTRY(name) {"SQL" #name, reinterpret_cast<void*>(static_cast<decltype(&SQL##name)>(&name))}
const std::map<std::string, void*> kEntries = {
    ENTRY(AllocHandle), ENTRY(FreeHandle), ENTRY(SetEnvAttr), ENTRY(Connect), ENTRY(BrowseConnect),
    ENTRY(SetConnectAttr), ENTRY(Disconnect), ENTRY(ExecDirect), ENTRY(NumResultCols), ENTRY(DescribeCol),
    ENTRY(Fetch), ENTRY(GetData), ENTRY(GetDiagRec)};
#undef ENTRY

struct FakeOdbcLibrary : TLibrary {
    explicit FakeOdbcLibrary(const std::set<std::string>& missing) : Missing(missing) {}
    void* Proc(const char* name) override {
        const auto it = kEntries.find(name);
        return it == kEntries.end() || Missing.count(name) ? nullptr : it->second;
    }
    const std::set<std::string>& Missing;
};

}  // namespace

FakeOdbc::FakeOdbc() { fake = this; }

FakeOdbc::~FakeOdbc() { fake = nullptr; }


std::unique_ptr<TLibrary> FakeOdbc::LoadSystemLibrary(const std::string& name) {
    Requests.push_back(name);
    return Absent ? nullptr : std::make_unique<FakeOdbcLibrary>(Missing);
}

SQLRETURN FakeOdbc::Enter(const std::string& call, SQLHANDLE handle, SQLSMALLINT type, const std::string& arguments) {
    const auto live = Live.find(handle);
    if (type != 0 && (live == Live.end() || live->second != type)) return ++Misuses, SQL_INVALID_HANDLE;
    Calls.push_back(arguments.empty() ? call : call + ": " + arguments);
    const auto it = Results.find(call);
    const SQLRETURN rc = it == Results.end() ? SQL_SUCCESS : it->second;
    if (rc == SQL_ERROR) {
        ErrorHandle = handle;
        ErrorText = "[Fake][ODBC] " + call;
    }
    return rc;
}
