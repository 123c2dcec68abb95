#include "platform/win32/Win32Loader.h"

#include <windows.h>

#include <string_view>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

namespace {

// Entry points that older systems lack are looked up, not imported.
template <class Fn>
Fn Kernel32Proc(const char* name) {
    const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    if (!kernel32) return nullptr;
    // Through void(*)(), the one function pointer type any other converts to
    // without a warning.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(kernel32, name)));
}

struct DllDirectoryCloser {
    static DLL_DIRECTORY_COOKIE Invalid() noexcept { return nullptr; }
    static void Close(DLL_DIRECTORY_COOKIE cookie) noexcept {
        if (auto remove = Kernel32Proc<decltype(&::RemoveDllDirectory)>("RemoveDllDirectory")) remove(cookie);
    }
};
using UniqueDllDirectory = UniqueHandle<DLL_DIRECTORY_COOKIE, DllDirectoryCloser>;

class TWin32Library : public TLibrary {
public:
    TWin32Library(UniqueModule module, UniqueDllDirectory directory)
        : directory_(std::move(directory)), module_(std::move(module)) {}

    void* Proc(const char* name) override {
        return reinterpret_cast<void*>(::GetProcAddress(module_.get(), name));
    }

private:
    // Members go in reverse order: the module is freed before its folder
    // leaves the search path.
    UniqueDllDirectory directory_;
    UniqueModule module_;
};

// A bare file name: a name with a folder in it would bypass the rules below.
bool IsBareName(std::wstring_view name) {
    return !name.empty() && name.find_first_of(L"\\/:") == std::wstring_view::npos && name != L"." &&
           name != L"..";
}

// Relative PATH entries resolve against the current directory, which is
// exactly what an elevated program must not search.
bool IsAbsoluteFolder(std::wstring_view folder) {
    const bool drive = folder.size() >= 3 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/');
    const bool unc = folder.size() >= 2 && folder[0] == L'\\' && folder[1] == L'\\';
    return drive || unc;
}

std::wstring SystemDirectory() {
    std::wstring folder(MAX_PATH, L'\0');
    UINT length = ::GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (length >= folder.size()) {
        folder.resize(length);
        length = ::GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    }
    folder.resize(length < folder.size() ? length : 0);
    return folder;
}

std::wstring EnvironmentPath() {
    const DWORD needed = ::GetEnvironmentVariableW(L"PATH", nullptr, 0);
    if (needed == 0) return {};
    std::wstring value(needed, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(L"PATH", value.data(), needed);
    value.resize(length < needed ? length : 0);
    return value;
}

std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.remove_suffix(1);
    std::wstring path(folder);
    path += L'\\';
    path += name;
    return path;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The library's own folder joins the search while it is loaded: its
// dependencies and whatever it loads by name later live beside it.
std::unique_ptr<TLibrary> LoadFromFolder(std::wstring_view folder, const std::wstring& file) {
    UniqueDllDirectory directory;
    if (auto add = Kernel32Proc<decltype(&::AddDllDirectory)>("AddDllDirectory"))
        directory.reset(add(std::wstring(folder).c_str()));
    UniqueModule module(::LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) return nullptr;
    return std::make_unique<TWin32Library>(std::move(module), std::move(directory));
}

}  // namespace

void HardenDllSearch() {
    // Takes the current directory out of the classic search order.
    ::SetDllDirectoryW(L"");
    // Where the system has it: loads by name search the system directory and
    // the folders added for a loaded library only (not the program's folder,
    // not PATH).
    if (auto setDefault = Kernel32Proc<decltype(&::SetDefaultDllDirectories)>("SetDefaultDllDirectories"))
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_USER_DIRS);
}

std::unique_ptr<TLibrary> TWin32Loader::LoadSystemLibrary(const std::string& name) {
    const std::wstring wideName = Utf8ToWide(name);
    const std::wstring folder = SystemDirectory();
    if (!IsBareName(wideName) || folder.empty()) return nullptr;
    UniqueModule module(::LoadLibraryExW(JoinPath(folder, wideName).c_str(), nullptr, 0));
    if (!module) return nullptr;
    return std::make_unique<TWin32Library>(std::move(module), UniqueDllDirectory());
}

std::unique_ptr<TLibrary> TWin32Loader::LoadPathLibrary(const std::string& name) {
    const std::wstring wideName = Utf8ToWide(name);
    if (!IsBareName(wideName)) return nullptr;

    const std::wstring path = EnvironmentPath();
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find(L';', start);
        if (end == std::wstring::npos) end = path.size();
        std::wstring_view folder(path.data() + start, end - start);
        start = end + 1;
        if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
            folder = folder.substr(1, folder.size() - 2);
        if (!IsAbsoluteFolder(folder)) continue;

        const std::wstring candidate = JoinPath(folder, wideName);
        if (!IsFile(candidate)) continue;
        // The first folder that has the file decides, as the system's own
        // search would.
        return LoadFromFolder(folder, candidate);
    }
    return nullptr;
}

std::unique_ptr<TLibrary> TWin32Loader::LoadLibraryFile(const std::string& path) {
    const std::wstring widePath = Utf8ToWide(path);
    const std::size_t slash = widePath.find_last_of(L"\\/");
    if (!IsAbsoluteFolder(widePath) || slash == std::wstring::npos || !IsFile(widePath)) return nullptr;
    return LoadFromFolder(std::wstring_view(widePath).substr(0, slash), widePath);
}
