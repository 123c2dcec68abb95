// Moving along the two paths of the wizard, the three buttons on every page,
// and what the navigation does to a pending entry of the service table.
#include <gtest/gtest.h>

#include "fakes/OracleHome.h"
#include "fakes/WizardHarness.h"

namespace {

using Strings = std::vector<std::string>;

struct Step {
    int Page;
    bool Wstecz, Dalej, Wykonaj;
};

// Where the wizard stands: the page index and the buttons' enabled states.
std::string Where(const TForm2& form) {
    return "page " + std::to_string(form.PageControl1.ActivePageIndex()) + " [" +
           (form.ButtonWstecz.Enabled() ? "W" : "-") + (form.ButtonDalej.Enabled() ? "D" : "-") +
           (form.ButtonWykonaj.Enabled() ? "X" : "-") + "]";
}

std::string Where(const Step& s) {
    return "page " + std::to_string(s.Page) + " [" + (s.Wstecz ? "W" : "-") + (s.Dalej ? "D" : "-") +
           (s.Wykonaj ? "X" : "-") + "]";
}

// Steps through `forward` with "Dalej >" and back along it with "< Wstecz",
// checking the page and the buttons after every click.
void WalkThereAndBack(WizardWorkstation& ws, const std::vector<Step>& path, bool silent = true) {
    TForm2& form = ws.Form();
    ASSERT_EQ(Where(form), Where(path.front()));
    for (std::size_t i = 1; i < path.size(); ++i) {
        form.ButtonDalej.Click();
        EXPECT_EQ(Where(form), Where(path[i])) << "forward, click " << i;
    }
    // "Dalej >" is disabled at the end: clicking does nothing.
    form.ButtonDalej.Click();
    EXPECT_EQ(Where(form), Where(path.back()));
    for (std::size_t i = path.size() - 1; i-- > 0;) {
        form.ButtonWstecz.Click();
        EXPECT_EQ(Where(form), Where(path[i])) << "back to step " << i;
    }
    form.ButtonWstecz.Click();
    EXPECT_EQ(Where(form), Where(path.front()));
    EXPECT_EQ(form.PageControl2.ActivePage(), &form.TabSheet4);
    if (silent) {
        EXPECT_EQ(ws.Errors(), Strings{});
    }
}

const std::vector<Step> SqlServerPath = {
    {0, false, true, false},
    {1, true, true, false},
    {3, true, true, false},
    {5, true, false, true},
};

const std::vector<Step> OraclePath = {
    {0, false, true, false},
    {2, true, true, false},
    {4, true, true, false},
    {6, true, false, true},
};

class WizardNavigationTest : public ::testing::Test {
protected:
    // The Oracle home holds one service, which page 4 names: nothing pending there.
    TForm2& OpenOn(int server, bool withService = true) {
        if (withService) SeedOracleHome(ws, {}, &OneServiceFile());
        ws.StoreChoice("Server", server);
        return ws.Open();
    }

    WizardWorkstation ws;
};

struct PathCase {
    const char* Name;
    int Server;
    bool EngineStarts;
    const std::vector<Step>* Path;
};

class WizardPathTest : public WizardNavigationTest, public ::testing::WithParamInterface<PathCase> {};

// No server chosen (a stored index out of range) takes the Oracle path; an
// engine that did not start does not stop it, though the Oracle pages report it.
TEST_P(WizardPathTest, ThereAndBack) {
    if (!GetParam().EngineStarts) ws.Registry.RemoveKey(reg::HKeyLocalMachine, WizardWorkstation::EngineKey);
    TForm2& form = OpenOn(GetParam().Server);
    if (!GetParam().EngineStarts) ws.ClearErrors();  // the engine's own report
    ASSERT_EQ(form.ClientDataSet1.Active(), GetParam().EngineStarts);
    WalkThereAndBack(ws, *GetParam().Path, GetParam().EngineStarts);
}

INSTANTIATE_TEST_SUITE_P(Paths, WizardPathTest,
                         ::testing::Values(PathCase{"SqlServer", 0, true, &SqlServerPath},
                                           PathCase{"Oracle", 1, true, &OraclePath},
                                           PathCase{"NoServer", -5, true, &OraclePath},
                                           PathCase{"OracleWithoutEngine", 1, false, &OraclePath}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(WizardNavigationTest, SwitchingTheServerOnPageZeroSwitchesThePath) {
    TForm2& form = OpenOn(1);
    for (int i = 0; i < 3; ++i) form.ButtonDalej.Click();
    ASSERT_EQ(form.PageControl1.ActivePageIndex(), 6);
    for (int i = 0; i < 3; ++i) form.ButtonWstecz.Click();
    ASSERT_EQ(form.PageControl1.ActivePageIndex(), 0);

    form.RadioGroupSerwer.UserSelect(0);
    std::vector<int> pages;
    for (int i = 0; i < 3; ++i) {
        form.ButtonDalej.Click();
        pages.push_back(form.PageControl1.ActivePageIndex());
    }
    EXPECT_EQ(pages, (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(Where(form), Where(SqlServerPath.back()));
}

TEST_F(WizardNavigationTest, AnErrorOnPageZeroIsShownAndThePageStillOpens) {
    TForm2& form = OpenOn(0);
    form.ButtonDalej.Click();
    ws.Registry.SetString(reg::HKeyCurrentUser, WizardWorkstation::SettingsKey, "Server", "x");

    form.ButtonWstecz.Click();

    EXPECT_EQ(ws.Errors(), Strings{"Niepoprawny typ danych : Server."});
    EXPECT_EQ(Where(form), Where(SqlServerPath.front()));
}

// Page 4 of the Oracle path with the service table as its show handler and
// the user leave it: the box names the service, the four edits its address.
class PendingServiceEntryTest : public WizardNavigationTest {
protected:
    // No Oracle home: the table starts empty with a new entry for "xe.serwer".
    void SetUp() override {
        OpenOn(1, false);
        form().ButtonDalej.Click();
        form().ButtonDalej.Click();
        ASSERT_EQ(form().PageControl1.ActivePage(), &form().TabSheet2Oracle);
    }

    TForm2& form() { return ws.Form(); }
    TClientDataSet& table() { return form().ClientDataSet1; }

    void StoreEntry(const std::string& name, const std::string& host) {
        table().Append();
        table().FieldByName("Name").SetAsString(name);
        table().FieldByName("ADDR_ADDR_PROT").SetAsString("TCP");
        table().FieldByName("ADDR_ADDR_HOST").SetAsString(host);
        table().FieldByName("ADDR_ADDR_PORT").SetAsString("1521");
        table().FieldByName("CONN_SERV").SetAsString("XE");
        table().Post();
    }

    void TypeAddress(const std::string& protocol, const std::string& host, const std::string& port,
                     const std::string& sid) {
        form().DBEdit1.UserType(protocol);
        form().DBEdit2.UserType(host);
        form().DBEdit3.UserType(port);
        form().DBEdit4.UserType(sid);
    }

    void Dalej() {
        ws.User([&] { form().ButtonDalej.Click(); });
    }
};

TEST_F(PendingServiceEntryTest, ANewEntryIsStoredUnderTheBoxTextOnDalejBeforeTheNextPageShows) {
    TypeAddress("TCP", "db.example", "1521", "XE");
    ASSERT_EQ(table().State(), dsInsert);
    TDataSetState stateSeen = dsInactive;
    bool wykonajSeen = true;
    form().TabSheet3Oracle.OnShow = [&](TObject&) {
        stateSeen = table().State();
        wykonajSeen = form().ButtonWykonaj.Enabled();
    };

    Dalej();

    EXPECT_EQ(ws.Errors(), Strings{});
    // Stored before the next page shows, and the buttons change after it.
    EXPECT_EQ(stateSeen, dsBrowse);
    EXPECT_FALSE(wykonajSeen);
    EXPECT_EQ(Where(form()), Where(OraclePath[3]));
    EXPECT_EQ(table().State(), dsBrowse);
    ASSERT_EQ(table().RecordCount(), 1);
    EXPECT_EQ(table().FieldByName("Name").AsString(), "xe.serwer");
    EXPECT_EQ(table().FieldByName("ADDR_ADDR_HOST").AsString(), "db.example");
}

TEST_F(PendingServiceEntryTest, AChangedStoredEntryIsStoredOnDalej) {
    StoreEntry("xe.serwer", "old.host");
    form().DBEdit2.UserType("new.host");
    ASSERT_EQ(table().State(), dsEdit);

    Dalej();

    EXPECT_EQ(table().State(), dsBrowse);
    ASSERT_EQ(table().RecordCount(), 1);
    EXPECT_EQ(table().FieldByName("ADDR_ADDR_HOST").AsString(), "new.host");
    EXPECT_EQ(form().PageControl1.ActivePageIndex(), 6);
}

TEST_F(PendingServiceEntryTest, RefusedEntriesKeepTheWizardOnThePage) {
    struct Case {
        const char* Box;
        const char* Host;
        const char* Message;
    };
    const Case cases[] = {
        {"xe.serwer", "", "Pole 'Nazwa lub IP serwera' musi posiadać wartość."},
        {"", "db.example", "Pole 'Nazwa' musi posiadać wartość."},
        {"SERWIS", "db.example", "Key violation."},
    };
    StoreEntry("serwis", "stored.host");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Message);
        ws.ClearErrors();
        table().Append();
        form().ComboBoxOracleServer.UserType(c.Box);
        TypeAddress("TCP", c.Host, "1521", "XE");

        Dalej();

        EXPECT_EQ(ws.Errors(), Strings{c.Message});
        EXPECT_EQ(Where(form()), Where(OraclePath[2]));
        EXPECT_EQ(table().State(), dsInsert);
        EXPECT_EQ(table().FieldByName("Name").AsString(), c.Box);
        EXPECT_EQ(table().RecordCount(), 1);
        table().Cancel();
    }
}

TEST_F(PendingServiceEntryTest, ARefusedEntryCanBeCorrectedAndStored) {
    TypeAddress("TCP", "", "1521", "XE");
    Dalej();
    ASSERT_EQ(ws.Errors().size(), 1u);

    form().DBEdit2.UserType("db.example");
    Dalej();

    EXPECT_EQ(ws.Errors().size(), 1u);
    EXPECT_EQ(table().RecordCount(), 1);
    EXPECT_EQ(form().PageControl1.ActivePageIndex(), 6);
}

TEST_F(PendingServiceEntryTest, ANewEntryIsDiscardedOnWsteczAfterTheEarlierPageHasShown) {
    TypeAddress("TCP", "db.example", "1521", "XE");
    ASSERT_EQ(table().State(), dsInsert);
    TDataSetState stateSeen = dsInactive;
    form().TabSheet1Oracle.OnShow = [&](TObject&) { stateSeen = table().State(); };

    form().ButtonWstecz.Click();

    EXPECT_EQ(stateSeen, dsInsert);
    EXPECT_EQ(Where(form()), Where(OraclePath[1]));
    EXPECT_EQ(table().State(), dsBrowse);
    EXPECT_TRUE(table().IsEmpty());
    EXPECT_EQ(ws.Errors(), Strings{});
}

TEST_F(PendingServiceEntryTest, AChangeToAStoredEntryIsDiscardedOnWstecz) {
    StoreEntry("xe.serwer", "old.host");
    form().DBEdit2.UserType("new.host");

    form().ButtonWstecz.Click();

    EXPECT_EQ(form().PageControl1.ActivePageIndex(), 2);
    EXPECT_EQ(table().State(), dsBrowse);
    EXPECT_EQ(table().FieldByName("ADDR_ADDR_HOST").AsString(), "old.host");
}

TEST_F(WizardNavigationTest, NothingPendingLeavesTheTableAlone) {
    TForm2& form = OpenOn(1);
    form.ButtonDalej.Click();
    form.ButtonDalej.Click();
    ASSERT_EQ(form.ClientDataSet1.State(), dsBrowse);

    form.ButtonDalej.Click();
    EXPECT_EQ(form.PageControl1.ActivePageIndex(), 6);
    form.ButtonWstecz.Click();
    form.ButtonWstecz.Click();

    EXPECT_EQ(ws.Errors(), Strings{});
    EXPECT_EQ(form.ClientDataSet1.State(), dsBrowse);
    EXPECT_EQ(form.ClientDataSet1.RecordCount(), 1);
    EXPECT_EQ(form.ClientDataSet1.FieldByName("Name").AsString(), "XE.SERWER");
}

}  // namespace
