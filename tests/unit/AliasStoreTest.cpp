// The alias store and the text format of the engine's configuration file.
#include <gtest/gtest.h>

#include <string>

#include "engine/AliasStore.h"
#include "fakes/ErrorText.h"

namespace {

const std::string kPath = "C:\\BDE\\aliasy.cfg";

TAliasStore Loaded(const std::string& text) {
    TAliasStore store;
    store.Load(text, kPath);
    return store;
}

void ExpectSameAliases(const TAliasStore& expected, const TAliasStore& actual) {
    ASSERT_EQ(expected.Names(), actual.Names());
    for (const auto& name : expected.Names()) {
        SCOPED_TRACE(name);
        const TAlias* a = expected.Find(name);
        const TAlias* b = actual.Find(name);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(a->Name, b->Name);
        EXPECT_EQ(a->Driver, b->Driver);
        EXPECT_EQ(a->Params.Lines(), b->Params.Lines());
    }
}

// Values that a careless format loses: separators, blanks at the ends, quotes,
// line breaks, backslashes, Polish letters, bytes that are not UTF-8.
TAliasStore Awkward() {
    TAliasStore store;
    store.Add({"Veltra- RN", "SQL Native Client",
               {"ODBC DSN=Veltra RN", "USER NAME=veltra", "PASSWORD=a=b==c", "SQLQRYMODE=", "DATABASE NAME=Zażółć gęślą jaźń",
                "LANGDRIVER=  leading and trailing  ", "QUOTED=\"in quotes\"", "TAIL QUOTE=ends with \"",
                "LINES=one\ntwo\r\nthree\ttab", "PATH=C:\\Program Files\\Veltra\\", "BACKSLASH QUOTE=\\\"",
                "RAW=\x01\x7F\xFF\xC5", "DRIVER=an entry, not the driver", "[BRACKET=1", "#HASH=2", ";SEMI=3",
                " PADDED NAME =x", "\"Q=4"}});
    store.Add({"  Kopia ]dziwna[ nazwa ", "ORACLE", {"SERVER NAME=ORCL", "USER NAME=VELTRA_RN"}});
    store.Add({"\"cytat", "", {}});
    store.Add({"Veltra- Net", "STANDARD", {"PATH=\\\\serwer\\dane", "DEFAULT DRIVER=PARADOX"}});
    return store;
}

TEST(AliasStoreFormat, RoundTripIsExactForAwkwardNamesAndValues) {
    const TAliasStore original = Awkward();
    const std::string text = original.Save();
    const TAliasStore reloaded = Loaded(text);
    ExpectSameAliases(original, reloaded);
    EXPECT_EQ(text, reloaded.Save());
}

TEST(AliasStoreFormat, OrdinaryTextIsWrittenAsItIs) {
    TAliasStore store;
    store.Add({"Veltra- RN", "SQL Native Client", {"USER NAME=Łódź", "PATH=C:\\Veltra\\Dane", "PASSWORD=m.n.p. darvel", "SQLQRYMODE="}});
    const std::string text = store.Save();
    for (const char* line : {"\r\n[Veltra- RN]\r\n", "\r\nDRIVER=SQL Native Client\r\n", "\r\nUSER NAME=Łódź\r\n",
                             "\r\nPATH=C:\\Veltra\\Dane\r\n", "\r\nPASSWORD=m.n.p. darvel\r\n", "\r\nSQLQRYMODE=\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST(AliasStoreFormat, ReadsHandWrittenText) {
    // BOM, comments, blank lines, blanks around '=', mixed line ends, a quoted value.
    const TAliasStore store = Loaded(
        "\xEF\xBB\xBF# aliasy\n"
        "\n"
        "  [ Veltra- RN ]  \r\n"
        "driver = SQL Native Client\r"
        "; komentarz\n"
        "ODBC DSN = Veltra\n"
        "\tUSER NAME=\"  veltra \\\"x\\\"  \"\n"
        "EMPTY=\n"
        "[Druga]\n"
        "DRIVER=ORACLE");
    ASSERT_EQ(store.Names(), (std::vector<std::string>{"Veltra- RN", "Druga"}));
    const TAlias* rn = store.Find("Veltra- RN");
    ASSERT_NE(rn, nullptr);
    EXPECT_EQ(rn->Driver, "SQL Native Client");
    EXPECT_EQ(rn->Params.Lines(), (std::vector<std::string>{"ODBC DSN=Veltra", "USER NAME=  veltra \"x\"  ", "EMPTY="}));
    EXPECT_EQ(store.Find("druga")->Driver, "ORACLE");
    EXPECT_TRUE(store.Find("Druga")->Params.Lines().empty());
}

TEST(AliasStoreFormat, EmptyTextIsAnEmptyConfiguration) {
    EXPECT_EQ(Loaded("").Count(), 0u);
    EXPECT_EQ(Loaded(TAliasStore().Save()).Count(), 0u);
}

struct BadFile {
    const char* text;
    int line;
    const char* reason;
};

class AliasStoreBadFile : public testing::TestWithParam<BadFile> {};

TEST_P(AliasStoreBadFile, IsRefusedWithPathAndLine) {
    TAliasStore store;
    store.Add({"Zostaje", "STANDARD", {"PATH=C:\\"}});
    const std::string message = ErrorText([&] { store.Load(GetParam().text, kPath); });
    EXPECT_NE(message.find(kPath), std::string::npos) << message;
    EXPECT_NE(message.find("wiersz " + std::to_string(GetParam().line) + ":"), std::string::npos) << message;
    EXPECT_NE(message.find(GetParam().reason), std::string::npos) << message;
    // A refused file changes nothing.
    EXPECT_EQ(store.Names(), std::vector<std::string>{"Zostaje"});
}

INSTANTIATE_TEST_SUITE_P(
    Errors, AliasStoreBadFile,
    testing::Values(BadFile{"# x\nODBC DSN=a\n", 2, "przed pierwszym"},
                    BadFile{"[A]\nODBC DSN=a\n", 2, "DRIVER="},
                    BadFile{"[A]\n\nDRIVER=x\n", 2, "DRIVER="},
                    BadFile{"[A]\r\nDRIVER=x\r\n[B]\r\n", 3, "DRIVER="},
                    BadFile{"[Alias]\nDRIVER=x\n[ALIAS]\nDRIVER=y\n", 3, "więcej niż raz"},
                    BadFile{"[A]\nDRIVER=x\nPATH=\"C:\\\n", 3, "cudzysłów"},
                    BadFile{"[A]\nDRIVER=x\nPATH=\"a\"b\"\n", 3, "cudzysłów"},
                    BadFile{"[A]\nDRIVER=x\nPATH=\"\\q\"\n", 3, "sekwencja"},
                    BadFile{"[A]\nDRIVER=x\nPATH=\"\\x4\"\n", 3, "szesnastkowych"},
                    BadFile{"[A]\nDRIVER=x\nUSER NAME=\xA3\xF3\x64\x9F\n", 3, "UTF-8"},
                    BadFile{"[A\nDRIVER=x\n", 1, "]"},
                    BadFile{"[  ]\nDRIVER=x\n", 1, "pusta nazwa"},
                    BadFile{"[A]\nDRIVER=x\nbez znaku równości\n", 3, "NAZWA=WARTOŚĆ"},
                    BadFile{"[A]\nDRIVER=x\n=wartość\n", 3, "bez nazwy"},
                    BadFile{"[A]\nDRIVER=x\n\"a=b\"=c\n", 3, "znaku ="}));

TEST(AliasStore, FindsNamesWithoutRegardToCaseAndKeepsSpelling) {
    TAliasStore store;
    store.Add({"Veltra- RN", "SQL Native Client", {"ODBC DSN=V"}});
    store.Add({"Kopia Veltra- RN", "ORACLE", {}});
    ASSERT_NE(store.Find("VELTRA- rn"), nullptr);
    EXPECT_EQ(store.Find("VELTRA- rn")->Name, "Veltra- RN");
    EXPECT_EQ(store.Find("kopia veltra- rn")->Driver, "ORACLE");
    EXPECT_EQ(store.Find("Veltra- R"), nullptr);
    // Only a..z fold: "Ł" and "ł" are different names.
    store.Add({"Łódź", "STANDARD", {}});
    EXPECT_EQ(store.Find("łódź"), nullptr);
    EXPECT_EQ(store.Names(), (std::vector<std::string>{"Veltra- RN", "Kopia Veltra- RN", "Łódź"}));
}

TEST(AliasStore, AddRefusesWhatTheFileCannotHold) {
    TAliasStore store;
    store.Add({"Veltra- RN", "SQL Native Client", {"ODBC DSN=V"}});
    EXPECT_NE(ErrorText([&] { store.Add({"VELTRA- RN", "ORACLE", {}}); }).find("już istnieje"), std::string::npos);
    EXPECT_NE(ErrorText([&] { store.Add({"", "ORACLE", {}}); }).find("pusta"), std::string::npos);
    EXPECT_NE(ErrorText([&] { store.Add({"B", "ORACLE", {"BEZ ROWNOSCI"}}); }).find("NAZWA=WARTOŚĆ"), std::string::npos);
    EXPECT_NE(ErrorText([&] { store.Add({"C", "ORACLE", {"=x"}}); }).find("NAZWA=WARTOŚĆ"), std::string::npos);
    ASSERT_EQ(store.Count(), 1u);
    EXPECT_EQ(store.Find("Veltra- RN")->Driver, "SQL Native Client");
}

TEST(AliasStore, FindGivesTheStoredAliasForChanges) {
    TAliasStore store;
    store.Add({"A", "ORACLE", {"USER NAME=x"}});
    store.Add({"B", "ORACLE", {"USER NAME=y"}});
    store.Find("a")->Params.SetValue("USER NAME", "z");
    const TAliasStore reloaded = Loaded(store.Save());
    EXPECT_EQ(reloaded.Find("A")->Params.Lines(), std::vector<std::string>{"USER NAME=z"});
    EXPECT_EQ(reloaded.Find("B")->Params.Lines(), std::vector<std::string>{"USER NAME=y"});
}

}  // namespace
