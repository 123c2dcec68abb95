// Moving along the two paths of the wizard, the three buttons on every page,
// and what the navigation does to a pending entry of the service table: input
// sequences against what the wizard showed after each input.
#include <gtest/gtest.h>

#include "fakes/OracleHome.h"
#include "unit/WizardInputs.h"

namespace {

using Strings = std::vector<std::string>;
using namespace input;

std::string StateName(TDataSetState state) {
    switch (state) {
        case dsInactive: return "inactive";
        case dsBrowse: return "browse";
        case dsInsert: return "insert";
        case dsEdit: return "edit";
    }
    return "?";
}

// The service table: its state, then its size and the current entry's name and host.
std::string Table(const TForm2& form) {
    const TClientDataSet& table = form.ClientDataSet1;
    if (!table.Active()) return "inactive";
    if (table.IsEmpty() && table.State() == dsBrowse) return "browse empty";
    return StateName(table.State()) + " " + std::to_string(table.RecordCount()) + " " +
           table.FieldByName("Name").AsString() + " " + table.FieldByName("ADDR_ADDR_HOST").AsString();
}

// On the last page "Dalej >" is disabled, and so is "< Wstecz" on page 0.
const std::vector<TInput> kThereAndBack = {Dalej, Dalej, Dalej, Dalej, Wstecz, Wstecz, Wstecz, Wstecz};
const Strings kOracleThereAndBack = {"page 2 [WD-]", "page 4 [WD-]", "page 6 [W-X]", "page 6 [W-X]",
                                     "page 4 [WD-]", "page 2 [WD-]", "page 0 [-D-]", "page 0 [-D-]"};

const char* const kNoEngine = "! Silnik bazy danych nie został uruchomiony: konfiguracja aliasów jest niedostępna.";
const char* const kClosedTable = "! Nie można wykonać tej operacji na zamkniętym zbiorze danych.";

struct PathCase {
    const char* Name;
    int Server;        // the stored choice
    bool EngineStarts;
    std::vector<TInput> Inputs;
    Strings Recorded;
    const char* TableAfter;
};

// The Oracle home holds one service, which page 4 names: nothing is pending there.
// No server chosen (a stored index out of range) takes the Oracle path; an
// engine that did not start does not stop it, though the Oracle pages report it.
const PathCase PathCases[] = {
    {"SqlServer", 0, true, kThereAndBack,
     {"page 1 [WD-]", "page 3 [WD-]", "page 5 [W-X]", "page 5 [W-X]", "page 3 [WD-]", "page 1 [WD-]", "page 0 [-D-]",
      "page 0 [-D-]"},
     "browse empty"},  // the SQL Server path never reads the names file
    {"Oracle", 1, true, kThereAndBack,
     kOracleThereAndBack,
     "browse 1 XE.SERWER serwer"},
    {"NoServer", -5, true, kThereAndBack,
     kOracleThereAndBack,
     "browse 1 XE.SERWER serwer"},
    {"OracleWithoutEngine", 1, false, kThereAndBack,
     {"page 2 [WD-]", kNoEngine, "page 4 [WD-]", kClosedTable, "page 6 [W-X]", "page 6 [W-X]", "page 4 [WD-]",
      kClosedTable, "page 2 [WD-]", "page 0 [-D-]", "page 0 [-D-]"},
     "inactive"},
    {"SwitchingTheServerOnPageZeroSwitchesThePath", 1, true,
     {Dalej, Dalej, Dalej, Wstecz, Wstecz, Wstecz, Serwer(0), Dalej, Dalej, Dalej},
     {"page 2 [WD-]", "page 4 [WD-]", "page 6 [W-X]", "page 4 [WD-]", "page 2 [WD-]", "page 0 [-D-]", "page 0 [-D-]",
      "page 1 [WD-]", "page 3 [WD-]", "page 5 [W-X]"},
     "browse 1 XE.SERWER serwer"},
    {"AnErrorOnPageZeroIsShownAndThePageStillOpens", 0, true,
     {Dalej, World([](WizardWorkstation& ws) {
          ws.Registry.SetString(reg::HKeyCurrentUser, WizardWorkstation::SettingsKey, "Server", "x");
      }),
      Wstecz},
     {"page 1 [WD-]", "page 1 [WD-]", "page 0 [-D-]", "! Niepoprawny typ danych : Server."},
     "browse empty"},
};

class WizardPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(WizardPathTest, RecordsThePagesAndButtons) {
    const PathCase& c = GetParam();
    WizardWorkstation ws;
    SeedOracleHome(ws, {}, &OneServiceFile());
    if (!c.EngineStarts) ws.Registry.RemoveKey(reg::HKeyLocalMachine, WizardWorkstation::EngineKey);
    ws.StoreChoice("Server", c.Server);
    TForm2& form = ws.Open();
    EXPECT_EQ(ws.Errors().size(), c.EngineStarts ? 0u : 1u);  // the engine's own report
    ASSERT_EQ(Where(form), "page 0 [-D-]");

    EXPECT_EQ(Record(ws, c.Inputs), c.Recorded);
    EXPECT_EQ(Table(form), c.TableAfter);
}

INSTANTIATE_TEST_SUITE_P(Paths, WizardPathTest, ::testing::ValuesIn(PathCases),
                         [](const auto& info) { return std::string(info.param.Name); });

// Page 4 of the Oracle path with no Oracle home: the table starts empty with
// a new entry, the box naming the service "xe.serwer", the four edits its
// address. What the neighbouring pages see when they show is recorded too.
TInput StoreEntry(const std::string& name, const std::string& host) {
    return World([=](WizardWorkstation& ws) {
        TClientDataSet& table = ws.Form().ClientDataSet1;
        table.Append();
        for (const auto& [field, value] : std::vector<std::pair<const char*, std::string>>{
                 {"Name", name}, {"ADDR_ADDR_PROT", "TCP"}, {"ADDR_ADDR_HOST", host}, {"ADDR_ADDR_PORT", "1521"},
                 {"CONN_SERV", "XE"}})
            table.FieldByName(field).SetAsString(value);
        table.Post();
    });
}
TInput TypeAddress(const std::string& host) {
    return Do([=](TForm2& f) {
        f.DBEdit1.UserType("TCP");
        f.DBEdit2.UserType(host);
        f.DBEdit3.UserType("1521");
        f.DBEdit4.UserType("XE");
    });
}
const TInput AppendEntry = World([](WizardWorkstation& ws) { ws.Form().ClientDataSet1.Append(); });
const TInput CancelEntry = World([](WizardWorkstation& ws) { ws.Form().ClientDataSet1.Cancel(); });

struct PendingCase {
    const char* Name;
    std::vector<TInput> Inputs;
    Strings Recorded;
};

const char* const kNoHost = "! Pole 'Nazwa lub IP serwera' musi posiadać wartość.";

// clang-format off
const PendingCase PendingCases[] = {
    // Stored under the box text before the next page shows; the buttons change after it.
    {"ANewEntryIsStoredOnDalejBeforeTheNextPageShows", {TypeAddress("db.example"), Dalej},
     {"page 4 [WD-] insert 0  db.example",
      "shown page 6 [WD-] browse 1 xe.serwer db.example", "page 6 [W-X] browse 1 xe.serwer db.example"}},
    {"AChangedStoredEntryIsStoredOnDalej", {StoreEntry("xe.serwer", "old.host"), Type(&TForm2::DBEdit2, "new.host"), Dalej},
     {"page 4 [WD-] browse 1 xe.serwer old.host", "page 4 [WD-] edit 1 xe.serwer new.host",
      "shown page 6 [WD-] browse 1 xe.serwer new.host", "page 6 [W-X] browse 1 xe.serwer new.host"}},
    // The box's text goes into the entry as it is stored, and stays there when refused.
    {"RefusedEntriesKeepTheWizardOnThePage",
     {StoreEntry("serwis", "stored.host"),
      AppendEntry, Type(&TForm2::ComboBoxOracleServer, "xe.serwer"), TypeAddress(""), Dalej, CancelEntry,
      AppendEntry, Type(&TForm2::ComboBoxOracleServer, ""), TypeAddress("db.example"), Dalej, CancelEntry,
      AppendEntry, Type(&TForm2::ComboBoxOracleServer, "SERWIS"), TypeAddress("db.example"), Dalej, CancelEntry},
     {"page 4 [WD-] browse 1 serwis stored.host",
      "page 4 [WD-] insert 1  ", "page 4 [WD-] insert 1  ", "page 4 [WD-] insert 1  ",
      "page 4 [WD-] insert 1 xe.serwer ", kNoHost, "page 4 [WD-] browse 1 serwis stored.host",
      "page 4 [WD-] insert 1  ", "page 4 [WD-] insert 1  ", "page 4 [WD-] insert 1  db.example",
      "page 4 [WD-] insert 1  db.example", "! Pole 'Nazwa' musi posiadać wartość.", "page 4 [WD-] browse 1 serwis stored.host",
      "page 4 [WD-] insert 1  ", "page 4 [WD-] insert 1  ", "page 4 [WD-] insert 1  db.example",
      "page 4 [WD-] insert 1 SERWIS db.example", "! Key violation.", "page 4 [WD-] browse 1 serwis stored.host"}},
    {"ARefusedEntryCanBeCorrectedAndStored", {TypeAddress(""), Dalej, Type(&TForm2::DBEdit2, "db.example"), Dalej},
     {"page 4 [WD-] insert 0  ", "page 4 [WD-] insert 0 xe.serwer ", kNoHost,
      "page 4 [WD-] insert 0 xe.serwer db.example", "shown page 6 [WD-] browse 1 xe.serwer db.example",
      "page 6 [W-X] browse 1 xe.serwer db.example"}},
    // Discarded after the earlier page has shown.
    {"ANewEntryIsDiscardedOnWstecz", {TypeAddress("db.example"), Wstecz},
     {"page 4 [WD-] insert 0  db.example", "shown page 2 [WD-] insert 0  db.example", "page 2 [WD-] browse empty"}},
    {"AChangeToAStoredEntryIsDiscardedOnWstecz", {StoreEntry("xe.serwer", "old.host"), Type(&TForm2::DBEdit2, "new.host"), Wstecz},
     {"page 4 [WD-] browse 1 xe.serwer old.host", "page 4 [WD-] edit 1 xe.serwer new.host",
      "shown page 2 [WD-] edit 1 xe.serwer new.host", "page 2 [WD-] browse 1 xe.serwer old.host"}},
};
// clang-format on

class PendingServiceEntryTest : public ::testing::TestWithParam<PendingCase> {};

TEST_P(PendingServiceEntryTest, RecordsThePageAndTheTable) {
    WizardWorkstation ws;
    ws.StoreChoice("Server", 1);
    TForm2& form = ws.Open();
    Record(ws, {Dalej, Dalej});
    ASSERT_EQ(form.PageControl1.ActivePage(), &form.TabSheet2Oracle);
    ASSERT_EQ(Table(form), "insert 0  ");

    Strings tape;
    for (TTabSheet* sheet : {&form.TabSheet1Oracle, &form.TabSheet3Oracle})
        sheet->OnShow = [&, own = sheet->OnShow](TObject& sender) {
            tape.push_back("shown " + Where(form) + " " + Table(form));
            if (own) own(sender);
        };
    RecordInto(tape, ws, GetParam().Inputs, [](const TForm2& f) { return Where(f) + " " + Table(f); });
    EXPECT_EQ(tape, GetParam().Recorded);
}

INSTANTIATE_TEST_SUITE_P(Entries, PendingServiceEntryTest, ::testing::ValuesIn(PendingCases),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
