#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/ErrorText.h"
#include "fakes/FakeFileSystem.h"

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Lines = std::vector<std::string>;

namespace {

const std::string kPath = "C:\\oracle\\NETWORK\\ADMIN\\sqlnet.ora";
const std::string kPolishAnsi = "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1";

class FileLinesTest : public ::testing::Test {
protected:
    FileLinesTest() { files.AddFolder("C:\\oracle\\NETWORK\\ADMIN"); }

    Lines Read(const std::string& bytes) {
        files.AddFile(kPath, bytes);
        return files.ReadLines(kPath);
    }
    std::string Written(const Lines& lines) {
        files.WriteLines(kPath, lines);
        return files.Bytes(kPath);
    }

    FakeFileSystem files;
};

}  // namespace

TEST_F(FileLinesTest, ReadEndsALineAtCrLfOrCrLf) {
    EXPECT_THAT(Read("a\rb\nc\r\nd\r\n"), ElementsAre("a", "b", "c", "d"));
    // Only CR followed by LF is one end; LF CR and CR CR are two.
    EXPECT_THAT(Read("a\n\rb\r\r\nc"), ElementsAre("a", "", "b", "", "c"));
    EXPECT_THAT(Read("\r\n\r\nx\r\n\r\n"), ElementsAre("", "", "x", ""));
}

TEST_F(FileLinesTest, ReadCountsALastLineWithoutAnEnd) {
    EXPECT_THAT(Read("x\r\ny"), ElementsAre("x", "y"));
    EXPECT_THAT(Read("only"), ElementsAre("only"));
    EXPECT_THAT(Read(""), ElementsAre());
    EXPECT_THAT(Read("\n"), ElementsAre(""));
}

TEST_F(FileLinesTest, ConvertsTheAnsiCodePageBothWays) {
    EXPECT_THAT(Read(kPolishAnsi + "\r\n# \xA5\xCA\r\n"), ElementsAre("Zażółć gęślą jaźń", "# ĄĘ"));
    EXPECT_EQ(Written({"Zażółć gęślą jaźń"}), kPolishAnsi + "\r\n");
}

TEST_F(FileLinesTest, WriteEndsEveryLineWithCrLf) {
    EXPECT_EQ(Written({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(Written({}), "");
    EXPECT_EQ(files.WriteCount(kPath), 2);
    const Lines lines{"NAMES.DIRECTORY_PATH= (TNSNAMES)", "", "SQLNET.AUTHENTICATION_SERVICES= (NTS)"};
    files.WriteLines(kPath, lines);
    EXPECT_EQ(files.ReadLines(kPath), lines);
}

TEST_F(FileLinesTest, AFailedWriteLeavesTheOldContent) {
    files.AddFile(kPath, "old\r\n");
    files.FailNextWrite();
    EXPECT_THAT(ErrorText([&] { files.WriteLines(kPath, {"new"}); }),
                AllOf(HasSubstr(kPath), HasSubstr(FakeFileSystem::DiskFull)));
    EXPECT_THAT(files.ReadLines(kPath), ElementsAre("old"));

    files.SetReadOnly(kPath);
    EXPECT_THAT(ErrorText([&] { files.WriteLines(kPath, {"new"}); }),
                AllOf(HasSubstr(kPath), HasSubstr(FakeFileSystem::AccessDenied)));
    EXPECT_EQ(files.Bytes(kPath), "old\r\n");
    EXPECT_EQ(files.WriteCount(kPath), 0);
}
