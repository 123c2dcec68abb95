// The engine: its configuration file's text format in the alias store; the
// session's start from the registry, its alias operations and the drivers it
// loads; and the installed engine's library as the alias backend, against the
// stand-in library and against single entry points the tests replace.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "base/Text.h"
#include "engine/AliasStore.h"
#include "engine/IdapiAliasBackend.h"
#include "engine/Session.h"
#include "fakes/DlLoader.h"
#include "fakes/ErrorText.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeRegistry.h"
#include "platform/Registry.h"
#include "shared/Expected.h"

namespace {

using testing::AllOf;
using testing::HasSubstr;
using Strings = std::vector<std::string>;

const std::string kEngineKey = expected::EngineKey.Path;

// A registry, files and a loader of libraries for the session, and the start
// of a session over them, as each run of the program makes it.
class EngineTest : public testing::Test {
protected:
    std::unique_ptr<TSession> Started() {
        auto session = std::make_unique<TSession>(registry, files, loader);
        session->SetConfigMode(cmPersistent);
        return session;
    }
    // What the session lists, into lists that held lines before.
    static Strings Names(TSession& session) {
        TStringList list{"left over", "lines"};
        session.GetAliasNames(list);
        return list.Lines();
    }
    static Strings Params(TSession& session, const std::string& alias) {
        TStringList list{"left over", "lines"};
        session.GetAliasParams(alias, list);
        return list.Lines();
    }

    FakeRegistryFactory registry;
    FakeFileSystem files;
    DlLoader loader;
};

// The alias store and the text format of the engine's configuration file.

const std::string kPath = "C:\\BDE\\aliasy.cfg";

TAliasStore Loaded(const std::string& text) {
    TAliasStore store;
    store.Load(text, kPath);
    return store;
}

// Each alias in file order as its name, its driver, then its parameter lines.
std::vector<Strings> Contents(const TAliasStore& store) {
    std::vector<Strings> aliases;
    for (const std::string& name : store.Names()) {
        const TAlias* alias = store.Find(name);
        if (!alias) return {{"not found: " + name}};
        aliases.push_back({alias->Name, alias->Driver});
        for (const std::string& line : alias->Params.Lines()) aliases.back().push_back(line);
    }
    return aliases;
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

TEST(AliasStoreFormat, RoundTripIsExactForAwkwardNamesAndValuesAndEmptyTextIsEmpty) {
    const TAliasStore original = Awkward();
    const std::string text = original.Save();
    const TAliasStore reloaded = Loaded(text);
    EXPECT_EQ(Contents(reloaded), Contents(original));
    EXPECT_EQ(text, reloaded.Save());
    EXPECT_EQ(Loaded("").Count(), 0u);
    EXPECT_EQ(Loaded(TAliasStore().Save()).Count(), 0u);
}

TEST(AliasStoreFormat, OrdinaryTextIsWrittenAsItIs) {
    TAliasStore store;
    store.Add({"Veltra- RN", "SQL Native Client", {"USER NAME=Łódź", "PATH=C:\\Veltra\\Dane", "PASSWORD=m.n.p. darvel", "SQLQRYMODE="}});
    const std::string text = store.Save();
    for (const char* line : {"\r\n[Veltra- RN]\r\n", "\r\nDRIVER=SQL Native Client\r\n", "\r\nUSER NAME=Łódź\r\n",
                             "\r\nPATH=C:\\Veltra\\Dane\r\n", "\r\nPASSWORD=m.n.p. darvel\r\n", "\r\nSQLQRYMODE=\r\n"})
        EXPECT_THAT(text, HasSubstr(line));
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
    EXPECT_EQ(Contents(store), (std::vector<Strings>{{"Veltra- RN", "SQL Native Client", "ODBC DSN=Veltra",
                                                      "USER NAME=  veltra \"x\"  ", "EMPTY="},
                                                     {"Druga", "ORACLE"}}));
}

// A refused file changes nothing.
TEST(AliasStoreFormat, BadFilesAreRefusedWithPathAndLine) {
    const struct {
        const char* Text;
        int Line;
        const char* Reason;
    } cases[] = {
        {"# x\nODBC DSN=a\n", 2, "przed pierwszym"}, {"[A]\nODBC DSN=a\n", 2, "DRIVER="},
        {"[A]\n\nDRIVER=x\n", 2, "DRIVER="}, {"[A]\r\nDRIVER=x\r\n[B]\r\n", 3, "DRIVER="},
        {"[Alias]\nDRIVER=x\n[ALIAS]\nDRIVER=y\n", 3, "więcej niż raz"},
        {"[A]\nDRIVER=x\nPATH=\"C:\\\n", 3, "cudzysłów"}, {"[A]\nDRIVER=x\nPATH=\"a\"b\"\n", 3, "cudzysłów"},
        {"[A]\nDRIVER=x\nPATH=\"\\q\"\n", 3, "sekwencja"}, {"[A]\nDRIVER=x\nPATH=\"\\x4\"\n", 3, "szesnastkowych"},
        {"[A]\nDRIVER=x\nUSER NAME=\xA3\xF3\x64\x9F\n", 3, "UTF-8"}, {"[A\nDRIVER=x\n", 1, "]"},
        {"[  ]\nDRIVER=x\n", 1, "pusta nazwa"}, {"[A]\nDRIVER=x\nbez znaku równości\n", 3, "NAZWA=WARTOŚĆ"},
        {"[A]\nDRIVER=x\n=wartość\n", 3, "bez nazwy"}, {"[A]\nDRIVER=x\n\"a=b\"=c\n", 3, "znaku ="},
    };
    for (const auto& c : cases) {
        TAliasStore store;
        store.Add({"Zostaje", "STANDARD", {"PATH=C:\\"}});
        EXPECT_THAT(ErrorText([&] { store.Load(c.Text, kPath); }),
                    AllOf(HasSubstr(kPath), HasSubstr("wiersz " + std::to_string(c.Line) + ":"), HasSubstr(c.Reason)));
        EXPECT_EQ(store.Names(), Strings{"Zostaje"}) << c.Text;
    }
}

TEST(AliasStore, AddRefusesWhatTheFileCannotHold) {
    TAliasStore store;
    store.Add({"Veltra- RN", "SQL Native Client", {"ODBC DSN=V"}});
    EXPECT_THAT(ErrorText([&] { store.Add({"VELTRA- RN", "ORACLE", {}}); }), HasSubstr("już istnieje"));
    EXPECT_THAT(ErrorText([&] { store.Add({"", "ORACLE", {}}); }), HasSubstr("pusta"));
    EXPECT_THAT(ErrorText([&] { store.Add({"B", "ORACLE", {"BEZ ROWNOSCI"}}); }), HasSubstr("NAZWA=WARTOŚĆ"));
    EXPECT_THAT(ErrorText([&] { store.Add({"C", "ORACLE", {"=x"}}); }), HasSubstr("NAZWA=WARTOŚĆ"));
    ASSERT_EQ(store.Count(), 1u);
    EXPECT_EQ(store.Find("Veltra- RN")->Driver, "SQL Native Client");
}

const std::string kConfigPath = "C:\\Program Files\\Common Files\\Borland Shared\\BDE\\aliasy.cfg";
const std::string kNotStarted = "nie został uruchomiony";

class SessionTest : public EngineTest {
protected:
    SessionTest() {
        registry.SetString(reg::HKeyLocalMachine, kEngineKey, "CONFIGFILE01", kConfigPath);
        files.AddFolder("C:\\Program Files\\Common Files\\Borland Shared\\BDE");
    }

    static std::string GoodFile() {
        return "# aliasy\r\n[Veltra- RN]\r\nDRIVER=SQL Native Client\r\nODBC DSN=Veltra\r\nUSER NAME=veltra\r\nSQLQRYMODE=\r\n"
               "\r\n[Veltra- Net]\r\nDRIVER=STANDARD\r\nPATH=C:\\Veltra\\Dane\r\nENABLE BCD=FALSE\r\nDEFAULT DRIVER=PARADOX\r\n"
               "\r\n[Obce]\r\nDRIVER=ORACLE\r\nSERVER NAME=ORCL\r\nNOTE=\"  a=b  \"\r\nPL=zażółć gęślą jaźń\r\n";
    }
};

TEST_F(SessionTest, StartReadsThePathFromTheMachineKeyForReadingOnly) {
    files.AddFile(kConfigPath, GoodFile());
    auto session = Started();
    EXPECT_TRUE(session->Active());
    EXPECT_EQ(session->ConfigMode(), cmPersistent);
    EXPECT_EQ(session->ConfigFilePath(), kConfigPath);
    const auto opens = registry.OpensOf(reg::HKeyLocalMachine, kEngineKey);
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].Access, reg::KeyRead);
    EXPECT_FALSE(opens[0].CanCreate);
    EXPECT_EQ(registry.LiveAccessorCount(), 0);
    EXPECT_EQ(Names(*session), (Strings{"Veltra- RN", "Veltra- Net", "Obce"}));
}

TEST_F(SessionTest, UnregisteredEngineDoesNotStartAndItsAliasCallsRaise) {
    files.AddFile(kConfigPath, GoodFile());
    registry.RemoveKey(reg::HKeyLocalMachine, kEngineKey);
    TSession never(registry, files, loader);  // ConfigMode never set
    TSession failed(registry, files, loader);
    EXPECT_THAT(ErrorText([&] { failed.SetConfigMode(cmPersistent); }),
                AllOf(HasSubstr("nie jest zarejestrowany"), HasSubstr("CONFIGFILE01")));
    EXPECT_FALSE(registry.HasKey(reg::HKeyLocalMachine, kEngineKey));  // nothing created

    for (TSession* session : {&never, &failed}) {
        EXPECT_FALSE(session->Active());
        TStringList list{"old"};
        EXPECT_THAT(ErrorText([&] { session->GetAliasNames(list); }), HasSubstr(kNotStarted));
        EXPECT_THAT(ErrorText([&] { session->GetAliasParams("Veltra- RN", list); }), HasSubstr(kNotStarted));
        EXPECT_THAT(ErrorText([&] { session->GetAliasDriverName("Veltra- RN"); }), HasSubstr(kNotStarted));
        EXPECT_THAT(ErrorText([&] { session->AddAlias("N", "ORACLE", {}); }), HasSubstr(kNotStarted));
        EXPECT_THAT(ErrorText([&] { session->AddStandardAlias("N", "C:\\", "PARADOX"); }), HasSubstr(kNotStarted));
        EXPECT_THAT(ErrorText([&] { session->ModifyAlias("Veltra- RN", {"USER NAME=x"}); }), HasSubstr(kNotStarted));
        EXPECT_THAT(ErrorText([&] { session->SaveConfigFile(); }), HasSubstr(kNotStarted));
        EXPECT_EQ(list.Lines(), Strings{"old"});
    }
    EXPECT_EQ(files.WriteAttempts(), 0);

    // The key without the value, or with an empty one, is no better.
    registry.CreateKey(reg::HKeyLocalMachine, kEngineKey);
    EXPECT_THAT(ErrorText([&] { failed.SetConfigMode(cmPersistent); }), HasSubstr("CONFIGFILE01"));
    registry.SetString(reg::HKeyLocalMachine, kEngineKey, "CONFIGFILE01", "");
    EXPECT_THAT(ErrorText([&] { failed.SetConfigMode(cmPersistent); }), HasSubstr("CONFIGFILE01"));
    EXPECT_FALSE(failed.Active());
}

TEST_F(SessionTest, MissingFileIsAnEmptyConfigurationCreatedByTheFirstSave) {
    auto session = Started();
    EXPECT_EQ(Names(*session), Strings{});
    EXPECT_FALSE(files.HasFile(kConfigPath));

    session->AddAlias("Veltra- RN", "SQL Native Client", {"ODBC DSN=Veltra", "PASSWORD=m.n.p. darvel"});
    EXPECT_FALSE(files.HasFile(kConfigPath));  // only SaveConfigFile writes
    session->SaveConfigFile();
    EXPECT_EQ(files.WriteCount(kConfigPath), 1);

    auto next = Started();
    EXPECT_EQ(Params(*next, "veltra- rn"), (Strings{"ODBC DSN=Veltra", "PASSWORD=m.n.p. darvel"}));
    EXPECT_EQ(next->GetAliasDriverName("VELTRA- RN"), "SQL Native Client");
}

// A file that is corrupt, cannot be read, or may well be there though its
// existence cannot be checked refuses the start: only "not found" may mean an
// empty configuration, never replaced by this run's aliases alone.
TEST_F(SessionTest, FileFaultsRefuseTheStartAndNothingIsWritten) {
    const std::string corrupt = "[Veltra- RN]\r\nDRIVER=SQL Native Client\r\nODBC DSN\r\n";
    const std::string lost = "Nie można odnaleźć ścieżki sieciowej.";
    enum Fault { None, Unreadable, Uncheckable };
    const struct {
        bool Present;
        std::string Bytes;
        Fault How;
        std::string Reason;
    } cases[] = {
        {true, corrupt, None, "wiersz 3"}, {true, GoodFile(), Unreadable, FakeFileSystem::AccessDenied},
        {true, GoodFile(), Uncheckable, FakeFileSystem::AccessDenied}, {false, "", Uncheckable, FakeFileSystem::AccessDenied},
        {true, GoodFile(), Uncheckable, lost}, {false, "", Uncheckable, lost},
    };
    for (const auto& c : cases) {
        FakeFileSystem files;
        if (c.Present) files.AddFile(kConfigPath, c.Bytes);
        if (c.How == Unreadable) files.SetUnreadable(kConfigPath);
        if (c.How == Uncheckable) files.SetUncheckable(kConfigPath, c.Reason);
        TSession session(registry, files, loader);
        EXPECT_THAT(ErrorText([&] { session.SetConfigMode(cmPersistent); }), AllOf(HasSubstr(kConfigPath), HasSubstr(c.Reason)));
        EXPECT_FALSE(session.Active()) << c.Reason;
        EXPECT_THROW(session.AddAlias("Nowy", "ORACLE", {}), Exception);
        EXPECT_THAT(ErrorText([&] { session.SaveConfigFile(); }), HasSubstr(kNotStarted));
        EXPECT_EQ(files.WriteAttempts(), 0) << c.Reason;
        ASSERT_EQ(files.HasFile(kConfigPath), c.Present) << c.Reason;
        EXPECT_EQ(c.Present ? files.Bytes(kConfigPath) : "", c.Bytes) << c.Reason;
        if (c.How != Unreadable) continue;
        // Once the file can be read, setting the mode again starts the engine.
        files.SetUnreadable(kConfigPath, false);
        session.SetConfigMode(cmPersistent);
        EXPECT_TRUE(session.Active());
    }
}

TEST_F(SessionTest, ListsAreClearedAndModifyChangesOnlyTheEntriesTheAliasHas) {
    files.AddFile(kConfigPath, GoodFile());
    auto session = Started();
    EXPECT_EQ(Params(*session, "Veltra- RN"), (Strings{"ODBC DSN=Veltra", "USER NAME=veltra", "SQLQRYMODE="}));
    // A standard alias shows its general entries.
    EXPECT_EQ(Params(*session, "veltra- net"), (Strings{"PATH=C:\\Veltra\\Dane", "DEFAULT DRIVER=PARADOX"}));
    EXPECT_EQ(session->GetAliasDriverName("Veltra- Net"), "STANDARD");

    session->ModifyAlias("VELTRA- rn", {"user name=sa", "PASSWORD=nowe", "ODBC DSN=", "SQLQRYMODE=SERVER", "bez równości"});
    // Stored spelling and order kept, an empty value stays a line, PASSWORD not added.
    EXPECT_EQ(Params(*session, "Veltra- RN"), (Strings{"ODBC DSN=", "USER NAME=sa", "SQLQRYMODE=SERVER"}));
    EXPECT_EQ(Params(*session, "OBCE"), (Strings{"SERVER NAME=ORCL", "NOTE=  a=b  ", "PL=zażółć gęślą jaźń"}));
}

TEST_F(SessionTest, AddAliasKeepsSpellingAndRefusesAnExistingNameInAnyCase) {
    auto session = Started();
    session->AddAlias("Kopia Veltra- RN", "ORACLE", {"SERVER NAME=A"});
    session->AddStandardAlias("Veltra- Net", "C:\\Veltra", "PARADOX");
    EXPECT_THAT(ErrorText([&] { session->AddAlias("KOPIA VELTRA- RN", "STANDARD", {"PATH=x"}); }), HasSubstr("już istnieje"));

    session->AddAlias("Łódź", "STANDARD", {});

    EXPECT_EQ(Names(*session), (Strings{"Kopia Veltra- RN", "Veltra- Net", "Łódź"}));
    EXPECT_EQ(session->GetAliasDriverName("kopia veltra- rn"), "ORACLE");
    EXPECT_EQ(Params(*session, "Kopia Veltra- RN"), Strings{"SERVER NAME=A"});
    EXPECT_EQ(session->GetAliasDriverName("Veltra- Net"), "STANDARD");
    EXPECT_EQ(Params(*session, "Veltra- Net"), (Strings{"PATH=C:\\Veltra", "DEFAULT DRIVER=PARADOX"}));

    // Unknown names raise naming the alias; only a..z fold, and a name's start is not the name.
    TStringList list;
    for (const auto& [name, message] : {std::pair{"Brak", ErrorText([&] { session->GetAliasParams("Brak", list); })},
                                        {"Brak", ErrorText([&] { session->GetAliasDriverName("Brak"); })},
                                        {"Brak", ErrorText([&] { session->ModifyAlias("Brak", {"PATH=x"}); })},
                                        {"łódź", ErrorText([&] { session->GetAliasDriverName("łódź"); })},
                                        {"Kopia Veltra- R", ErrorText([&] { session->GetAliasDriverName("Kopia Veltra- R"); })}})
        EXPECT_THAT(message, HasSubstr("\"" + std::string(name) + "\" nie istnieje"));
}

TEST_F(SessionTest, SaveKeepsUntouchedAliasesAndAFailedSaveLeavesTheOldFile) {
    files.AddFile(kConfigPath, GoodFile());
    auto session = Started();
    session->ModifyAlias("Veltra- RN", {"USER NAME=inny"});
    session->AddAlias("Nowy", "ORACLE", {"SERVER NAME=X"});
    files.FailNextWrite();
    EXPECT_THAT(ErrorText([&] { session->SaveConfigFile(); }), HasSubstr(FakeFileSystem::DiskFull));
    EXPECT_EQ(files.Bytes(kConfigPath), GoodFile());

    session->SaveConfigFile();  // repeated
    std::vector<Strings> expected = Contents(Loaded(GoodFile()));
    expected[0] = {"Veltra- RN", "SQL Native Client", "ODBC DSN=Veltra", "USER NAME=inny", "SQLQRYMODE="};
    expected.push_back({"Nowy", "ORACLE", "SERVER NAME=X"});
    EXPECT_EQ(Contents(Loaded(files.Bytes(kConfigPath))), expected);
}

TEST_F(SessionTest, DriversAreLoadedOnceOnFirstUseOrRaise) {
    auto session = Started();
    TEngineDriver& odbc = session->Driver("sql native client");
    EXPECT_EQ(&session->Driver("SQL Native Client"), &odbc);
    EXPECT_EQ(loader.SystemRequests(), Strings{"odbc32.dll"});
    EXPECT_TRUE(loader.PathRequests().empty());
    EXPECT_EQ(loader.LoadedCount(), 1);
    session.reset();
    EXPECT_EQ(loader.LoadedCount(), 0);

    // Missing libraries and unknown drivers raise.
    session = Started();
    EXPECT_THAT(ErrorText([&] { session->Driver("ORACLE"); }), HasSubstr("oci.dll"));
    EXPECT_EQ(loader.PathRequests(), Strings{"oci.dll"});

    loader.Alias("odbc32.dll", "");
    EXPECT_THAT(ErrorText([&] { session->Driver("SQL Native Client"); }), HasSubstr("odbc32.dll"));

    // A library that is not the ODBC driver manager lacks its entry points.
    loader.Alias("odbc32.dll", "libm.so.6");
    EXPECT_THAT(ErrorText([&] { session->Driver("SQL Native Client"); }), HasSubstr("SQLAllocHandle"));
    EXPECT_EQ(loader.LoadedCount(), 0);

    EXPECT_THAT(ErrorText([&] { session->Driver("PARADOX"); }), HasSubstr("\"PARADOX\""));
}

// The installed engine's library as the session's alias backend.

const std::string kLibrary = "C:\\BDE\\idapi32.dll";
const TStringList kSqlParams{"DATABASE NAME=veltra", "USER NAME=dbo", "ODBC DSN=Veltra",
                             "SQLQRYMODE=", "SQLPASSTHRU MODE=SHARED AUTOCOMMIT"};

class IdapiBackendTest : public EngineTest {
protected:
    IdapiBackendTest() {
        char pattern[] = "/tmp/idapi-XXXXXX";
        folder = mkdtemp(pattern);
        configPath = folder + "/idapi.cfg";
        registry.SetString(reg::HKeyLocalMachine, kEngineKey, "CONFIGFILE01", configPath);
        registry.SetString(reg::HKeyLocalMachine, kEngineKey, "DLLPATH", "C:\\Nic;\"C:\\BDE\\\"");
        loader.MapFile(kLibrary, IDAPI_STANDIN_PATH);
    }
    ~IdapiBackendTest() override { std::system(("rm -rf " + folder).c_str()); }

    // The engine backend over the stand-in, with entry points a test may replace.
    template <class Patch>
    std::unique_ptr<TIdapiAliasBackend> Backend(Patch patch) {
        auto library = loader.LoadLibraryFile(kLibrary);
        TIdapiApi api = ResolveIdapiApi(*library);
        patch(api);
        return std::make_unique<TIdapiAliasBackend>(api, configPath, std::move(library));
    }

    void WriteConfig(const std::string& text) { std::ofstream(configPath) << text; }
    Strings SavedLines() const {
        Strings lines;
        std::ifstream in(configPath);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    int OpenCursors() { return loader.LoadLibraryFile(kLibrary)->Get<int (*)()>("StandinOpenCursors")(); }

    std::string folder, configPath;
};

TEST_F(IdapiBackendTest, InstalledEngineKeepsTheAliasesInItsOwnFile) {
    {
        auto session = Started();
        session->AddAlias("X Veltra- RN", "SQL Native Client", kSqlParams);
        session->AddStandardAlias("Veltra- Net", "C:\\Veltra\\Dane Łódź", "FOXPRO");
        session->AddAlias("Obce", "ORACLE", {"SERVER NAME= ORCL ", "password=a;b"});
        session->SaveConfigFile();
    }
    EXPECT_EQ(loader.FileRequests(), (Strings{"C:\\Nic\\idapi32.dll", kLibrary}));
    EXPECT_EQ(files.WriteAttempts(), 0);
    EXPECT_EQ(SavedLines(), (Strings{
                                "ALIAS X Veltra- RN", "TYPE SQL Native Client", "INFO TYPE=SQL Native Client",
                                "OPEN DATABASE NAME=veltra", "OPEN USER NAME=dbo", "OPEN ODBC DSN=Veltra",
                                "OPEN SQLPASSTHRU MODE=SHARED AUTOCOMMIT", "ALIAS Veltra- Net",  // empty ones left out
                                "TYPE STANDARD", "INFO TYPE=STANDARD", "INFO PATH=C:\\Veltra\\Dane \x9D\xA2\x64\xAB",
                                "INFO DEFAULT DRIVER=FOXPRO", "INFO ENABLE BCD=FALSE", "ALIAS Obce", "TYPE ORACLE",
                                "INFO TYPE=ORACLE", "OPEN SERVER NAME= ORCL ", "OPEN password=a;b"}));

    // The next run reads them back and modifies only the stored entries named.
    auto session = Started();
    EXPECT_EQ(Names(*session), (Strings{"X Veltra- RN", "Veltra- Net", "Obce"}));
    EXPECT_EQ(session->GetAliasDriverName("veltra- net"), "STANDARD");
    EXPECT_EQ(session->GetAliasDriverName("X VELTRA- RN"), "SQL Native Client");
    EXPECT_EQ(Params(*session, "Veltra- Net"), (Strings{"PATH=C:\\Veltra\\Dane Łódź", "DEFAULT DRIVER=FOXPRO"}));

    session->ModifyAlias("x veltra- rn", {"odbc dsn=Nowe \"x\"; y ", "NEW ENTRY=x", "DATABASE NAME=", "USER NAME"});
    session->ModifyAlias("Veltra- Net", {"PATH=D:\\Dane", "TYPE=ORACLE", "ENABLE BCD=TRUE"});
    EXPECT_EQ(Params(*session, "X Veltra- RN"), (Strings{"DATABASE NAME=", "USER NAME=dbo", "ODBC DSN=Nowe \"x\"; y ",
                                                      "SQLPASSTHRU MODE=SHARED AUTOCOMMIT"}));
    EXPECT_EQ(session->GetAliasDriverName("Veltra- Net"), "STANDARD");
    EXPECT_EQ(Params(*session, "Veltra- Net"), (Strings{"PATH=D:\\Dane", "DEFAULT DRIVER=FOXPRO"}));
    EXPECT_EQ(OpenCursors(), 0);
}

TEST_F(IdapiBackendTest, EngineThatFailsToStartOrAFileThatCannotBeCheckedRefusesTheStart) {
    WriteConfig("#awaria\n");
    for (const bool uncheckable : {false, true}) {
        if (uncheckable) files.SetUncheckable(configPath);
        TSession session(registry, files, loader);
        EXPECT_THAT(ErrorText([&] { session.SetConfigMode(cmPersistent); }),
                    AllOf(HasSubstr(configPath), HasSubstr(uncheckable ? FakeFileSystem::AccessDenied
                                                                       : "Cannot load the configuration file. (DbiInitFn")));
        EXPECT_FALSE(session.Active());
        EXPECT_THROW(session.SaveConfigFile(), Exception);
    }
    EXPECT_EQ(SavedLines(), Strings{"#awaria"});
}

// Each failing call raises the engine's text with the call and the alias.
TEST_F(IdapiBackendTest, EngineErrorsNameTheCallAndTheAlias) {
    WriteConfig("ALIAS A\nTYPE ORACLE\nINFO TYPE=ORACLE\nOPEN USER NAME=u\n");
    struct Row {
        void (*patch)(TIdapiApi&);
        void (*call)(TAliasBackend&);
        const char* expected[3];
    };
    const Row rows[] = {
        {[](TIdapiApi&) {}, [](TAliasBackend& b) { b.Add("a", "ORACLE", {}); },
         {"Name not unique in this context.", "DbiAddAlias", "alias \"a\""}},
        {[](TIdapiApi&) {}, [](TAliasBackend& b) { b.DriverName("Brak"); },
         {"Unknown database.", "DbiGetDatabaseDesc", "alias \"Brak\""}},
        {[](TIdapiApi&) {}, [](TAliasBackend& b) { b.AddStandard("N", "C:\\", "NIEZNANY"); },  // the engine's to refuse
         {"Unknown driver.", "DbiAddAlias", "alias \"N\""}},
        {[](TIdapiApi& api) { api.ModifyRecord = [](hDBICur, void*, DBIBOOL) -> DBIResult { return 0x2402; }; },
         [](TAliasBackend& b) { b.Modify("A", {"USER NAME=v"}); },
         {"Cannot write the configuration file.", "DbiModifyRecord", "alias \"A\", wpis USER NAME"}},
        {[](TIdapiApi& api) { api.CfgSave = [](hDBICfg, const char*, DBIBOOL) -> DBIResult { return 0x2402; }; },
         [](TAliasBackend& b) { b.Save(); },
         {"Cannot write the configuration file.", "DbiCfgSave", "idapi.cfg"}},
        {[](TIdapiApi& api) {
             api.OpenDatabaseList = [](hDBICur*) -> DBIResult { return 0x2A77; };
             api.GetErrorString = [](DBIResult, char* text) -> DBIResult { return *text = '\0', DBIERR_NONE; };
         },
         [](TAliasBackend& b) { b.Names(); },
         {"błąd 0x2A77", "DbiOpenDatabaseList", "lista aliasów"}},
    };
    for (const Row& row : rows) {
        auto backend = Backend(row.patch);
        const std::string message = ErrorText([&] { row.call(*backend); });
        for (const char* part : row.expected) EXPECT_THAT(message, HasSubstr(part));
        EXPECT_EQ(OpenCursors(), 0) << message;
    }
}

// What the engine's documented conventions cannot carry is refused before
// the first call that writes.
TEST_F(IdapiBackendTest, UnsafeTextIsRefusedAndNothingWritten) {
    WriteConfig("ALIAS A\nTYPE ORACLE\nINFO TYPE=ORACLE\nOPEN USER NAME=u\nOPEN SERVER NAME=s\n");
    static int writes;
    const auto counting = [](TIdapiApi& api) {
        writes = 0;
        api.AddAlias = [](hDBICfg, const char*, const char*, const char*, DBIBOOL) -> DBIResult { return ++writes, 0; };
        api.ModifyRecord = [](hDBICur, void*, DBIBOOL) -> DBIResult { return ++writes, 0; };
    };
    const std::pair<void (*)(TAliasBackend&), const char*> rows[] = {
        {[](TAliasBackend& b) { b.Add("N", "ORACLE", {"USER NAME=€uro"}); }, "\"€uro\" zawiera znaki spoza strony"},
        {[](TAliasBackend& b) { b.Add("N", "ORACLE", {"SERVER NAME=" + std::string(128, 's')}); }, "127 znaków"},
        {[](TAliasBackend& b) { b.Add("Nazwa zbyt dluga, bo ma 32 znaki", "ORACLE", {}); }, "31 znaków"},
        {[](TAliasBackend& b) { b.Add("A\\B", "ORACLE", {}); }, "znak \\"},
        {[](TAliasBackend& b) { b.Modify("A", {"SERVER NAME=ok", "USER NAME=„u”"}); }, "\"„u”\" zawiera znaki"},
    };
    for (const auto& [call, expected] : rows) {
        auto backend = Backend(counting);
        EXPECT_THAT(ErrorText([&] { call(*backend); }),
                    AllOf(HasSubstr(expected), HasSubstr("nic nie zostało zapisane")));
        EXPECT_EQ(writes, 0) << expected;
    }
}

}  // namespace
