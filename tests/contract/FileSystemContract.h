#pragma once
// What the file layer does, held to one set of cases: natively against the
// fake (tests/unit), under Wine against kernel32 (tests/win32/platform).
//
// A rig owns the file system and an empty scratch folder, and reaches the
// files behind the layer's back:
//   TFileSystem& Files();
//   std::string Path(name);       // name (may hold "\\") inside the folder
//   void Put(name, bytes);        // an existing subfolder, or the folder itself
//   std::string Bytes(name);
//   void MakeFolder(name);
//   void SetReadOnly(name);
//   Names FileNames();            // the files directly in the folder
//   std::string Reason(Why);      // the system's text for that failure
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/ErrorText.h"
#include "platform/FileSystem.h"

namespace contract {

// winerror.h: ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_INVALID_NAME.
enum class Why { FileNotFound, PathNotFound, AccessDenied, InvalidName };

template <class Rig>
class FileSystemContract : public testing::Test {
protected:
    std::string ReadError(const std::string& path, Why why) {
        return "Nie można odczytać pliku \"" + path + "\": " + rig.Reason(why);
    }
    std::string WriteError(const std::string& path, Why why) {
        return "Nie można zapisać pliku \"" + path + "\": " + rig.Reason(why);
    }

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
    const std::string message = ErrorText([&] { rig.Files().FileExistsChecked(bad); });
    EXPECT_EQ(message, "Nie można sprawdzić, czy istnieje plik \"" + bad + "\": " + rig.Reason(Why::InvalidName));
}

TYPED_TEST_P(FileSystemContract, BytesRoundTripExactly) {
    auto& rig = this->rig;
    std::string bytes;
    for (int i = 0; i < 200000; ++i) bytes += static_cast<char>(i * 7 % 256);
    // Past the read chunk, with NULs and every byte value.
    rig.Files().WriteBytes(rig.Path("dane.bin"), bytes);
    EXPECT_EQ(rig.Bytes("dane.bin"), bytes);
    EXPECT_EQ(rig.Files().ReadBytes(rig.Path("dane.bin")), bytes);
    rig.Files().WriteBytes(rig.Path("dane.bin"), "krótsze");
    EXPECT_EQ(rig.Files().ReadBytes(rig.Path("DANE.bin")), "krótsze");

    rig.Files().WriteBytes(rig.Path("pusty.bin"), "");
    EXPECT_TRUE(rig.Files().FileExists(rig.Path("pusty.bin")));
    EXPECT_EQ(rig.Files().ReadBytes(rig.Path("pusty.bin")), "");
    EXPECT_EQ(rig.FileNames().size(), 2u);
}

TYPED_TEST_P(FileSystemContract, PathsWithPolishLetters) {
    auto& rig = this->rig;
    rig.MakeFolder("Żółw");
    rig.Files().WriteBytes(rig.Path("Żółw\\plik ąę.ora"), "abc");
    EXPECT_TRUE(rig.Files().FileExists(rig.Path("Żółw\\plik ąę.ora")));
    EXPECT_EQ(rig.Bytes("Żółw\\plik ąę.ora"), "abc");
    // The system's upper case covers Polish letters too.
    EXPECT_EQ(rig.Files().ReadBytes(rig.Path("ŻÓŁW\\PLIK ĄĘ.ORA")), "abc");
}

TYPED_TEST_P(FileSystemContract, LinesEndAtCrLfOrCrLfAndAreWrittenWithCrLf) {
    auto& rig = this->rig;
    const std::vector<std::pair<std::string, std::vector<std::string>>> reads = {
        {"jeden\rdwa\nt r z y\r\n\r\ncztery", {"jeden", "dwa", "t r z y", "", "cztery"}},
        {"jeden\n\n", {"jeden", ""}},
        {"", {}},
    };
    for (const auto& [bytes, lines] : reads) {
        rig.Put("a.ora", bytes);
        EXPECT_EQ(rig.Files().ReadLines(rig.Path("a.ora")), lines) << bytes;
    }
    rig.Files().WriteLines(rig.Path("b.ora"), {"jeden", "", "dwa"});
    EXPECT_EQ(rig.Bytes("b.ora"), "jeden\r\n\r\ndwa\r\n");
    rig.Files().WriteLines(rig.Path("c.ora"), {});
    EXPECT_EQ(rig.Bytes("c.ora"), "");
}

TYPED_TEST_P(FileSystemContract, ReadErrorNamesThePathAndTheReason) {
    auto& rig = this->rig;
    rig.MakeFolder("katalog");
    const std::string missing = rig.Path("brak.ora");
    EXPECT_EQ(ErrorText([&] { rig.Files().ReadBytes(missing); }), this->ReadError(missing, Why::FileNotFound));
    EXPECT_EQ(ErrorText([&] { rig.Files().ReadLines(missing); }), this->ReadError(missing, Why::FileNotFound));
    const std::string inMissing = rig.Path("brak\\tnsnames.ora");
    EXPECT_EQ(ErrorText([&] { rig.Files().ReadBytes(inMissing); }), this->ReadError(inMissing, Why::PathNotFound));
    const std::string folder = rig.Path("katalog");
    EXPECT_EQ(ErrorText([&] { rig.Files().ReadBytes(folder); }), this->ReadError(folder, Why::AccessDenied));
}

TYPED_TEST_P(FileSystemContract, ReadOnlyTargetIsRefusedAndLeftAsItWas) {
    auto& rig = this->rig;
    rig.Put("sqlnet.ora", "chroniony\r\n");
    rig.SetReadOnly("sqlnet.ora");
    const std::string path = rig.Path("sqlnet.ora");
    EXPECT_EQ(ErrorText([&] { rig.Files().WriteLines(path, {"nowa"}); }), this->WriteError(path, Why::AccessDenied));
    EXPECT_EQ(rig.Bytes("sqlnet.ora"), "chroniony\r\n");
    EXPECT_EQ(rig.FileNames(), std::vector<std::string>{"sqlnet.ora"});
    // Still read-only: refused again.
    EXPECT_EQ(ErrorText([&] { rig.Files().WriteBytes(path, "x"); }), this->WriteError(path, Why::AccessDenied));
    // Reading it is allowed.
    EXPECT_EQ(rig.Files().ReadBytes(path), "chroniony\r\n");
}

TYPED_TEST_P(FileSystemContract, WriteIntoAMissingFolderOrOverAFolderFails) {
    auto& rig = this->rig;
    const std::string missing = rig.Path("brak\\tnsnames.ora");
    EXPECT_EQ(ErrorText([&] { rig.Files().WriteLines(missing, {"x"}); }), this->WriteError(missing, Why::PathNotFound));
    EXPECT_FALSE(rig.Files().FileExists(missing));

    rig.MakeFolder("katalog");
    const std::string folder = rig.Path("katalog");
    EXPECT_EQ(ErrorText([&] { rig.Files().WriteLines(folder, {"x"}); }), this->WriteError(folder, Why::AccessDenied));
    EXPECT_TRUE(rig.FileNames().empty());
}

REGISTER_TYPED_TEST_SUITE_P(FileSystemContract, ExistsMeansAFileAndCheckedExistsTellsAbsentFromCannotTell,
                            BytesRoundTripExactly, PathsWithPolishLetters, LinesEndAtCrLfOrCrLfAndAreWrittenWithCrLf,
                            ReadErrorNamesThePathAndTheReason, ReadOnlyTargetIsRefusedAndLeftAsItWas,
                            WriteIntoAMissingFolderOrOverAFolderFails);

}  // namespace contract
