#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/RecordingViews.h"
#include "base/Exception.h"
#include "ui/DBClient.h"
#include "ui/DBCtrls.h"

namespace {

using Names = std::vector<std::string>;

// The net service table: five required string fields, keyed by Name.
class ClientDataSet : public ::testing::Test {
protected:
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

    Names NamesInOrder() {
        Names result;
        for (Table.First(); !Table.Eof(); Table.Next()) result.push_back(Get("Name"));
        return result;
    }

    std::string PostError() {
        try {
            Table.Post();
        } catch (const Exception& e) {
            return e.Message();
        }
        return "(stored)";
    }

    TClientDataSet Table;
};

TEST_F(ClientDataSet, StartsEmptyAndOpen) {
    EXPECT_EQ(Table.State(), dsBrowse);
    EXPECT_TRUE(Table.IsEmpty());
    EXPECT_TRUE(Table.Eof());
    EXPECT_EQ(Get("Name"), "");
    EXPECT_EQ(Table.FieldByName("CONN_SERV").Index(), 4);
    EXPECT_EQ(Table.FieldByName("addr_addr_host").DisplayLabel(), "Nazwa lub IP serwera");
    EXPECT_EQ(Table.FindField("HOST"), nullptr);
    EXPECT_THROW(Table.FieldByName("HOST"), Exception);
}

TEST_F(ClientDataSet, RecordsAreOrderedByKeyWithoutRegardToCase) {
    for (const char* name : {"xe.serwer", "ORCL", "apex", "Baza", "orcl2"}) Store(name);
    EXPECT_EQ(NamesInOrder(), (Names{"apex", "Baza", "ORCL", "orcl2", "xe.serwer"}));
    EXPECT_EQ(Table.RecordCount(), 5);

    // Changing a key moves the record to its new place, and it stays current.
    ASSERT_TRUE(Table.Locate("Name", "xe.serwer"));
    Table.Edit();
    Set("Name", "AAA");
    Table.Post();
    EXPECT_EQ(Get("Name"), "AAA");
    EXPECT_EQ(NamesInOrder(), (Names{"AAA", "apex", "Baza", "ORCL", "orcl2"}));
}

TEST_F(ClientDataSet, LocateMatchesExactlyCaseIncluded) {
    Store("XE", "host-xe");
    Store("ORCL", "host-orcl");
    ASSERT_TRUE(Table.Locate("Name", "XE"));
    EXPECT_EQ(Get("ADDR_ADDR_HOST"), "host-xe");

    EXPECT_FALSE(Table.Locate("Name", "orcl"));
    EXPECT_EQ(Get("Name"), "XE");  // no match, no move
    EXPECT_FALSE(Table.Locate("Name", "X"));
    EXPECT_TRUE(Table.Locate("ADDR_ADDR_HOST", "host-orcl"));
    EXPECT_EQ(Get("Name"), "ORCL");
    EXPECT_THROW(Table.Locate("NoSuchField", "x"), Exception);
}

TEST_F(ClientDataSet, NewRecordEventSeesTheEmptyRecordAndItsDefaultsAreNoChange) {
    int fired = 0;
    Table.OnNewRecord = [&](TObject& sender) {
        ++fired;
        EXPECT_EQ(&sender, &Table);
        EXPECT_EQ(Table.State(), dsInsert);
        EXPECT_EQ(Get("Name"), "");
        Set("ADDR_ADDR_PROT", "TCP");
        Set("ADDR_ADDR_PORT", "1521");
        Set("CONN_SERV", "XE");
    };
    Store("ORCL");
    ASSERT_EQ(fired, 1);

    Table.Append();
    EXPECT_EQ(fired, 2);
    EXPECT_EQ(Get("ADDR_ADDR_PORT"), "1521");
    // Moving away from an untouched new record drops it: the defaults are no change.
    Table.First();
    EXPECT_EQ(Table.State(), dsBrowse);
    EXPECT_EQ(Table.RecordCount(), 1);
}

TEST_F(ClientDataSet, AfterEditFiresOnceWhenEditingStarts) {
    Store("ORCL");
    std::vector<TDataSetState> states;
    Table.AfterEdit = [&](TObject&) { states.push_back(Table.State()); };
    Table.Edit();
    Table.Edit();
    EXPECT_EQ(states, std::vector<TDataSetState>{dsEdit});

    Table.Cancel();
    Table.Append();
    Table.Edit();  // a new record stays new
    EXPECT_EQ(Table.State(), dsInsert);
    EXPECT_EQ(states.size(), 1u);
}

TEST_F(ClientDataSet, EditOnAnEmptyTableStartsANewRecord) {
    int newRecords = 0, edits = 0;
    Table.OnNewRecord = [&](TObject&) { ++newRecords; };
    Table.AfterEdit = [&](TObject&) { ++edits; };
    Table.Edit();
    EXPECT_EQ(Table.State(), dsInsert);
    EXPECT_EQ(newRecords, 1);
    EXPECT_EQ(edits, 0);
}

TEST_F(ClientDataSet, RequiredFieldMessageNamesTheFirstEmptyFieldByItsLabel) {
    Table.Append();
    EXPECT_EQ(PostError(), "Pole 'Nazwa' musi posiadać wartość");

    Set("Name", "ORCL");
    Set("ADDR_ADDR_PROT", "TCP");
    // Host and port are both empty: the host comes first in field order.
    Set("CONN_SERV", "XE");
    EXPECT_EQ(PostError(), "Pole 'Nazwa lub IP serwera' musi posiadać wartość");

    Set("ADDR_ADDR_HOST", "serwer");
    EXPECT_EQ(PostError(), "Pole 'Port serwera' musi posiadać wartość");

    // A refused record stays pending with what it holds.
    EXPECT_EQ(Table.State(), dsInsert);
    EXPECT_EQ(Get("ADDR_ADDR_HOST"), "serwer");
    EXPECT_EQ(Table.RecordCount(), 0);
    Set("ADDR_ADDR_PORT", "1521");
    EXPECT_EQ(PostError(), "(stored)");
    EXPECT_EQ(Table.State(), dsBrowse);
    EXPECT_EQ(Table.RecordCount(), 1);
}

TEST_F(ClientDataSet, KeyEqualWithoutRegardToCaseIsAViolation) {
    Store("XE");
    Store("ORCL");

    Table.Append();
    for (const char* field : {"ADDR_ADDR_PROT", "ADDR_ADDR_HOST", "ADDR_ADDR_PORT", "CONN_SERV"}) Set(field, "v");
    Set("Name", "xe");
    EXPECT_EQ(PostError(), "Key violation.");
    EXPECT_EQ(Table.State(), dsInsert);
    EXPECT_EQ(Get("Name"), "xe");
    EXPECT_EQ(Table.RecordCount(), 2);

    Table.Cancel();
    ASSERT_TRUE(Table.Locate("Name", "ORCL"));
    Table.Edit();
    Set("Name", "Xe");
    EXPECT_EQ(PostError(), "Key violation.");
    EXPECT_EQ(Table.State(), dsEdit);

    // A record does not collide with itself.
    Set("Name", "orcl");
    EXPECT_EQ(PostError(), "(stored)");
    EXPECT_EQ(NamesInOrder(), (Names{"orcl", "XE"}));
}

// Renames free their old keys and take the new ones.
TEST_F(ClientDataSet, KeysFollowRenames) {
    struct Step {
        const char* Name;
        const char* To;  // rename to; null: store Name
        const char* Result;
    };
    const Step steps[] = {
        {"b", nullptr, "(stored)"}, {"A", nullptr, "(stored)"}, {"c", nullptr, "(stored)"},
        {"b", "D", "(stored)"},     {"B", nullptr, "(stored)"}, {"A", "d", "Key violation."},
        {"A", "a", "(stored)"},     {"c", "E", "(stored)"},     {"C", nullptr, "(stored)"},
        {"a", "B2", "(stored)"},    {"A", nullptr, "(stored)"},
    };
    for (const Step& step : steps) {
        if (step.To) {
            ASSERT_TRUE(Table.Locate("Name", step.Name)) << step.Name;
            Table.Edit();
        } else {
            Table.Append();
            for (const char* field : {"ADDR_ADDR_PROT", "ADDR_ADDR_HOST", "ADDR_ADDR_PORT", "CONN_SERV"}) Set(field, "v");
        }
        Set("Name", step.To ? step.To : step.Name);
        EXPECT_EQ(PostError(), step.Result) << step.Name << " -> " << (step.To ? step.To : "");
        if (Table.State() != dsBrowse) Table.Cancel();
    }
    EXPECT_EQ(NamesInOrder(), (Names{"A", "B", "B2", "C", "D", "E"}));
    // A located record sits at its place in key order.
    ASSERT_TRUE(Table.Locate("Name", "C"));
    Table.Next();
    EXPECT_EQ(Get("Name"), "D");
}

TEST_F(ClientDataSet, ValuesAreCutToTheFieldWidthInCharacters) {
    Table.Append();
    Set("Name", std::string(40, 'N'));
    EXPECT_EQ(Get("Name"), std::string(30, 'N'));
    Set("ADDR_ADDR_PROT", "ŁŁŁŁŁŁŁŁŁŁŁŁ");  // 12 two-byte letters into 10
    EXPECT_EQ(Get("ADDR_ADDR_PROT"), "ŁŁŁŁŁŁŁŁŁŁ");
    Set("ADDR_ADDR_PORT", "1521");
    EXPECT_EQ(Get("ADDR_ADDR_PORT"), "1521");
}

TEST_F(ClientDataSet, CancelDiscardsTheChangeOrTheNewRecord) {
    Store("ORCL", "old-host");
    Store("XE");
    ASSERT_TRUE(Table.Locate("Name", "ORCL"));

    Table.Edit();
    Set("ADDR_ADDR_HOST", "new-host");
    Table.Cancel();
    EXPECT_EQ(Table.State(), dsBrowse);
    EXPECT_EQ(Get("ADDR_ADDR_HOST"), "old-host");

    Table.Append();
    Set("Name", "NEW");
    Table.Cancel();
    EXPECT_EQ(Table.RecordCount(), 2);
    EXPECT_EQ(Get("Name"), "XE");  // the last record, where Append went

    Table.Cancel();  // nothing pending: nothing happens
    EXPECT_EQ(Get("Name"), "XE");
}

TEST_F(ClientDataSet, FieldsChangeOnlyWhileARecordIsPending) {
    Store("ORCL");
    EXPECT_THROW(Set("ADDR_ADDR_HOST", "x"), Exception);
    EXPECT_EQ(Get("ADDR_ADDR_HOST"), "serwer");
    Table.Post();  // nothing pending: nothing happens
    EXPECT_EQ(Table.State(), dsBrowse);
}

TEST_F(ClientDataSet, MovingAwayStoresAChangedRecordAndARefusalKeepsIt) {
    Store("ORCL");
    Store("XE");
    ASSERT_TRUE(Table.Locate("Name", "XE"));
    Table.Edit();
    Set("CONN_SERV", "ORCLPDB");
    Table.First();
    EXPECT_EQ(Table.State(), dsBrowse);
    ASSERT_TRUE(Table.Locate("Name", "XE"));
    EXPECT_EQ(Get("CONN_SERV"), "ORCLPDB");

    Table.Edit();
    Set("ADDR_ADDR_HOST", "");
    EXPECT_THROW(Table.Next(), Exception);
    EXPECT_EQ(Table.State(), dsEdit);
    EXPECT_EQ(Get("Name"), "XE");
}

TEST_F(ClientDataSet, NavigationReportsTheEnd) {
    Store("A");
    Store("B");
    Table.First();
    EXPECT_EQ(Get("Name"), "A");
    Table.Next();
    EXPECT_FALSE(Table.Eof());
    EXPECT_EQ(Get("Name"), "B");
    Table.Next();
    EXPECT_TRUE(Table.Eof());
    EXPECT_EQ(Get("Name"), "B");

    Table.EmptyDataSet();
    EXPECT_TRUE(Table.IsEmpty());
    EXPECT_TRUE(Table.Eof());
    EXPECT_EQ(Get("Name"), "");
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
    EXPECT_EQ(Host.Text(), "orcl-host");
    EXPECT_EQ(Port.Text(), "1521");
    EXPECT_EQ(Host.MaxLength(), 30);
    EXPECT_EQ(Port.MaxLength(), 10);

    ASSERT_TRUE(Table.Locate("Name", "XE"));
    EXPECT_EQ(Host.Text(), "xe-host");

    Table.Edit();
    Set("ADDR_ADDR_HOST", "changed");
    EXPECT_EQ(Host.Text(), "changed");
    Table.Cancel();
    EXPECT_EQ(Host.Text(), "xe-host");

    Table.Append();
    EXPECT_EQ(Host.Text(), "");
    EXPECT_EQ(HostChanges + PortChanges, 0);
}

TEST_F(DBEditBinding, TypingPutsAStoredRecordIntoEditing) {
    Store("ORCL", "orcl-host");
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
    EXPECT_EQ(Table.State(), dsEdit);
    EXPECT_EQ(afterEdit, 1);
    EXPECT_EQ(Get("ADDR_ADDR_HOST"), "10.0.0.12");
    EXPECT_EQ(HostChanges, 2);
    EXPECT_EQ(PortChanges, 0);
    EXPECT_EQ(peer.ChangesOf(Host), (std::vector<TChange>{TChange::Text, TChange::Text}));

    Table.Post();
    EXPECT_EQ(Get("ADDR_ADDR_HOST"), "10.0.0.12");
}

TEST_F(DBEditBinding, TypingIntoANewRecordKeepsItNewAndIsCutToTheField) {
    int afterEdit = 0;
    Table.AfterEdit = [&](TObject&) { ++afterEdit; };
    Table.Append();
    Port.UserType("15210000000000");
    EXPECT_EQ(Table.State(), dsInsert);
    EXPECT_EQ(afterEdit, 0);
    EXPECT_EQ(Get("ADDR_ADDR_PORT"), "1521000000");
    EXPECT_EQ(Port.Text(), "1521000000");
    EXPECT_EQ(PortChanges, 1);
}

TEST_F(DBEditBinding, UnboundOrReadOnlyEditIgnoresTyping) {
    Store("ORCL");
    TDBEdit unbound;
    unbound.UserType("x");
    EXPECT_EQ(unbound.Text(), "");

    Host.SetReadOnly(true);
    Host.UserType("x");
    EXPECT_EQ(Table.State(), dsBrowse);
    EXPECT_EQ(Host.Text(), "serwer");
    EXPECT_EQ(HostChanges, 0);
}

TEST_F(DBEditBinding, EditsLetGoOfATableThatGoes) {
    auto other = std::make_unique<TClientDataSet>();
    other->AddFieldDef({"ADDR_ADDR_HOST", 30, "", false});
    other->CreateDataSet();
    other->Append();
    other->FieldByName("ADDR_ADDR_HOST").SetAsString("other-host");
    other->Post();
    Source.SetDataSet(other.get());
    EXPECT_EQ(Host.Text(), "other-host");
    EXPECT_EQ(Port.Text(), "");  // no such field there

    other.reset();
    EXPECT_EQ(Source.DataSet(), nullptr);
    EXPECT_EQ(Host.Text(), "");
    Host.UserType("x");
    EXPECT_EQ(HostChanges, 0);
}

}  // namespace
