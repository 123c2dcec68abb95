// The "ORACLE" driver, real code, against the stand-in client library built
// beside the suites: rows, the client's own error texts and that every OCI
// handle is released and every session logged off, on every way out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/EngineRig.h"
#include "fakes/ErrorText.h"
#include "platform/Registry.h"
#include "shared/Expected.h"

namespace {

using Strings = std::vector<std::string>;

class OracleDriverTest : public testing::Test, protected EngineRig {
protected:
    OracleDriverTest() {
        loader.MapPath("oci.dll", OCI_STANDIN_PATH);
        standin = loader.LoadPathLibrary("oci.dll");  // the suite's own handle, for the counters
        misusesBefore = Count("OciStandinMisuses");
        registry.SetString(reg::HKeyLocalMachine, expected::EngineKey.Path, "CONFIGFILE01", "C:\\a.cfg");
        session.SetConfigMode(cmPersistent);
        // The form's Oracle connection after the schema list set its login.
        database.DatabaseName = query.DatabaseName = "_Oracle";
        database.DriverName = "ORACLE";
        database.Params.Lines() = expected::OracleParams;
        database.Params.SetValue("SERVER NAME", "veltra");
        database.Params.SetValue("USER NAME", "sysveltra");
        database.Params.SetValue("password", "mnpdarvel");
        query.SQL = {"select USERNAME from DBA_USERS", "/* where DEFAULT_TABLESPACE= 'USERS'*/", ""};
    }

    int Count(const char* counter) { return standin->Get<int (*)()>(counter)(); }
    void ExpectAllReleased() {
        EXPECT_EQ(Count("OciStandinLiveHandles"), 0);
        EXPECT_EQ(Count("OciStandinLogons"), 0);
        EXPECT_EQ(Count("OciStandinMisuses"), misusesBefore);
    }

    std::unique_ptr<TLibrary> standin;
    int misusesBefore = 0;
};

TEST_F(OracleDriverTest, SchemaUserQueryLogsInAtEveryOpeningOnTheLibraryLoadedOnce) {
    Strings users;
    for (query.Open(); !query.Eof(); query.Next()) users.push_back(query.FieldByName("USERNAME"));
    EXPECT_EQ(users, (Strings{"SYS", "SYSTEM", "VELTRA_OCHRONA", "VELTRA_RN", "KSIĘGOWOŚĆ"}));
    EXPECT_EQ(Count("OciStandinLogons"), 1);  // the session lives as long as the open query
    query.Close();
    ExpectAllReleased();

    query.Open();
    EXPECT_EQ(query.FieldByName("username"), "SYS");
    query.Close();
    ExpectAllReleased();
    // The suite's own load plus the driver's one.
    EXPECT_EQ(loader.PathRequests(), (Strings{"oci.dll", "oci.dll"}));
    EXPECT_EQ(loader.LoadedCount(), 2);
}

TEST_F(OracleDriverTest, FailuresRaiseTheClientsTextAndReleaseEverything) {
    const char* const users = "select USERNAME from DBA_USERS";
    const struct {
        const char *param, *value, *sql, *message;
    } cases[] = {
        {"PASSWORD", "zle", users, "ORA-01017: invalid username/password; logon denied"},
        {"USER NAME", "scott", users, "ORA-01017: invalid username/password; logon denied"},
        {"SERVER NAME", "NIEZNANY", users, "ORA-12154: TNS:could not resolve the connect identifier specified"},
        // After logging in.
        {"SERVER NAME", "veltra", "select USERNAME from ALL_USERS", "ORA-00942: table or view does not exist"},
        {"SERVER NAME", "veltra", "update DBA_USERS set USERNAME = 'X'", "ORA-00900: invalid SQL statement"},
    };
    const TStringList login = database.Params;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        database.Params = login;
        database.Params.SetValue(c.param, c.value);
        query.SQL = {c.sql};
        EXPECT_EQ(ErrorText([&] { query.Open(); }), c.message);
        ExpectAllReleased();
    }
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

}  // namespace
