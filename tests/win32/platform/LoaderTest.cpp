// The library loader. The suite's main has hardened the search path as the
// program does at start.
#include <gtest/gtest.h>

#include <windows.h>

#include "Scratch.h"
#include "platform/win32/Win32Loader.h"

namespace {

const wchar_t* const ProbeName = L"" PLATFORM_PROBE_DLL;
const char* const ProbeEntry = "PlatformProbeAnswer";
using ProbeFn = int (*)();

std::wstring Lower(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(::towlower(c));
    return text;
}

// The file a library's entry point was loaded from, lower-cased; "" without the entry.
std::wstring ModuleFileOf(TLibrary& library, const char* entry = ProbeEntry) {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(library.Proc(entry)), &module))
        return L"";
    wchar_t path[MAX_PATH + 1];
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH + 1);
    return Lower(std::wstring(path, length));
}

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH + 1];
    return std::wstring(folder, ::GetSystemDirectoryW(folder, MAX_PATH + 1));
}

// A 32-bit process on 64-bit Windows asks for the system directory and is
// given its 32-bit twin, which is where its modules then report they are from.
bool IsSystemFile(const std::wstring& path, const std::wstring& name) {
    if (path == Lower(SystemFolder() + L"\\" + name)) return true;
    wchar_t folder[MAX_PATH + 1];
    const UINT length = ::GetSystemWow64DirectoryW(folder, MAX_PATH + 1);
    return length > 0 && path == Lower(std::wstring(folder, length) + L"\\" + name);
}

// The probe library the build puts beside the suite.
std::wstring BuiltProbe() { return scratch::BesideSuite(ProbeName); }

void PlaceProbe(const std::wstring& folder, const std::wstring& name = ProbeName) {
    ASSERT_TRUE(::CopyFileW(BuiltProbe().c_str(), (folder + L"\\" + name).c_str(), FALSE))
        << WideToUtf8(BuiltProbe()) << " -> " << WideToUtf8(folder);
}

class LoaderTest : public testing::Test {
protected:
    TWin32Loader loader;
};

TEST_F(LoaderTest, SystemLibraryComesFromTheSystemDirectory) {
    auto odbc = loader.LoadSystemLibrary("odbc32.dll");
    ASSERT_NE(odbc, nullptr);
    const std::wstring file = ModuleFileOf(*odbc, "SQLAllocHandle");
    EXPECT_TRUE(IsSystemFile(file, L"odbc32.dll")) << WideToUtf8(file);
    EXPECT_EQ(odbc->Proc("NoSuchEntryPoint"), nullptr);

    auto kernel = loader.LoadSystemLibrary("kernel32.dll");
    ASSERT_NE(kernel, nullptr);
    EXPECT_NE(kernel->Proc("GetTickCount"), nullptr);
}

TEST_F(LoaderTest, MissingLibrariesAndCopiesOutsideTheirPlaceAreNull) {
    EXPECT_EQ(loader.LoadSystemLibrary("brak_takiej_biblioteki.dll"), nullptr);
    {
        scratch::PathVariable path(SystemFolder());
        EXPECT_EQ(loader.LoadPathLibrary("brak_takiej_biblioteki.dll"), nullptr);
    }
    scratch::Folder empty, current;
    PlaceProbe(current.WidePath());
    scratch::CurrentDirectory inCurrent(current.WidePath());
    // Present in the current directory and beside the program, not in the
    // system directory.
    EXPECT_EQ(loader.LoadSystemLibrary(WideToUtf8(ProbeName)), nullptr);
    // A name with a folder in it is no system library name.
    EXPECT_EQ(loader.LoadSystemLibrary(".\\" + WideToUtf8(ProbeName)), nullptr);
    EXPECT_EQ(loader.LoadSystemLibrary(WideToUtf8(BuiltProbe())), nullptr);
    EXPECT_EQ(loader.LoadPathLibrary(WideToUtf8(BuiltProbe())), nullptr);
    // Along a PATH without it, the current directory's copy is not taken.
    scratch::PathVariable path(L".;" + empty.WidePath());
    EXPECT_EQ(loader.LoadPathLibrary(WideToUtf8(ProbeName)), nullptr);
}

TEST_F(LoaderTest, HardenedSearchIgnoresALibraryPlantedInTheCurrentDirectory) {
    scratch::Folder current;
    PlaceProbe(current.WidePath(), L"plantedprobe.dll");
    scratch::CurrentDirectory inCurrent(current.WidePath());
    scratch::PathVariable path(L"");

    UniqueModule byName(::LoadLibraryW(L"plantedprobe.dll"));
    EXPECT_FALSE(byName) << "loaded from the current directory";
    // The file itself loads: it is the search that refuses it.
    UniqueModule byPath(::LoadLibraryW(current.Wide(L"plantedprobe.dll").c_str()));
    EXPECT_TRUE(byPath);
}

TEST_F(LoaderTest, PathLibraryIsTheFirstOneAlongPathLoadedByItsFullPath) {
    scratch::Folder empty, first, second, current;
    PlaceProbe(first.WidePath());
    PlaceProbe(second.WidePath());
    PlaceProbe(current.WidePath());
    scratch::CurrentDirectory inCurrent(current.WidePath());
    // A relative entry would mean the current directory: it is skipped. Quotes
    // and a trailing backslash are allowed.
    scratch::PathVariable path(L".;;" + empty.WidePath() + L";\"" + first.WidePath() + L"\\\";" + second.WidePath());

    auto library = loader.LoadPathLibrary(WideToUtf8(ProbeName));
    ASSERT_NE(library, nullptr);
    auto answer = library->Get<ProbeFn>(ProbeEntry);
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    const std::wstring loadedFrom = Lower(first.Wide(ProbeName));
    EXPECT_EQ(ModuleFileOf(*library), loadedFrom);

    // Freed with its object.
    library.reset();
    EXPECT_EQ(::GetModuleHandleW(loadedFrom.c_str()), nullptr);
}

TEST_F(LoaderTest, LibraryFileIsLoadedFromThatPathOnly) {
    scratch::Folder folder, current;
    PlaceProbe(folder.WidePath(), L"idapi32.dll");
    PlaceProbe(current.WidePath(), L"idapi32.dll");
    scratch::CurrentDirectory inCurrent(current.WidePath());

    auto library = loader.LoadLibraryFile(folder.File("idapi32.dll"));
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(ModuleFileOf(*library), Lower(folder.Wide(L"idapi32.dll")));
    // A relative path or a missing file is never searched for.
    for (const std::string& path : {std::string("idapi32.dll"), std::string(".\\idapi32.dll"), folder.File("brak.dll")})
        EXPECT_EQ(loader.LoadLibraryFile(path), nullptr) << path;
}

}  // namespace
