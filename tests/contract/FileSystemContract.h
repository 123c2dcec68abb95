#pragma once
// What the file layer does, held to one set of cases: natively against the
// fake (tests/unit), under Wine against kernel32 (tests/win32/platform).
//
// A rig owns the file system and an empty scratch folder, and reaches the
// files behind the layer's back:
//   TFileSystem& Files();
//   std::string Path(name);       // name (may hold "\\") inside the folder
//   void Put(name, bytes);        // into the folder or an existing subfolder
//   std::string Bytes(name);
//   void MakeFolder(name);
//   void SetReadOnly(name);
//   Names FileNames();            // the files directly in the folder
//   std::string Reason(Why);      // the system's text for that failure
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fakes/ErrorText.h"
#include "platform/FileSystem.h"

namespace contract {

// winerror.h: ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_INVALID_NAME.
enum class Why { FileNotFound, PathNotFound, AccessDenied, InvalidName };

template <class Rig>
class FileSystemContract : public testing::Test {
protected:
    std::string Error(const char* action, const std::string& name, Why why) {
        return std::string("Nie można ") + action + " pliku \"" + rig.Path(name) + "\": " + rig.Reason(why);
    }
    TFileSystem& Files() { return rig.Files(); }

    Rig rig;
};

TYPED_TEST_SUITE_P(FileSystemContract);

TYPED_TEST_P(FileSystemContract, ExistsMeansAFileAndCheckedExistsTellsAbsentFromCannotTell) {
    auto& rig = this->rig;
    rig.Put("plik.txt", "x");
    rig.MakeFolder("katalog");
    rig.Put("katalog\\w.txt", "y");
    for (const bool checked : {false, true}) {
        const auto exists = [&](const std::string& name) {
            return checked ? rig.Files().FileExistsChecked(rig.Path(name)) : rig.Files().FileExists(rig.Path(name));
        };
        EXPECT_TRUE(exists("plik.txt")) << checked;
        // Paths match without regard to case, and '/' separates like '\'.
        EXPECT_TRUE(exists("PLIK.txt")) << checked;
        EXPECT_TRUE(exists("katalog/w.txt")) << checked;
        EXPECT_FALSE(exists("katalog")) << checked;
        EXPECT_FALSE(exists("brak.txt")) << checked;
        EXPECT_FALSE(exists("brak\\plik.txt")) << checked;
    }
    // A name the system cannot look up at all is no answer either way.
    const std::string bad = rig.Path("zły?*<nazwa>.txt");
    EXPECT_FALSE(rig.Files().FileExists(bad));
    EXPECT_EQ(ErrorText([&] { rig.Files().FileExistsChecked(bad); }),
              "Nie można sprawdzić, czy istnieje plik \"" + bad + "\": " + rig.Reason(Why::InvalidName));
}

TYPED_TEST_P(FileSystemContract, BytesRoundTripExactlyWhateverThePathsLetters) {
    auto& rig = this->rig;
    std::string bytes;
    for (int i = 0; i < 200000; ++i) bytes += static_cast<char>(i * 7 % 256);
    // Past the read chunk, with NULs and every byte value.
    this->Files().WriteBytes(rig.Path("dane.bin"), bytes);
    EXPECT_EQ(rig.Bytes("dane.bin"), bytes);
    EXPECT_EQ(this->Files().ReadBytes(rig.Path("dane.bin")), bytes);
    this->Files().WriteBytes(rig.Path("dane.bin"), "krótsze");
    EXPECT_EQ(this->Files().ReadBytes(rig.Path("DANE.bin")), "krótsze");
    this->Files().WriteBytes(rig.Path("pusty.bin"), "");
    EXPECT_TRUE(this->Files().FileExists(rig.Path("pusty.bin")));
    EXPECT_EQ(this->Files().ReadBytes(rig.Path("pusty.bin")), "");
    EXPECT_EQ(rig.FileNames().size(), 2u);

    rig.MakeFolder("Żółw");
    this->Files().WriteBytes(rig.Path("Żółw\\plik ąę.ora"), "abc");
    EXPECT_TRUE(this->Files().FileExists(rig.Path("Żółw\\plik ąę.ora")));
    EXPECT_EQ(rig.Bytes("Żółw\\plik ąę.ora"), "abc");
    // The system's upper case covers Polish letters too.
    EXPECT_EQ(this->Files().ReadBytes(rig.Path("ŻÓŁW\\PLIK ĄĘ.ORA")), "abc");
}

TYPED_TEST_P(FileSystemContract, LinesEndAtCrLfOrCrLfAndAreWrittenWithCrLfInTheAnsiCodePage) {
    auto& rig = this->rig;
    using Lines = std::vector<std::string>;
    const std::pair<std::string, Lines> reads[] = {
        {"jeden\rdwa\nt r z y\r\n\r\ncztery", {"jeden", "dwa", "t r z y", "", "cztery"}},
        // Only CR followed by LF is one end; LF CR and CR CR are two.
        {"a\n\rb\r\r\nc", {"a", "", "b", "", "c"}},
        {"\r\n\r\nx\r\n\r\n", {"", "", "x", ""}},
        // A last line without an end still counts.
        {"x\r\ny", {"x", "y"}},
        {"jeden\n\n", {"jeden", ""}},
        {"\n", {""}},
        {"", {}},
        // Windows-1250, the Polish code page.
        {"\xB9\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xCA\xA3\xD1\xD3\x8C\x8F\xAF\r\n# \xA5\xCA", {"ąęłńóśźżĄĘŁŃÓŚŹŻ", "# ĄĘ"}},
    };
    for (const auto& [bytes, lines] : reads) {
        rig.Put("a.ora", bytes);
        EXPECT_EQ(this->Files().ReadLines(rig.Path("a.ora")), lines) << bytes;
    }
    const std::pair<Lines, std::string> writes[] = {
        {{"jeden", "", "dwa"}, "jeden\r\n\r\ndwa\r\n"},
        {{}, ""},
        {{"ąęłńóśźżĄĘŁŃÓŚŹŻ", "# zażółć"}, "\xB9\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xCA\xA3\xD1\xD3\x8C\x8F\xAF\r\n# za\xBF\xF3\xB3\xE6\r\n"},
    };
    for (const auto& [lines, bytes] : writes) {
        this->Files().WriteLines(rig.Path("b.ora"), lines);
        EXPECT_EQ(rig.Bytes("b.ora"), bytes);
        EXPECT_EQ(this->Files().ReadLines(rig.Path("b.ora")), lines);
    }
}

TYPED_TEST_P(FileSystemContract, ReadErrorNamesThePathAndTheReason) {
    this->rig.MakeFolder("katalog");
    const auto readError = [&](const std::string& name) { return ErrorText([&] { this->Files().ReadBytes(this->rig.Path(name)); }); };
    EXPECT_EQ(readError("brak.ora"), this->Error("odczytać", "brak.ora", Why::FileNotFound));
    EXPECT_EQ(ErrorText([&] { this->Files().ReadLines(this->rig.Path("brak.ora")); }),
              this->Error("odczytać", "brak.ora", Why::FileNotFound));
    EXPECT_EQ(readError("brak\\tnsnames.ora"), this->Error("odczytać", "brak\\tnsnames.ora", Why::PathNotFound));
    EXPECT_EQ(readError("katalog"), this->Error("odczytać", "katalog", Why::AccessDenied));
}

TYPED_TEST_P(FileSystemContract, RefusedWritesLeaveEverythingAsItWas) {
    auto& rig = this->rig;
    const auto writeError = [&](const std::string& name) { return ErrorText([&] { this->Files().WriteLines(rig.Path(name), {"x"}); }); };
    rig.Put("sqlnet.ora", "chroniony\r\n");
    rig.SetReadOnly("sqlnet.ora");
    EXPECT_EQ(writeError("sqlnet.ora"), this->Error("zapisać", "sqlnet.ora", Why::AccessDenied));
    EXPECT_EQ(rig.Bytes("sqlnet.ora"), "chroniony\r\n");
    // Still read-only, and readable.
    EXPECT_EQ(writeError("sqlnet.ora"), this->Error("zapisać", "sqlnet.ora", Why::AccessDenied));
    EXPECT_EQ(this->Files().ReadBytes(rig.Path("sqlnet.ora")), "chroniony\r\n");

    EXPECT_EQ(writeError("brak\\tnsnames.ora"), this->Error("zapisać", "brak\\tnsnames.ora", Why::PathNotFound));
    EXPECT_FALSE(this->Files().FileExists(rig.Path("brak\\tnsnames.ora")));
    rig.MakeFolder("katalog");
    EXPECT_EQ(writeError("katalog"), this->Error("zapisać", "katalog", Why::AccessDenied));
    EXPECT_EQ(rig.FileNames(), std::vector<std::string>{"sqlnet.ora"});
}

REGISTER_TYPED_TEST_SUITE_P(FileSystemContract, ExistsMeansAFileAndCheckedExistsTellsAbsentFromCannotTell,
                            BytesRoundTripExactlyWhateverThePathsLetters,
                            LinesEndAtCrLfOrCrLfAndAreWrittenWithCrLfInTheAnsiCodePage,
                            ReadErrorNamesThePathAndTheReason, RefusedWritesLeaveEverythingAsItWas);

}  // namespace contract
