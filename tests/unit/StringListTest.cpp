#include <gtest/gtest.h>

#include "base/StringList.h"

TEST(ParameterList, SplitsNameAndValueAtTheFirstEquals) {
    const TStringList params{"PASSWORD=a=b", "PATH=", "=x", "NO SEPARATOR"};
    EXPECT_EQ(params.Names(0), "PASSWORD");
    EXPECT_EQ(params.ValueFromIndex(0), "a=b");
    EXPECT_EQ(params.Names(1), "PATH");
    EXPECT_EQ(params.ValueFromIndex(1), "");
    EXPECT_EQ(params.Names(2), "");
    EXPECT_EQ(params.ValueFromIndex(2), "x");
    EXPECT_EQ(params.Names(3), "NO SEPARATOR");
    EXPECT_EQ(params.ValueFromIndex(3), "");
}

TEST(ParameterList, FindsNamesWithoutRegardToCase) {
    const TStringList params{"SERVER NAME=ora", "User Name=veltra", "HASŁO=tajne", "NAME =blank"};
    EXPECT_EQ(params.IndexOfName("user name"), 1);
    EXPECT_EQ(params.Values("server name"), "ora");
    EXPECT_EQ(params.Values("USER NAME"), "veltra");
    EXPECT_EQ(params.IndexOfName("hasŁo"), 2);
    // Only a..z fold: "ł" is not "Ł".
    EXPECT_EQ(params.IndexOfName("hasło"), -1);
    // A name matches whole: no prefix, no trimming.
    EXPECT_EQ(params.IndexOfName("SERVER"), -1);
    EXPECT_EQ(params.IndexOfName("NAME"), -1);
    EXPECT_EQ(params.IndexOfName("missing"), -1);
    EXPECT_EQ(params.Values("missing"), "");
}

TEST(ParameterList, SettingReplacesInPlaceOrAppends) {
    TStringList params{"A=1", "B=2", "C=3"};
    params.SetValue("b", "20");
    ASSERT_EQ(params.Count(), 3u);
    EXPECT_EQ(params[0], "A=1");
    EXPECT_EQ(params.IndexOfName("B"), 1);
    EXPECT_EQ(params.Values("B"), "20");
    EXPECT_EQ(params[2], "C=3");

    params.SetValue("D", "4");
    ASSERT_EQ(params.Count(), 4u);
    EXPECT_EQ(params[3], "D=4");

    // Only the first matching line changes.
    TStringList twice{"X=1", "x=2"};
    twice.SetValue("X", "9");
    EXPECT_EQ(twice, (TStringList{"X=9", "x=2"}));
}

TEST(ParameterList, SettingAnEmptyTextRemovesTheLine) {
    TStringList params{"A=1", "B=2", "C=3"};
    params.SetValue("b", "");
    EXPECT_EQ(params, (TStringList{"A=1", "C=3"}));
    // Absent names are not added as empty lines.
    params.SetValue("Z", "");
    EXPECT_EQ(params, (TStringList{"A=1", "C=3"}));
}

TEST(ParameterList, ValuesMayHoldEqualsSignsBlanksAndPolishLetters) {
    TStringList params{"ODBC DSN=old"};
    params.SetValue("odbc dsn", " a = b=c ");
    params.SetValue("PASSWORD", "=zażółć=");
    EXPECT_EQ(params.Values("ODBC DSN"), " a = b=c ");
    EXPECT_EQ(params.Values("password"), "=zażółć=");
    ASSERT_EQ(params.Count(), 2u);
    EXPECT_EQ(params.Names(1), "PASSWORD");
    EXPECT_EQ(params.ValueFromIndex(1), "=zażółć=");
}

TEST(StringList, IndexOfMatchesWholeLinesWithoutRegardToCase) {
    const TStringList lines{"NAMES.DIRECTORY_PATH= (TNSNAMES)", "# comment"};
    EXPECT_EQ(lines.IndexOf("names.directory_path= (tnsnames)"), 0);
    EXPECT_EQ(lines.IndexOf("# COMMENT"), 1);
    EXPECT_EQ(lines.IndexOf("NAMES.DIRECTORY_PATH"), -1);
    EXPECT_EQ(lines.IndexOf(""), -1);
}
