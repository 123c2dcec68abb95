// The file layer on the real file system.
#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <algorithm>

#include "Scratch.h"
#include "platform/Text.h"
#include "platform/win32/Win32FileSystem.h"

namespace {

using scratch::ErrorOf;
using scratch::GetBytes;
using scratch::PutBytes;

const std::string PolishLetters = "ąęłńóśźżĄĘŁŃÓŚŹŻ";
// The same letters in Windows-1250.
const std::string PolishLettersCp1250 = "\xB9\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xCA\xA3\xD1\xD3\x8C\x8F\xAF";

std::string SystemText(DWORD code) { return SystemErrorText(code); }

// The file's DACL as GetFileSecurityW gives it: the same bytes, the same rights.
std::string Dacl(const std::wstring& path) {
    std::string descriptor(4096, '\0');
    DWORD size = 0;
    return ::GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), 4096, &size) ? descriptor : "";
}

class FileSystemTest : public testing::Test {
protected:
    scratch::Folder folder;
    TWin32FileSystem files;
};

TEST_F(FileSystemTest, ExistsMeansAFile) {
    PutBytes(folder.File("plik.txt"), "x");
    ::CreateDirectoryW(folder.Wide(L"katalog").c_str(), nullptr);
    EXPECT_TRUE(files.FileExists(folder.File("plik.txt")));
    EXPECT_FALSE(files.FileExists(folder.File("katalog")));
    EXPECT_FALSE(files.FileExists(folder.File("brak.txt")));
}

TEST_F(FileSystemTest, CheckedExistsTellsAbsentFromCannotTell) {
    PutBytes(folder.File("plik.txt"), "x");
    ::CreateDirectoryW(folder.Wide(L"katalog").c_str(), nullptr);
    EXPECT_TRUE(files.FileExistsChecked(folder.File("plik.txt")));
    EXPECT_FALSE(files.FileExistsChecked(folder.File("katalog")));
    EXPECT_FALSE(files.FileExistsChecked(folder.File("brak.txt")));
    EXPECT_FALSE(files.FileExistsChecked(folder.File("brak\\plik.txt")));

    // A name the system cannot look up at all is no answer either way.
    const std::string bad = folder.File("zły?*<nazwa>.txt");
    EXPECT_FALSE(files.FileExists(bad));
    const std::string message = ErrorOf([&] { files.FileExistsChecked(bad); });
    EXPECT_NE(message.find(bad), std::string::npos) << message;
    EXPECT_NE(message.find(SystemText(ERROR_INVALID_NAME)), std::string::npos) << message;
}

TEST_F(FileSystemTest, BytesRoundTripExactly) {
    std::string bytes;
    for (int i = 0; i < 200000; ++i) bytes += static_cast<char>(i * 7 % 256);
    // Past the read chunk, with NULs and every byte value.
    files.WriteBytes(folder.File("dane.bin"), bytes);
    EXPECT_EQ(GetBytes(folder.File("dane.bin")), bytes);
    EXPECT_EQ(files.ReadBytes(folder.File("dane.bin")), bytes);

    files.WriteBytes(folder.File("pusty.bin"), "");
    EXPECT_TRUE(files.FileExists(folder.File("pusty.bin")));
    EXPECT_EQ(files.ReadBytes(folder.File("pusty.bin")), "");
}

TEST_F(FileSystemTest, PathsWithPolishLetters) {
    ASSERT_TRUE(::CreateDirectoryW(folder.Wide(L"\u017B\u00F3\u0142w").c_str(), nullptr));
    const std::string path = folder.File("Żółw\\plik ąę.ora");
    files.WriteBytes(path, "abc");
    EXPECT_TRUE(files.FileExists(path));
    EXPECT_EQ(files.ReadBytes(path), "abc");
    EXPECT_EQ(GetBytes(path), "abc");
}

TEST_F(FileSystemTest, LinesEndAtCrLfOrCrLf) {
    PutBytes(folder.File("a.ora"), "jeden\rdwa\nt r z y\r\n\r\ncztery");
    EXPECT_EQ(files.ReadLines(folder.File("a.ora")),
              (std::vector<std::string>{"jeden", "dwa", "t r z y", "", "cztery"}));
    PutBytes(folder.File("b.ora"), "jeden\n\n");
    EXPECT_EQ(files.ReadLines(folder.File("b.ora")), (std::vector<std::string>{"jeden", ""}));
    PutBytes(folder.File("c.ora"), "");
    EXPECT_TRUE(files.ReadLines(folder.File("c.ora")).empty());
}

TEST_F(FileSystemTest, WrittenLinesEndWithCrLfEachLastOneToo) {
    files.WriteLines(folder.File("a.ora"), {"jeden", "", "dwa"});
    EXPECT_EQ(GetBytes(folder.File("a.ora")), "jeden\r\n\r\ndwa\r\n");
    files.WriteLines(folder.File("b.ora"), {});
    EXPECT_EQ(GetBytes(folder.File("b.ora")), "");
}

TEST_F(FileSystemTest, PolishLettersGoThroughTheAnsiCodePage) {
    // The suite runs under a Polish locale (pl_PL.UTF-8 generated on the machine).
    ASSERT_EQ(::GetACP(), 1250u);

    files.WriteLines(folder.File("tnsnames.ora"), {PolishLetters, "# zażółć"});
    EXPECT_EQ(GetBytes(folder.File("tnsnames.ora")), PolishLettersCp1250 + "\r\n# za\xBF\xF3\xB3\xE6\r\n");
    EXPECT_EQ(files.ReadLines(folder.File("tnsnames.ora")), (std::vector<std::string>{PolishLetters, "# zażółć"}));

    PutBytes(folder.File("sqlnet.ora"), PolishLettersCp1250);
    EXPECT_EQ(files.ReadLines(folder.File("sqlnet.ora")), std::vector<std::string>{PolishLetters});
}

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

TEST_F(FileSystemTest, ReadErrorNamesThePathAndTheReason) {
    const std::string path = folder.File("brak.ora");
    EXPECT_EQ(ErrorOf([&] { files.ReadBytes(path); }),
              "Nie można odczytać pliku \"" + path + "\": " + SystemText(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ErrorOf([&] { files.ReadLines(path); }),
              "Nie można odczytać pliku \"" + path + "\": " + SystemText(ERROR_FILE_NOT_FOUND));
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
        const std::string error = ErrorOf([&] { files.WriteLines(path, {"nowa"}); });
        EXPECT_EQ(error.rfind("Nie można zapisać pliku \"" + path + "\": ", 0), 0u) << error;
    }
    EXPECT_EQ(GetBytes(path), "stara\r\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"tnsnames.ora"});
}

TEST_F(FileSystemTest, ReadOnlyTargetIsRefusedAndLeftAsItWas) {
    const std::string path = folder.File("sqlnet.ora");
    PutBytes(path, "chroniony\r\n");
    ASSERT_TRUE(::SetFileAttributesW(Utf8ToWide(path).c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_EQ(ErrorOf([&] { files.WriteLines(path, {"nowa"}); }),
              "Nie można zapisać pliku \"" + path + "\": " + SystemText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(GetBytes(path), "chroniony\r\n");
    EXPECT_TRUE(::GetFileAttributesW(Utf8ToWide(path).c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"sqlnet.ora"});
}

TEST_F(FileSystemTest, WriteIntoAMissingFolderOrOverAFolderFails) {
    const std::string missing = folder.File("brak\\tnsnames.ora");
    EXPECT_EQ(ErrorOf([&] { files.WriteLines(missing, {"x"}); }),
              "Nie można zapisać pliku \"" + missing + "\": " + SystemText(ERROR_PATH_NOT_FOUND));

    ASSERT_TRUE(::CreateDirectoryW(folder.Wide(L"katalog").c_str(), nullptr));
    const std::string directory = folder.File("katalog");
    EXPECT_EQ(ErrorOf([&] { files.WriteLines(directory, {"x"}); }),
              "Nie można zapisać pliku \"" + directory + "\": " + SystemText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"katalog"});
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
