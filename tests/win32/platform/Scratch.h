#pragma once
// Helpers of the platform suites: throwaway folders, raw file access that does
// not go through the code under test, and the current directory and PATH
// restored after a test changes them.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

namespace scratch {

inline void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &entry));
    if (find) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                ::DeleteFileW(path.c_str());
        } while (::FindNextFileW(find.get(), &entry));
    }
    find.reset();
    ::RemoveDirectoryW(folder.c_str());
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
        WIN32_FIND_DATAW entry;
        UniqueFind find(::FindFirstFileW((path_ + L"\\*").c_str(), &entry));
        if (!find) return names;
        do {
            const std::wstring name = entry.cFileName;
            if (name != L"." && name != L"..") names.push_back(WideToUtf8(name));
        } while (::FindNextFileW(find.get(), &entry));
        return names;
    }

private:
    std::wstring path_;
};

// Through the C runtime, not through the file layer.
inline void PutBytes(const std::string& path, const std::string& bytes) {
    FILE* file = ::_wfopen(Utf8ToWide(path).c_str(), L"wb");
    if (!file) throw std::runtime_error("cannot create " + path);
    const std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    if (written != bytes.size()) throw std::runtime_error("cannot write " + path);
}

inline std::string GetBytes(const std::string& path) {
    FILE* file = ::_wfopen(Utf8ToWide(path).c_str(), L"rb");
    if (!file) throw std::runtime_error("cannot open " + path);
    std::string bytes;
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof(chunk), file)) > 0;) bytes.append(chunk, got);
    std::fclose(file);
    return bytes;
}

// The message of the Exception that action raises; fails the test when it
// raises none.
inline std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& error) {
        return error.Message();
    }
    return "<no error>";
}

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
