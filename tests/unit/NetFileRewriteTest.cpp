// Rewrites of the two network files that must hold on a second look: the
// written entry is the one the page reads back, and a second apply finds
// nothing to do. The inputs come from the fuzzers' findings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "oracle/NetFileText.h"
#include "platform/FileSystem.h"
#include "base/Text.h"

namespace {

using Lines = std::vector<std::string>;

const TNetServiceEntry kEntry{"ORCL", "TCP", "nowy", "1521", "ORCL"};

TEST(NetFileRewriteTest, EveryEntryOfTheNameGoes) {
    const Lines written = ServiceEntryLines(kEntry);
    struct Case {
        const char* Name;
        Lines Before;
        Lines Kept;
    };
    const Case cases[] = {
        {"the name twice", {"ORCL = (DESCRIPTION =", "  (X))", "", "B=(Y)", "orcl=", "  (DESCRIPTION=(Z))", "# end"},
         {"", "B=(Y)", "# end"}},
        {"a header after a tab", {"# top", "\tORCL =", "  (DESCRIPTION = (X))", "B=(Y)"}, {"# top", "B=(Y)"}},
        {"a longer name stays", {"ORCL2 = (X)", "\tORCL.X = (Y)"}, {"ORCL2 = (X)", "\tORCL.X = (Y)"}},
    };
    for (const Case& c : cases) {
        Lines lines = c.Before;
        ReplaceServiceEntry(lines, kEntry);
        Lines expected = c.Kept;
        expected.insert(expected.end(), written.begin(), written.end());
        EXPECT_EQ(lines, expected) << c.Name;
        // The page reads the first entry of the name: the one written.
        for (const std::string& text : JoinEntryTexts(lines)) {
            TNetServiceEntry read;
            if (!ReadServiceEntry(text, read) || read.Name != "ORCL") continue;
            EXPECT_EQ(read.Host, "nowy") << c.Name;
            break;
        }
    }
}

TEST(NetFileRewriteTest, EveryByteOfTheOtherLinesSurvives) {
    std::string high;
    for (int b = 0x80; b < 0x100; ++b) high += static_cast<char>(b);
    const std::string bytes = "# " + high + "\r\nB=(Y)\r\n";
    std::vector<std::string> lines = SplitLines(AnsiToUtf8(bytes));
    ReplaceServiceEntry(lines, kEntry);
    EXPECT_EQ(Utf8ToAnsi(JoinLinesCrLf(lines)).substr(0, bytes.size()), bytes);
}

TEST(NetFileRewriteTest, SqlNetValueWithStrayParenthesesSettles) {
    Lines lines{"NAMES.DIRECTORY_PATH=(EZCONNECT) # komentarz)", "SQLNET.AUTHENTICATION_SERVICES=(NTS)"};
    EXPECT_TRUE(EnsureSqlNetItem(lines, "NAMES.DIRECTORY_PATH", "TNSNAMES"));
    EXPECT_EQ(lines[0], "NAMES.DIRECTORY_PATH=(EZCONNECT,TNSNAMES) # komentarz)");
    const Lines once = lines;
    EXPECT_FALSE(EnsureSqlNetItem(lines, "NAMES.DIRECTORY_PATH", "TNSNAMES"));
    EXPECT_EQ(lines, once);
    EXPECT_EQ(JoinSqlNetItems({"a)b", "(c d)", "e"}), "(ab,\"c d\",e)");
}

}  // namespace
