// "Wykonaj" on both paths, driven through the pages: the status log line by
// line, the data source or network files, the seven aliases in the saved
// configuration file with their whole parameter lists, the runs that stop
// before anything is saved; the alias writers on their own; and the answer
// file the unattended run applies.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/Exception.h"
#include "base/Text.h"
#include "engine/AliasStore.h"
#include "fakes/ErrorText.h"
#include "fakes/OdbcSeed.h"
#include "fakes/OracleHome.h"
#include "fakes/WizardHarness.h"
#include "shared/Expected.h"
#include "unattended/AnswerFile.h"

namespace {

using Strings = std::vector<std::string>;

// What every SQL Server alias receives, written out in full.
Strings SqlServerAliasParams(const std::string& database) {
    return expected::Filled(expected::SqlServerParams, {{"DATABASE NAME", database}, {"USER NAME", "veltra"}, {"ODBC DSN", "MSSQL Veltra RN"}});
}

const Strings Modules = expected::ModuleAliases();

TAliasStore Saved(WizardWorkstation& ws) {
    TAliasStore store;
    store.Load(ws.Files.Bytes(WizardWorkstation::ConfigFile), WizardWorkstation::ConfigFile);
    return store;
}

// The status log's lines after its opening ones.
Strings Log(std::initializer_list<std::string> lines) {
    Strings log = {"Konfiguracja została utworzona!", ""};
    log.insert(log.end(), lines);
    return log;
}

// A workstation with the driver and a configuration file, on the database
// page of the SQL Server path as a user filled it in.
struct FilledIn {
    FilledIn(int version, bool testCopy, const std::function<void(WizardWorkstation&)>& seed = {}) {
        odbcseed::RegisterDriver(ws.Registry);
        ws.Files.AddFile(WizardWorkstation::ConfigFile, "");
        if (seed) seed(ws);
        form.RadioGroupWersja.UserSelect(version);
        if (testCopy) form.CheckBoxKopia.UserToggle();
        FillSqlServerPages(form);
    }
    WizardWorkstation ws;
    TForm2& form = ws.Open();
};

class ApplyPrefixTest : public ::testing::TestWithParam<std::tuple<int, bool, const char*>> {};

TEST_P(ApplyPrefixTest, WritesTheDataSourceAndSevenAliasesThenShowsTheLog) {
    const auto [version, testCopy, prefix] = GetParam();
    FilledIn run(version, testCopy, [](WizardWorkstation& w) { w.Session.AddStandardAlias("Veltra- RN", "C:\\Dane", ""); });
    run.form.ButtonWykonaj.Click();

    ASSERT_EQ(run.ws.Errors(), Strings{});
    EXPECT_EQ(run.form.PageControl2.ActivePage(), &run.form.TabSheet5);
    Strings log = Log({"  Utworzono alias \"Veltra- Net\".", " Utworzono źródło danych ODBC \"MSSQL Veltra RN\".",
                       "  Instancja serwera MSSQL: \"SERWER\\SQL\".", "  Logowanie poprzez użytkownika serwera MSSQL.", "",
                       " Zmodyfikowano konfigurację BDE."});
    for (const std::string& module : Modules) log.push_back("  Utworzono alias \"" + (prefix + module) + "\".");
    EXPECT_EQ(run.form.MemoStatus.Lines().ToVector(), log);

    const TAliasStore saved = Saved(run.ws);
    EXPECT_EQ(saved.Count(), 9u);  // with "Veltra- RN" and "Veltra- Net"
    for (const std::string& module : Modules) {
        SCOPED_TRACE(module);
        const TAlias* alias = saved.Find(prefix + module);
        ASSERT_NE(alias, nullptr);
        EXPECT_EQ(alias->Driver, "SQL Native Client");
        EXPECT_EQ(alias->Params.Lines(), SqlServerAliasParams(module == Modules[6] ? "RondelLiczniki" : "Rondel"));
    }

    // Again: everything exists now.
    run.form.ButtonWykonajClick(run.form);
    const Strings again = run.form.MemoStatus.Lines().ToVector();
    ASSERT_EQ(again.size(), 14u);
    EXPECT_EQ(again[2], " Zmodyfikowano źródło danych ODBC \"MSSQL Veltra RN\".");
    for (std::size_t i = 0; i < Modules.size(); ++i)
        EXPECT_EQ(again[7 + i], "  Zmodyfikowano alias \"" + (prefix + Modules[i]) + "\".");
}

INSTANTIATE_TEST_SUITE_P(VersionAndTestCopy, ApplyPrefixTest,
                         ::testing::Values(std::make_tuple(1, false, "X "), std::make_tuple(1, true, "KopiaX "),
                                           std::make_tuple(0, false, "II "), std::make_tuple(0, true, "Kopia ")));

TEST(Apply, AnErrorStopsTheRunWithoutSavingOnTheWizardPage) {
    const Strings opening = Log({});
    const Strings mismatchLog = Log({" Utworzono źródło danych ODBC \"MSSQL Veltra RN\".", "  Instancja serwera MSSQL: \"SERWER\\SQL\".",
                                     "  Logowanie poprzez użytkownika serwera MSSQL.", "", " Zmodyfikowano konfigurację BDE.",
                                     "  Utworzono alias \"X Veltra- Ochrona\"."});
    // An alias of another driver is refused before it is touched; a driver
    // spelled in other letter case is another driver.
    const struct {
        std::function<void(FilledIn&)> seed;
        std::string error;
        Strings log;
    } cases[] = {
        {[](FilledIn& r) { r.ws.Session.AddAlias("X Veltra- RN", "ORACLE", {"SERVER NAME=xe"}); },
         "Alias BDE \"X Veltra- RN\" istnieje i jest innego typu.", mismatchLog},
        {[](FilledIn& r) { r.ws.Session.AddAlias("X Veltra- RN", "sql native client", {"SERVER NAME=xe"}); },
         "Alias BDE \"X Veltra- RN\" istnieje i jest innego typu.", mismatchLog},
        // A closing quotation mark sorts below the full stop: the box adds none.
        {[](FilledIn& r) { r.ws.Registry.RemoveKey(reg::HKeyLocalMachine, odbcseed::DriversKey); },
         "Brak sterownika ODBC \"SQL Native Client\"", opening},
        {[](FilledIn& r) {
             r.form.RadioGroupSerwer.SetItemIndex(1);
             r.form.ComboBoxOracleServer.SetText("XE SERWER");
         },
         "Nazwa serwisu Oracle nie może zawierać spacji, przecinków, znaków sterujących, znaków = ( ) # ani cudzysłowu.", opening},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        FilledIn run(1, false);
        c.seed(run);
        run.ws.User([&] { run.form.ButtonWykonaj.Click(); });
        EXPECT_EQ(run.ws.Errors(), Strings{c.error});
        EXPECT_EQ(run.form.MemoStatus.Lines().ToVector(), c.log);
        EXPECT_EQ(run.ws.Files.WriteCount(), 0);
        EXPECT_EQ(run.form.PageControl2.ActivePage(), &run.form.TabSheet4);
        if (c.log != mismatchLog) continue;
        TStringList kept;
        run.ws.Session.GetAliasParams("X Veltra- RN", kept);
        EXPECT_EQ(kept, TStringList{"SERVER NAME=xe"});
    }
}

// What an Oracle alias receives, written out in full; an empty user has no
// line, a user set again after that stands last.
Strings OracleAliasParams(const std::string& user, bool userLast = false) {
    Strings params = {"SERVER NAME=NOWY.SERWIS"};
    if (!user.empty() && !userLast) params.push_back("USER NAME=" + user);
    params.insert(params.end(), expected::OracleParams.begin() + 2, expected::OracleParams.end());
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

class ApplyOracleTest : public ::testing::TestWithParam<UserCase> {};

TEST_P(ApplyOracleTest, WritesTheFilesAndSevenAliasesThenShowsTheLog) {
    const UserCase& c = GetParam();
    WizardWorkstation ws;
    ws.Loader.MapPath("oci.dll", OCI_STANDIN_PATH);
    ws.Files.AddFolder("C:\\Program Files\\Common Files\\Borland Shared\\BDE");
    const std::string admin = SeedOracleHome(ws, {}, &kNamesFile);
    ws.StoreChoice("Server", 1);
    ws.StoreChoice("Wersja", 1);
    TForm2& form = ws.Open();
    // An existing alias, found without regard to case, is modified in place
    // and keeps its own stored password.
    ws.Session.AddAlias("x veltra- rn- faktury", "ORACLE", {"SERVER NAME=stary", "USER NAME=u", "PASSWORD=własne"});
    FillOraclePages(form);
    form.ComboBoxUserRN.UserDropDown();  // logs in with the fixed password
    form.ComboBoxUserOchrona.SetText(c.Ochrona);
    form.ComboBoxUserLiczniki.SetText(c.Liczniki);
    form.ButtonWykonaj.Click();

    ASSERT_EQ(ws.Errors(), Strings{});
    EXPECT_EQ(form.PageControl2.ActivePage(), &form.TabSheet5);
    Strings log = Log({"  Utworzono plik", "     \"" + admin + "sqlnet.ora\"", "", "  Zmodyfikowano plik",
                       "     \"" + admin + "tnsnames.ora\"", "", " Zmodyfikowano konfigurację BDE."});
    for (const std::string& module : Modules)
        log.push_back((module == Modules[2] ? "  Zmodyfikowano alias \"X " : "  Utworzono alias \"X ") + module + "\".");
    EXPECT_EQ(form.MemoStatus.Lines().ToVector(), log);

    EXPECT_EQ(ws.Files.Bytes(admin + "sqlnet.ora"),
              "SQLNET.AUTHENTICATION_SERVICES=(NTS)\r\nNAMES.DIRECTORY_PATH=(TNSNAMES)\r\n");
    EXPECT_EQ(ws.Files.Bytes(admin + "tnsnames.ora"),
              kNamesFile +
                  "NOWY.SERWIS =\r\n  (DESCRIPTION =\r\n    (ADDRESS_LIST =\r\n"
                  "      (ADDRESS = (PROTOCOL = TCP)(HOST = db.example)(PORT = 1522))\r\n    )\r\n"
                  "    (CONNECT_DATA =\r\n      (SERVICE_NAME = RONDEL)\r\n    )\r\n  )\r\n");

    const TAliasStore saved = Saved(ws);
    for (std::size_t i = 0; i < Modules.size(); ++i) {
        SCOPED_TRACE(Modules[i]);
        const TAlias* alias = saved.Find("X " + Modules[i]);
        ASSERT_NE(alias, nullptr);
        EXPECT_EQ(alias->Driver, "ORACLE");
        if (i == 2) continue;
        EXPECT_EQ(alias->Params.Lines(), i == 0 ? c.OchronaParams : i == 6 ? c.LicznikiParams : c.MainParams);
    }
    EXPECT_EQ(saved.Find("X Veltra- RN- Faktury")->Params.Lines(),
              (Strings{"SERVER NAME=NOWY.SERWIS", "USER NAME=VELTRA_RN", "PASSWORD=własne"}));
    EXPECT_EQ(saved.Count(), 7u);

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

TEST(AliasWriter, NetAliasIsAddedBesideAFileBasedMainAliasOnly) {
    const struct {
        const char* what;
        std::function<void(TSession&)> seed;
        bool added;
    } cases[] = {
        {"file-based, no default driver", [](TSession& s) { s.AddAlias("veltra- rn", "STANDARD", {"PATH=C:\\Dane"}); },
         true},
        {"already there",
         [](TSession& s) {
             s.AddStandardAlias("Veltra- RN", "C:\\Dane", "PARADOX");
             s.AddAlias("VELTRA- NET", "SQL Native Client", {});
         },
         false},
        {"not file-based", [](TSession& s) { s.AddAlias("Veltra- RN", "SQL Native Client", {"PATH=C:\\Dane"}); },
         false},
        {"driver in other case", [](TSession& s) { s.AddAlias("Veltra- RN", "Standard", {"PATH=C:\\Dane"}); }, false},
        {"empty path", [](TSession& s) { s.AddStandardAlias("Veltra- RN", "", "PARADOX"); }, false},
        {"only a prefixed main alias", [](TSession& s) { s.AddStandardAlias("X Veltra- RN", "C:\\Dane", ""); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WizardWorkstation ws;
        TForm2& form = ws.Open();
        c.seed(ws.Session);
        TStringList before, after, params;
        ws.Session.GetAliasNames(before);
        form.AddNetAlias(before);
        ws.Session.GetAliasNames(after);
        EXPECT_EQ(after.Count(), before.Count() + (c.added ? 1 : 0));
        EXPECT_EQ(form.MemoStatus.Lines().ToVector(), c.added ? Strings{"  Utworzono alias \"Veltra- Net\"."} : Strings{});
        if (!c.added) continue;
        EXPECT_EQ(ws.Session.GetAliasDriverName("Veltra- Net"), "STANDARD");
        ws.Session.GetAliasParams("Veltra- Net", params);
        EXPECT_EQ(params, (TStringList{"PATH=C:\\Dane", "DEFAULT DRIVER="}));
    }
}

// The answer file of unattended runs: every fault names the file, the line
// and the key; a good file reads into normalised values, and what the
// writer makes of them reads back the same.
const std::string Mssql = "[Konfiguracja]\nSerwer=MSSQL\nWersja=10\n[MSSQL]\nNazwaSerwera=S\\I\nNazwaBazy=Rondel\n";
const std::string Oracle = "[Konfiguracja]\nSerwer=Oracle\nWersja=9\n[Oracle]\nNazwaOracleHome=H\nNazwaSerwisu=XE\n";

struct AnswerCase {
    const char* Name;
    std::string Bytes;
    std::string Error;  // after the file's name; empty: the file is good
    std::vector<std::pair<TAnswer, std::string>> Values = {};
};

const AnswerCase Cases[] = {
    {"AnsiWithPolishLettersAndTheRadioCaptions",
     Utf8ToCp1250("; uwagi\r\n[konfiguracja]\r\n  serwer = Microsoft SQL Server \r\nWersja=10 (X)\r\nBazaTestowa=1\r\n"
                  "# inne\r\n[MSSQL]\r\nNazwaSerwera=SERWER\\ŁÓDŹ\r\nNazwaBazy=Baza żółć\r\nNazwaBazyLiczniki=\r\n"), "",
     {{TAnswer::Serwer, "MSSQL"}, {TAnswer::Wersja, "10"}, {TAnswer::BazaTestowa, "tak"},
      {TAnswer::NazwaSerwera, "SERWER\\ŁÓDŹ"}, {TAnswer::NazwaBazy, "Baza żółć"}, {TAnswer::NazwaBazyLiczniki, ""}}},
    {"Utf8WithQuotedBlanksAndTheOtherSectionChecked",
     "\xEF\xBB\xBF" + Oracle + "SchematRondel=\" VELTRA_RN \"\nPortSerwera=1522\n[MSSQL]\nNazwaBazy=Ω\n", "",
     {{TAnswer::SchematRondel, " VELTRA_RN "}, {TAnswer::PortSerwera, "1522"}, {TAnswer::NazwaBazy, "Ω"}}},
    {"PortOutOfRange", Oracle + "PortSerwera=65536\n",
     ", wiersz 7, klucz \"PortSerwera\": niepoprawny port \"65536\"; dozwolona liczba od 1 do 65535"},
    {"DataSourceNameBeyondTheField", Mssql + "NazwaZrodlaDanych=" + std::string(32, 'x') + "ż\n",
     ", wiersz 7, klucz \"NazwaZrodlaDanych\": wartość dłuższa niż 32 znaków"},
    {"RequiredValueEmpty", Mssql + "[Oracle]\nNazwaSerwisu=\n", ", wiersz 8, klucz \"NazwaSerwisu\": brak wymaganej wartości"},
    {"RequiredValueMissing", "[Konfiguracja]\nSerwer=MSSQL\nWersja=10\n\n[MSSQL]\nNazwaBazy=Rondel\n",
     ", wiersz 5, klucz \"NazwaSerwera\": brak wymaganej wartości w sekcji [MSSQL]"},
    {"SectionOfTheChosenServerMissing", "[Konfiguracja]\nSerwer=MSSQL\nWersja=10\n",
     ", klucz \"NazwaSerwera\": brak sekcji [MSSQL] z wymaganą wartością"},
    {"OracleHomeByNameAndFolder", Oracle + "FolderOracleHome=C:\\o\n",
     ", wiersz 7, klucz \"FolderOracleHome\": podano już NazwaOracleHome; Oracle Home wskazuje jeden z tych dwóch kluczy"},
    {"Utf16", std::string("\xFF\xFE[\0K\0", 6), ": plik zapisano w UTF-16; zapisz go w ANSI albo w UTF-8 ze znacznikiem BOM"},
    {"NotUtf8AfterTheMark", "\xEF\xBB\xBF" + Mssql + "NazwaBazyLiczniki=\xB3\xF3\n", ", wiersz 7: wiersz nie jest tekstem UTF-8"},
};

class AnswerFile : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(AnswerFile, ReadsOrNamesTheFault) {
    const AnswerCase& c = GetParam();
    try {
        const TAnswers answers = ReadAnswerFile(c.Bytes, "C:\\a.ini");
        ASSERT_EQ(c.Error, "") << "read without a fault";
        // What /record writes replays into the same values, the other section left out.
        const TAnswers again = ReadAnswerFile(WriteAnswerFile(answers, "zapis"), "C:\\b.ini");
        const std::string other = answers.SqlServer() ? SectionOracle : SectionMssql;
        for (const auto& [answer, value] : c.Values) {
            EXPECT_EQ(answers.Value(answer), value) << KeyName(answer);
            EXPECT_EQ(again.Value(answer), SectionOf(answer) == other ? std::nullopt : answers.Value(answer));
        }
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "Plik odpowiedzi \"C:\\a.ini\"" + c.Error);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, AnswerFile, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.Name); });

}  // namespace
