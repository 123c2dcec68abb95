#include "platform/win32/Win32ServerEnumerator.h"

#include <windows.h>

#include <lm.h>

#include <memory>

#include "base/Text.h"
#include "platform/Loader.h"
#include "platform/win32/WideText.h"

namespace {

// Machine names pass through the ANSI code page, as the service manager's
// single-byte calls will see them.
std::string AnsiName(const wchar_t* name) { return AnsiToUtf8(Utf8ToAnsi(WideToUtf8(name ? name : L""))); }

}  // namespace

std::optional<std::vector<std::string>> TWin32ServerEnumerator::SqlServers() {
    // Declared first: the buffer is freed before the library goes.
    const std::unique_ptr<TLibrary> library = loader_.LoadSystemLibrary("netapi32.dll");
    if (!library) return std::nullopt;
    const auto bufferFree = library->Get<decltype(&NetApiBufferFree)>("NetApiBufferFree");
    const auto serverEnum = library->Get<decltype(&NetServerEnum)>("NetServerEnum");
    if (!bufferFree || !serverEnum) return std::nullopt;

    LPBYTE data = nullptr;
    DWORD read = 0, total = 0;
    const NET_API_STATUS status =
        serverEnum(nullptr, 100, &data, MAX_PREFERRED_LENGTH, &read, &total, SV_TYPE_SQLSERVER, nullptr, nullptr);
    // The records are freed through the library's own entry point.
    const std::unique_ptr<BYTE, decltype(bufferFree)> buffer(data, bufferFree);
    // ERROR_MORE_DATA too: a partial list counts as none.
    if (status != NERR_Success || (read > 0 && !buffer.get())) return std::nullopt;

    std::vector<std::string> names;
    const auto* records = reinterpret_cast<const SERVER_INFO_100*>(buffer.get());
    for (DWORD i = 0; i < read; ++i) names.push_back(AnsiName(records[i].sv100_name));
    return names;
}
