// Text helpers and the string list with its NAME=VALUE lines.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "base/StringList.h"
#include "base/Text.h"

namespace {

// The Polish letters, lower then upper case, in UTF-8 and in Windows-1250.
const std::string kPolishUtf8 = "ąćęłńóśźżĄĆĘŁŃÓŚŹŻ";
const std::string kPolishCp1250 = "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF";

using Pair = std::pair<std::string, std::string>;

}  // namespace

TEST(Text, UpperCaseAndTrimChangeOnlyWhatTheyShould) {
    // UpperCase: a..z only; the neighbours in ASCII and Polish letters stay.
    for (const auto& [in, out] : {Pair{"abc xyz", "ABC XYZ"}, Pair{"`{@[_09", "`{@[_09"},
                                  Pair{"zażółć " + kPolishUtf8, "ZAżółć " + kPolishUtf8}, Pair{"", ""}})
        EXPECT_EQ(UpperCase(in), out) << in;
    // Trim: codes up to 32 at both ends; multi-byte letters at the ends kept whole.
    for (const auto& [in, out] : {Pair{"  a b \t", "a b"}, Pair{"\r\n\x01x\x1f\r\n", "x"}, Pair{" \t ", ""}, Pair{"", ""},
                                  Pair{"x\x7f", "x\x7f"}, Pair{" żółć ", "żółć"}})
        EXPECT_EQ(Trim(in), out) << in;
}

TEST(Text, SameTextAndCompareTextFoldAToZOnly) {
    const struct {
        const char *A, *B;
        int Order;  // sign of CompareText(A, B)
    } cases[] = {
        {"Veltra- RN", "VELTRA- rn", 0}, {"", "", 0}, {"Oracle", "ORACLE", 0}, {"a", "B", -1}, {"B", "a", 1},
        // '_' lies between the upper- and lower-case letters: it sorts after "A".
        {"_", "a", 1}, {"abc", "abcd", -1}, {"abcd", "ABC", 1}, {"abc", "abc ", -1},
        // Bytes above 0x7F compare as unsigned: non-ASCII letters come after "Z".
        {"ż", "z", 1}, {"Z", "Ł", -1},
    };
    for (const auto& c : cases) {
        const int order = CompareText(c.A, c.B);
        EXPECT_EQ((order > 0) - (order < 0), c.Order) << c.A << " " << c.B;
        EXPECT_EQ(SameText(c.A, c.B), c.Order == 0) << c.A << " " << c.B;
    }
    for (const auto& [a, b] : {Pair{"ż", "Ż"}, Pair{"@", "`"}, Pair{"[", "{"}}) EXPECT_FALSE(SameText(a, b)) << a;
}

TEST(Text, FormatReplacesEachPercentSInOrder) {
    EXPECT_EQ(Format("Niepoprawny typ danych : %s", {"Server"}), "Niepoprawny typ danych : Server");
    EXPECT_EQ(Format("'%s' -> '%s'", {"a", "b"}), "'a' -> 'b'");
    // An argument is inserted as it is, never expanded again.
    EXPECT_EQ(Format("%s|%s", {"%s", "x"}), "%s|x");
    // Other '%' sequences stay for their own formatter.
    EXPECT_EQ(Format("Indeks listy poza zakresem (%d) %s", {"x"}), "Indeks listy poza zakresem (%d) x");
    EXPECT_EQ(Format("100%", {}), "100%");
}

TEST(Text, CodePagesConvertBothWays) {
    // Windows-1250, and 852, the Polish OEM code page.
    for (const auto& [ansi, utf8] : {Pair{kPolishCp1250, kPolishUtf8}, Pair{"\x80\x84\x8A\xA0\xA7\xDF\xFF", "€„Š\u00A0§ß˙"}}) {
        EXPECT_EQ(Cp1250ToUtf8(ansi), utf8);
        EXPECT_EQ(Utf8ToCp1250(utf8), ansi);
    }
    EXPECT_EQ(Cp852ToUtf8("\xA5\x86\xA9\x88\xE4\xA2\x98\xAB\xBE\xA4\x8F\xA8\x9D\xE3\xE0\x97\x8D\xBD\xB0"), kPolishUtf8 + "░");
    EXPECT_EQ(Utf8ToCp852("ąŻ░€„"), "\xA5\xBD\xB0??");  // letters of 852 only
    // Unmappable: n with tilde, a CJK character, an emoji (2, 3 and 4 bytes) become one '?' each.
    EXPECT_EQ(Utf8ToCp1250("a\u00F1b\u4E2Dc\U0001F600d"), "a?b?c?d");
    for (int b = 1; b < 256; ++b) {
        if (b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98) continue;  // undefined
        const std::string ansi(1, static_cast<char>(b));
        const std::string utf8 = Cp1250ToUtf8(ansi);
        EXPECT_EQ(utf8.size() > 1, b >= 0x80) << "byte " << b;
        EXPECT_EQ(Utf8ToCp1250(utf8), ansi) << "byte " << b;
    }
}

TEST(StringList, NamesAndValuesSplitAtTheFirstEquals) {
    const TStringList params{"PASSWORD=a=b", "PATH=", "=x", "NO SEPARATOR"};
    const Pair split[] = {{"PASSWORD", "a=b"}, {"PATH", ""}, {"", "x"}, {"NO SEPARATOR", ""}};
    for (std::size_t i = 0; i < params.Count(); ++i)
        EXPECT_EQ((Pair{params.Names(i), params.ValueFromIndex(i)}), split[i]) << i;
}

TEST(StringList, NamesAndLinesMatchWholeWithoutRegardToCaseOfAToZ) {
    const TStringList params{"SERVER NAME=ora", "User Name=veltra", "HASŁO=tajne", "NAME =blank"};
    // Only a..z fold ("ł" is not "Ł"); a name matches whole: no prefix, no trimming.
    const std::pair<const char*, int> names[] = {{"user name", 1}, {"hasŁo", 2}, {"hasło", -1},
                                                 {"SERVER", -1},    {"NAME", -1},  {"missing", -1}};
    for (const auto& [name, index] : names) EXPECT_EQ(params.IndexOfName(name), index) << name;
    EXPECT_EQ(params.Values("server name"), "ora");
    EXPECT_EQ(params.Values("USER NAME"), "veltra");
    EXPECT_EQ(params.Values("missing"), "");

    const TStringList lines{"NAMES.DIRECTORY_PATH= (TNSNAMES)", "# comment"};
    EXPECT_EQ(lines.IndexOf("names.directory_path= (tnsnames)"), 0);
    EXPECT_EQ(lines.IndexOf("# COMMENT"), 1);
    EXPECT_EQ(lines.IndexOf("NAMES.DIRECTORY_PATH"), -1);
    EXPECT_EQ(lines.IndexOf(""), -1);
}

TEST(StringList, SetValueReplacesTheFirstMatchInPlaceAppendsOrRemoves) {
    const struct {
        TStringList Before;
        const char *Name, *Value;
        TStringList After;
    } cases[] = {
        {{"A=1", "B=2", "C=3"}, "b", "20", {"A=1", "b=20", "C=3"}},  // the name as given, as TStrings.Values does
        {{"A=1", "B=2", "C=3"}, "D", "4", {"A=1", "B=2", "C=3", "D=4"}},
        {{"X=1", "x=2"}, "X", "9", {"X=9", "x=2"}},
        // An empty text removes the line; an absent name is not added as an empty line.
        {{"A=1", "B=2", "C=3"}, "b", "", {"A=1", "C=3"}},
        {{"A=1", "C=3"}, "Z", "", {"A=1", "C=3"}},
        // Values may hold equals signs, blanks and Polish letters.
        {{"ODBC DSN=old"}, "odbc dsn", " a = b=c ", {"odbc dsn= a = b=c "}},
        {{"ODBC DSN=old"}, "PASSWORD", "=zażółć=", {"ODBC DSN=old", "PASSWORD==zażółć="}},
    };
    for (const auto& c : cases) {
        TStringList params = c.Before;
        params.SetValue(c.Name, c.Value);
        EXPECT_EQ(params.Lines(), c.After.Lines()) << c.Name << "=" << c.Value;
    }
    const TStringList read{"odbc dsn= a = b=c ", "PASSWORD==zażółć="};
    EXPECT_EQ(read.Values("ODBC DSN"), " a = b=c ");
    EXPECT_EQ(read.Values("password"), "=zażółć=");
    EXPECT_EQ(read.ValueFromIndex(1), "=zażółć=");
}
