// Connection and query components over a scripted driver: how a query finds
// its connection, what it hands the driver and how it steps through rows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/EngineRig.h"
#include "fakes/ErrorText.h"
#include "fakes/ScriptDriver.h"
#include "platform/Registry.h"
#include "shared/Expected.h"

namespace {

class QueryTest : public testing::Test, protected EngineRig {
protected:
    QueryTest() {
        registry.SetString(reg::HKeyLocalMachine, expected::EngineKey.Path, "CONFIGFILE01", "C:\\a.cfg");
        session.SetConfigMode(cmPersistent);
        session.SetDriver("ORACLE", std::make_unique<ScriptDriver>(script));
        database.DatabaseName = "_Oracle";
        database.DriverName = "ORACLE";
        query.DatabaseName = "_ORACLE";
    }

    Script script;
};

// What the driver is handed: WizardDesignTest.SchemaQueryRunsOnTheOracleConnectionWithItsCommentSentAsIs.
TEST_F(QueryTest, OpenRunsTheTextOnTheNamedConnectionAndStepsThroughRows) {
    script.rows = {{"SYS", "1"}, {"VELTRA_RN", "22"}};
    query.Open();
    EXPECT_EQ(script.sql.size(), 1u);
    EXPECT_TRUE(query.Active());
    EXPECT_TRUE(database.Connected());

    std::vector<std::string> seen;
    for (; !query.Eof(); query.Next()) seen.push_back(query.FieldByName("name") + "/" + query.FieldByName("SIZE"));
    EXPECT_EQ(seen, (std::vector<std::string>{"SYS/1", "VELTRA_RN/22"}));
    query.Next();  // at the end Next stays there
    EXPECT_TRUE(query.Eof());

    query.Close();
    EXPECT_FALSE(query.Active());
    EXPECT_FALSE(database.Connected());
    EXPECT_EQ(script.liveCursors, 0);
}

TEST_F(QueryTest, EmptyResultIsAtItsEndReopeningClosesTheEarlierResultAndAClosedOneRefusesReading) {
    query.Open();
    EXPECT_TRUE(query.Active());
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(query.FieldByName("NAME"), "");
    script.rows = {{"A", "1"}};
    query.Open();
    EXPECT_EQ(script.liveCursors, 1);
    EXPECT_EQ(query.FieldByName("NAME"), "A");
    EXPECT_EQ(ErrorText([&] { query.FieldByName("USERNAMEX"); }), "Pole \"USERNAMEX\" nie istnieje w wyniku zapytania");
    query.Close();
    EXPECT_THROW(query.FieldByName("NAME"), Exception);
    EXPECT_THROW(query.Next(), Exception);
}

TEST_F(QueryTest, DriverErrorsCarryTheDriversTextAndLeaveTheQueryClosed) {
    script.executeError = "ORA-01017: invalid username/password; logon denied";
    EXPECT_EQ(ErrorText([&] { query.Open(); }), script.executeError);
    EXPECT_FALSE(query.Active());
    EXPECT_FALSE(database.Connected());

    // An error on the first row closes it as well; one further on keeps it for Close.
    script.executeError.clear();
    script.rows = {{"A", "1"}, {"B", "2"}};
    for (int failing : {0, 1}) {
        script.fetchErrorAt = failing;
        EXPECT_EQ(ErrorText([&] {
                      query.Open();
                      EXPECT_EQ(query.FieldByName("NAME"), "A");
                      query.Next();
                  }),
                  "ORA-03113: end-of-file on communication channel");
        EXPECT_EQ(query.Active(), failing == 1);
        EXPECT_EQ(script.liveCursors, failing == 1 ? 1 : 0);
        query.Close();
        EXPECT_EQ(script.liveCursors, 0);
    }
}

TEST_F(QueryTest, ConnectionIsFoundByNameOnlyWhileItExists) {
    query.DatabaseName = "_TmpDatabase";
    EXPECT_NE(ErrorText([&] { query.Open(); }).find("\"_TmpDatabase\""), std::string::npos);
    {
        TDatabase other(session);
        other.DatabaseName = "_tmpdatabase";
        other.DriverName = "oracle";
        query.Open();
        EXPECT_TRUE(query.Active());
        query.Close();
        EXPECT_EQ(session.FindDatabase("_TMPDATABASE"), &other);
    }
    EXPECT_EQ(session.FindDatabase("_TmpDatabase"), nullptr);
    EXPECT_THROW(query.Open(), Exception);
    EXPECT_EQ(script.sql.size(), 1u);
}

TEST_F(QueryTest, QueriesNeedAStartedEngine) {
    TSession idle(registry, files, loader);
    idle.SetDriver("ORACLE", std::make_unique<ScriptDriver>(script));
    TDatabase db(idle);
    db.DatabaseName = "_Oracle";
    db.DriverName = "ORACLE";
    TQuery q(idle);
    q.DatabaseName = "_Oracle";
    EXPECT_NE(ErrorText([&] { q.Open(); }).find("nie został uruchomiony"), std::string::npos);
    EXPECT_TRUE(script.sql.empty());
}

}  // namespace
