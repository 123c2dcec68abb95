// The installed engine's library as the session's alias backend, against the
// stand-in library and against single entry points the tests replace.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "engine/IdapiAliasBackend.h"
#include "engine/Session.h"
#include "fakes/DlLoader.h"
#include "fakes/ErrorText.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeRegistry.h"
#include "platform/Registry.h"
#include "base/Text.h"
#include "shared/Expected.h"

namespace {

const std::string kEngineKey = expected::EngineKey.Path;
const std::string kLibrary = "C:\\BDE\\idapi32.dll";
const TStringList kSqlParams{"DATABASE NAME=veltra", "USER NAME=dbo", "ODBC DSN=Veltra",
                             "SQLQRYMODE=", "SQLPASSTHRU MODE=SHARED AUTOCOMMIT"};

class IdapiBackendTest : public testing::Test {
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

    std::unique_ptr<TSession> Started() {
        auto session = std::make_unique<TSession>(registry, files, loader);
        session->SetConfigMode(cmPersistent);
        return session;
    }

    // The engine backend over the stand-in, with entry points a test may replace.
    template <class Patch>
    std::unique_ptr<TIdapiAliasBackend> Backend(Patch patch) {
        auto library = loader.LoadLibraryFile(kLibrary);
        TIdapiApi api = ResolveIdapiApi(*library);
        patch(api);
        return std::make_unique<TIdapiAliasBackend>(api, configPath, std::move(library));
    }

    void WriteConfig(const std::string& text) { std::ofstream(configPath) << text; }
    std::vector<std::string> SavedLines() const {
        std::vector<std::string> lines;
        std::ifstream in(configPath);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    int OpenCursors() {
        auto library = loader.LoadLibraryFile(kLibrary);
        return library->Get<int (*)()>("StandinOpenCursors")();
    }

    std::string folder, configPath;
    FakeRegistryFactory registry;
    FakeFileSystem files;
    DlLoader loader;
};

TEST_F(IdapiBackendTest, InstalledEngineKeepsTheAliasesInItsOwnFile) {
    {
        auto session = Started();
        session->AddAlias("X Veltra- RN", "SQL Native Client", kSqlParams);
        session->AddStandardAlias("Veltra- Net", "C:\\Veltra\\Dane Łódź", "FOXPRO");
        session->AddAlias("Obce", "ORACLE", {"SERVER NAME= ORCL ", "password=a;b"});
        session->SaveConfigFile();
    }
    EXPECT_EQ(loader.FileRequests(), (std::vector<std::string>{"C:\\Nic\\idapi32.dll", kLibrary}));
    EXPECT_EQ(files.WriteAttempts(), 0);
    EXPECT_EQ(SavedLines(), (std::vector<std::string>{
                                "ALIAS X Veltra- RN", "TYPE SQL Native Client", "INFO TYPE=SQL Native Client",
                                "OPEN DATABASE NAME=veltra", "OPEN USER NAME=dbo", "OPEN ODBC DSN=Veltra",
                                "OPEN SQLPASSTHRU MODE=SHARED AUTOCOMMIT", "ALIAS Veltra- Net",  // empty ones left out
                                "TYPE STANDARD", "INFO TYPE=STANDARD", "INFO PATH=C:\\Veltra\\Dane \x9D\xA2\x64\xAB",
                                "INFO DEFAULT DRIVER=FOXPRO", "INFO ENABLE BCD=FALSE", "ALIAS Obce", "TYPE ORACLE",
                                "INFO TYPE=ORACLE", "OPEN SERVER NAME= ORCL ", "OPEN password=a;b"}));

    // The next run reads them back and modifies only the stored entries named.
    auto session = Started();
    TStringList list{"stale"};
    session->GetAliasNames(list);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"X Veltra- RN", "Veltra- Net", "Obce"}));
    EXPECT_EQ(session->GetAliasDriverName("veltra- net"), "STANDARD");
    EXPECT_EQ(session->GetAliasDriverName("X VELTRA- RN"), "SQL Native Client");
    session->GetAliasParams("Veltra- Net", list);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"PATH=C:\\Veltra\\Dane Łódź", "DEFAULT DRIVER=FOXPRO"}));

    session->ModifyAlias("x veltra- rn", {"odbc dsn=Nowe \"x\"; y ", "NEW ENTRY=x", "DATABASE NAME=", "USER NAME"});
    session->ModifyAlias("Veltra- Net", {"PATH=D:\\Dane", "TYPE=ORACLE", "ENABLE BCD=TRUE"});
    session->GetAliasParams("X Veltra- RN", list);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"DATABASE NAME=", "USER NAME=dbo", "ODBC DSN=Nowe \"x\"; y ",
                                                      "SQLPASSTHRU MODE=SHARED AUTOCOMMIT"}));
    EXPECT_EQ(session->GetAliasDriverName("Veltra- Net"), "STANDARD");
    session->GetAliasParams("Veltra- Net", list);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"PATH=D:\\Dane", "DEFAULT DRIVER=FOXPRO"}));
    EXPECT_EQ(OpenCursors(), 0);
}

TEST_F(IdapiBackendTest, EngineThatFailsToStartOrAFileThatCannotBeCheckedRefusesTheStart) {
    WriteConfig("#awaria\n");
    for (const bool uncheckable : {false, true}) {
        if (uncheckable) files.SetUncheckable(configPath);
        TSession session(registry, files, loader);
        const std::string message = ErrorText([&] { session.SetConfigMode(cmPersistent); });
        EXPECT_NE(message.find(configPath), std::string::npos) << message;
        EXPECT_NE(
            message.find(uncheckable ? FakeFileSystem::AccessDenied : "Cannot load the configuration file. (DbiInitFn"),
            std::string::npos)
            << message;
        EXPECT_FALSE(session.Active());
        EXPECT_THROW(session.SaveConfigFile(), Exception);
    }
    EXPECT_EQ(SavedLines(), std::vector<std::string>{"#awaria"});
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
        for (const char* part : row.expected) EXPECT_NE(message.find(part), std::string::npos) << message;
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
        const std::string message = ErrorText([&] { call(*backend); });
        EXPECT_NE(message.find(expected), std::string::npos) << message;
        EXPECT_NE(message.find("nic nie zostało zapisane"), std::string::npos) << message;
        EXPECT_EQ(writes, 0) << message;
    }
}

// OWLNext's loader of IDAPI32.DLL (owlfx bdeapi.cpp) and BDE.INT name the
// exports: "DbiInitFn", never the header macro "DbiInit".
TEST_F(IdapiBackendTest, EntryPointsAreResolvedByTheNamesTheLibraryExports) {
    struct Recording : TLibrary {
        void* Proc(const char* name) override { return names.insert(name), inner->Proc(name); }
        std::unique_ptr<TLibrary> inner;
        std::set<std::string> names;
    } recording;
    recording.inner = loader.LoadLibraryFile(kLibrary);
    ResolveIdapiApi(recording);
    EXPECT_EQ(recording.names, (std::set<std::string>{"DbiAddAlias", "DbiCfgSave", "DbiCloseCursor", "DbiExit",
                                "DbiGetDatabaseDesc", "DbiGetErrorString", "DbiGetNextRecord", "DbiInitFn",
                                "DbiModifyRecord", "DbiOpenCfgInfoList", "DbiOpenDatabaseList"}));
}

}  // namespace
