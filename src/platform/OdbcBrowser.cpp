#include "platform/OdbcBrowser.h"

#include <array>

#include "base/Text.h"
#include "platform/OdbcApi.h"

std::optional<std::string> TSystemOdbcBrowser::Browse(const std::string& request) {
    std::unique_ptr<TLibrary> library = loader_.LoadSystemLibrary("odbc32.dll");
    if (!library) return std::nullopt;
    // Declared first: the handles below are released before the library.
    const TOdbcApi api(std::move(library));
    if (!api.AllocHandle || !api.SetEnvAttr || !api.BrowseConnect) return std::nullopt;
    // Only exactly SQL_SUCCESS counts at every step.
    TOdbcConnection connection(api);
    if (connection.Open(true)) return std::nullopt;

    constexpr SQLSMALLINT AnswerSize = 1024;
    std::string input = Utf8ToAnsi(request);
    std::array<SQLCHAR, AnswerSize> answer{};
    SQLSMALLINT length = 0;  // not used: the answer ends at its NUL
    const SQLRETURN rc =
        api.BrowseConnect(connection.Dbc.Get(), reinterpret_cast<SQLCHAR*>(input.data()),
                          static_cast<SQLSMALLINT>(input.size()), answer.data(), AnswerSize, &length);
    // Left part way through (or connected), the connection is disconnected.
    if (rc == SQL_NEED_DATA || SQL_SUCCEEDED(rc)) connection.Dbc.Connected();
    if (rc != SQL_NEED_DATA) return std::nullopt;
    // A driver that fills the buffer to the brim leaves no NUL of its own.
    answer.back() = 0;
    return AnsiToUtf8(reinterpret_cast<const char*>(answer.data()));
}
