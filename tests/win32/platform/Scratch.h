#pragma once
// Helpers of the platform suites: throwaway folders, raw file access that does
// not go through the code under test, and the current directory and PATH
// restored after a test changes them.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/ErrorText.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

namespace scratch {

// Calls `visit` with the full path and attributes of each entry, "." and ".." left out.
template <class Visit>
void ForEachEntry(const std::wstring& folder, Visit visit) {
    WIN32_FIND_DATAW entry;
    UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &entry));
    if (!find) return;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") visit(name, entry.dwFileAttributes);
    } while (::FindNextFileW(find.get(), &entry));
}

inline void RemoveTree(const std::wstring& folder) {
    ForEachEntry(folder, [&](const std::wstring& name, DWORD attributes) {
        const std::wstring path = folder + L"\\" + name;
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(path);
        else
            ::DeleteFileW(path.c_str());
    });
    ::RemoveDirectoryW(folder.c_str());
}

// A file the build puts beside the suite's executable.
inline std::wstring BesideSuite(const std::wstring& name) {
    wchar_t exe[MAX_PATH + 1];
    const std::wstring path(exe, ::GetModuleFileNameW(nullptr, exe, MAX_PATH + 1));
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

// A new empty folder under the temporary folder, removed with its contents.
class Folder {
public:
    Folder() {
        wchar_t temp[MAX_PATH + 1];
        const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
        std::wstring base(temp, length);
        if (!base.empty() && base.back() == L'\\') base.pop_back();
        for (unsigned n = 0;; ++n) {
            path_ = base + L"\\platform-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(n);
            if (::CreateDirectoryW(path_.c_str(), nullptr)) break;
        }
    }
    ~Folder() { RemoveTree(path_); }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    const std::wstring& WidePath() const { return path_; }
    std::string Path() const { return WideToUtf8(path_); }
    std::wstring Wide(const std::wstring& name) const { return path_ + L"\\" + name; }
    std::string File(const std::string& name) const { return Path() + "\\" + name; }

    // Names in the folder, "." and ".." left out.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        ForEachEntry(path_, [&](const std::wstring& name, DWORD) { names.push_back(WideToUtf8(name)); });
        return names;
    }

private:
    std::wstring path_;
};

// Through the standard streams, not through the file layer.
inline void PutBytes(const std::string& path, const std::string& bytes) {
    std::ofstream file(std::filesystem::path(Utf8ToWide(path)), std::ios::binary);
    if (!file.write(bytes.data(), bytes.size()).flush()) throw std::runtime_error("cannot write " + path);
}

inline std::string GetBytes(const std::string& path) {
    std::ifstream file(std::filesystem::path(Utf8ToWide(path)), std::ios::binary);
    if (!file) throw std::runtime_error("cannot open " + path);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The message of the Exception that action raises.
inline std::string ErrorOf(const std::function<void()>& action) { return ErrorText(action); }

class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::wstring& folder) {
        wchar_t saved[MAX_PATH + 1];
        saved_.assign(saved, ::GetCurrentDirectoryW(MAX_PATH + 1, saved));
        ::SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentDirectory() { ::SetCurrentDirectoryW(saved_.c_str()); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::wstring saved_;
};

class PathVariable {
public:
    explicit PathVariable(const std::wstring& value) {
        const DWORD needed = ::GetEnvironmentVariableW(L"PATH", nullptr, 0);
        had_ = needed > 0;
        if (had_) {
            saved_.resize(needed);
            saved_.resize(::GetEnvironmentVariableW(L"PATH", saved_.data(), needed));
        }
        ::SetEnvironmentVariableW(L"PATH", value.c_str());
    }
    ~PathVariable() { ::SetEnvironmentVariableW(L"PATH", had_ ? saved_.c_str() : nullptr); }
    PathVariable(const PathVariable&) = delete;
    PathVariable& operator=(const PathVariable&) = delete;

private:
    bool had_ = false;
    std::wstring saved_;
};

}  // namespace scratch
