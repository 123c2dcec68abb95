// The in-memory table and the data-aware edits on it: step sequences against
// what the table showed after each step.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/Exception.h"
#include "fakes/RecordingViews.h"
#include "ui/DBClient.h"
#include "ui/DBCtrls.h"

namespace {

const char* const kStates[] = {"inactive", "browse", "edit", "insert"};
const char* const kAddress[] = {"ADDR_ADDR_PROT", "ADDR_ADDR_HOST", "ADDR_ADDR_PORT", "CONN_SERV"};

// The net service table: five required string fields, keyed by Name.
struct ClientDataSet : ::testing::Test {
    ClientDataSet() {
        Table.AddFieldDef({"Name", 30, "Nazwa", true});
        Table.AddFieldDef({"ADDR_ADDR_PROT", 10, "Protokół", true});
        Table.AddFieldDef({"ADDR_ADDR_HOST", 30, "Nazwa lub IP serwera", true});
        Table.AddFieldDef({"ADDR_ADDR_PORT", 10, "Port serwera", true});
        Table.AddFieldDef({"CONN_SERV", 20, "Nazwa bazy (SID)", true});
        Table.SetPrimaryIndex("Name");
        Table.CreateDataSet();
    }

    void Set(const char* field, const std::string& value) { Table.FieldByName(field).SetAsString(value); }
    std::string Get(const char* field) const { return Table.FieldByName(field).AsString(); }

    void Store(const std::string& name, const std::string& host = "serwer") {
        Table.Append();
        Set("Name", name);
        Set("ADDR_ADDR_PROT", "TCP");
        Set("ADDR_ADDR_HOST", host);
        Set("ADDR_ADDR_PORT", "1521");
        Set("CONN_SERV", "XE");
        Table.Post();
    }

    TClientDataSet Table;
};

struct DataSetSteps;
using TStep = std::function<void(DataSetSteps&)>;
struct StepCase {
    const char* Name;
    std::vector<std::pair<TStep, std::string>> Steps;  // each with the look it leaves
};

// The table after each step: "edit 2 ORCL serwer eof +new +edit", the state,
// the size, the current name and host, the end, and the events fired meanwhile.
struct DataSetSteps : ClientDataSet, ::testing::WithParamInterface<StepCase> {
    DataSetSteps() {
        Table.OnNewRecord = [this](TObject& sender) {
            EXPECT_EQ(&sender, &Table);
            // The event sees the empty new record.
            EXPECT_EQ(Table.State(), dsInsert);
            EXPECT_EQ(Get("Name"), "");
            Fired += " +new";
            if (Defaults)
                for (const auto& [field, value] : {std::pair{"ADDR_ADDR_PROT", "TCP"}, {"ADDR_ADDR_PORT", "1521"},
                                                   {"CONN_SERV", "XE"}})
                    Set(field, value);
        };
        Table.AfterEdit = [this](TObject&) {
            EXPECT_EQ(Table.State(), dsEdit);
            Fired += " +edit";
        };
    }

    std::string Look() {
        std::string text = std::string(kStates[Table.State()]) + " " + std::to_string(Table.RecordCount()) + " " +
                           Get("Name") + " " + Get("ADDR_ADDR_HOST") + (Table.Eof() ? " eof" : "") + Fired;
        Fired.clear();
        return text;
    }

    bool Defaults = false;
    std::string Fired;
    std::string Note;  // what a step read, written before the look
};

// A record stored on the way, firing the new-record event alone.
TStep Stored(const std::string& name, const std::string& host = "serwer") {
    return [=](DataSetSteps& t) {
        t.Store(name, host);
        EXPECT_EQ(t.Fired, " +new");
        t.Fired.clear();
    };
}
TStep Set(const char* field, const std::string& value) {
    return [=](DataSetSteps& t) { t.Set(field, value); };
}
TStep Get(const char* field) {
    return [=](DataSetSteps& t) { t.Note = field + std::string("=") + t.Get(field); };
}
TStep Locate(const char* field, const std::string& value) {
    return [=](DataSetSteps& t) { t.Note = t.Table.Locate(field, value) ? "found" : "not found"; };
}
TStep Locate(const std::string& name) { return Locate("Name", name); }
// A new record with its address filled in, still to be named.
const TStep AppendFilled = [](DataSetSteps& t) {
    t.Table.Append();
    for (const char* field : kAddress) t.Set(field, "v");
};
TStep Rename(const std::string& from, const std::string& to) {
    return [=](DataSetSteps& t) {
        if (!t.Table.Locate("Name", from)) throw Exception("no " + from);
        t.Table.Edit();
        t.Set("Name", to);
        t.Table.Post();
    };
}
const TStep Append = [](DataSetSteps& t) { t.Table.Append(); };
const TStep Edit = [](DataSetSteps& t) { t.Table.Edit(); };
const TStep Post = [](DataSetSteps& t) { t.Table.Post(); };
const TStep Cancel = [](DataSetSteps& t) { t.Table.Cancel(); };
const TStep First = [](DataSetSteps& t) { t.Table.First(); };
const TStep Next = [](DataSetSteps& t) { t.Table.Next(); };
const TStep Empty = [](DataSetSteps& t) { t.Table.EmptyDataSet(); };
const TStep WithDefaults = [](DataSetSteps& t) { t.Defaults = true; };
// The names in key order, read through to the end.
const TStep Order = [](DataSetSteps& t) {
    for (t.Table.First(); !t.Table.Eof(); t.Table.Next()) t.Note += (t.Note.empty() ? "" : " ") + t.Get("Name");
};

TEST_P(DataSetSteps, RecordsTheTableAfterEachStep) {
    for (const auto& [step, recorded] : GetParam().Steps) {
        std::string tape;
        try {
            step(*this);
        } catch (const Exception& e) {
            tape = "! " + e.Message() + " | ";
        }
        if (!Note.empty()) tape += Note + " | ";
        Note.clear();
        EXPECT_EQ(tape + Look(), recorded);
    }
}

const std::string kNoHost = "! Pole 'Nazwa lub IP serwera' musi posiadać wartość | ";
const std::string kKeyViolation = "! Key violation. | ";
const std::string kThirtyN = std::string(30, 'N') + " ";

// clang-format off
const StepCase StepCases[] = {
    // A changed key moves its record, which stays current; reading on past the end stays on the last record.
    {"RecordsAreOrderedByKeyWithoutRegardToCase", {{Stored("xe.serwer"), "browse 1 xe.serwer serwer"},
     {Stored("ORCL"), "browse 2 ORCL serwer"}, {Stored("apex"), "browse 3 apex serwer"},
     {Stored("Baza"), "browse 4 Baza serwer"}, {Stored("orcl2"), "browse 5 orcl2 serwer"},
     {Order, "apex Baza ORCL orcl2 xe.serwer | browse 5 xe.serwer serwer eof"},
     {Locate("xe.serwer"), "found | browse 5 xe.serwer serwer"}, {Edit, "edit 5 xe.serwer serwer +edit"},
     {Set("Name", "AAA"), "edit 5 AAA serwer"}, {Post, "browse 5 AAA serwer"},
     {Order, "AAA apex Baza ORCL orcl2 | browse 5 orcl2 serwer eof"}, {Next, "browse 5 orcl2 serwer eof"},
     {Empty, "browse 0   eof"}}},
    // No match, no move.
    {"LocateMatchesExactlyCaseIncluded", {{Stored("XE", "host-xe"), "browse 1 XE host-xe"},
     {Stored("ORCL", "host-orcl"), "browse 2 ORCL host-orcl"}, {Locate("XE"), "found | browse 2 XE host-xe"},
     {Locate("orcl"), "not found | browse 2 XE host-xe"}, {Locate("X"), "not found | browse 2 XE host-xe"},
     {Locate("ADDR_ADDR_HOST", "host-orcl"), "found | browse 2 ORCL host-orcl"},
     {Locate("NoSuchField", "x"), "! Nie znaleziono pola 'NoSuchField' | browse 2 ORCL host-orcl"}}},
    // The defaults fill what Post needs, yet moving away from an untouched new record drops it.
    {"NewRecordDefaultsAreNoChange", {{WithDefaults, "browse 0   eof"}, {Append, "insert 0   +new"},
     {Set("Name", "ORCL"), "insert 0 ORCL "}, {Set("ADDR_ADDR_HOST", "serwer"), "insert 0 ORCL serwer"},
     {Post, "browse 1 ORCL serwer"}, {Append, "insert 1   +new"},
     {Get("ADDR_ADDR_PORT"), "ADDR_ADDR_PORT=1521 | insert 1  "}, {First, "browse 1 ORCL serwer"}}},
    // A new record stays new; Edit on an empty table starts one.
    {"AfterEditFiresOnceWhenEditingStarts", {{Edit, "insert 0   +new"}, {Cancel, "browse 0   eof"},
     {Stored("ORCL"), "browse 1 ORCL serwer"}, {Edit, "edit 1 ORCL serwer +edit"}, {Edit, "edit 1 ORCL serwer"},
     {Cancel, "browse 1 ORCL serwer"}, {Append, "insert 1   +new"}, {Edit, "insert 1  "}}},
    // In field order; a refused record stays pending with what it holds.
    {"RequiredFieldMessageNamesTheFirstEmptyFieldByItsLabel", {{Append, "insert 0   +new"},
     {Post, "! Pole 'Nazwa' musi posiadać wartość | insert 0  "}, {Set("Name", "ORCL"), "insert 0 ORCL "},
     {Set("ADDR_ADDR_PROT", "TCP"), "insert 0 ORCL "}, {Set("CONN_SERV", "XE"), "insert 0 ORCL "},
     {Post, kNoHost + "insert 0 ORCL "}, {Set("ADDR_ADDR_HOST", "serwer"), "insert 0 ORCL serwer"},
     {Post, "! Pole 'Port serwera' musi posiadać wartość | insert 0 ORCL serwer"},
     {Set("ADDR_ADDR_PORT", "1521"), "insert 0 ORCL serwer"}, {Post, "browse 1 ORCL serwer"}}},
    // A record does not collide with itself.
    {"KeyEqualWithoutRegardToCaseIsAViolation", {{Stored("XE"), "browse 1 XE serwer"},
     {Stored("ORCL"), "browse 2 ORCL serwer"}, {AppendFilled, "insert 2  v +new"}, {Set("Name", "xe"), "insert 2 xe v"},
     {Post, kKeyViolation + "insert 2 xe v"}, {Cancel, "browse 2 XE serwer"},
     {Locate("ORCL"), "found | browse 2 ORCL serwer"}, {Edit, "edit 2 ORCL serwer +edit"},
     {Set("Name", "Xe"), "edit 2 Xe serwer"}, {Post, kKeyViolation + "edit 2 Xe serwer"},
     {Set("Name", "orcl"), "edit 2 orcl serwer"}, {Post, "browse 2 orcl serwer"},
     {Order, "orcl XE | browse 2 XE serwer eof"}}},
    // Renames free their old keys and take the new ones; a located record sits at its place in key order.
    {"KeysFollowRenames", {{Stored("b"), "browse 1 b serwer"}, {Stored("A"), "browse 2 A serwer"},
     {Stored("c"), "browse 3 c serwer"}, {Rename("b", "D"), "browse 3 D serwer +edit"},
     {Stored("B"), "browse 4 B serwer"}, {Rename("A", "d"), kKeyViolation + "edit 4 d serwer +edit"},
     {Cancel, "browse 4 A serwer"}, {Rename("A", "a"), "browse 4 a serwer +edit"},
     {Rename("c", "E"), "browse 4 E serwer +edit"}, {Stored("C"), "browse 5 C serwer"},
     {Rename("a", "B2"), "browse 5 B2 serwer +edit"}, {Stored("A"), "browse 6 A serwer"},
     {Order, "A B B2 C D E | browse 6 E serwer eof"}, {Locate("C"), "found | browse 6 C serwer"},
     {Next, "browse 6 D serwer"}}},
    {"ValuesAreCutToTheFieldWidthInCharacters", {{Append, "insert 0   +new"},
     {Set("Name", std::string(40, 'N')), "insert 0 " + kThirtyN},
     {Set("ADDR_ADDR_PROT", "ŁŁŁŁŁŁŁŁŁŁŁŁ"), "insert 0 " + kThirtyN},
     {Get("ADDR_ADDR_PROT"), "ADDR_ADDR_PROT=ŁŁŁŁŁŁŁŁŁŁ | insert 0 " + kThirtyN},
     {Set("ADDR_ADDR_PORT", "1521"), "insert 0 " + kThirtyN},
     {Get("ADDR_ADDR_PORT"), "ADDR_ADDR_PORT=1521 | insert 0 " + kThirtyN}}},
    // A discarded new record leaves the last record current, where Append went.
    {"CancelDiscardsTheChangeOrTheNewRecord", {{Stored("ORCL", "old-host"), "browse 1 ORCL old-host"},
     {Stored("XE"), "browse 2 XE serwer"}, {Locate("ORCL"), "found | browse 2 ORCL old-host"},
     {Edit, "edit 2 ORCL old-host +edit"}, {Set("ADDR_ADDR_HOST", "new-host"), "edit 2 ORCL new-host"},
     {Cancel, "browse 2 ORCL old-host"}, {Append, "insert 2   +new"}, {Set("Name", "NEW"), "insert 2 NEW "},
     {Cancel, "browse 2 XE serwer"}, {Cancel, "browse 2 XE serwer"}}},
    // Post with nothing pending does nothing.
    {"FieldsChangeOnlyWhileARecordIsPending", {{Stored("ORCL"), "browse 1 ORCL serwer"},
     {Set("ADDR_ADDR_HOST", "x"), "! Zbiór danych nie jest w trybie edycji lub wstawiania | browse 1 ORCL serwer"},
     {Post, "browse 1 ORCL serwer"}}},
    {"MovingAwayStoresAChangedRecordAndARefusalKeepsIt", {{Stored("ORCL"), "browse 1 ORCL serwer"},
     {Stored("XE"), "browse 2 XE serwer"}, {Locate("XE"), "found | browse 2 XE serwer"},
     {Edit, "edit 2 XE serwer +edit"}, {Set("CONN_SERV", "ORCLPDB"), "edit 2 XE serwer"},
     {First, "browse 2 ORCL serwer"}, {Locate("XE"), "found | browse 2 XE serwer"},
     {Get("CONN_SERV"), "CONN_SERV=ORCLPDB | browse 2 XE serwer"}, {Edit, "edit 2 XE serwer +edit"},
     {Set("ADDR_ADDR_HOST", ""), "edit 2 XE "}, {Next, kNoHost + "edit 2 XE "}}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Table, DataSetSteps, ::testing::ValuesIn(StepCases),
                         [](const auto& info) { return std::string(info.param.Name); });

// It starts empty and open: the first look of NewRecordDefaultsAreNoChange.
TEST_F(ClientDataSet, FieldsAreFoundByNameWithoutRegardToCase) {
    EXPECT_EQ(Table.FieldByName("CONN_SERV").Index(), 4);
    EXPECT_EQ(Table.FieldByName("addr_addr_host").DisplayLabel(), "Nazwa lub IP serwera");
    EXPECT_EQ(Table.FindField("HOST"), nullptr);
    EXPECT_THROW(Table.FieldByName("HOST"), Exception);
}

TEST(ClientDataSetDefinition, NeedsFieldsAndAKnownIndexField) {
    TClientDataSet noFields;
    EXPECT_THROW(noFields.CreateDataSet(), Exception);
    EXPECT_FALSE(noFields.Active());
    EXPECT_THROW(noFields.Append(), Exception);

    TClientDataSet badIndex;
    badIndex.AddFieldDef({"Name", 30, "Nazwa", true});
    badIndex.SetPrimaryIndex("Id");
    EXPECT_THROW(badIndex.CreateDataSet(), Exception);
    EXPECT_FALSE(badIndex.Active());
}

// The data-aware edits of the service page, bound through a data source.
class DBEditBinding : public ClientDataSet {
protected:
    DBEditBinding() {
        Source.SetDataSet(&Table);
        Host.SetDataSource(&Source);
        Host.SetDataField("ADDR_ADDR_HOST");
        Port.SetDataSource(&Source);
        Port.SetDataField("ADDR_ADDR_PORT");
        Host.OnChange = [this](TObject&) { ++HostChanges; };
        Port.OnChange = [this](TObject&) { ++PortChanges; };
    }
    // The edits' texts, the table's state and the change events fired so far: "a|1521 edit 1/0".
    std::string Shown() const {
        return Host.Text() + "|" + Port.Text() + " " + kStates[Table.State()] + " " + std::to_string(HostChanges) +
               "/" + std::to_string(PortChanges);
    }

    TDataSource Source;
    TDBEdit Host;
    TDBEdit Port;
    int HostChanges = 0;
    int PortChanges = 0;
};

TEST_F(DBEditBinding, ShowsTheCurrentRecordWithoutFiringEvents) {
    Store("ORCL", "orcl-host");
    Store("XE", "xe-host");
    ASSERT_TRUE(Table.Locate("Name", "ORCL"));
    EXPECT_EQ(Shown(), "orcl-host|1521 browse 0/0");
    EXPECT_EQ(std::pair(Host.MaxLength(), Port.MaxLength()), std::pair(30, 10));
    ASSERT_TRUE(Table.Locate("Name", "XE"));
    EXPECT_EQ(Shown(), "xe-host|1521 browse 0/0");
    Table.Edit();
    Set("ADDR_ADDR_HOST", "changed");
    EXPECT_EQ(Shown(), "changed|1521 edit 0/0");
    Table.Cancel();
    EXPECT_EQ(Shown(), "xe-host|1521 browse 0/0");
    Table.Append();
    EXPECT_EQ(Shown(), "| insert 0/0");
}

TEST_F(DBEditBinding, TypingPutsAStoredRecordIntoEditingAndANewOneStaysNew) {
    Store("ORCL", "orcl-host");
    // Unbound or read-only edits ignore typing.
    TDBEdit unbound;
    unbound.UserType("x");
    EXPECT_EQ(unbound.Text(), "");
    Host.SetReadOnly(true);
    Host.UserType("x");
    EXPECT_EQ(Shown(), "orcl-host|1521 browse 0/0");
    Host.SetReadOnly(false);

    int afterEdit = 0;
    Table.AfterEdit = [&](TObject&) {
        ++afterEdit;
        // Edited values are not there yet when editing starts.
        EXPECT_EQ(Get("ADDR_ADDR_HOST"), "orcl-host");
    };
    TRecordingPeer peer;
    peer.Watch({&Host});
    Host.UserType("10.0.0.1");
    Host.UserType("10.0.0.12");
    EXPECT_EQ(Shown(), "10.0.0.12|1521 edit 2/0");
    EXPECT_EQ(afterEdit, 1);
    EXPECT_EQ(Get("ADDR_ADDR_HOST"), "10.0.0.12");
    EXPECT_EQ(peer.ChangesOf(Host), (std::vector<TChange>{TChange::Text, TChange::Text}));
    Table.Post();
    EXPECT_EQ(Get("ADDR_ADDR_HOST"), "10.0.0.12");

    // A new record stays new, and typing is cut to the field.
    Table.Append();
    Port.UserType("15210000000000");
    EXPECT_EQ(Shown(), "|1521000000 insert 2/1");
    EXPECT_EQ(Get("ADDR_ADDR_PORT"), "1521000000");
    EXPECT_EQ(afterEdit, 1);  // a new record stays new
}

TEST_F(DBEditBinding, EditsLetGoOfATableThatGoes) {
    auto other = std::make_unique<TClientDataSet>();
    other->AddFieldDef({"ADDR_ADDR_HOST", 30, "", false});
    other->CreateDataSet();
    other->Append();
    other->FieldByName("ADDR_ADDR_HOST").SetAsString("other-host");
    other->Post();
    Source.SetDataSet(other.get());
    EXPECT_EQ(Shown(), "other-host| browse 0/0");  // no port field there

    other.reset();
    EXPECT_EQ(Source.DataSet(), nullptr);
    Host.UserType("x");
    EXPECT_EQ(Shown(), "| browse 0/0");
}

}  // namespace
