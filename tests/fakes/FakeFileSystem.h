#pragma once
// In-memory file system for the native suites. Paths match without regard to
// case (Polish letters too, FoldCase.h) and '/' equals '\'; a name the
// system refuses raises InvalidName. Folders exist explicitly (AddFolder, or as parents
// of a seeded file); a write needs its folder, like the real one, and never
// creates folders. Every refused read or write raises Exception naming the
// path and a reason, and a refused write leaves the old content as it was.
// tests/contract/FileSystemContract.h holds this to the real file system.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

class FakeFileSystem : public TFileSystem {
public:
    // Message shapes of the real layer: %s the path, then the reason.
    static constexpr const char* OpenErrorText = "Nie można odczytać pliku \"%s\": %s";
    static constexpr const char* CreateErrorText = "Nie można zapisać pliku \"%s\": %s";
    static constexpr const char* CheckErrorText = "Nie można sprawdzić, czy istnieje plik \"%s\": %s";
    // Reasons as the Polish system reports them.
    static constexpr const char* FileNotFound = "Nie można odnaleźć określonego pliku.";
    static constexpr const char* PathNotFound = "Nie można odnaleźć określonej ścieżki.";
    static constexpr const char* AccessDenied = "Odmowa dostępu.";
    static constexpr const char* DiskFull = "Za mało miejsca na dysku.";
    // A name holding a character no Windows file name may hold: < > " | ? *
    // (Naming Files, Paths, and Namespaces, Microsoft's Win32 documentation).
    static constexpr const char* InvalidName = "Nazwa pliku, nazwa katalogu lub składnia etykiety woluminu jest niepoprawna.";

    bool FileExists(const std::string& path) override;
    bool FileExistsChecked(const std::string& path) override;
    std::string ReadBytes(const std::string& path) override;
    void WriteBytes(const std::string& path, const std::string& bytes) override;

    // Seeding (not counted as writes); parent folders are created.
    void AddFile(const std::string& path, const std::string& bytes);
    void AddFolder(const std::string& path);

    bool HasFile(const std::string& path) const;
    // The file's bytes; "" when there is no such file.
    std::string Bytes(const std::string& path) const;
    // Every file, as first spelled.
    std::vector<std::string> Files() const;

    // Faults.
    void SetReadOnly(const std::string& path, bool readOnly = true);
    void SetUnreadable(const std::string& path, bool unreadable = true);
    // Whether the file is there cannot be told (a share offline, no rights
    // on the folder): FileExistsChecked raises `reason`, FileExists says no.
    void SetUncheckable(const std::string& path, std::string reason = AccessDenied);
    // The next WriteBytes, whatever its path, fails with `reason`.
    void FailNextWrite(std::string reason = DiskFull);

    // Successful writes, and attempts including refused ones.
    int WriteCount() const { return writes_; }
    int WriteCount(const std::string& path) const;
    int WriteAttempts() const { return attempts_; }

private:
    struct File {
        std::string Path;
        std::string Bytes;
    };

    static std::string Key(const std::string& path);
    static std::string Parent(const std::string& key);
    bool FolderExists(const std::string& key) const;
    void AddFolders(const std::string& key);

    std::map<std::string, File> files_;
    std::set<std::string> folders_;
    std::set<std::string> readOnly_;
    std::set<std::string> unreadable_;
    std::map<std::string, std::string> uncheckable_;
    std::map<std::string, int> writeCounts_;
    std::optional<std::string> failNext_;
    int writes_ = 0;
    int attempts_ = 0;
};
