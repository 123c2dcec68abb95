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

// What every SQL Server alias receives, written out in full.
Strings SqlServerAliasParams(const std::string& database) {
    return {"DATABASE NAME=" + database, "USER NAME=veltra", "ODBC DSN=MSSQL Veltra RN", "OPEN MODE=READ/WRITE",
            "BATCH COUNT=200", "LANGDRIVER=anpolish", "MAX ROWS=-1", "SCHEMA CACHE DIR=", "SCHEMA CACHE SIZE=8",
            "SCHEMA CACHE TIME=-1", "SQLPASSTHRU MODE=SHARED AUTOCOMMIT", "SQLQRYMODE=", "ENABLE SCHEMA CACHE=FALSE",
            "ENABLE BCD=FALSE", "ROWSET SIZE=20", "BLOBS TO CACHE=64", "BLOB SIZE=32"};
}

const Strings Modules = {"Veltra- Ochrona",     "Veltra- RN",          "Veltra- RN- Faktury", "Veltra- RN- Magistr",
                         "Veltra- RN- Odbiorcy", "Veltra- RN- Odczyty", "Veltra- RN- Liczniki"};

// A workstation with the driver and a configuration file, on the database
// page of the SQL Server path as a user filled it in.
struct FilledIn {
    FilledIn(int version, bool testCopy, const std::function<void(WizardWorkstation&)>& seed = {}) {
        odbcseed::RegisterDriver(ws.Registry);
        ws.Files.AddFile(WizardWorkstation::ConfigFile, "");
        if (seed) seed(ws);
        form.RadioGroupWersja.UserSelect(version);
        if (testCopy) form.CheckBoxKopia.UserToggle();
        form.ButtonDalej.Click();
        form.ButtonDalej.Click();
        form.ComboBoxServer.UserType("SERWER\\SQL");
        form.CheckBoxWindows.UserToggle();
        form.ButtonDalej.Click();
        form.ComboBoxBaza.UserType("Rondel");
        form.ComboBoxBazaLiczniki.UserType("RondelLiczniki");
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
    Strings log = {"Konfiguracja została utworzona!",
                   "",
                   "  Utworzono alias \"Veltra- Net\".",
                   " Utworzono źródło danych ODBC \"MSSQL Veltra RN\".",
                   "  Instancja serwera MSSQL: \"SERWER\\SQL\".",
                   "  Logowanie poprzez użytkownika serwera MSSQL.",
                   "",
                   " Zmodyfikowano konfigurację BDE."};
    for (const std::string& module : Modules) log.push_back("  Utworzono alias \"" + (prefix + module) + "\".");
    EXPECT_EQ(run.form.MemoStatus.Lines().ToVector(), log);

    TAliasStore saved;
    saved.Load(run.ws.Files.Bytes(WizardWorkstation::ConfigFile), WizardWorkstation::ConfigFile);
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
    const Strings opening = {"Konfiguracja została utworzona!", ""};
    Strings mismatchLog = opening;
    for (const char* line : {" Utworzono źródło danych ODBC \"MSSQL Veltra RN\".",
                             "  Instancja serwera MSSQL: \"SERWER\\SQL\".", "  Logowanie poprzez użytkownika serwera MSSQL.",
                             "", " Zmodyfikowano konfigurację BDE.", "  Utworzono alias \"X Veltra- Ochrona\"."})
        mismatchLog.push_back(line);
    const struct {
        std::function<void(FilledIn&)> seed;
        std::string error;
        Strings log;
    } cases[] = {
        {[](FilledIn& r) { r.ws.Session.AddAlias("X Veltra- RN", "ORACLE", {"SERVER NAME=xe"}); },
         "Alias BDE \"X Veltra- RN\" istnieje i jest innego typu.", mismatchLog},
        // A closing quotation mark sorts below the full stop: the box adds none.
        {[](FilledIn& r) { r.ws.Registry.RemoveKey(reg::HKeyLocalMachine, odbcseed::DriversKey); },
         "Brak sterownika ODBC \"SQL Native Client\"", opening},
        {[](FilledIn& r) {
             r.form.RadioGroupSerwer.SetItemIndex(1);
             r.form.ComboBoxOracleServer.SetText("XE SERWER");
         },
         "Nazwa serwisu Oracle nie może zawierać spacji, znaków sterujących, znaków = ( ) # ani cudzysłowu.", opening},
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
    }
}

}  // namespace
