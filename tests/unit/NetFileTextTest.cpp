// The text rules of tnsnames.ora and sqlnet.ora, over lines, without a form;
// some inputs come from the fuzzers' findings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Text.h"
#include "oracle/NetFileText.h"
#include "platform/FileSystem.h"

namespace {

using Lines = std::vector<std::string>;

// Every entry text that is read, as NAME|protocol|host|port|service, over
// the defaults a new table entry starts with.
Lines ReadAll(const Lines& lines) {
    Lines read;
    for (const std::string& item : JoinEntryTexts(lines)) {
        TNetServiceEntry e{"", "TCP", "", "1521", "XE"};
        if (ReadServiceEntry(item, e)) read.push_back(e.Name + "|" + e.Protocol + "|" + e.Host + "|" + e.Port + "|" + e.Service);
    }
    return read;
}

const TNetServiceEntry kEntry{"XE.SERWER", "TCP", "db.example", "1522", "RONDEL"};

TEST(NetFileTextTest, EntriesReadFromTheirTexts) {
    struct Case {
        const char* Name;
        Lines File;
        Lines Read;
    };
    const Case cases[] = {
        {"nine lines", ServiceEntryLines(kEntry), {"XE.SERWER|TCP|db.example|1522|RONDEL"}},
        {"one line, lower-case name",
         {"xe = (DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=tcp)(HOST=h)(PORT=1)))(CONNECT_DATA=(SERVICE_NAME=s)))"},
         {"XE|tcp|h|1|s"}},
        {"header opening the description, tabs and blanks inside",
         {"  Ab = (DESCRIPTION =", "\t(ADDRESS_LIST = (ADDRESS = (PROTOCOL = TCP)(HOST =\th)(PORT = 1)))", ")"},
         {"AB|TCP|\th|1|XE"}},
        {"address without a list, SID connect data",
         {"R = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = h)(PORT = 1))", "(CONNECT_DATA = (SID = R)))"},
         {"R|TCP||1521|XE"}},
        {"lower-case keys", {"x=(description=(address_list=(address=(protocol=tcp)(host=h)(port=1))))"}, {"X|TCP||1521|XE"}},
        {"server type before the service, second address ignored",
         {"M=(DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=TCP)(HOST=a)(PORT=1))(ADDRESS=(PROTOCOL=TCP)(HOST=b)(PORT=2)))",
          "(CONNECT_DATA=(SERVER=DEDICATED)(SERVICE_NAME=M)))"},
         {"M|TCP|a|1|XE"}},
        {"host before protocol stops the address", {"H=(DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(HOST=a)(PORT=1))))"}, {"H|TCP||1521|XE"}},
        {"protocol and host only", {"P=(DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=IPC)(HOST=a)(KEY=1))))"}, {"P|IPC|a|1521|XE"}},
        {"group never closed runs to the end", {"U=(DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=TCP)(HOST=a)(PORT=9)"}, {"U|TCP|a|9|XE"}},
        {"IFILE, comments, a continuation after a comment",
         {"# comment (HOST=x)", "  (DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=TCP)(HOST=c)(PORT=1))))", "IFILE = c:\\x.ora"},
         {"IFILE|TCP||1521|XE"}},
        {"continuation before any entry, no name, empty lines",
         {"  (DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=TCP)(HOST=c)(PORT=1))))", "", "\t", "=(DESCRIPTION=)", "NOEQUALS"},
         {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadAll(c.File), c.Read) << c.Name;
}

// Every entry of the name goes whole, as the client reads the file; the new
// one is appended, the first of that name.
TEST(NetFileTextTest, ReplacingAnEntryKeepsEveryOtherLine) {
    struct Case {
        const char* Name;
        Lines Before;
        Lines Kept;
    };
    const Case cases[] = {
        {"other case, blank before the equals sign", {"# top", "xe.serwer =", "  (DESCRIPTION =", "  )", "", "B=(X)"},
         {"# top", "", "B=(X)"}},
        {"a longer name is another entry", {"XE.SERWER2 = (DESCRIPTION=)", ""}, {"XE.SERWER2 = (DESCRIPTION=)", ""}},
        {"a longer name after a tab stays", {"XE.SERWER2 = (X)", "\tXE.SERWER.X = (Y)"}, {"XE.SERWER2 = (X)", "\tXE.SERWER.X = (Y)"}},
        {"the next header directly after", {"XE.SERWER=(DESCRIPTION=", "(ADDRESS=(HOST=a)))", "B = (DESCRIPTION =", "  (X))"},
         {"B = (DESCRIPTION =", "  (X))"}},
        {"empty line and comment inside the parentheses",
         {"XE.SERWER =", "  (DESCRIPTION =", "", "# old address", "    (ADDRESS = (HOST = a))", "  )", "", "B=(X)"},
         {"", "B=(X)"}},
        {"parenthesis in a comment at a line's end",
         {"# top", "XE.SERWER =", "  (DESCRIPTION =   # moved :-)", "    # (old", "    (ADDRESS = (HOST = a)))", "", "# next", "B=(X)"},
         {"# top", "", "# next", "B=(X)"}},
        {"value wrapped onto an indented line; after the close continuations go, a comment stays",
         {"XE.SERWER = (DESCRIPTION = (HOST =", "        long.host)(PORT = 1))", "# note", "\t(Z)", "B=(X)"}, {"# note", "B=(X)"}},
        {"parentheses never closed", {"XE.SERWER =", "  (DESCRIPTION =", "    (ADDRESS = (HOST = a)", "", "# keep", "B=(X)"},
         {"", "# keep", "B=(X)"}},
        {"the name twice", {"XE.SERWER = (DESCRIPTION =", "  (X))", "", "B=(Y)", "xe.serwer=", "  (DESCRIPTION=(Z))", "# end"},
         {"", "B=(Y)", "# end"}},
        {"a header after a tab", {"# top", "\tXE.SERWER =", "  (DESCRIPTION = (X))", "B=(Y)"}, {"# top", "B=(Y)"}},
        {"no such entry, no file", {}, {}},
    };
    const Lines written = ServiceEntryLines(kEntry);
    for (const Case& c : cases) {
        Lines lines = c.Before;
        ReplaceServiceEntry(lines, kEntry);
        Lines expected = c.Kept;
        expected.insert(expected.end(), written.begin(), written.end());
        EXPECT_EQ(lines, expected) << c.Name;
    }
    // What the wizard writes reads back the same, the name upper-cased.
    EXPECT_EQ(ReadAll(ServiceEntryLines({"xe.Serwer", "TCP", "h", "1", "S"})), Lines{"XE.SERWER|TCP|h|1|S"});

    // Bytes of the other lines that are not letters of the code page survive.
    std::string high;
    for (int b = 0x80; b < 0x100; ++b) high += static_cast<char>(b);
    const std::string bytes = "# " + high + "\r\nB=(Y)\r\n";
    Lines ansi = SplitLines(AnsiToUtf8(bytes));
    ReplaceServiceEntry(ansi, kEntry);
    EXPECT_EQ(Utf8ToAnsi(JoinLinesCrLf(ansi)).substr(0, bytes.size()), bytes);
}

TEST(NetFileTextTest, SqlNetSettings) {
    struct Case {
        const char* Name;
        Lines Before;
        Lines After;  // empty: not changed
        int Changed;  // 1: the authentication setting, 2: the directory path
    };
    const Case cases[] = {
        {"no file", {}, {"SQLNET.AUTHENTICATION_SERVICES=(NTS)", "NAMES.DIRECTORY_PATH=(TNSNAMES)"}, 3},
        {"another method, blank after the equals sign",
         {"# client", "SQLNET.AUTHENTICATION_SERVICES= (NONE)", "NAMES.DIRECTORY_PATH = (TNSNAMES)"},
         {"# client", "SQLNET.AUTHENTICATION_SERVICES=(NONE,NTS)", "NAMES.DIRECTORY_PATH = (TNSNAMES)",
          "NAMES.DIRECTORY_PATH=(TNSNAMES)"},
         3},
        {"all lower case", {"sqlnet.authentication_services= (nts)", "names.directory_path= (ezconnect, tnsnames)"}, {}, 0},
        {"settings continued: one rebuilt over all its lines, one holding the item on its second line",
         {"SQLNET.AUTHENTICATION_SERVICES= (BEQ,", "# KERBEROS5", "\tNONE)", "", "NAMES.DIRECTORY_PATH= (EZCONNECT,", "  TNSNAMES)"},
         {"SQLNET.AUTHENTICATION_SERVICES=(BEQ,NONE,NTS) # KERBEROS5", "", "NAMES.DIRECTORY_PATH= (EZCONNECT,", "  TNSNAMES)"}, 1},
        {"comments at the ends of a setting's lines stay comments",
         {"SQLNET.AUTHENTICATION_SERVICES= (BEQ) # (bez NTS)", "NAMES.DIRECTORY_PATH= (\"a#b\", # \"x\"", "  LDAP) # y"},
         {"SQLNET.AUTHENTICATION_SERVICES=(BEQ,NTS) # (bez NTS)", "NAMES.DIRECTORY_PATH=(\"a#b\",LDAP,TNSNAMES) # \"x\" # y"}, 3},
        {"quoted and empty items",
         {"SQLNET.AUTHENTICATION_SERVICES=(NTS)", "NAMES.DIRECTORY_PATH=(\"a \"\"b\",,EZCONNECT)"},
         {"SQLNET.AUTHENTICATION_SERVICES=(NTS)", "NAMES.DIRECTORY_PATH=(\"a \"\"b\",,EZCONNECT,TNSNAMES)"}, 2},
        {"stray parentheses in a comment", {"NAMES.DIRECTORY_PATH=(EZCONNECT) # komentarz)", "SQLNET.AUTHENTICATION_SERVICES=(NTS)"},
         {"NAMES.DIRECTORY_PATH=(EZCONNECT,TNSNAMES) # komentarz)", "SQLNET.AUTHENTICATION_SERVICES=(NTS)"}, 2},
    };
    for (const Case& c : cases) {
        Lines lines = c.Before;
        const auto ensure = [&] {
            const bool nts = EnsureSqlNetItem(lines, "SQLNET.AUTHENTICATION_SERVICES", "NTS");
            return nts + 2 * EnsureSqlNetItem(lines, "NAMES.DIRECTORY_PATH", "TNSNAMES");
        };
        EXPECT_EQ(ensure(), c.Changed) << c.Name;
        EXPECT_EQ(lines, c.After.empty() ? c.Before : c.After) << c.Name;
        // A second apply finds nothing to do.
        EXPECT_EQ(ensure(), 0) << c.Name;
        EXPECT_EQ(lines, c.After.empty() ? c.Before : c.After) << c.Name;
    }
    EXPECT_EQ(SplitSqlNetItems("  a\t b,c,"), (Lines{"a", "b", "c", ""}));
    EXPECT_EQ(JoinSqlNetItems({"a)b", "(c d)", "e"}), "(ab,\"c d\",e)");
}

TEST(NetFileTextTest, TextThatWouldBreakTheFile) {
    for (const char* bad : {"a=b", "a(b", "a)b", "a#b", "a\"b", "a\tb", "a\x7f"}) {
        EXPECT_TRUE(BreaksNetFile(bad, true)) << bad;
        EXPECT_TRUE(BreaksNetFile(bad, false)) << bad;
    }
    EXPECT_FALSE(BreaksNetFile("my host", true));
    EXPECT_TRUE(BreaksNetFile("my host", false));
    EXPECT_FALSE(BreaksNetFile("XE.serwer-1_ąę", false));
}

}  // namespace
