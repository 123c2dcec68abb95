// The engine session: start from the registry, the configuration file, the
// alias operations and the drivers it loads.
#include <gtest/gtest.h>

#include <string>

#include "engine/AliasStore.h"
#include "engine/Session.h"
#include "fakes/DlLoader.h"
#include "fakes/ErrorText.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeRegistry.h"
#include "platform/Registry.h"
#include "shared/Expected.h"

namespace {

const std::string kEngineKey = expected::EngineKey.Path;
const std::string kConfigPath = "C:\\Program Files\\Common Files\\Borland Shared\\BDE\\aliasy.cfg";
const std::string kNotStarted = "nie został uruchomiony";

class SessionTest : public testing::Test {
protected:
    SessionTest() {
        registry.SetString(reg::HKeyLocalMachine, kEngineKey, "CONFIGFILE01", kConfigPath);
        files.AddFolder("C:\\Program Files\\Common Files\\Borland Shared\\BDE");
    }

    // A session over the same registry and files, as the next run of the program sees them.
    std::unique_ptr<TSession> Started() {
        auto session = std::make_unique<TSession>(registry, files, loader);
        session->SetConfigMode(cmPersistent);
        return session;
    }

    static std::string GoodFile() {
        return "# aliasy\r\n"
               "[Veltra- RN]\r\n"
               "DRIVER=SQL Native Client\r\n"
               "ODBC DSN=Veltra\r\n"
               "USER NAME=veltra\r\n"
               "SQLQRYMODE=\r\n"
               "\r\n"
               "[Veltra- Net]\r\n"
               "DRIVER=STANDARD\r\n"
               "PATH=C:\\Veltra\\Dane\r\n"
               "ENABLE BCD=FALSE\r\n"
               "DEFAULT DRIVER=PARADOX\r\n"
               "\r\n"
               "[Obce]\r\n"
               "DRIVER=ORACLE\r\n"
               "SERVER NAME=ORCL\r\n"
               "NOTE=\"  a=b  \"\r\n"
               "PL=zażółć gęślą jaźń\r\n";
    }

    FakeRegistryFactory registry;
    FakeFileSystem files;
    DlLoader loader;
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
    TStringList names;
    session->GetAliasNames(names);
    EXPECT_EQ(names.Lines(), (std::vector<std::string>{"Veltra- RN", "Veltra- Net", "Obce"}));
}

TEST_F(SessionTest, NotRegisteredEngineDoesNotStart) {
    registry.RemoveKey(reg::HKeyLocalMachine, kEngineKey);
    TSession session(registry, files, loader);
    const std::string message = ErrorText([&] { session.SetConfigMode(cmPersistent); });
    EXPECT_NE(message.find("nie jest zarejestrowany"), std::string::npos) << message;
    EXPECT_NE(message.find("CONFIGFILE01"), std::string::npos) << message;
    EXPECT_FALSE(session.Active());
    EXPECT_FALSE(registry.HasKey(reg::HKeyLocalMachine, kEngineKey));  // nothing created

    // The key without the value, or with an empty one, is no better.
    registry.CreateKey(reg::HKeyLocalMachine, kEngineKey);
    EXPECT_NE(ErrorText([&] { session.SetConfigMode(cmPersistent); }).find("CONFIGFILE01"), std::string::npos);
    registry.SetString(reg::HKeyLocalMachine, kEngineKey, "CONFIGFILE01", "");
    EXPECT_NE(ErrorText([&] { session.SetConfigMode(cmPersistent); }).find("CONFIGFILE01"), std::string::npos);
    EXPECT_FALSE(session.Active());
}

TEST_F(SessionTest, AliasCallsOnAnEngineThatDidNotStartRaise) {
    files.AddFile(kConfigPath, GoodFile());
    registry.RemoveKey(reg::HKeyLocalMachine, kEngineKey);
    TSession never(registry, files, loader);  // ConfigMode never set
    TSession failed(registry, files, loader);
    EXPECT_THROW(failed.SetConfigMode(cmPersistent), Exception);

    for (TSession* session : {&never, &failed}) {
        TStringList list{"old"};
        EXPECT_NE(ErrorText([&] { session->GetAliasNames(list); }).find(kNotStarted), std::string::npos);
        EXPECT_NE(ErrorText([&] { session->GetAliasParams("Veltra- RN", list); }).find(kNotStarted), std::string::npos);
        EXPECT_NE(ErrorText([&] { session->GetAliasDriverName("Veltra- RN"); }).find(kNotStarted), std::string::npos);
        EXPECT_NE(ErrorText([&] { session->AddAlias("N", "ORACLE", {}); }).find(kNotStarted), std::string::npos);
        EXPECT_NE(ErrorText([&] { session->AddStandardAlias("N", "C:\\", "PARADOX"); }).find(kNotStarted), std::string::npos);
        EXPECT_NE(ErrorText([&] { session->ModifyAlias("Veltra- RN", {"USER NAME=x"}); }).find(kNotStarted), std::string::npos);
        EXPECT_NE(ErrorText([&] { session->SaveConfigFile(); }).find(kNotStarted), std::string::npos);
        EXPECT_EQ(list.Lines(), std::vector<std::string>{"old"});
    }
    EXPECT_EQ(files.WriteAttempts(), 0);
}

TEST_F(SessionTest, MissingFileIsAnEmptyConfigurationCreatedByTheFirstSave) {
    auto session = Started();
    TStringList names{"stale"};
    session->GetAliasNames(names);
    EXPECT_EQ(names.Count(), 0u);
    EXPECT_FALSE(files.HasFile(kConfigPath));

    session->AddAlias("Veltra- RN", "SQL Native Client", {"ODBC DSN=Veltra", "PASSWORD=m.n.p. darvel"});
    EXPECT_FALSE(files.HasFile(kConfigPath));  // only SaveConfigFile writes
    session->SaveConfigFile();
    EXPECT_EQ(files.WriteCount(kConfigPath), 1);

    auto next = Started();
    TStringList params;
    next->GetAliasParams("veltra- rn", params);
    EXPECT_EQ(params.Lines(), (std::vector<std::string>{"ODBC DSN=Veltra", "PASSWORD=m.n.p. darvel"}));
    EXPECT_EQ(next->GetAliasDriverName("VELTRA- RN"), "SQL Native Client");
}

TEST_F(SessionTest, CorruptFileIsRefusedAndNeverWritten) {
    const std::string corrupt = "[Veltra- RN]\r\nDRIVER=SQL Native Client\r\nODBC DSN\r\n";
    files.AddFile(kConfigPath, corrupt);
    TSession session(registry, files, loader);
    const std::string message = ErrorText([&] { session.SetConfigMode(cmPersistent); });
    EXPECT_NE(message.find(kConfigPath), std::string::npos) << message;
    EXPECT_NE(message.find("wiersz 3"), std::string::npos) << message;
    EXPECT_FALSE(session.Active());

    EXPECT_THROW(session.AddAlias("Nowy", "ORACLE", {}), Exception);
    EXPECT_NE(ErrorText([&] { session.SaveConfigFile(); }).find(kNotStarted), std::string::npos);
    EXPECT_EQ(files.WriteAttempts(), 0);
    EXPECT_EQ(files.Bytes(kConfigPath), corrupt);
}

TEST_F(SessionTest, UnreadableFileIsRefusedWithTheSystemsReason) {
    files.AddFile(kConfigPath, GoodFile());
    files.SetUnreadable(kConfigPath);
    TSession session(registry, files, loader);
    const std::string message = ErrorText([&] { session.SetConfigMode(cmPersistent); });
    EXPECT_NE(message.find(kConfigPath), std::string::npos) << message;
    EXPECT_NE(message.find(FakeFileSystem::AccessDenied), std::string::npos) << message;
    EXPECT_FALSE(session.Active());
    EXPECT_THROW(session.SaveConfigFile(), Exception);
    EXPECT_EQ(files.WriteAttempts(), 0);

    // Once the file can be read, setting the mode again starts the engine.
    files.SetUnreadable(kConfigPath, false);
    session.SetConfigMode(cmPersistent);
    EXPECT_TRUE(session.Active());
}

// Only "not found" may mean an empty configuration: a file that may well be
// there must never be replaced by this run's aliases alone.
TEST_F(SessionTest, FileWhoseExistenceCannotBeCheckedRefusesTheStart) {
    for (const bool present : {true, false}) {
        for (const char* reason : {FakeFileSystem::AccessDenied, "Nie można odnaleźć ścieżki sieciowej."}) {
            FakeFileSystem files;
            if (present) files.AddFile(kConfigPath, GoodFile());
            files.SetUncheckable(kConfigPath, reason);
            TSession session(registry, files, loader);
            const std::string message = ErrorText([&] { session.SetConfigMode(cmPersistent); });
            EXPECT_NE(message.find(kConfigPath), std::string::npos) << message;
            EXPECT_NE(message.find(reason), std::string::npos) << message;
            EXPECT_FALSE(session.Active());
            EXPECT_THROW(session.AddAlias("Nowy", "ORACLE", {}), Exception);
            EXPECT_THROW(session.SaveConfigFile(), Exception);
            EXPECT_EQ(files.WriteAttempts(), 0);
            EXPECT_EQ(files.HasFile(kConfigPath), present);
        }
    }
}

TEST_F(SessionTest, ListsAreClearedAndStandardAliasesShowTheirGeneralEntries) {
    files.AddFile(kConfigPath, GoodFile());
    auto session = Started();
    TStringList list{"left over", "lines"};
    session->GetAliasParams("Veltra- RN", list);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"ODBC DSN=Veltra", "USER NAME=veltra", "SQLQRYMODE="}));
    session->GetAliasParams("veltra- net", list);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"PATH=C:\\Veltra\\Dane", "DEFAULT DRIVER=PARADOX"}));
    EXPECT_EQ(session->GetAliasDriverName("Veltra- Net"), "STANDARD");
    session->GetAliasParams("OBCE", list);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"SERVER NAME=ORCL", "NOTE=  a=b  ", "PL=zażółć gęślą jaźń"}));
}

TEST_F(SessionTest, UnknownAliasNamesRaiseNamingTheAlias) {
    auto session = Started();
    TStringList list;
    for (const auto& message : {ErrorText([&] { session->GetAliasParams("Brak", list); }),
                                ErrorText([&] { session->GetAliasDriverName("Brak"); }),
                                ErrorText([&] { session->ModifyAlias("Brak", {"PATH=x"}); })}) {
        EXPECT_NE(message.find("\"Brak\" nie istnieje"), std::string::npos) << message;
    }
}

TEST_F(SessionTest, AddAliasKeepsSpellingAndRefusesAnExistingNameInAnyCase) {
    auto session = Started();
    session->AddAlias("Kopia Veltra- RN", "ORACLE", {"SERVER NAME=A"});
    session->AddStandardAlias("Veltra- Net", "C:\\Veltra", "PARADOX");
    const std::string message = ErrorText([&] { session->AddAlias("KOPIA VELTRA- RN", "STANDARD", {"PATH=x"}); });
    EXPECT_NE(message.find("już istnieje"), std::string::npos) << message;

    TStringList list;
    session->GetAliasNames(list);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"Kopia Veltra- RN", "Veltra- Net"}));
    EXPECT_EQ(session->GetAliasDriverName("kopia veltra- rn"), "ORACLE");
    session->GetAliasParams("Kopia Veltra- RN", list);
    EXPECT_EQ(list.Lines(), std::vector<std::string>{"SERVER NAME=A"});
    EXPECT_EQ(session->GetAliasDriverName("Veltra- Net"), "STANDARD");
    session->GetAliasParams("Veltra- Net", list);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"PATH=C:\\Veltra", "DEFAULT DRIVER=PARADOX"}));
}

TEST_F(SessionTest, ModifyAliasChangesOnlyTheEntriesTheAliasHas) {
    files.AddFile(kConfigPath, GoodFile());
    auto session = Started();
    session->ModifyAlias("VELTRA- rn", {"user name=sa", "PASSWORD=nowe", "ODBC DSN=", "SQLQRYMODE=SERVER", "bez równości"});
    TStringList list;
    session->GetAliasParams("Veltra- RN", list);
    // Stored spelling and order kept, an empty value stays a line, PASSWORD not added.
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"ODBC DSN=", "USER NAME=sa", "SQLQRYMODE=SERVER"}));
    session->GetAliasParams("Obce", list);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"SERVER NAME=ORCL", "NOTE=  a=b  ", "PL=zażółć gęślą jaźń"}));
}

TEST_F(SessionTest, SaveKeepsUntouchedAliasesAsTheyWere) {
    files.AddFile(kConfigPath, GoodFile());
    TAliasStore before;
    before.Load(GoodFile(), kConfigPath);

    auto session = Started();
    session->ModifyAlias("Veltra- RN", {"USER NAME=inny"});
    session->AddAlias("Nowy", "ORACLE", {"SERVER NAME=X"});
    session->SaveConfigFile();

    TAliasStore after;
    after.Load(files.Bytes(kConfigPath), kConfigPath);
    EXPECT_EQ(after.Names(), (std::vector<std::string>{"Veltra- RN", "Veltra- Net", "Obce", "Nowy"}));
    for (const char* name : {"Veltra- Net", "Obce"}) {
        EXPECT_EQ(after.Find(name)->Driver, before.Find(name)->Driver);
        EXPECT_EQ(after.Find(name)->Params, before.Find(name)->Params) << name;
    }
    EXPECT_EQ(after.Find("Veltra- RN")->Params.Values("USER NAME"), "inny");
}

TEST_F(SessionTest, FailedSaveLeavesTheOldFileAndCanBeRepeated) {
    files.AddFile(kConfigPath, GoodFile());
    auto session = Started();
    session->AddAlias("Nowy", "ORACLE", {});
    files.FailNextWrite();
    const std::string message = ErrorText([&] { session->SaveConfigFile(); });
    EXPECT_NE(message.find(FakeFileSystem::DiskFull), std::string::npos) << message;
    EXPECT_EQ(files.Bytes(kConfigPath), GoodFile());

    session->SaveConfigFile();
    TStringList names;
    Started()->GetAliasNames(names);
    EXPECT_EQ(names.IndexOf("Nowy"), 3);
}

TEST_F(SessionTest, DriversAreLoadedOnceOnFirstUse) {
    auto session = Started();
    TEngineDriver& odbc = session->Driver("sql native client");
    EXPECT_EQ(&session->Driver("SQL Native Client"), &odbc);
    EXPECT_EQ(loader.SystemRequests(), std::vector<std::string>{"odbc32.dll"});
    EXPECT_TRUE(loader.PathRequests().empty());
    EXPECT_EQ(loader.LoadedCount(), 1);
    session.reset();
    EXPECT_EQ(loader.LoadedCount(), 0);
}

TEST_F(SessionTest, MissingLibrariesAndUnknownDriversRaise) {
    auto session = Started();
    const std::string oracle = ErrorText([&] { session->Driver("ORACLE"); });
    EXPECT_NE(oracle.find("oci.dll"), std::string::npos) << oracle;
    EXPECT_EQ(loader.PathRequests(), std::vector<std::string>{"oci.dll"});

    loader.Alias("odbc32.dll", "");
    const std::string odbc = ErrorText([&] { session->Driver("SQL Native Client"); });
    EXPECT_NE(odbc.find("odbc32.dll"), std::string::npos) << odbc;

    // A library that is not the ODBC driver manager lacks its entry points.
    loader.Alias("odbc32.dll", "libm.so.6");
    const std::string wrong = ErrorText([&] { session->Driver("SQL Native Client"); });
    EXPECT_NE(wrong.find("SQLAllocHandle"), std::string::npos) << wrong;
    EXPECT_EQ(loader.LoadedCount(), 0);

    const std::string unknown = ErrorText([&] { session->Driver("PARADOX"); });
    EXPECT_NE(unknown.find("\"PARADOX\""), std::string::npos) << unknown;
}

}  // namespace
