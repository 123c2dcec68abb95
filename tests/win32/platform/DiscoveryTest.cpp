// Discovery on Wine's own libraries, from the system directory. (The calls
// and their answers are the unit suites', on the scripted ODBC library.)
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "platform/OdbcBrowser.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Loader.h"
#include "platform/win32/Win32ServerEnumerator.h"

namespace {

// The real loader, noting the file each system library came from.
class SpyLoader : public TWin32Loader {
public:
    std::unique_ptr<TLibrary> LoadSystemLibrary(const std::string& name) override {
        auto library = TWin32Loader::LoadSystemLibrary(name);
        wchar_t path[MAX_PATH + 1] = {};
        if (library) ::GetModuleFileNameW(::GetModuleHandleW(Utf8ToWide(name).c_str()), path, MAX_PATH + 1);
        Files.push_back(_wcslwr(path));
        return library;
    }
    std::vector<std::wstring> Files;
};

TEST(WineDiscoveryTest, UsesTheSystemsLibraries) {
    wchar_t system[MAX_PATH + 1] = {};
    ::GetSystemDirectoryW(system, MAX_PATH + 1);
    const std::wstring folder = _wcslwr(system);
    SpyLoader loader;
    // This prefix has no "SQL Native Client" and no browse master: no
    // answers, and no crash either.
    EXPECT_EQ(TSystemOdbcBrowser(loader).Browse("DRIVER=SQL Native Client"), std::nullopt);
    EXPECT_EQ(TWin32ServerEnumerator(loader).SqlServers(), std::nullopt);
    EXPECT_EQ(loader.Files, (std::vector<std::wstring>{folder + L"\\odbc32.dll", folder + L"\\netapi32.dll"}));
}

}  // namespace
