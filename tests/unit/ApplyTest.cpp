// "Wykonaj" on the SQL Server path, driven through the pages: the status log
// line by line, the seven aliases in the saved configuration file, and the
// runs that stop before anything is saved.
#include <gtest/gtest.h>

#include <functional>

#include "engine/AliasStore.h"
#include "fakes/OdbcSeed.h"
#include "fakes/WizardHarness.h"

namespace {

using Strings = std::vector<std::string>;
const std::string ConfigFolder = "C:\\Program Files\\Common Files\\Borland Shared\\BDE";

// What every SQL Server alias receives, written out in full.
Strings SqlServerAliasParams(const std::string& database) {
    return {"DATABASE NAME=" + database, "USER NAME=veltra", "ODBC DSN=MSSQL Veltra RN", "OPEN MODE=READ/WRITE",
            "BATCH COUNT=200", "LANGDRIVER=anpolish", "MAX ROWS=-1", "SCHEMA CACHE DIR=", "SCHEMA CACHE SIZE=8",
            "SCHEMA CACHE TIME=-1", "SQLPASSTHRU MODE=SHARED AUTOCOMMIT", "SQLQRYMODE=", "ENABLE SCHEMA CACHE=FALSE",
            "ENABLE BCD=FALSE", "ROWSET SIZE=20", "BLOBS TO CACHE=64", "BLOB SIZE=32"};
}

const Strings Modules = {"Veltra- Ochrona",     "Veltra- RN",          "Veltra- RN- Faktury", "Veltra- RN- Magistr",
                         "Veltra- RN- Odbiorcy", "Veltra- RN- Odczyty", "Veltra- RN- Liczniki"};

class ApplyTest : public ::testing::Test {
protected:
    ApplyTest() {
        odbcseed::RegisterDriver(ws.Registry);
        ws.Files.AddFolder(ConfigFolder);
    }

    // Page 0 to the database page, as a user fills it in.
    TForm2& WalkSqlServerPath(int version, bool testCopy, const std::string& meterDatabase = "RondelLiczniki") {
        TForm2& form = ws.Open();
        form.RadioGroupWersja.UserSelect(version);
        if (testCopy) form.CheckBoxKopia.UserToggle();
        form.ButtonDalej.Click();
        form.ButtonDalej.Click();
        form.ComboBoxServer.UserType("SERWER\\SQL");
        form.CheckBoxWindows.UserToggle();
        form.ButtonDalej.Click();
        form.ComboBoxBaza.UserType("Rondel");
        form.ComboBoxBazaLiczniki.UserType(meterDatabase);
        return form;
    }

    TAliasStore Saved() {
        TAliasStore store;
        store.Load(ws.Files.Bytes(WizardWorkstation::ConfigFile), WizardWorkstation::ConfigFile);
        return store;
    }

    WizardWorkstation ws;
};

class ApplyPrefixTest : public ApplyTest, public ::testing::WithParamInterface<std::tuple<int, bool, const char*>> {};

TEST_P(ApplyPrefixTest, WritesTheDataSourceAndSevenAliasesThenShowsTheLog) {
    const auto [version, testCopy, prefix] = GetParam();
    ws.Session.SetConfigMode(cmPersistent);
    ws.Session.AddStandardAlias("Veltra- RN", "C:\\Rondel\\Dane", "PARADOX");
    TForm2& form = WalkSqlServerPath(version, testCopy);
    form.ButtonWykonaj.Click();

    ASSERT_EQ(ws.Errors(), Strings{});
    EXPECT_EQ(form.PageControl2.ActivePage(), &form.TabSheet5);
    Strings log = {"Konfiguracja została utworzona!",
                   "",
                   "  Utworzono alias \"Veltra- Net\".",
                   " Utworzono źródło danych ODBC \"MSSQL Veltra RN\".",
                   "  Instancja serwera MSSQL: \"SERWER\\SQL\".",
                   "  Logowanie poprzez użytkownika serwera MSSQL.",
                   "",
                   " Zmodyfikowano konfigurację BDE."};
    for (const std::string& module : Modules) log.push_back("  Utworzono alias \"" + (prefix + module) + "\".");
    EXPECT_EQ(form.MemoStatus.Lines().ToVector(), log);

    const TAliasStore saved = Saved();
    for (const std::string& module : Modules) {
        SCOPED_TRACE(module);
        const TAlias* alias = saved.Find(prefix + module);
        ASSERT_NE(alias, nullptr);
        EXPECT_EQ(alias->Name, prefix + module);
        EXPECT_EQ(alias->Driver, "SQL Native Client");
        EXPECT_EQ(alias->Params.Lines(), SqlServerAliasParams(module == Modules[6] ? "RondelLiczniki" : "Rondel"));
    }
    EXPECT_EQ(saved.Count(), 9u);  // with "Veltra- RN" and "Veltra- Net"
    EXPECT_EQ(ws.Registry.GetString(reg::HKeyLocalMachine, odbcseed::SourceKey("MSSQL Veltra RN"), "Server"),
              "SERWER\\SQL");

    // Again in the same run: everything exists now.
    form.ButtonWykonajClick(form);
    const Strings again = form.MemoStatus.Lines().ToVector();
    ASSERT_EQ(again.size(), 14u);
    EXPECT_EQ(again[2], " Zmodyfikowano źródło danych ODBC \"MSSQL Veltra RN\".");
    for (std::size_t i = 0; i < Modules.size(); ++i)
        EXPECT_EQ(again[7 + i], "  Zmodyfikowano alias \"" + (prefix + Modules[i]) + "\".");
}

INSTANTIATE_TEST_SUITE_P(VersionAndTestCopy, ApplyPrefixTest,
                         ::testing::Values(std::make_tuple(1, false, "X "), std::make_tuple(1, true, "KopiaX "),
                                           std::make_tuple(0, false, "II "), std::make_tuple(0, true, "Kopia ")));

TEST_F(ApplyTest, EmptyMeterDatabaseGivesTheMainOneAndEmptyDatabaseIsLeftOut) {
    TForm2& form = WalkSqlServerPath(1, false, "");
    form.ButtonWykonaj.Click();
    EXPECT_EQ(Saved().Find("X Veltra- RN- Liczniki")->Params.Lines(), SqlServerAliasParams("Rondel"));

    // A new alias gets no database entry; an existing one keeps its own.
    WizardWorkstation other;
    odbcseed::RegisterDriver(other.Registry);
    other.Files.AddFolder(ConfigFolder);
    TForm2& f = other.Open();
    other.Session.AddAlias("X Veltra- RN", "SQL Native Client", {"DATABASE NAME=stara", "USER NAME=sa"});
    f.ButtonWykonajClick(f);
    TAliasStore store;
    store.Load(other.Files.Bytes(WizardWorkstation::ConfigFile), WizardWorkstation::ConfigFile);
    EXPECT_EQ(store.Find("X Veltra- RN")->Params, (TStringList{"DATABASE NAME=stara", "USER NAME=dbo"}));
    EXPECT_EQ(store.Find("X Veltra- Ochrona")->Params.IndexOfName("DATABASE NAME"), -1);
}

TEST_F(ApplyTest, AnErrorStopsTheRunWithoutSavingOnTheWizardPage) {
    struct Case {
        const char* what;
        std::function<void(WizardWorkstation&, TForm2&)> seed;
        std::string error;
        Strings log;
    };
    const Strings opening = {"Konfiguracja została utworzona!", ""};
    const Strings dataSource = {" Utworzono źródło danych ODBC \"MSSQL Veltra RN\".",
                                "  Instancja serwera MSSQL: \"SERWER\\SQL\".",
                                "  Logowanie poprzez użytkownika serwera MSSQL.", "", " Zmodyfikowano konfigurację BDE."};
    Strings mismatchLog = opening;
    mismatchLog.insert(mismatchLog.end(), dataSource.begin(), dataSource.end());
    mismatchLog.push_back("  Utworzono alias \"X Veltra- Ochrona\".");
    const Case cases[] = {
        {"main alias of another driver",
         [](WizardWorkstation& w, TForm2&) { w.Session.AddAlias("X Veltra- RN", "ORACLE", {"SERVER NAME=xe"}); },
         "Alias BDE \"X Veltra- RN\" istnieje i jest innego typu.", mismatchLog},
        {"no driver",
         [](WizardWorkstation& w, TForm2&) {
             w.Registry.RemoveKey(reg::HKeyLocalMachine, odbcseed::DriversKey);
         },
         // A closing quotation mark sorts below the full stop: the box adds none.
         "Brak sterownika ODBC \"SQL Native Client\"", opening},
        {"Oracle service name with a blank",
         [](WizardWorkstation&, TForm2& f) {
             f.RadioGroupSerwer.SetItemIndex(1);
             f.ComboBoxOracleServer.SetText("XE SERWER");
         },
         "Nazwa serwisu Oracle nie może zawierać spacji, znaków sterujących, znaków = ( ) # ani cudzysłowu.", opening},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WizardWorkstation w;
        odbcseed::RegisterDriver(w.Registry);
        w.Files.AddFolder(ConfigFolder);
        w.Files.AddFile(WizardWorkstation::ConfigFile, "");
        TForm2& form = w.Open();
        form.RadioGroupWersja.UserSelect(1);
        for (int i = 0; i < 3; ++i) form.ButtonDalej.Click();
        form.ComboBoxServer.SetText("SERWER\\SQL");
        form.CheckBoxWindows.SetChecked(false);
        c.seed(w, form);
        w.User([&] { form.ButtonWykonaj.Click(); });
        EXPECT_EQ(w.Errors(), Strings{c.error});
        EXPECT_EQ(form.MemoStatus.Lines().ToVector(), c.log);
        EXPECT_EQ(w.Files.WriteCount(), 0);
        EXPECT_EQ(form.PageControl2.ActivePage(), &form.TabSheet4);
        EXPECT_EQ(form.PageControl1.ActivePage(), &form.TabSheet3);
    }
}

}  // namespace
