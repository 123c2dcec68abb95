// "Wykonaj" on the Oracle path, driven through the pages with the stand-in
// client: the status log line by line, the network files, and the seven
// aliases in the saved configuration file, none of them given the user
// list's password.
#include <gtest/gtest.h>

#include "engine/AliasStore.h"
#include "fakes/OracleHome.h"
#include "fakes/WizardHarness.h"
#include "platform/Text.h"

namespace {

using Strings = std::vector<std::string>;

const Strings kModules = {"Veltra- Ochrona",     "Veltra- RN",          "Veltra- RN- Faktury", "Veltra- RN- Magistr",
                          "Veltra- RN- Odbiorcy", "Veltra- RN- Odczyty", "Veltra- RN- Liczniki"};

// What an Oracle alias receives, written out in full; an empty user has no
// line, a user set again after that stands last.
Strings OracleAliasParams(const std::string& user, bool userLast = false) {
    Strings params = {"SERVER NAME=NOWY.SERWIS"};
    if (!user.empty() && !userLast) params.push_back("USER NAME=" + user);
    for (const char* p : {"NET PROTOCOL=TNS", "OPEN MODE=READ/WRITE", "SCHEMA CACHE SIZE=8", "LANGDRIVER=anpolish",
                          "SQLQRYMODE=", "SQLPASSTHRU MODE=SHARED AUTOCOMMIT", "SCHEMA CACHE TIME=-1", "MAX ROWS=-1",
                          "BATCH COUNT=200", "ENABLE SCHEMA CACHE=FALSE", "SCHEMA CACHE DIR=", "ENABLE BCD=FALSE",
                          "ENABLE INTEGERS=TRUE", "LIST SYNONYMS=NONE", "ROWSET SIZE=20", "BLOBS TO CACHE=64",
                          "BLOB SIZE=32", "OBJECT MODE=TRUE"})
        params.push_back(p);
    if (userLast) params.push_back("USER NAME=" + user);
    return params;
}

const std::string kNamesFile = Utf8ToCp1250(
    "# Sieć: zażółć\r\nXE.SERWER =\r\n  (DESCRIPTION =\r\n    (ADDRESS = (PROTOCOL = TCP)(HOST = stary)(PORT = 1521))\r\n"
    "  )\r\n\r\nveltra=(DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=TCP)(HOST=h)(PORT=1))))\r\n");

struct UserCase {
    const char* Name;
    const char* Ochrona;
    const char* Liczniki;
    Strings OchronaParams, MainParams, LicznikiParams;
};

class ApplyOracleTest : public ::testing::TestWithParam<UserCase> {
protected:
    ApplyOracleTest() {
        ws.Loader.MapPath("oci.dll", OCI_STANDIN_PATH);
        ws.Files.AddFolder("C:\\Program Files\\Common Files\\Borland Shared\\BDE");
        admin = SeedOracleHome(ws, {}, &kNamesFile);
    }

    TAliasStore Saved() {
        TAliasStore store;
        store.Load(ws.Files.Bytes(WizardWorkstation::ConfigFile), WizardWorkstation::ConfigFile);
        return store;
    }

    WizardWorkstation ws;
    std::string admin;
};

TEST_P(ApplyOracleTest, WritesTheFilesAndSevenAliasesThenShowsTheLog) {
    const UserCase& c = GetParam();
    ws.StoreChoice("Server", 1);
    ws.StoreChoice("Wersja", 1);
    TForm2& form = ws.Open();
    // An existing alias keeps its own stored password.
    ws.Session.AddAlias("X Veltra- RN- Faktury", "ORACLE", {"SERVER NAME=stary", "USER NAME=u", "PASSWORD=własne"});
    form.ButtonDalej.Click();
    form.ButtonDalej.Click();
    form.ComboBoxOracleServer.UserType("NOWY.SERWIS");
    form.DBEdit2.UserType("db.example");
    form.DBEdit3.UserType("1522");
    form.DBEdit4.UserType("RONDEL");
    form.ButtonDalej.Click();
    form.ComboBoxUserRN.UserDropDown();  // logs in with the fixed password
    form.ComboBoxUserOchrona.SetText(c.Ochrona);
    form.ComboBoxUserLiczniki.SetText(c.Liczniki);
    form.ButtonWykonaj.Click();

    ASSERT_EQ(ws.Errors(), Strings{});
    EXPECT_EQ(form.PageControl2.ActivePage(), &form.TabSheet5);
    Strings log = {"Konfiguracja została utworzona!",
                   "",
                   "  Utworzono plik",
                   "     \"" + admin + "sqlnet.ora\"",
                   "",
                   "  Zmodyfikowano plik",
                   "     \"" + admin + "tnsnames.ora\"",
                   "",
                   " Zmodyfikowano konfigurację BDE."};
    for (const std::string& module : kModules)
        log.push_back(std::string(module == kModules[2] ? "  Zmodyfikowano" : "  Utworzono") + " alias \"X " + module +
                      "\".");
    EXPECT_EQ(form.MemoStatus.Lines().ToVector(), log);

    EXPECT_EQ(ws.Files.Bytes(admin + "sqlnet.ora"),
              "SQLNET.AUTHENTICATION_SERVICES=(NTS)\r\nNAMES.DIRECTORY_PATH=(TNSNAMES)\r\n");
    EXPECT_EQ(ws.Files.Bytes(admin + "tnsnames.ora"),
              kNamesFile +
                  "NOWY.SERWIS =\r\n  (DESCRIPTION =\r\n    (ADDRESS_LIST =\r\n"
                  "      (ADDRESS = (PROTOCOL = TCP)(HOST = db.example)(PORT = 1522))\r\n    )\r\n"
                  "    (CONNECT_DATA =\r\n      (SERVICE_NAME = RONDEL)\r\n    )\r\n  )\r\n");

    const TAliasStore saved = Saved();
    for (std::size_t i = 0; i < kModules.size(); ++i) {
        SCOPED_TRACE(kModules[i]);
        const TAlias* alias = saved.Find("X " + kModules[i]);
        ASSERT_NE(alias, nullptr);
        EXPECT_EQ(alias->Driver, "ORACLE");
        if (i == 2) continue;
        EXPECT_EQ(alias->Params.Lines(), i == 0 ? c.OchronaParams : i == 6 ? c.LicznikiParams : c.MainParams);
    }
    EXPECT_EQ(saved.Find("X Veltra- RN- Faktury")->Params.Lines(),
              (Strings{"SERVER NAME=NOWY.SERWIS", "USER NAME=VELTRA_RN", "PASSWORD=własne"}));
    EXPECT_EQ(saved.Count(), 7u);
    EXPECT_EQ(form.DatabaseOracle.Params.Values("password"), "mnpdarvel");

    // Again: sqlnet.ora is whole now; the entry is replaced where it stands.
    const std::string names = ws.Files.Bytes(admin + "tnsnames.ora");
    form.ButtonWykonajClick(form);
    EXPECT_EQ(form.MemoStatus.Lines().Count(), 13);
    EXPECT_EQ(form.MemoStatus.Lines()[2], "  Zmodyfikowano plik");
    EXPECT_EQ(ws.Files.Bytes(admin + "tnsnames.ora"), names);
    EXPECT_EQ(ws.Files.WriteCount(admin + "sqlnet.ora"), 1);
}

INSTANTIATE_TEST_SUITE_P(
    SchemaUsers, ApplyOracleTest,
    ::testing::Values(UserCase{"OwnOchronaNoLiczniki", "VELTRA_OCHRONA", "", OracleAliasParams("VELTRA_OCHRONA"),
                               OracleAliasParams("VELTRA_RN"), OracleAliasParams("VELTRA_RN")},
                      UserCase{"NoOchronaOwnLiczniki", "", "LICZNIKI", OracleAliasParams(""),
                               OracleAliasParams("VELTRA_RN", true), OracleAliasParams("LICZNIKI", true)}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
