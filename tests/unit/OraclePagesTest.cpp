// The Oracle path's pages against fakes: the homes of page 2, the net
// service page over a real-world names file with its edited mark and its
// checks on leaving, and the schema-user lists of page 6 through the engine's
// Oracle driver and the stand-in client library.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "base/Text.h"
#include "fakes/ErrorText.h"
#include "fakes/OracleHome.h"
#include "fakes/RecordingViews.h"
#include "platform/FileSystem.h"
#include "shared/Expected.h"
#include "unit/WizardInputs.h"

namespace {

using testing::HasSubstr;
using Strings = std::vector<std::string>;
using namespace input;

// Entries of several forms, after a stray continuation; only XE.SERWER and
// ZETA can be stored.
const Strings kNamesFile = {
    "  (DESCRIPTION = (ADDRESS_LIST = (ADDRESS = (HOST = x))))",
    "# tnsnames.ora",
    "",
    "XE.SERWER = (DESCRIPTION = (ADDRESS_LIST = (ADDRESS = (PROTOCOL = TCP)(HOST = serwer)(PORT = 1521)))",
    "    (CONNECT_DATA = (SERVICE_NAME = XE)))",
    "",
    "RONDEL.VELTRA = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = 192.0.2.20)(PORT = 1521)))",
    "lower=(description=(address_list=(address=(protocol=tcp)(host=h)(port=1))))",
    "xe.serwer=(DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=TCP)(HOST=repeated)(PORT=1))))",
    "IFILE = C:\\oracle\\inne.ora",
    "zeta = (DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=TCP)(HOST=księgowość)(PORT=1526)))",
    "\t(CONNECT_DATA=(SERVICE_NAME=ZETA)))",
};
const Strings kUsers = {"SYS", "SYSTEM", "VELTRA_OCHRONA", "VELTRA_RN", "KSIĘGOWOŚĆ"};

class OraclePagesTest : public ::testing::Test {
public:
    // The n-th page of the Oracle path (2 homes, 4 net service, 6 users).
    TForm2& OpenOn(int page) {
        ws.StoreChoice("Server", 1);
        TForm2& form = ws.Open();
        for (int i = 2; i <= page; i += 2) form.ButtonDalej.Click();
        return form;
    }
    // Page 4 over the names file above.
    TForm2& OpenServicePage() {
        const std::string bytes = Utf8ToCp1250(JoinLinesCrLf(kNamesFile));
        admin = SeedOracleHome(ws, {}, &bytes);
        return OpenOn(4);
    }
    // Page 6, the service box naming the stand-in's one service.
    TForm2& OpenUserPage() {
        ws.Loader.MapPath("oci.dll", OCI_STANDIN_PATH);
        const std::string names = "veltra=(DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=TCP)(HOST=h)(PORT=1))))\r\n";
        SeedOracleHome(ws, {}, &names);
        return OpenOn(6);
    }

    static Strings Entry(const TForm2& form) {
        return {form.ClientDataSet1Name().AsString(), form.ClientDataSet1ADDR_ADDR_PROT().AsString(),
                form.ClientDataSet1ADDR_ADDR_HOST().AsString(), form.ClientDataSet1ADDR_ADDR_PORT().AsString(),
                form.ClientDataSet1CONN_SERV().AsString()};
    }
    static std::vector<Strings> UserLists(const TForm2& form) {
        return {form.ComboBoxUserOchrona.Items().ToVector(), form.ComboBoxUserRN.Items().ToVector(),
                form.ComboBoxUserLiczniki.Items().ToVector()};
    }

    WizardWorkstation ws;
    std::string admin;
};

TInput Pick(int index) { return Do([index](TForm2& f) { f.ComboBoxOracleHome.UserPick(index); }); }

// Page 2: the homes listed, then the picked home's name, bundle, language and folder.
std::string Homes(const TForm2& form) {
    std::string text = "[";
    for (const std::string& name : form.ComboBoxOracleHome.Items().ToVector()) text += (text.size() > 1 ? "," : "") + name;
    text += "]";
    for (const std::string& field :
         {form.ComboBoxOracleHome.Text(), form.EditBoundle.Text(), form.EditNLS.Text(), form.EditFolderHome.Text()})
        text += " " + (field.empty() ? "-" : field);
    return text;
}

void SeedHomes(WizardWorkstation& ws) {
    // The registry lists the subkeys K1, K2... in that order.
    const char* const values[][3] = {
        {"K1", "ORACLE_HOME_NAME", "Beta"}, {"K1", "ORACLE_HOME", "C:\\b"}, {"K1", "NLS_LANG", "POLISH_POLAND.EE8MSWIN1250"},
        {"K1", "ORACLE_BUNDLE_NAME", "Enterprise"}, {"K2", "ORACLE_HOME_NAME", "Alfa"}, {"K2", "ORACLE_HOME", "C:\\a"},
        {"K3", "ORACLE_HOME_NAME", "Beta"}, {"K3", "ORACLE_HOME", "C:\\b2"}, {"K4", "ORACLE_HOME", "C:\\no-name"},
        {"K5", "ORACLE_HOME_NAME", "No folder"}, {"K6\\Deeper", "ORACLE_HOME_NAME", "Too deep"}, {"K6\\Deeper", "ORACLE_HOME", "C:\\deep"},
    };
    for (const auto& [subkey, name, value] : values)
        ws.Registry.SetString(reg::HKeyLocalMachine, std::string(expected::OracleKey.Path) + "\\" + subkey, name, value);
}

struct HomesCase {
    const char* Name;
    void (*Before)(WizardWorkstation&);
    std::vector<TInput> Inputs;
    Strings Recorded;  // on arrival, then after each input
};

const std::string kEnterprise = " Enterprise POLISH_POLAND.EE8MSWIN1250 ";
const HomesCase HomesCases[] = {
    // Listed sorted; each pick reads its own home, a value the home lacks
    // leaves the field as it was; coming back rebuilds the list and selects
    // the first home again.
    {"ListedSortedAndEachFindsItsOwnSubkey", SeedHomes, {Pick(1), Pick(2), Pick(0), Pick(2), Wstecz, Dalej},
     {"[Alfa,Beta,Beta] Alfa - - C:\\a", "[Alfa,Beta,Beta] Beta" + kEnterprise + "C:\\b",
      "[Alfa,Beta,Beta] Beta" + kEnterprise + "C:\\b2", "[Alfa,Beta,Beta] Alfa" + kEnterprise + "C:\\a",
      "[Alfa,Beta,Beta] Beta" + kEnterprise + "C:\\b2", "[Alfa,Beta,Beta] Beta" + kEnterprise + "C:\\b2",
      "[Alfa,Beta,Beta] Alfa" + kEnterprise + "C:\\a"}},
    {"NoOracleKeyLeavesTheListEmptyAValueOfAnotherTypeIsShown", [](WizardWorkstation&) {},
     {World([](WizardWorkstation& ws) {
          ws.Registry.SetString(reg::HKeyLocalMachine, std::string(expected::OracleKey.Path) + "\\K1", "ORACLE_HOME", "C:\\a");
          ws.Registry.SetDword(reg::HKeyLocalMachine, std::string(expected::OracleKey.Path) + "\\K1", "ORACLE_HOME_NAME", 7);
      }),
      Wstecz, Dalej},
     {"[] - - - -", "[] - - - -", "[] - - - -", "[] - - - -", "! Niepoprawny typ danych : ORACLE_HOME_NAME."}},
};

class OracleHomesTest : public OraclePagesTest, public ::testing::WithParamInterface<HomesCase> {};

// The homes are only read: every key below ORACLE opened for reading, and let go.
TEST_P(OracleHomesTest, RecordsTheListAndThePickedHome) {
    GetParam().Before(ws);
    const TForm2& form = OpenOn(2);
    Strings tape = {Homes(form)};
    for (const std::string& text : ws.Errors()) tape.push_back("! " + text);
    RecordInto(tape, ws, GetParam().Inputs, Homes);
    EXPECT_EQ(tape, GetParam().Recorded);
    EXPECT_EQ(ws.Registry.OpenKeyCount(), 0);
    for (const fakereg::OpenRecord& open : ws.Registry.Opens())
        EXPECT_TRUE(open.Path.rfind(expected::OracleKey.Path, 0) != 0 || (open.Access == reg::KeyRead && !open.CanCreate))
            << open.Path;
}

INSTANTIATE_TEST_SUITE_P(Homes, OracleHomesTest, ::testing::ValuesIn(HomesCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(OraclePagesTest, SchemaUsersComeOnceFromTheAliasesOfTheCurrentPrefix) {
    TForm2& form = OpenOn(0);
    const std::string stem = WizardProbe::AliasPrefix(form) + "Veltra- ";
    ws.Session.AddAlias(UpperCase(stem) + "OCHRONA", "ORACLE", {"SERVER NAME=X", "USER NAME=OCHR"});
    ws.Session.AddAlias(stem + "RN", "ORACLE", {"USER NAME="});
    ws.Session.AddAlias(stem + "RN- Liczniki", "ORACLE", {"USER NAME=LICZ"});
    ws.Session.AddAlias("Veltra- RN", "ORACLE", {"USER NAME=UNPREFIXED"});

    form.ButtonDalej.Click();
    EXPECT_EQ((Strings{form.ComboBoxUserOchrona.Text(), form.ComboBoxUserRN.Text(), form.ComboBoxUserLiczniki.Text()}),
              (Strings{"OCHR", "VELTRA_RN", "LICZ"}));
    // A name typed afterwards survives the page's next showing.
    form.ComboBoxUserOchrona.SetText("TYPED");
    form.ButtonWstecz.Click();
    form.ButtonDalej.Click();
    EXPECT_EQ(form.ComboBoxUserOchrona.Text(), "TYPED");
    EXPECT_EQ(ws.Errors(), Strings{});
}

TEST_F(OraclePagesTest, EntriesTheTableCannotKeepAreSkippedAndTheLoadGoesOn) {
    TForm2& form = OpenServicePage();
    EXPECT_EQ(ws.Errors(), Strings{});
    EXPECT_EQ(form.ComboBoxOracleServer.Items().ToVector(), (Strings{"XE.SERWER", "ZETA"}));
    EXPECT_EQ(form.ComboBoxOracleServer.Text(), "XE.SERWER");
    EXPECT_EQ(form.ClientDataSet1.State(), dsBrowse);
    EXPECT_EQ(Entry(form), (Strings{"XE.SERWER", "TCP", "serwer", "1521", "XE"}));
    EXPECT_EQ(WizardProbe::NetAdminDir(form), admin);
    EXPECT_EQ(WizardProbe::TnsNamesLines(form).Lines(), kNamesFile);

    // Picking the other entry; typing a name in other case starts a new one.
    form.ComboBoxOracleServer.UserPick(1);
    EXPECT_EQ(Entry(form), (Strings{"ZETA", "TCP", "księgowość", "1526", "ZETA"}));
    form.ComboBoxOracleServer.UserType("zeta");
    EXPECT_EQ(form.ClientDataSet1.State(), dsInsert);
    EXPECT_EQ(Entry(form), (Strings{"", "TCP", "", "1521", "XE"}));
    EXPECT_FALSE(WizardProbe::ServiceTableEdited(form));
}

// A names file of many entries reaches the page's controls once, not once per
// entry: the window refills its whole list on every change of the items.
TEST_F(OraclePagesTest, ControlsHearOfAWholeNamesFileOnceAndShowTheChosenEntry) {
    constexpr int kEntries = 60;
    std::string names;
    for (int i = kEntries; i-- > 0;)
        names += "S" + std::to_string(i) + "=(DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=TCP)(HOST=h" +
                 std::to_string(i) + ")(PORT=1521))))\r\n";
    SeedOracleHome(ws, {}, &names);
    TForm2& form = OpenOn(0);
    TRecordingPeer peer;
    peer.Watch({&form.ComboBoxOracleServer, &form.DBEdit2});
    form.ButtonDalej.Click();
    form.ButtonDalej.Click();

    ASSERT_EQ(form.ClientDataSet1.RecordCount(), kEntries);
    const auto changes = [&](TControl& control, TChange change) {
        const auto all = peer.ChangesOf(control);
        return std::count(all.begin(), all.end(), change);
    };
    EXPECT_EQ(changes(form.ComboBoxOracleServer, TChange::Items), 1);
    EXPECT_LE(changes(form.DBEdit2, TChange::Text), 2);
    // Key order without regard to case: "S0" < "S1" < "S10"...
    EXPECT_EQ(form.ComboBoxOracleServer.Items().Count(), kEntries);
    EXPECT_EQ(form.ComboBoxOracleServer.Text(), "S0");
    EXPECT_EQ(form.DBEdit2.Text(), "h0");
}

// The page, then page 4's box, host edit, entries stored and edited mark.
std::string ServicePage(const TForm2& form) {
    return std::to_string(form.PageControl1.ActivePageIndex()) + " " + form.ComboBoxOracleServer.Text() + " " +
           form.DBEdit2.Text() + " n" + std::to_string(form.ClientDataSet1.RecordCount()) +
           (WizardProbe::ServiceTableEdited(form) ? " edited" : "");
}

struct ServicePageCase {
    const char* Name;
    void (*Before)(WizardWorkstation&);
    std::vector<TInput> Inputs;
    Strings Recorded;  // on arrival, then after each input
};

const std::string kTnsNames = OracleHomeSeed().Folder + "\\NETWORK\\ADMIN\\tnsnames.ora";
const std::string kUnreadable = "! Nie można odczytać pliku \"" + kTnsNames + "\": Odmowa dostępu.";
const std::string kNotRead = "! Plik \"" + kTnsNames +
                             "\" nie został wczytany, więc nie można zapisać w nim wpisu serwisu bez utraty pozostałych wpisów.";
TInput Host(const std::string& text) { return Type(&TForm2::DBEdit2, text); }
TInput Box(const std::string& text) { return Type(&TForm2::ComboBoxOracleServer, text); }
const char* const kBadName =
    "! Nazwa serwisu Oracle nie może zawierać spacji, przecinków, znaków sterujących, znaków = ( ) # ani cudzysłowu.";

const ServicePageCase ServicePageCases[] = {
    {"TheMainAliasNamesTheServiceAtTheFirstShowingOnly",
     [](WizardWorkstation& ws) {
         ws.Session.SetConfigMode(cmPersistent);
         ws.Session.AddAlias("X Veltra- RN", "ORACLE", {"SERVER NAME=zeta"});
     },
     {Wstecz, Dalej},
     {"4 ZETA księgowość n2", "2 ZETA księgowość n2", "4 XE.SERWER serwer n2"}},
    // Typing the stored name back drops the change, not the mark.
    {"TheEditedMarkFollowsTheUsersChanges", [](WizardWorkstation&) {},
     {Box("XE.SERWER"), Wstecz, Dalej, Host("inny"), Box("XE.SERWER"), Wstecz, Dalej, Box("NOWY"), Host("inny"),
      Box("XE.SERWER"), Wstecz, Dalej, Box("NOWY"), Box("XE.SERWER")},
     {"4 XE.SERWER serwer n2", "4 XE.SERWER serwer n2", "2 XE.SERWER serwer n2", "4 XE.SERWER serwer n2",
      "4 XE.SERWER inny n2 edited", "4 XE.SERWER inny n2 edited", "2 XE.SERWER serwer n2 edited",
      "4 XE.SERWER serwer n2", "4 NOWY  n2", "4 NOWY inny n2 edited", "4 XE.SERWER serwer n2 edited",
      "2 XE.SERWER serwer n2 edited", "4 XE.SERWER serwer n2", "4 NOWY  n2", "4 XE.SERWER serwer n2"}},
    // A blank inside a field is the user's business.
    {"TextThatWouldBreakTheFileKeepsThePage", [](WizardWorkstation&) {},
     {Box("NOWY SERWIS"), Host("h"), Dalej, Box("NOWY=1"), Host("h"), Dalej, Box("NOWY,INNY"), Host("h"), Dalej,
      Box("XE.SERWER"), Host("h(1)"), Dalej, Box("NOWY"), Host("my host"), Dalej},
     {"4 XE.SERWER serwer n2", "4 NOWY SERWIS  n2", "4 NOWY SERWIS h n2 edited", "4 NOWY SERWIS h n2 edited",
      kBadName, "4 NOWY=1  n2 edited", "4 NOWY=1 h n2 edited", "4 NOWY=1 h n2 edited", kBadName,
      "4 NOWY,INNY  n2 edited", "4 NOWY,INNY h n2 edited", "4 NOWY,INNY h n2 edited", kBadName,
      "4 XE.SERWER serwer n2 edited", "4 XE.SERWER h(1) n2 edited", "4 XE.SERWER h(1) n2 edited",
      "! Pole 'Nazwa lub IP serwera' nie może zawierać znaków sterujących, znaków = ( ) # ani cudzysłowu.",
      "4 NOWY  n2 edited", "4 NOWY my host n2 edited", "6 NOWY my host n3 edited"}},
    // A names file that could not be read is never rewritten from the empty
    // lines: an entry edited over it is refused on leaving and by the apply; an
    // earlier edit is forgotten.
    {"AnUnreadNamesFileIsNeverRewritten", [](WizardWorkstation&) {},
     {Host("inny"), Wstecz, World([](WizardWorkstation& ws) { ws.Files.SetUnreadable(kTnsNames); }), Dalej, Dalej, Wstecz,
      World([](WizardWorkstation& ws) { ws.Files.SetUnreadable(kTnsNames, false); }), Box("NOWY"), Host("serwer"), Dalej,
      Do([](TForm2& f) { f.ButtonWykonajClick(f); })},
     {"4 XE.SERWER serwer n2", "4 XE.SERWER inny n2 edited", "2 XE.SERWER serwer n2 edited", "2 XE.SERWER serwer n2 edited",
      "4 XE.SERWER serwer n2", kUnreadable, "6 XE.SERWER serwer n2", "4 XE.SERWER serwer n2", kUnreadable,
      "4 XE.SERWER serwer n2", "4 NOWY  n2", "4 NOWY serwer n2 edited", "4 NOWY serwer n2 edited", kNotRead,
      "4 NOWY serwer n2 edited", kNotRead}},
};

class ServicePageTest : public OraclePagesTest, public ::testing::WithParamInterface<ServicePageCase> {};

TEST_P(ServicePageTest, RecordsTheBoxTheAddressAndTheMark) {
    GetParam().Before(ws);
    const TForm2& form = OpenServicePage();
    Strings tape = {ServicePage(form)};
    for (const std::string& text : ws.Errors()) tape.push_back("! " + text);
    RecordInto(tape, ws, GetParam().Inputs, ServicePage);
    EXPECT_EQ(tape, GetParam().Recorded);
    EXPECT_EQ(ws.Files.WriteCount(), 0);  // the names file is written by the apply only
}

INSTANTIATE_TEST_SUITE_P(ServicePage, ServicePageTest, ::testing::ValuesIn(ServicePageCases),
                         [](const auto& info) { return std::string(info.param.Name); });

// The apply's writes are in the apply suite; here what is not written.
TEST_F(OraclePagesTest, AnUneditedTableWritesNoNamesFileAndAFailedWriteNamesThePath) {
    TForm2& form = OpenServicePage();
    form.SaveNetServiceEntry();
    EXPECT_EQ(ws.Files.WriteCount(), 0);
    ws.Files.FailNextWrite(FakeFileSystem::AccessDenied);
    EXPECT_THAT(ErrorText([&] { form.UpdateSqlNetFile(); }), HasSubstr(admin + "sqlnet.ora"));
    EXPECT_EQ(form.MemoStatus.Lines().Count(), 0);
}

TEST_F(OraclePagesTest, EveryOpeningOfAUserListLogsInAndFillsTheLists) {
    TForm2& form = OpenUserPage();
    ASSERT_EQ(form.ComboBoxOracleServer.Text(), "VELTRA");
    form.ComboBoxUserLiczniki.UserDropDown();
    EXPECT_EQ(UserLists(form), (std::vector<Strings>{kUsers, kUsers, kUsers}));
    EXPECT_EQ(form.ComboBoxUserOchrona.Text(), "VELTRA_OCHRONA");
    EXPECT_EQ(form.ComboBoxUserLiczniki.Text(), "");
    EXPECT_FALSE(form.Query2.Active());
    const TStringList& params = form.DatabaseOracle.Params;
    EXPECT_EQ((Strings{params.Values("SERVER NAME"), params.Values("USER NAME"), params.Lines().back()}),
              (Strings{"VELTRA", "sysveltra", "password=mnpdarvel"}));

    // A service the client cannot resolve: Ochrona's list empties, silently.
    form.ComboBoxOracleServer.SetText("NIEZNANY");
    form.ComboBoxUserRN.UserDropDown();
    EXPECT_EQ(UserLists(form), (std::vector<Strings>{{}, kUsers, kUsers}));
    EXPECT_EQ(params.Lines().back(), "password=mnpdarvel");
    EXPECT_EQ(ws.Errors(), Strings{});

    // An error while reading is shown with the rows read so far.
    form.Query2.SQL = {"select USERNAME from BROKEN_USERS"};
    form.ComboBoxOracleServer.SetText("VELTRA");
    ws.User([&] { form.ComboBoxUserOchrona.UserDropDown(); });
    EXPECT_EQ(ws.Errors(), Strings{"ORA-03113: end-of-file on communication channel."});
    EXPECT_EQ(UserLists(form), (std::vector<Strings>{{"SYS", "SYSTEM"}, kUsers, kUsers}));
    EXPECT_FALSE(form.Query2.Active());
}

}  // namespace
