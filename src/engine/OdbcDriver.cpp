#include "engine/OdbcDriver.h"

#include <vector>

#include "base/Exception.h"
#include "base/Text.h"
#include "platform/OdbcApi.h"

namespace {

constexpr const char* kMissingOdbcFunction = "Biblioteka ODBC nie udostępnia funkcji %s";

SQLCHAR* Sql(std::string& s) { return reinterpret_cast<SQLCHAR*>(s.data()); }

// The driver's (or the driver manager's) own messages for `handle`, one a line.
std::string Diagnostics(const TOdbcApi& api, SQLSMALLINT type, SQLHANDLE handle) {
    std::string text;
    if (handle == SQL_NULL_HANDLE) return text;
    for (SQLSMALLINT record = 1; record <= 16; ++record) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        std::vector<SQLCHAR> message(512);
        SQLSMALLINT length = 0;
        SQLRETURN rc = api.GetDiagRec(type, handle, record, state, &native, message.data(),
                                      static_cast<SQLSMALLINT>(message.size()), &length);
        if (SQL_SUCCEEDED(rc) && length >= static_cast<SQLSMALLINT>(message.size())) {
            message.resize(static_cast<std::size_t>(length) + 1);
            rc = api.GetDiagRec(type, handle, record, state, &native, message.data(),
                                static_cast<SQLSMALLINT>(message.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc)) break;
        std::string line(reinterpret_cast<const char*>(message.data()));
        if (line.empty()) continue;
        if (!text.empty()) text += '\n';
        text += AnsiToUtf8(line);
    }
    return text;
}

// The SQLSTATE of the first message for `handle`; empty when there is none.
std::string FirstState(const TOdbcApi& api, SQLSMALLINT type, SQLHANDLE handle) {
    SQLCHAR state[6] = {}, message[2];
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    const SQLRETURN rc = api.GetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length);
    return SQL_SUCCEEDED(rc) ? std::string(reinterpret_cast<const char*>(state)) : std::string();
}

void Check(const TOdbcApi& api, SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const char* function) {
    if (SQL_SUCCEEDED(rc)) return;
    std::string text = Diagnostics(api, type, handle);
    if (text.empty()) text = Format("Wywołanie ODBC %s nie powiodło się (kod %s)", {function, std::to_string(rc)});
    throw Exception(text);
}

class OdbcCursor : public TEngineCursor {
public:
    OdbcCursor(std::shared_ptr<const TOdbcApi> shared, const TStringList& params, const std::string& sql)
        : api_(std::move(shared)), connection_(*api_), stmt_(*api_, SQL_HANDLE_STMT) {
        const TOdbcApi& api = *api_;
        if (const auto refusal = connection_.Open(false)) {
            if (refusal->Env == SQL_NULL_HANDLE) throw Exception("Nie można przydzielić środowiska ODBC");
            Check(api, refusal->Result, SQL_HANDLE_ENV, refusal->Env, refusal->Call);
        }

        // SQLConnect never shows a dialog; the data source supplies the rest.
        std::string dsn = Utf8ToAnsi(params.Values("ODBC DSN"));
        std::string user = Utf8ToAnsi(params.Values("USER NAME"));
        std::string password = Utf8ToAnsi(params.Values("PASSWORD"));
        Check(api,
              api.Connect(Dbc(), Sql(dsn), SQL_NTS, Sql(user), SQL_NTS, Sql(password), SQL_NTS),
              SQL_HANDLE_DBC, Dbc(), "SQLConnect");
        connection_.Dbc.Connected();
        UseDatabase(params.Values("DATABASE NAME"));

        Check(api, stmt_.Allocate(Dbc()), SQL_HANDLE_DBC, Dbc(), "SQLAllocHandle");
        std::string text = Utf8ToAnsi(sql);
        const SQLRETURN rc = api.ExecDirect(stmt_.Get(), Sql(text), static_cast<SQLINTEGER>(text.size()));
        if (rc != SQL_NO_DATA) Check(api, rc, SQL_HANDLE_STMT, stmt_.Get(), "SQLExecDirect");

        SQLSMALLINT count = 0;
        Check(api, api.NumResultCols(stmt_.Get(), &count), SQL_HANDLE_STMT, stmt_.Get(), "SQLNumResultCols");
        for (SQLUSMALLINT column = 1; column <= count; ++column) columns_.push_back(ColumnName(column));
        done_ = count == 0;
    }

    const std::vector<std::string>& ColumnNames() const override { return columns_; }

    bool Fetch(std::vector<std::string>& row) override {
        if (done_) return false;
        const SQLRETURN rc = api_->Fetch(stmt_.Get());
        if (rc == SQL_NO_DATA) {
            done_ = true;
            return false;
        }
        Check(*api_, rc, SQL_HANDLE_STMT, stmt_.Get(), "SQLFetch");
        row.clear();
        for (SQLUSMALLINT column = 1; column <= columns_.size(); ++column) row.push_back(Text(column));
        return true;
    }

private:
    // The query runs in the database that "DATABASE NAME" names, not in the
    // login's default one (on old servers that is seldom the one meant). A
    // driver without catalogs answers HYC00 (optional feature not implemented)
    // or HY092 (invalid attribute): it has one database only, so the query
    // runs there. Any other refusal (no such database, no right to it) ends
    // the query with the driver's message rather than run it elsewhere.
    // SQLite's driver answers 01S02 (option value changed) with success.
    void UseDatabase(const std::string& database) {
        if (database.empty()) return;
        std::string name = Utf8ToAnsi(database);
        const SQLRETURN rc = api_->SetConnectAttr(Dbc(), SQL_ATTR_CURRENT_CATALOG, Sql(name), SQL_NTS);
        if (SQL_SUCCEEDED(rc)) return;
        const std::string state = FirstState(*api_, SQL_HANDLE_DBC, Dbc());
        if (state == "HYC00" || state == "HY092") return;
        Check(*api_, rc, SQL_HANDLE_DBC, Dbc(), "SQLSetConnectAttr");
    }

    std::string ColumnName(SQLUSMALLINT column) {
        std::vector<SQLCHAR> name(256);
        SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        auto describe = [&] {
            Check(*api_,
                  api_->DescribeCol(stmt_.Get(), column, name.data(), static_cast<SQLSMALLINT>(name.size()), &length,
                                    &type, &size, &digits, &nullable),
                  SQL_HANDLE_STMT, stmt_.Get(), "SQLDescribeCol");
        };
        describe();
        if (length >= static_cast<SQLSMALLINT>(name.size())) {
            name.resize(static_cast<std::size_t>(length) + 1);
            describe();
        }
        return AnsiToUtf8(reinterpret_cast<const char*>(name.data()));
    }

    // The column as text, in pieces when it is longer than the buffer.
    std::string Text(SQLUSMALLINT column) {
        std::string value;
        char buffer[1024];
        const auto capacity = static_cast<SQLLEN>(sizeof buffer);
        for (;;) {
            SQLLEN indicator = 0;
            const SQLRETURN rc = api_->GetData(stmt_.Get(), column, SQL_C_CHAR, buffer, capacity, &indicator);
            if (rc == SQL_NO_DATA) break;
            Check(*api_, rc, SQL_HANDLE_STMT, stmt_.Get(), "SQLGetData");
            if (indicator == SQL_NULL_DATA) return {};
            const bool truncated = indicator == SQL_NO_TOTAL || indicator >= capacity;
            value.append(buffer, truncated ? sizeof buffer - 1 : static_cast<std::size_t>(indicator));
            if (rc == SQL_SUCCESS || !truncated) break;
        }
        return AnsiToUtf8(value);
    }

    SQLHDBC Dbc() const { return connection_.Dbc.Get(); }

    // Member order is release order reversed: statement, then logout and
    // connection, then environment, then the library.
    std::shared_ptr<const TOdbcApi> api_;
    TOdbcConnection connection_;
    TOdbcHandle stmt_;
    std::vector<std::string> columns_;
    bool done_ = false;
};

}  // namespace

TOdbcDriver::TOdbcDriver(std::unique_ptr<TLibrary> library) {
    if (!library) throw Exception("Biblioteka ODBC nie została załadowana");
    auto api = std::make_shared<const TOdbcApi>(std::move(library));
    TOdbcApi::Require(kMissingOdbcFunction, api->AllocHandle, api->FreeHandle, api->SetEnvAttr, api->Connect,
                      api->SetConnectAttr, api->Disconnect, api->ExecDirect, api->NumResultCols, api->DescribeCol,
                      api->Fetch, api->GetData, api->GetDiagRec);
    api_ = std::move(api);
}

TOdbcDriver::~TOdbcDriver() = default;

std::unique_ptr<TEngineCursor> TOdbcDriver::Execute(const TStringList& params, const std::string& sql) {
    return std::make_unique<OdbcCursor>(api_, params, sql);
}
