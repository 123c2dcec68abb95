// The file layer on the real file system: the shared cases in a scratch
// folder (the suite's Polish locale gives code page 1250), then what only the
// real one can show (the system's code page tables, the rights and attributes
// a replaced file keeps, a rename that cannot happen).
#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include "Scratch.h"
#include "base/Text.h"
#include "contract/FileSystemContract.h"
#include "platform/win32/Win32FileSystem.h"

namespace {

using scratch::GetBytes;
using scratch::PutBytes;

// The file's DACL as GetFileSecurityW gives it: the same bytes, the same rights.
std::string Dacl(const std::wstring& path) {
    std::string descriptor(4096, '\0');
    DWORD size = 0;
    return ::GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), 4096, &size) ? descriptor : "";
}

struct Win32FileSystemRig {
    TWin32FileSystem& Files() { return files; }
    std::string Path(const std::string& name) const { return folder.File(name); }
    void Put(const std::string& name, const std::string& bytes) { PutBytes(Path(name), bytes); }
    std::string Bytes(const std::string& name) const { return GetBytes(Path(name)); }
    void MakeFolder(const std::string& name) { ASSERT_TRUE(::CreateDirectoryW(Utf8ToWide(Path(name)).c_str(), nullptr)); }
    void SetReadOnly(const std::string& name) {
        ASSERT_TRUE(::SetFileAttributesW(Utf8ToWide(Path(name)).c_str(), FILE_ATTRIBUTE_READONLY));
    }
    std::vector<std::string> FileNames() const {
        std::vector<std::string> names;
        for (const std::string& name : folder.Names())
            if (!(::GetFileAttributesW(Utf8ToWide(Path(name)).c_str()) & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(name);
        return names;
    }
    static std::string Reason(contract::Why why) {
        const DWORD codes[] = {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_INVALID_NAME};
        return SystemErrorText(codes[static_cast<int>(why)]);
    }

    scratch::Folder folder;
    TWin32FileSystem files;
};

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, FileSystemContract, Win32FileSystemRig);
}  // namespace contract

namespace {

// The contract's rig as the fixture: a scratch folder and the file layer.
class FileSystemTest : public contract::FileSystemContract<Win32FileSystemRig> {
protected:
    scratch::Folder& folder = rig.folder;
    TWin32FileSystem& files = rig.files;
};

TEST_F(FileSystemTest, AnsiConversionAgreesWithTheWindows1250Table) {
    ASSERT_EQ(::GetACP(), 1250u);
    // The system's tables against the program's own, used by the native build.
    // Bytes Windows-1250 leaves undefined included: both keep them as C1 controls.
    for (int byte = 1; byte < 256; ++byte) {
        const std::string ansi(1, static_cast<char>(byte));
        EXPECT_EQ(AnsiToUtf8(ansi), Cp1250ToUtf8(ansi)) << "byte " << byte;
        EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(ansi)), ansi) << "byte " << byte;
    }
    // A letter the code page lacks becomes '?', never a lookalike.
    EXPECT_EQ(Utf8ToAnsi("Жā漢ą"), "???\xB9");
}

// Rights given on the file (everyone may change it) and its attributes stay, not the folder's.
TEST_F(FileSystemTest, WriteReplacesTheTargetKeepsItsRightsAndLeavesNoTemporaryFile) {
    const std::string path = folder.File("tnsnames.ora");
    PutBytes(path, "stara treść, dłuższa niż nowa\r\n");
    const std::wstring wide = Utf8ToWide(path);
    const std::string folderDefault = Dacl(wide);
    PSECURITY_DESCRIPTOR granted = nullptr;  // sddl.h: full access for SYSTEM and everyone
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;SY)(A;;FA;;;WD)", 1, &granted, nullptr));
    const UniqueHLocal owned(granted);
    ASSERT_TRUE(::SetFileSecurityW(wide.c_str(), DACL_SECURITY_INFORMATION, granted));
    ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    const std::string rights = Dacl(wide);
    ASSERT_NE(rights, folderDefault);

    files.WriteLines(path, {"nowa"});
    EXPECT_EQ(GetBytes(path), "nowa\r\n");
    EXPECT_EQ(Dacl(wide), rights);
    EXPECT_EQ(::GetFileAttributesW(wide.c_str()), DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE});
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"tnsnames.ora"});
}

TEST_F(FileSystemTest, FailedRenameLeavesTheOldFileAndNoTemporaryFile) {
    const std::string path = folder.File("tnsnames.ora");
    PutBytes(path, "stara\r\n");
    {
        // Held open without delete sharing, the target cannot be replaced.
        UniqueFile holder(::CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder);
        const std::string error = ErrorText([&] { files.WriteLines(path, {"nowa"}); });
        EXPECT_EQ(error.rfind("Nie można zapisać pliku \"" + path + "\": ", 0), 0u) << error;
    }
    EXPECT_EQ(GetBytes(path), "stara\r\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"tnsnames.ora"});
}

TEST(SystemErrorTextTest, GivesTheSystemsMessageWithoutLineBreak) {
    const std::string text = SystemErrorText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
    // The system's language, Polish under the suite's Polish locale.
    EXPECT_NE(text.find("pliku"), std::string::npos) << text;
    // A code the system has no text for still says which it was.
    EXPECT_EQ(SystemErrorText(0x2FFFFFFF), "błąd systemu 805306367");
}

}  // namespace
