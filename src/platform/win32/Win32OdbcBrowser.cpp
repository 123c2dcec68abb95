#include "platform/win32/Win32OdbcBrowser.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
// The single-byte entry points: strings go in the ANSI code page.
#define SQL_NOUNICODEMAP
#include <sql.h>
#include <sqlext.h>

#include "platform/Loader.h"
#include "platform/Text.h"

namespace {

constexpr SQLSMALLINT AnswerSize = 1024;

struct OdbcEntryPoints {
    decltype(&SQLAllocHandle) AllocHandle = nullptr;
    decltype(&SQLSetEnvAttr) SetEnvAttr = nullptr;
    decltype(&SQLBrowseConnect) BrowseConnect = nullptr;
    // For the clean-up only: a driver manager without them still browses.
    decltype(&SQLDisconnect) Disconnect = nullptr;
    decltype(&SQLFreeHandle) FreeHandle = nullptr;
};

// One environment or connection handle; a connection left half way through
// a browse is disconnected before it is freed.
class OdbcHandle {
public:
    OdbcHandle(const OdbcEntryPoints& api, SQLSMALLINT type) : api_(api), type_(type) {}
    ~OdbcHandle() {
        if (handle_ == SQL_NULL_HANDLE) return;
        if (type_ == SQL_HANDLE_DBC && api_.Disconnect) api_.Disconnect(handle_);
        if (api_.FreeHandle) api_.FreeHandle(type_, handle_);
    }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    // Only exactly SQL_SUCCESS counts; a handle given with a warning is
    // still owned, and freed.
    bool Allocate(SQLHANDLE parent) {
        SQLHANDLE handle = SQL_NULL_HANDLE;
        const SQLRETURN rc = api_.AllocHandle(type_, parent, &handle);
        if (SQL_SUCCEEDED(rc)) handle_ = handle;
        return rc == SQL_SUCCESS;
    }
    SQLHANDLE Get() const { return handle_; }

private:
    const OdbcEntryPoints& api_;
    SQLSMALLINT type_;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

}  // namespace

std::optional<std::string> TWin32OdbcBrowser::Browse(const std::string& request) {
    // Declared first: the handles below are released before the library.
    const std::unique_ptr<TLibrary> library = loader_.LoadSystemLibrary("odbc32.dll");
    if (!library) return std::nullopt;
    OdbcEntryPoints api;
    api.AllocHandle = library->Get<decltype(&SQLAllocHandle)>("SQLAllocHandle");
    api.SetEnvAttr = library->Get<decltype(&SQLSetEnvAttr)>("SQLSetEnvAttr");
    api.BrowseConnect = library->Get<decltype(&SQLBrowseConnect)>("SQLBrowseConnect");
    api.Disconnect = library->Get<decltype(&SQLDisconnect)>("SQLDisconnect");
    api.FreeHandle = library->Get<decltype(&SQLFreeHandle)>("SQLFreeHandle");
    if (!api.AllocHandle || !api.SetEnvAttr || !api.BrowseConnect) return std::nullopt;

    OdbcHandle environment(api, SQL_HANDLE_ENV);
    if (!environment.Allocate(SQL_NULL_HANDLE)) return std::nullopt;
    const auto version = reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(SQL_OV_ODBC3));
    if (api.SetEnvAttr(environment.Get(), SQL_ATTR_ODBC_VERSION, version, 0) != SQL_SUCCESS) return std::nullopt;
    OdbcHandle connection(api, SQL_HANDLE_DBC);
    if (!connection.Allocate(environment.Get())) return std::nullopt;

    std::string input = Utf8ToAnsi(request);
    std::array<SQLCHAR, AnswerSize> answer{};
    SQLSMALLINT length = 0;  // not used: the answer ends at its NUL
    const SQLRETURN rc =
        api.BrowseConnect(connection.Get(), reinterpret_cast<SQLCHAR*>(input.data()),
                          static_cast<SQLSMALLINT>(input.size()), answer.data(), AnswerSize, &length);
    if (rc != SQL_NEED_DATA) return std::nullopt;
    // A driver that fills the buffer to the brim leaves no NUL of its own.
    answer.back() = 0;
    return AnsiToUtf8(reinterpret_cast<const char*>(answer.data()));
}
