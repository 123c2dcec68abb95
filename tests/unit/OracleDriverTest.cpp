// The "ORACLE" driver, real code, against the stand-in client library built
// beside the suites: rows, the client's own error texts and that every OCI
// handle is released and every session logged off, on every way out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/Database.h"
#include "engine/Query.h"
#include "engine/Session.h"
#include "fakes/EngineRig.h"
#include "fakes/ErrorText.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeRegistry.h"
#include "platform/Registry.h"
#include "shared/Expected.h"

namespace {

class OracleDriverTest : public testing::Test, protected EngineRig {
protected:
    OracleDriverTest() {
        loader.MapPath("oci.dll", OCI_STANDIN_PATH);
        // The suite's own handle on the stand-in, for its counters.
        standin = loader.LoadPathLibrary("oci.dll");
        liveHandles = standin->Get<int (*)()>("OciStandinLiveHandles");
        misuses = standin->Get<int (*)()>("OciStandinMisuses");
        logons = standin->Get<int (*)()>("OciStandinLogons");
        misusesBefore = misuses();

        registry.SetString(reg::HKeyLocalMachine, expected::EngineKey.Path, "CONFIGFILE01", "C:\\a.cfg");
        session.SetConfigMode(cmPersistent);
        // The form's Oracle connection after the schema list set its login.
        database.DatabaseName = "_Oracle";
        database.DriverName = "ORACLE";
        database.Params.Lines() = expected::OracleParams;
        database.Params.SetValue("SERVER NAME", "veltra");
        database.Params.SetValue("USER NAME", "sysveltra");
        database.Params.SetValue("password", "mnpdarvel");
        query.DatabaseName = "_Oracle";
        query.SQL = {"select USERNAME from DBA_USERS", "/* where DEFAULT_TABLESPACE= 'USERS'*/", ""};
    }

    void ExpectAllReleased() {
        EXPECT_EQ(liveHandles(), 0);
        EXPECT_EQ(logons(), 0);
        EXPECT_EQ(misuses(), misusesBefore);
    }

    std::unique_ptr<TLibrary> standin;
    int (*liveHandles)() = nullptr;
    int (*misuses)() = nullptr;
    int (*logons)() = nullptr;
    int misusesBefore = 0;

};

TEST_F(OracleDriverTest, SchemaUserQueryReturnsTheUsersInOrder) {
    std::vector<std::string> users;
    for (query.Open(); !query.Eof(); query.Next()) users.push_back(query.FieldByName("USERNAME"));
    EXPECT_EQ(users, (std::vector<std::string>{"SYS", "SYSTEM", "VELTRA_OCHRONA", "VELTRA_RN", "KSIĘGOWOŚĆ"}));
    EXPECT_EQ(logons(), 1);  // the session lives as long as the open query
    query.Close();
    ExpectAllReleased();

    // Each opening logs in afresh.
    query.Open();
    EXPECT_EQ(query.FieldByName("username"), "SYS");
    query.Close();
    ExpectAllReleased();
}

struct Failure {
    const char* param;
    const char* value;
    const char* message;
};

class OracleFailureTest : public OracleDriverTest, public testing::WithParamInterface<Failure> {};

TEST_P(OracleFailureTest, RaisesTheClientsTextAndReleasesEverything) {
    database.Params.SetValue(GetParam().param, GetParam().value);
    EXPECT_EQ(ErrorText([&] { query.Open(); }), GetParam().message);
    EXPECT_FALSE(query.Active());
    ExpectAllReleased();
}

INSTANTIATE_TEST_SUITE_P(
    Login, OracleFailureTest,
    testing::Values(Failure{"PASSWORD", "zle", "ORA-01017: invalid username/password; logon denied"},
                    Failure{"USER NAME", "scott", "ORA-01017: invalid username/password; logon denied"},
                    Failure{"SERVER NAME", "NIEZNANY", "ORA-12154: TNS:could not resolve the connect identifier specified"}));

TEST_F(OracleDriverTest, UnknownTableRaisesAfterLoggingInAndLogsOff) {
    query.SQL = {"select USERNAME from ALL_USERS"};
    EXPECT_EQ(ErrorText([&] { query.Open(); }), "ORA-00942: table or view does not exist");
    ExpectAllReleased();
    query.SQL = {"update DBA_USERS set USERNAME = 'X'"};
    EXPECT_EQ(ErrorText([&] { query.Open(); }), "ORA-00900: invalid SQL statement");
    ExpectAllReleased();
}

TEST_F(OracleDriverTest, ErrorWhileReadingRowsKeepsTheRowsReadBefore) {
    query.SQL = {"select USERNAME from BROKEN_USERS"};
    query.Open();
    EXPECT_EQ(query.FieldByName("USERNAME"), "SYS");
    query.Next();
    EXPECT_EQ(query.FieldByName("USERNAME"), "SYSTEM");
    EXPECT_EQ(ErrorText([&] { query.Next(); }), "ORA-03113: end-of-file on communication channel");
    query.Close();
    ExpectAllReleased();
}

TEST_F(OracleDriverTest, LibraryIsLoadedOnceAlongThePath) {
    query.Open();
    query.Close();
    query.Open();
    query.Close();
    // The suite's own load plus the driver's one.
    EXPECT_EQ(loader.PathRequests(), (std::vector<std::string>{"oci.dll", "oci.dll"}));
    EXPECT_EQ(loader.LoadedCount(), 2);
}

}  // namespace
