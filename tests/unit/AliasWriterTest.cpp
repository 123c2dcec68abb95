// The alias writer: create or modify against the names the apply started
// with, the exact driver check, and the legacy file-based "Veltra- Net".
#include <gtest/gtest.h>

#include <functional>

#include "fakes/ErrorText.h"
#include "fakes/WizardHarness.h"

namespace {

using Strings = std::vector<std::string>;

struct AliasWriterTest : ::testing::Test {
    WizardWorkstation ws;
    TForm2& form = ws.Open();
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
};

TEST_F(AliasWriterTest, WriteAliasCreatesModifiesInPlaceOrRefusesAnotherDriver) {
    form.Database1.Params = {"DATABASE NAME=Rondel", "USER NAME=dbo", "ODBC DSN=Zrodlo"};
    ws.Session.AddAlias("x veltra- rn", "SQL Native Client", {"ODBC DSN=stare", "LANGDRIVER=ascii"});
    ws.Session.AddAlias("X Veltra- RN- Faktury", "sql native client", {"ODBC DSN=stare"});
    const TStringList existing = Names();

    form.WriteSqlServerAlias("X Veltra- RN", existing);
    form.WriteSqlServerAlias("X Veltra- Ochrona", existing);
    EXPECT_EQ(ErrorText([&] { form.WriteSqlServerAlias("X Veltra- RN- Faktury", existing); }),
              "Alias BDE \"X Veltra- RN- Faktury\" istnieje i jest innego typu");
    // A created alias does not join the list: writing it again creates again, and fails.
    EXPECT_NE(ErrorText([&] { form.WriteSqlServerAlias("X Veltra- Ochrona", existing); }), "<no exception>");

    EXPECT_EQ(Params("X Veltra- RN"), (TStringList{"ODBC DSN=Zrodlo", "LANGDRIVER=ascii"}));
    EXPECT_EQ(Params("X Veltra- Ochrona"), form.Database1.Params);
    EXPECT_EQ(Params("X Veltra- RN- Faktury"), TStringList{"ODBC DSN=stare"});
    EXPECT_EQ(ws.Session.GetAliasDriverName("X Veltra- Ochrona"), "SQL Native Client");
    EXPECT_EQ(form.MemoStatus.Lines().ToVector(),
              (Strings{"  Zmodyfikowano alias \"X Veltra- RN\".", "  Utworzono alias \"X Veltra- Ochrona\"."}));
}

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

}  // namespace
