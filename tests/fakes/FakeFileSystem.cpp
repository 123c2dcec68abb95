#include "fakes/FakeFileSystem.h"

#include <utility>

#include "base/Exception.h"
#include "base/Text.h"
#include "fakes/FoldCase.h"

namespace {

[[noreturn]] void Raise(const char* pattern, const std::string& path, const std::string& reason) {
    throw Exception(Format(pattern, {path, reason}));
}

// Past a drive's "X:", only the characters no file name may hold.
bool InvalidPath(const std::string& path) {
    return path.find_first_of("<>\"|?*", path.size() > 1 && path[1] == ':' ? 2 : 0) != std::string::npos;
}

void Mark(std::set<std::string>& marked, std::string key, bool on) {
    if (on)
        marked.insert(std::move(key));
    else
        marked.erase(key);
}

}  // namespace

std::string FakeFileSystem::Key(const std::string& path) {
    std::string key = path;
    for (char& c : key)
        if (c == '/') c = '\\';
    while (!key.empty() && key.back() == '\\') key.pop_back();
    return FoldCase(key);
}

std::string FakeFileSystem::Parent(const std::string& key) {
    const auto slash = key.rfind('\\');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

// The current folder, a drive's root and the current drive's root always exist.
bool FakeFileSystem::FolderExists(const std::string& key) const {
    return key.empty() || key.back() == ':' || folders_.count(key) > 0;
}

void FakeFileSystem::AddFolders(const std::string& key) {
    for (std::string folder = key; !FolderExists(folder); folder = Parent(folder)) folders_.insert(folder);
}

bool FakeFileSystem::FileExists(const std::string& path) {
    return !uncheckable_.count(Key(path)) && HasFile(path);
}

bool FakeFileSystem::FileExistsChecked(const std::string& path) {
    if (InvalidPath(path)) Raise(CheckErrorText, path, InvalidName);
    if (auto it = uncheckable_.find(Key(path)); it != uncheckable_.end()) Raise(CheckErrorText, path, it->second);
    return HasFile(path);
}

std::string FakeFileSystem::ReadBytes(const std::string& path) {
    const std::string key = Key(path);
    if (InvalidPath(path)) Raise(OpenErrorText, path, InvalidName);
    if (folders_.count(key) || unreadable_.count(key)) Raise(OpenErrorText, path, AccessDenied);
    auto it = files_.find(key);
    if (it == files_.end()) Raise(OpenErrorText, path, FolderExists(Parent(key)) ? FileNotFound : PathNotFound);
    return it->second.Bytes;
}

void FakeFileSystem::WriteBytes(const std::string& path, const std::string& bytes) {
    const std::string key = Key(path);
    ++attempts_;
    if (InvalidPath(path)) Raise(CreateErrorText, path, InvalidName);
    if (!FolderExists(Parent(key))) Raise(CreateErrorText, path, PathNotFound);
    if (folders_.count(key) || readOnly_.count(key)) Raise(CreateErrorText, path, AccessDenied);
    if (const auto reason = std::exchange(failNext_, std::nullopt)) Raise(CreateErrorText, path, *reason);
    auto& file = files_[key];
    if (file.Path.empty()) file.Path = path;
    file.Bytes = bytes;
    ++writes_;
    ++writeCounts_[key];
}

void FakeFileSystem::AddFile(const std::string& path, const std::string& bytes) {
    const std::string key = Key(path);
    AddFolders(Parent(key));
    files_[key] = File{path, bytes};
}

void FakeFileSystem::AddFolder(const std::string& path) { AddFolders(Key(path)); }

bool FakeFileSystem::HasFile(const std::string& path) const { return files_.count(Key(path)) > 0; }

std::string FakeFileSystem::Bytes(const std::string& path) const {
    auto it = files_.find(Key(path));
    return it == files_.end() ? std::string() : it->second.Bytes;
}

std::vector<std::string> FakeFileSystem::Files() const {
    std::vector<std::string> paths;
    for (const auto& entry : files_) paths.push_back(entry.second.Path);
    return paths;
}

void FakeFileSystem::SetReadOnly(const std::string& path, bool readOnly) { Mark(readOnly_, Key(path), readOnly); }
void FakeFileSystem::SetUnreadable(const std::string& path, bool unreadable) { Mark(unreadable_, Key(path), unreadable); }

void FakeFileSystem::SetUncheckable(const std::string& path, std::string reason) {
    uncheckable_[Key(path)] = std::move(reason);
}

void FakeFileSystem::FailNextWrite(std::string reason) { failNext_ = std::move(reason); }

int FakeFileSystem::WriteCount(const std::string& path) const {
    const auto it = writeCounts_.find(Key(path));
    return it == writeCounts_.end() ? 0 : it->second;
}
