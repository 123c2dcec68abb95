// The alias writer: create or modify against the names the apply started
// with, the driver check, and the legacy file-based "Veltra- Net".
#include <gtest/gtest.h>

#include <functional>

#include "fakes/ErrorText.h"
#include "fakes/WizardHarness.h"

namespace {

using Strings = std::vector<std::string>;

class AliasWriterTest : public ::testing::Test {
protected:
    AliasWriterTest() : form(ws.Open()) {}

    TStringList Names() {
        TStringList names;
        ws.Session.GetAliasNames(names);
        return names;
    }
    TStringList Params(const std::string& alias) {
        TStringList params;
        ws.Session.GetAliasParams(alias, params);
        return params;
    }

    WizardWorkstation ws;
    TForm2& form;
};

TEST_F(AliasWriterTest, WriteAliasCreatesOrModifiesInPlace) {
    form.Database1.Params = {"DATABASE NAME=Rondel", "USER NAME=dbo", "ODBC DSN=Zrodlo"};
    ws.Session.AddAlias("x veltra- rn", "SQL Native Client", {"ODBC DSN=stare", "LANGDRIVER=ascii"});
    const TStringList existing = Names();

    form.WriteSqlServerAlias("X Veltra- RN", existing);
    form.WriteSqlServerAlias("X Veltra- Ochrona", existing);
    // Created aliases do not join the list: a second write creates again.
    EXPECT_NE(ErrorText([&] { form.WriteSqlServerAlias("X Veltra- Ochrona", existing); }), "<no exception>");

    EXPECT_EQ(Params("X Veltra- RN"), (TStringList{"ODBC DSN=Zrodlo", "LANGDRIVER=ascii"}));
    EXPECT_EQ(Params("X Veltra- Ochrona"), form.Database1.Params);
    EXPECT_EQ(ws.Session.GetAliasDriverName("X Veltra- Ochrona"), "SQL Native Client");
    EXPECT_EQ(form.MemoStatus.Lines().ToVector(),
              (Strings{"  Zmodyfikowano alias \"X Veltra- RN\".", "  Utworzono alias \"X Veltra- Ochrona\"."}));
}

TEST_F(AliasWriterTest, WriteAliasRefusesAnotherDriverEvenInOtherCase) {
    for (const char* driver : {"ORACLE", "sql native client", "SQL Server"}) {
        SCOPED_TRACE(driver);
        WizardWorkstation ws2;
        TForm2& f = ws2.Open();
        ws2.Session.AddAlias("X Veltra- RN", driver, {"DATABASE NAME=stara"});
        TStringList existing;
        ws2.Session.GetAliasNames(existing);
        EXPECT_EQ(ErrorText([&] { f.WriteSqlServerAlias("X Veltra- RN", existing); }),
                  "Alias BDE \"X Veltra- RN\" istnieje i jest innego typu");
        TStringList params;
        ws2.Session.GetAliasParams("X Veltra- RN", params);
        EXPECT_EQ(params.Values("DATABASE NAME"), "stara");
        EXPECT_EQ(f.MemoStatus.Lines().Count(), 0);
    }
}

TEST_F(AliasWriterTest, NetAliasIsAddedBesideAFileBasedMainAliasOnly) {
    struct Case {
        const char* what;
        std::function<void(TSession&)> seed;
        bool added;
    };
    const Case cases[] = {
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
        {"no main alias", [](TSession& s) { s.AddStandardAlias("X Veltra- RN", "C:\\Dane", ""); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WizardWorkstation ws2;
        TForm2& f = ws2.Open();
        c.seed(ws2.Session);
        TStringList before;
        ws2.Session.GetAliasNames(before);
        f.AddNetAlias(before);
        TStringList after;
        ws2.Session.GetAliasNames(after);
        EXPECT_EQ(after.Count(), before.Count() + (c.added ? 1 : 0));
        if (!c.added) {
            EXPECT_EQ(f.MemoStatus.Lines().Count(), 0);
            continue;
        }
        EXPECT_EQ(ws2.Session.GetAliasDriverName("Veltra- Net"), "STANDARD");
        TStringList params;
        ws2.Session.GetAliasParams("Veltra- Net", params);
        EXPECT_EQ(params, (TStringList{"PATH=C:\\Dane", "DEFAULT DRIVER="}));
        EXPECT_EQ(f.MemoStatus.Lines().ToVector(), Strings{"  Utworzono alias \"Veltra- Net\"."});
    }
}

}  // namespace
