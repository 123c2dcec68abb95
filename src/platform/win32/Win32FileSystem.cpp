#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include <aclapi.h>

#include <algorithm>
#include <optional>

#include "base/Exception.h"
#include "base/Text.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

namespace {

constexpr const char* ReadFailedText = "Nie można odczytać pliku \"%s\": %s";
constexpr const char* WriteFailedText = "Nie można zapisać pliku \"%s\": %s";
constexpr const char* CheckFailedText = "Nie można sprawdzić, czy istnieje plik \"%s\": %s";

[[noreturn]] void Fail(const char* pattern, const std::string& path, DWORD code) {
    throw Exception(Format(pattern, {path, SystemErrorText(code)}));
}

// The temporary file of a write: removed again unless it was renamed over the
// target. Declared before the file's handle, so the handle is closed first.
class TempFile {
public:
    TempFile() = default;
    ~TempFile() {
        if (!path_.empty()) ::DeleteFileW(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // A name beside the target (same folder, so the rename stays on one
    // volume) that no other file has; CREATE_NEW makes taking it atomic.
    UniqueFile Create(const std::wstring& target, const std::string& path) {
        const std::wstring stem = target + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-";
        for (unsigned attempt = 0;; ++attempt) {
            std::wstring candidate = stem + std::to_wstring(attempt) + L".tmp";
            UniqueFile file(::CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
            if (file) {
                path_ = std::move(candidate);
                return file;
            }
            const DWORD error = ::GetLastError();
            if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt >= 100)
                Fail(WriteFailedText, path, error);
        }
    }

    const std::wstring& Path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::wstring path_;
};

// What the target had that the new file would otherwise take from the
// folder: who may read and change it (its DACL, protected from inheritance
// or not) and its attributes, put on the temporary file before the rename.
// ReplaceFileW is documented to keep them (ReplaceFile, Microsoft's Win32
// reference: DACLs among what it preserves), but under Wine 8 it kept
// neither; a copy then a rename keeps both there too, and the rename stays
// the one step that replaces the file.
void CopyProtection(const std::wstring& target, DWORD attributes, const std::wstring& temp, const std::string& path) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    // aclapi.h: a NULL DACL read (full access for everyone) is set as one.
    DWORD error = ::GetNamedSecurityInfoW(target.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                          &dacl, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) Fail(WriteFailedText, path, error);
    const UniqueHLocal owned(descriptor);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!::GetSecurityDescriptorControl(descriptor, &control, &revision)) Fail(WriteFailedText, path, ::GetLastError());
    const SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION |
        ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
    error = ::SetNamedSecurityInfoW(const_cast<LPWSTR>(temp.c_str()), SE_FILE_OBJECT, what, nullptr, nullptr, dacl,
                                    nullptr);
    if (error != ERROR_SUCCESS) Fail(WriteFailedText, path, error);
    // The ones SetFileAttributesW sets; a read-only target never gets here.
    const DWORD kept = attributes & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (!::SetFileAttributesW(temp.c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL))
        Fail(WriteFailedText, path, ::GetLastError());
}

// The writer's process id when name is one of target's temporary files
// ("<target>.<pid>-<n>.tmp"), else nothing.
std::optional<DWORD> TemporaryOf(const std::wstring& name, const std::wstring& targetName) {
    const std::wstring suffix = L".tmp";
    if (name.size() <= targetName.size() + 1 + suffix.size() || name[targetName.size()] != L'.' ||
        _wcsnicmp(name.c_str(), targetName.c_str(), targetName.size()) != 0 ||
        _wcsicmp(name.c_str() + name.size() - suffix.size(), suffix.c_str()) != 0)
        return std::nullopt;
    const std::wstring middle =
        name.substr(targetName.size() + 1, name.size() - targetName.size() - 1 - suffix.size());
    const auto dash = middle.find(L'-');
    const auto digits = [](const std::wstring& text) {
        return !text.empty() && text.size() <= 10 &&
               std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
    };
    if (dash == std::wstring::npos || !digits(middle.substr(0, dash)) || !digits(middle.substr(dash + 1)))
        return std::nullopt;
    const unsigned long long pid = std::stoull(middle.substr(0, dash));
    if (pid > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<DWORD>(pid);
}

// A process that cannot be opened for lack of rights still runs.
bool ProcessRunning(DWORD pid) {
    UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!process) return ::GetLastError() != ERROR_INVALID_PARAMETER;
    return ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

// A writer killed mid-write leaves its temporary file beside the target; the
// target itself stays whole. The next write clears away those whose process
// has ended and leaves a live writer's own alone. Best effort: a file that
// will not go stays for a later write.
void RemoveStaleTemporaries(const std::wstring& target) {
    const auto slash = target.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"" : target.substr(0, slash + 1);
    const std::wstring targetName = target.substr(folder.size());
    WIN32_FIND_DATAW entry;
    UniqueFind find(::FindFirstFileW((target + L".*.tmp").c_str(), &entry));
    if (!find) return;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::optional<DWORD> writer = TemporaryOf(entry.cFileName, targetName);
        if (writer && !ProcessRunning(*writer)) ::DeleteFileW((folder + entry.cFileName).c_str());
    } while (::FindNextFileW(find.get(), &entry));
}

}  // namespace

bool TWin32FileSystem::FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Utf8ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool TWin32FileSystem::FileExistsChecked(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Utf8ToWide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
    Fail(CheckFailedText, path, error);
}

std::string TWin32FileSystem::ReadBytes(const std::string& path) {
    UniqueFile file(::CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) Fail(ReadFailedText, path, ::GetLastError());

    std::string bytes;
    char chunk[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), chunk, sizeof(chunk), &got, nullptr)) Fail(ReadFailedText, path, ::GetLastError());
        if (got == 0) break;
        bytes.append(chunk, got);
    }
    return bytes;
}

void TWin32FileSystem::WriteBytes(const std::string& path, const std::string& bytes) {
    const std::wstring target = Utf8ToWide(path);

    // The rename would replace a read-only file on some systems; such a file
    // is one the user protected, so it is refused like Windows refuses to
    // open it for writing.
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        Fail(WriteFailedText, path, ERROR_ACCESS_DENIED);

    TempFile temp;
    UniqueFile file = temp.Create(target, path);

    for (std::size_t done = 0; done < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr))
            Fail(WriteFailedText, path, ::GetLastError());
        if (written == 0) Fail(WriteFailedText, path, ERROR_WRITE_FAULT);
        done += written;
    }
    // On disk before the rename, so a crash leaves either file whole.
    if (!::FlushFileBuffers(file.get())) Fail(WriteFailedText, path, ::GetLastError());
    // Closed first: an open file cannot be renamed.
    if (!::CloseHandle(file.release())) Fail(WriteFailedText, path, ::GetLastError());
    if (attributes != INVALID_FILE_ATTRIBUTES) CopyProtection(target, attributes, temp.Path(), path);

    if (!::MoveFileExW(temp.Path().c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        Fail(WriteFailedText, path, ::GetLastError());
    temp.Keep();
    RemoveStaleTemporaries(target);
}
