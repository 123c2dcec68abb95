// Start of the wizard and moving along its two paths: creating and showing
// the form, the remembered server type and version, the alias-name prefix,
// the three buttons on every page, and what the navigation does to a pending
// entry of the service table: input sequences against what the wizard showed
// after each input.
#include <gtest/gtest.h>

#include "fakes/OracleHome.h"
#include "unit/WizardInputs.h"

namespace {

using Strings = std::vector<std::string>;
using namespace input;

constexpr auto HKCU = reg::HKeyCurrentUser;
constexpr auto HKLM = reg::HKeyLocalMachine;
const char* const Settings = WizardWorkstation::SettingsKey;

// The remembered choices: "none" without the key, else each value, numbers
// as numbers and any other type by its number.
std::string Stored(const WizardWorkstation& ws) {
    if (!ws.Registry.HasKey(HKCU, Settings)) return "none";
    std::string text = "{";
    for (const std::string& name : ws.Registry.ValueNames(HKCU, Settings)) {
        const auto number = ws.Registry.GetDword(HKCU, Settings, name);
        text += (text.size() > 1 ? " " : "") + name + "=" +
                (number ? std::to_string(*number) : "type " + std::to_string(ws.Registry.GetValue(HKCU, Settings, name)->Type));
    }
    return text + "}";
}

// Page 0 as the user sees it (s: server, w: version, k: test copy, the
// prefix, the configuration label), and what is remembered.
std::string Choices(const WizardWorkstation& ws) {
    const TForm2& form = const_cast<WizardWorkstation&>(ws).Form();
    const std::string& label = form.LabelConfigFile.Caption();
    return Where(form) + " s" + std::to_string(form.RadioGroupSerwer.ItemIndex()) + " w" +
           std::to_string(form.RadioGroupWersja.ItemIndex()) + " k" + (form.CheckBoxKopia.Checked() ? "1" : "0") +
           " '" + WizardProbe::AliasPrefix(form) + "' " +
           (label == WizardWorkstation::ConfigFile ? "cfg" : "'" + label + "'") + " " + Stored(ws);
}

struct StartCase {
    const char* Name;
    std::function<void(WizardWorkstation&)> Before;  // the workstation as an earlier run left it
    std::vector<TInput> Inputs;
    Strings Recorded;  // before the start, after it, after each input
};

const auto Nothing = [](WizardWorkstation&) {};

// clang-format off
const StartCase StartCases[] = {
    {"FirstRunCreatesTheSettingsKeyEmptyAndShowsTheDefaults", Nothing, {},
     {"none", "page 0 [-D-] s0 w1 k0 'X ' cfg {}"}},
    // Storing happens only on a user's change of the server group; a restore
    // that ran it would write the version beside the server.
    {"StoredChoicesAreRestoredWithoutBeingWritten", [](WizardWorkstation& ws) { ws.StoreChoice("Server", 1); }, {},
     {"{Server=1}", "page 0 [-D-] s1 w1 k0 'X ' cfg {Server=1}"}},
    {"StoredIndicesOutOfRangeAreClamped",
     [](WizardWorkstation& ws) { ws.StoreChoice("Server", -5), ws.StoreChoice("Wersja", 7); }, {},
     {"{Server=-5 Wersja=7}", "page 0 [-D-] s-1 w1 k0 'X ' cfg {Server=-5 Wersja=7}"}},
    // Neither the version nor the test copy is stored.
    {"PrefixFollowsTheVersionAndTheTestCopy", Nothing, {Wersja(0), Kopia, Wersja(1), Kopia},
     {"none", "page 0 [-D-] s0 w1 k0 'X ' cfg {}", "page 0 [-D-] s0 w0 k0 'II ' cfg {}",
      "page 0 [-D-] s0 w0 k1 'Kopia ' cfg {}", "page 0 [-D-] s0 w1 k1 'KopiaX ' cfg {}",
      "page 0 [-D-] s0 w1 k0 'X ' cfg {}"}},
    // Back on page 0 the stored version returns and the prefix follows it,
    // the unremembered test copy included.
    {"ShowingRecomputesThePrefixFromTheChoicesOnScreen", [](WizardWorkstation& ws) { ws.StoreChoice("Wersja", 0); },
     {Kopia, Wersja(1), Dalej, Wstecz},
     {"{Wersja=0}", "page 0 [-D-] s0 w0 k0 'II ' cfg {Wersja=0}", "page 0 [-D-] s0 w0 k1 'Kopia ' cfg {Wersja=0}",
      "page 0 [-D-] s0 w1 k1 'KopiaX ' cfg {Wersja=0}", "page 1 [WD-] s0 w1 k1 'KopiaX ' cfg {Wersja=0}",
      "page 0 [-D-] s0 w0 k1 'Kopia ' cfg {Wersja=0}"}},
    {"ChangingTheServerStoresBothChoicesAsNumbers", Nothing, {Wersja(0), Serwer(1), Serwer(0)},
     {"none", "page 0 [-D-] s0 w1 k0 'X ' cfg {}", "page 0 [-D-] s0 w0 k0 'II ' cfg {}",
      "page 0 [-D-] s1 w0 k0 'II ' cfg {Server=1 Wersja=0}", "page 0 [-D-] s0 w0 k0 'II ' cfg {Server=0 Wersja=0}"}},
    // The version after it is not applied either; the page still opens.
    {"AServerValueOfAnotherTypeIsReportedAndTheDefaultsStay",
     [](WizardWorkstation& ws) { ws.Registry.SetString(HKCU, Settings, "Server", "abc"), ws.StoreChoice("Wersja", 0); }, {},
     {"{Server=type 1 Wersja=0}", "page 0 [-D-] s0 w1 k0 'X ' cfg {Server=type 1 Wersja=0}",
      "! Niepoprawny typ danych : Server."}},
    {"AVersionValueTooLongToReadLeavesTheServerApplied",
     [](WizardWorkstation& ws) {
         ws.StoreChoice("Server", 1);
         ws.Registry.SetValue(HKCU, Settings, "Wersja", {fakereg::Binary, std::string(8, '\0')});
     }, {},
     {"{Server=1 Wersja=type 3}", "page 0 [-D-] s1 w1 k0 'X ' cfg {Server=1 Wersja=type 3}",
      "! Pobranie danych dla 'Wersja' nie powiodło się."}},
    {"ASettingsKeyThatCannotBeOpenedIsIgnoredSilently",
     [](WizardWorkstation& ws) { ws.Registry.Deny(HKCU, "\\software\\Veltra", fakereg::Denial::Open); }, {Serwer(1)},
     {"none", "page 0 [-D-] s0 w1 k0 'X ' cfg none", "page 0 [-D-] s1 w1 k0 'X ' cfg none"}},
    // A closing quote sorts below the full stop: none is added.
    {"AFailedWriteIsReportedAndTheSelectionStays",
     [](WizardWorkstation& ws) { ws.Registry.CreateKey(HKCU, Settings), ws.Registry.FailWrites(HKCU, Settings); }, {Serwer(1)},
     {"{}", "page 0 [-D-] s0 w1 k0 'X ' cfg {}", "page 0 [-D-] s1 w1 k0 'X ' cfg {}",
      "! Failed to set data for 'Server'"}},
    // The label shows no file, and the service table stays closed.
    {"AnEngineThatCannotStartIsReportedAndTheFormStillOpens",
     [](WizardWorkstation& ws) { ws.Registry.RemoveKey(HKLM, WizardWorkstation::EngineKey), ws.StoreChoice("Wersja", 0); }, {},
     {"{Wersja=0}", "page 0 [-D-] s0 w0 k0 'II ' '' {Wersja=0}",
      "! Nie można uruchomić silnika bazy danych. Silnik nie jest zarejestrowany: brak wartości CONFIGFILE01 w kluczu "
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Borland\\Database Engine."}},
    {"TheConfigurationLabelKeepsItsCaptionWhenTheEngineKeyGoes", Nothing,
     {World([](WizardWorkstation& ws) { ws.Registry.RemoveKey(HKLM, WizardWorkstation::EngineKey); }), Dalej, Wstecz},
     {"none", "page 0 [-D-] s0 w1 k0 'X ' cfg {}", "page 0 [-D-] s0 w1 k0 'X ' cfg {}",
      "page 1 [WD-] s0 w1 k0 'X ' cfg {}", "page 0 [-D-] s0 w1 k0 'X ' cfg {}"}},
};
// clang-format on

class WizardStartTableTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(WizardStartTableTest, RecordsPageZeroAndTheRememberedChoices) {
    const StartCase& c = GetParam();
    WizardWorkstation ws;
    c.Before(ws);
    Strings tape = {Stored(ws)};
    TForm2& form = ws.Open();
    EXPECT_TRUE(form.TabSheet0.Showing());  // the wizard sheet in front, its first page current
    EXPECT_EQ(form.ClientDataSet1.Active(), ws.Session.Active());  // the service table needs the engine
    tape.push_back(Choices(ws));
    for (const auto& [caption, text] : ws.ErrorBox.Shown) {
        EXPECT_EQ(caption, WizardWorkstation::Title);
        tape.push_back("! " + text);
    }
    RecordInto(tape, ws, c.Inputs, [&](const TForm2&) { return Choices(ws); });
    EXPECT_EQ(tape, c.Recorded);
    EXPECT_EQ(ws.Registry.LiveAccessorCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Starts, WizardStartTableTest, ::testing::ValuesIn(StartCases),
                         [](const auto& info) { return std::string(info.param.Name); });

// The service table: its state, then its size and the current entry's name and host.
std::string Table(const TForm2& form) {
    const TClientDataSet& table = form.ClientDataSet1;
    if (!table.Active()) return "inactive";
    if (table.IsEmpty() && table.State() == dsBrowse) return "browse empty";
    static const char* const states[] = {"inactive", "browse", "edit", "insert"};
    return states[table.State()] + (" " + std::to_string(table.RecordCount())) + " " +
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
          ws.Registry.SetString(HKCU, Settings, "Server", "x");
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
    if (!c.EngineStarts) ws.Registry.RemoveKey(HKLM, WizardWorkstation::EngineKey);
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

// The engine started for good and the page's service table ready but empty;
// page 0's private state untouched until the Oracle pages show.
TEST(WizardStartTest, ShowingStartsTheEngineAndOpensTheKeysWithTheirMasksReleasingThem) {
    WizardWorkstation ws;
    TForm2& form = ws.Open();
    EXPECT_EQ(ws.Session.ConfigMode(), cmPersistent);
    EXPECT_EQ(Table(form), "browse empty");
    EXPECT_EQ(WizardProbe::TnsNamesLines(form).Count(), 0u);
    EXPECT_EQ(WizardProbe::NetAdminDir(form), "");
    EXPECT_FALSE(WizardProbe::ServiceTableEdited(form));
    form.RadioGroupSerwer.UserSelect(1);

    const auto engineOpens = ws.Registry.OpensOf(HKLM, WizardWorkstation::EngineKey);
    ASSERT_FALSE(engineOpens.empty());
    for (const auto& open : engineOpens) {
        EXPECT_EQ(open.Access, reg::KeyRead);
        EXPECT_FALSE(open.CanCreate);
    }
    const auto settingsOpens = ws.Registry.OpensOf(HKCU, Settings);
    ASSERT_EQ(settingsOpens.size(), 2u);  // restore, then store: page 0's show handler ran once
    EXPECT_TRUE(settingsOpens[0].Created);
    for (const auto& open : settingsOpens) {
        EXPECT_EQ(open.Access, reg::KeyAllAccess);
        EXPECT_TRUE(open.CanCreate);
        EXPECT_TRUE(open.Succeeded);
    }
    EXPECT_EQ(ws.Registry.LiveAccessorCount(), 0);
    EXPECT_EQ(ws.Registry.OpenKeyCount(), 0);

    // Showing page 0 again reads both keys through one accessor.
    form.ButtonDalej.Click();
    const int before = ws.Registry.CreatedAccessorCount();
    ws.Registry.ClearOpens();
    form.ButtonWstecz.Click();
    EXPECT_EQ(ws.Registry.CreatedAccessorCount() - before, 1);
    const auto& opens = ws.Registry.Opens();
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_EQ(opens[0].Root, HKLM);
    EXPECT_EQ(opens[1].Root, HKCU);
}

}  // namespace
