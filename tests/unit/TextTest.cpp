#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "base/Text.h"

namespace {

// The Polish letters, lower then upper case, in UTF-8 and in Windows-1250.
const std::string kPolishUtf8 = "ąćęłńóśźżĄĆĘŁŃÓŚŹŻ";
const std::string kPolishCp1250 = "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF";

}  // namespace

TEST(UpperCase, ConvertsOnlyTheLettersAToZ) {
    EXPECT_EQ(UpperCase("abc xyz"), "ABC XYZ");
    // Neighbours of a..z in ASCII stay as they are.
    EXPECT_EQ(UpperCase("`{@[_09"), "`{@[_09");
    EXPECT_EQ(UpperCase("zażółć " + kPolishUtf8), "ZAżółć " + kPolishUtf8);
    EXPECT_EQ(UpperCase(""), "");
}

TEST(SameText, IgnoresTheCaseOfAToZOnly) {
    EXPECT_TRUE(SameText("Veltra- RN", "VELTRA- rn"));
    EXPECT_TRUE(SameText("", ""));
    EXPECT_FALSE(SameText("ż", "Ż"));
    EXPECT_FALSE(SameText("@", "`"));
    EXPECT_FALSE(SameText("[", "{"));
    EXPECT_FALSE(SameText("abc", "abcd"));
    EXPECT_FALSE(SameText("abc", "abc "));
}

TEST(CompareText, OrdersLikeAByteCompareOfUpperCasedText) {
    EXPECT_LT(CompareText("a", "B"), 0);
    EXPECT_GT(CompareText("B", "a"), 0);
    EXPECT_EQ(CompareText("Oracle", "ORACLE"), 0);
    // '_' lies between the upper- and lower-case letters: it sorts after "A".
    EXPECT_GT(CompareText("_", "a"), 0);
    EXPECT_LT(CompareText("abc", "abcd"), 0);
    EXPECT_GT(CompareText("abcd", "ABC"), 0);
    // Bytes above 0x7F compare as unsigned: non-ASCII letters come after "Z".
    EXPECT_GT(CompareText("ż", "z"), 0);
    EXPECT_LT(CompareText("Z", "Ł"), 0);
}

TEST(Trim, RemovesCodesUpTo32AtBothEnds) {
    EXPECT_EQ(Trim("  a b \t"), "a b");
    EXPECT_EQ(Trim("\r\n\x01x\x1f\r\n"), "x");
    EXPECT_EQ(Trim(" \t "), "");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim("x\x7f"), "x\x7f");
    // Multi-byte letters at either end are kept whole.
    EXPECT_EQ(Trim(" żółć "), "żółć");
}

TEST(Format, ReplacesEachPercentSInOrder) {
    EXPECT_EQ(Format("Niepoprawny typ danych : %s", {"Server"}), "Niepoprawny typ danych : Server");
    EXPECT_EQ(Format("'%s' -> '%s'", {"a", "b"}), "'a' -> 'b'");
    // An argument is inserted as it is, never expanded again.
    EXPECT_EQ(Format("%s|%s", {"%s", "x"}), "%s|x");
    // Other '%' sequences stay for their own formatter.
    EXPECT_EQ(Format("Indeks listy poza zakresem (%d) %s", {"x"}), "Indeks listy poza zakresem (%d) x");
    EXPECT_EQ(Format("100%", {}), "100%");
}

TEST(Cp1250, ConvertsBothWays) {
    const std::pair<std::string, std::string> cases[] = {
        {kPolishCp1250, kPolishUtf8},
        {"\x80\x84\x8A\xA0\xA7\xDF\xFF", "€„Š\u00A0§ß˙"},  // other characters of the code page
    };
    for (const auto& [ansi, utf8] : cases) {
        EXPECT_EQ(Cp1250ToUtf8(ansi), utf8);
        EXPECT_EQ(Utf8ToCp1250(utf8), ansi);
    }
}

TEST(Cp1250, EveryDefinedByteSurvivesARoundTrip) {
    for (int b = 1; b < 256; ++b) {
        if (b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98) continue;  // undefined
        const std::string ansi(1, static_cast<char>(b));
        const std::string utf8 = Cp1250ToUtf8(ansi);
        EXPECT_EQ(utf8.size() > 1, b >= 0x80) << "byte " << b;
        EXPECT_EQ(Utf8ToCp1250(utf8), ansi) << "byte " << b;
    }
}

TEST(Cp1250, UnmappableCharactersBecomeOneQuestionMarkEach) {
    // n with tilde, a CJK character, an emoji: 2, 3 and 4 bytes of UTF-8.
    EXPECT_EQ(Utf8ToCp1250("a\u00F1b\u4E2Dc\U0001F600d"), "a?b?c?d");
}

TEST(NativeAnsi, IsWindows1250) {
    EXPECT_EQ(AnsiToUtf8(kPolishCp1250), kPolishUtf8);
    EXPECT_EQ(Utf8ToAnsi(kPolishUtf8), kPolishCp1250);
}

TEST(NativeOem, IsCodePage852) {
    EXPECT_EQ(OemToUtf8("\xA5\x86\xA9\x88\xE4\xA2\x98\xAB\xBE\xA4\x8F\xA8\x9D\xE3\xE0\x97\x8D\xBD\xB0"),
              kPolishUtf8 + "░");
    EXPECT_EQ(Utf8ToOem("ąŻ░€„"), "\xA5\xBD\xB0??");  // letters of 852 only
}
