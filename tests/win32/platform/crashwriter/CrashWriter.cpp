// The crash suite's writer: replaces one file through the real file layer
// again and again, the new content and the old one in turn, until it is
// killed. Arguments: the file, and an event it sets before the first write.
#include <windows.h>
#include <shellapi.h>

#include "../CrashContent.h"
#include "base/Exception.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/WideText.h"

int main() {
    int argc = 0;
    UniqueHLocal args(reinterpret_cast<HLOCAL>(::CommandLineToArgvW(::GetCommandLineW(), &argc)));
    if (!args || argc != 3) return 2;
    wchar_t** argv = static_cast<wchar_t**>(args.get());
    UniqueKernelHandle started(::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]));
    if (!started) return 3;
    const std::string target = WideToUtf8(argv[1]);

    TWin32FileSystem files;
    // Made before the start is told, so that the kills land in the writes.
    const std::string& newContent = crash::New();
    const std::string& oldContent = crash::Old();
    ::SetEvent(started.get());
    try {
        for (bool next = true;; next = !next) files.WriteBytes(target, next ? newContent : oldContent);
    } catch (const Exception&) {
        return 1;
    }
}
