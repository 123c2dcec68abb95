#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fakes/RecordingViews.h"
#include "base/Exception.h"
#include "ui/StdCtrls.h"

namespace {

// Counts how often an event fired.
struct TEventCounter {
    int Count = 0;
    TObject* LastSender = nullptr;
    TNotifyEvent Handler() {
        return [this](TObject& sender) {
            ++Count;
            LastSender = &sender;
        };
    }
};

// An item object that reports its destruction.
class TTracked : public TObject {
public:
    explicit TTracked(int& freed) : freed_(freed) {}
    ~TTracked() override { ++freed_; }

private:
    int& freed_;
};

TEST(UiControls, CodeChangesTellThePeerButFireNoEvents) {
    TEdit edit;
    TComboBox combo;
    TCheckBox check;
    TRadioGroup radio;
    radio.Items().Assign(std::vector<std::string>{"Microsoft SQL Server", "Oracle Server"});
    TRecordingPeer peer;
    peer.Watch({&edit, &combo, &check, &radio});
    TEventCounter editChange, comboChange, comboDropDown, checkClick, radioClick;
    edit.OnChange = editChange.Handler();
    combo.OnChange = comboChange.Handler();
    combo.OnDropDown = comboDropDown.Handler();
    check.OnClick = checkClick.Handler();
    radio.OnClick = radioClick.Handler();

    edit.SetText("xe.serwer");
    combo.Items().Add("ORCL");
    combo.SetText("orcl");
    combo.SetItemIndex(-1);
    combo.Clear();
    check.SetChecked(true);
    radio.SetItemIndex(1);

    EXPECT_EQ(editChange.Count, 0);
    EXPECT_EQ(comboChange.Count, 0);
    EXPECT_EQ(comboDropDown.Count, 0);
    EXPECT_EQ(checkClick.Count, 0);
    EXPECT_EQ(radioClick.Count, 0);

    EXPECT_EQ(peer.ChangesOf(edit), std::vector<TChange>{TChange::Text});
    EXPECT_EQ(peer.ChangesOf(check), std::vector<TChange>{TChange::Selection});
    EXPECT_EQ(peer.ChangesOf(radio), std::vector<TChange>{TChange::Selection});
    EXPECT_EQ(peer.ChangesOf(combo),
              (std::vector<TChange>{TChange::Items, TChange::Text, TChange::Selection,  // text "orcl" selects ORCL
                                    TChange::Text, TChange::Selection,                  // ItemIndex -1 empties
                                    TChange::Items}));                                 // Clear (text already empty)
    EXPECT_EQ(edit.Text(), "xe.serwer");
    EXPECT_TRUE(check.Checked());
    EXPECT_EQ(radio.ItemIndex(), 1);
}

TEST(UiControls, SettingTheSameValueAgainTellsThePeerNothing) {
    TEdit edit;
    TCheckBox check;
    TRecordingPeer peer;
    peer.Watch({&edit, &check});
    edit.SetText("a");
    edit.SetText("a");
    edit.SetEnabled(true);
    check.SetChecked(false);
    EXPECT_EQ(peer.ChangesOf(edit), std::vector<TChange>{TChange::Text});
    EXPECT_TRUE(peer.ChangesOf(check).empty());
}

TEST(UiControls, UserActionsFireTheirEvents) {
    TEdit edit;
    TCheckBox check;
    TButton button;
    TEventCounter editChange, checkClick, buttonClick;
    edit.OnChange = editChange.Handler();
    check.OnClick = checkClick.Handler();
    button.OnClick = buttonClick.Handler();

    edit.UserType("abc");
    edit.UserType("abc");  // no change, no event
    EXPECT_EQ(edit.Text(), "abc");
    EXPECT_EQ(editChange.Count, 1);
    EXPECT_EQ(editChange.LastSender, &edit);

    check.UserToggle();
    EXPECT_TRUE(check.Checked());
    check.UserToggle();
    EXPECT_FALSE(check.Checked());
    EXPECT_EQ(checkClick.Count, 2);

    button.Click();
    EXPECT_EQ(buttonClick.Count, 1);
    EXPECT_EQ(buttonClick.LastSender, &button);
}

TEST(UiControls, UnreachableControlsIgnoreTheUser) {
    TGroupBox box;
    TButton button;
    TEdit edit;
    TCheckBox check;
    button.SetParent(&box);
    edit.SetParent(&box);
    check.SetParent(&box);
    TEventCounter clicks, changes, toggles;
    button.OnClick = clicks.Handler();
    edit.OnChange = changes.Handler();
    check.OnClick = toggles.Handler();

    button.SetEnabled(false);
    button.Click();
    EXPECT_EQ(clicks.Count, 0);

    button.SetEnabled(true);
    button.SetVisible(false);
    button.Click();
    EXPECT_EQ(clicks.Count, 0);

    // A disabled or hidden container takes its children with it.
    button.SetVisible(true);
    box.SetEnabled(false);
    button.Click();
    check.UserToggle();
    EXPECT_EQ(clicks.Count, 0);
    EXPECT_FALSE(check.Checked());
    box.SetEnabled(true);
    box.SetVisible(false);
    edit.UserType("x");
    EXPECT_EQ(edit.Text(), "");
    box.SetVisible(true);

    edit.SetReadOnly(true);
    edit.UserType("x");
    EXPECT_EQ(edit.Text(), "");
    EXPECT_EQ(changes.Count, 0);

    button.Click();
    EXPECT_EQ(clicks.Count, 1);
}

TEST(UiControls, EditMaxLengthCutsTypingByCharactersButNotCode) {
    TEdit edit;
    edit.SetMaxLength(5);
    edit.UserType("zażółć gęślą");
    EXPECT_EQ(edit.Text(), "zażół");
    edit.SetText("longer than five");
    EXPECT_EQ(edit.Text(), "longer than five");
}

TEST(UiRadioGroup, ItemIndexIsClampedToTheItems) {
    TRadioGroup group;
    group.Items().Assign(std::vector<std::string>{"9 (II)", "10 (X)"});
    struct Case {
        int Set, Expected;
    };
    for (auto [set, expected] : {Case{7, 1}, Case{2, 1}, Case{0, 0}, Case{-1, -1}, Case{1, 1}, Case{-5, -1}}) {
        group.SetItemIndex(set);
        EXPECT_EQ(group.ItemIndex(), expected) << "set " << set;
    }

    TRadioGroup empty;
    empty.SetItemIndex(3);
    EXPECT_EQ(empty.ItemIndex(), -1);

    // Losing the selected item moves the selection onto the last one left.
    group.SetItemIndex(1);
    group.Items().Assign(std::vector<std::string>{"9 (II)"});
    EXPECT_EQ(group.ItemIndex(), 0);
}

TEST(UiRadioGroup, OnClickFiresWhenTheUserChangesTheSelection) {
    TRadioGroup group;
    group.Items().Assign(std::vector<std::string>{"Microsoft SQL Server", "Oracle Server"});
    group.SetItemIndex(0);
    std::vector<int> seen;
    group.OnClick = [&](TObject&) { seen.push_back(group.ItemIndex()); };

    group.UserSelect(1);
    group.UserSelect(1);  // already selected
    group.UserSelect(5);  // no such button
    group.UserSelect(0);
    EXPECT_EQ(seen, (std::vector<int>{1, 0}));
}

TEST(UiComboBox, SortedListInsertsWithoutRegardToCase) {
    TComboBox combo;
    combo.SetSorted(true);
    EXPECT_EQ(combo.Items().Add("ORCL"), 0);
    EXPECT_EQ(combo.Items().Add("apex"), 0);
    EXPECT_EQ(combo.Items().Add("xe.serwer"), 2);
    EXPECT_EQ(combo.Items().Add("Baza"), 1);
    // Equal names keep their order of arrival.
    EXPECT_EQ(combo.Items().Add("APEX"), 1);
    EXPECT_EQ(combo.Items().ToVector(), (std::vector<std::string>{"apex", "APEX", "Baza", "ORCL", "xe.serwer"}));

    TComboBox unsorted;
    for (const char* item : {"c", "b", "A"}) unsorted.Items().Add(item);
    EXPECT_EQ(unsorted.Items().ToVector(), (std::vector<std::string>{"c", "b", "A"}));

    // Sorting an existing list keeps equal names in their order.
    unsorted.Items().Add("a");
    unsorted.SetSorted(true);
    EXPECT_EQ(unsorted.Items().ToVector(), (std::vector<std::string>{"A", "a", "b", "c"}));
}

TEST(UiComboBox, ClearingTheListKeepsTheTextAndClearEmptiesBoth) {
    TComboBox combo;
    combo.Items().Add("SERWER1");
    combo.Items().Add("SERWER2");
    combo.SetItemIndex(1);
    EXPECT_EQ(combo.Text(), "SERWER2");

    combo.Items().Clear();
    EXPECT_EQ(combo.Items().Count(), 0);
    EXPECT_EQ(combo.Text(), "SERWER2");
    EXPECT_EQ(combo.ItemIndex(), -1);

    // Refilling finds the text again.
    combo.Items().Add("serwer2");
    EXPECT_EQ(combo.ItemIndex(), 0);

    combo.Clear();
    EXPECT_EQ(combo.Text(), "");
    EXPECT_EQ(combo.Items().Count(), 0);
    EXPECT_EQ(combo.ItemIndex(), -1);
}

TEST(UiComboBox, PickOnlyListShowsOnlyItsItems) {
    TComboBox combo;
    combo.SetStyle(csDropDownList);
    combo.SetSorted(true);
    combo.Items().Add("OraHome2");
    combo.Items().Add("OraClient");
    combo.SetItemIndex(0);
    EXPECT_EQ(combo.Text(), "OraClient");

    combo.SetText("orahome2");
    EXPECT_EQ(combo.ItemIndex(), 1);
    EXPECT_EQ(combo.Text(), "OraHome2");
    combo.SetText("missing");
    EXPECT_EQ(combo.ItemIndex(), -1);
    EXPECT_EQ(combo.Text(), "");

    combo.UserType("typed");
    EXPECT_EQ(combo.Text(), "");

    combo.SetItemIndex(1);
    combo.Items().Clear();
    EXPECT_EQ(combo.Text(), "");
    EXPECT_EQ(combo.ItemIndex(), -1);
}

TEST(UiComboBox, ItemIndexFollowsTheEditableText) {
    TComboBox combo;
    combo.Items().Add("master");
    combo.Items().Add("veltra");
    combo.SetText("VELTRA");
    EXPECT_EQ(combo.ItemIndex(), 1);
    combo.SetText("other");
    EXPECT_EQ(combo.ItemIndex(), -1);
    EXPECT_EQ(combo.Text(), "other");
    combo.SetItemIndex(0);
    EXPECT_EQ(combo.Text(), "master");
    combo.SetItemIndex(9);
    EXPECT_EQ(combo.ItemIndex(), -1);
    EXPECT_EQ(combo.Text(), "");
}

TEST(UiComboBox, UserActionsFireChangeAndDropDown) {
    TComboBox combo;
    combo.SetMaxLength(8);
    std::vector<std::string> changes;
    combo.OnChange = [&](TObject&) { changes.push_back(combo.Text()); };
    int dropDowns = 0;
    combo.OnDropDown = [&](TObject&) {
        ++dropDowns;
        combo.Items().Clear();
        combo.Items().Add("SRV1");
        combo.Items().Add("SRV2");
    };

    combo.UserType("SRV");
    combo.UserType("SRV");  // unchanged
    combo.UserDropDown();
    EXPECT_EQ(dropDowns, 1);
    EXPECT_EQ(combo.Text(), "SRV");  // filling the list keeps what was typed
    combo.UserPick(1);
    combo.UserPick(1);  // every pick counts
    combo.UserPick(7);  // no such item
    combo.UserType("ŁÓDŹ-SERWER");
    EXPECT_EQ(changes, (std::vector<std::string>{"SRV", "SRV2", "SRV2", "ŁÓDŹ-SER"}));
    EXPECT_EQ(combo.ItemIndex(), -1);

    // Code is not held to the limit.
    combo.SetText("a name longer than eight");
    EXPECT_EQ(combo.Text(), "a name longer than eight");
    EXPECT_EQ(changes.size(), 4u);
}

TEST(UiStrings, ItemsOwnTheirObjects) {
    int freed = 0;
    TComboBox combo;
    combo.SetSorted(true);
    combo.Items().AddObject("B", std::make_unique<TTracked>(freed));
    combo.Items().AddObject("A", std::make_unique<TTracked>(freed));
    combo.Items().Add("C");
    EXPECT_NE(dynamic_cast<TTracked*>(combo.Items().Objects(0)), nullptr);
    EXPECT_EQ(combo.Items().Objects(2), nullptr);
    EXPECT_NE(combo.Items().Objects(0), combo.Items().Objects(1));

    combo.Clear();
    EXPECT_EQ(freed, 2);

    EXPECT_THROW(combo.Items()[0], Exception);
}

TEST(UiStrings, ListIndexErrorNamesTheIndex) {
    TStrings items;
    items.Add("a");
    try {
        items.Objects(3);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Indeks listy poza zakresem (3)");
    }
}

TEST(UiMemo, LinesTellThePeerAndJoinWithLineBreaks) {
    TMemo memo;
    TRecordingPeer peer;
    peer.Watch({&memo});
    memo.Lines().Add("Konfiguracja została utworzona!");
    memo.Lines().Add("");
    EXPECT_EQ(memo.Lines().ToVector(), (std::vector<std::string>{"Konfiguracja została utworzona!", ""}));
    memo.Lines().Clear();
    memo.Lines().Clear();  // already empty
    EXPECT_EQ(peer.ChangesOf(memo), (std::vector<TChange>{TChange::Items, TChange::Items, TChange::Items}));
    EXPECT_EQ(memo.Lines().Count(), 0);
}

TEST(UiLayout, TopAndClientAlignedChildrenFillTheParent) {
    TGroupBox parent;
    parent.SetBounds(0, 0, 588, 328);
    TMemo top;
    TButton client;
    TButton free;
    client.SetAlign(alClient);  // client children take what the top ones leave, whatever their order
    client.SetParent(&parent);
    top.SetBounds(10, 10, 100, 272);
    top.SetAlign(alTop);
    top.SetParent(&parent);
    free.SetBounds(237, 280, 81, 27);
    free.SetParent(&parent);

    EXPECT_EQ((std::vector<int>{top.Left(), top.Top(), top.Width(), top.Height()}),
              (std::vector<int>{0, 0, 588, 272}));
    EXPECT_EQ((std::vector<int>{client.Left(), client.Top(), client.Width(), client.Height()}),
              (std::vector<int>{0, 272, 588, 56}));
    EXPECT_EQ((std::vector<int>{free.Left(), free.Top(), free.Width(), free.Height()}),
              (std::vector<int>{237, 280, 81, 27}));

    parent.SetBounds(0, 0, 400, 300);
    EXPECT_EQ(top.Width(), 400);
    EXPECT_EQ(client.Height(), 28);
}

TEST(UiLayout, FontsComeFromTheParentUnlessSet) {
    TGroupBox parent;
    TLabel plain;
    TLabel bold;
    plain.SetParent(&parent);
    bold.SetParent(&parent);
    bold.SetFont(TFont{"Tahoma", 17, true, clMaroon});

    parent.SetFont(TFont{"Tahoma", 12, false, clWindowText});
    EXPECT_EQ(plain.Font().Height, 12);
    EXPECT_EQ(bold.Font(), (TFont{"Tahoma", 17, true, clMaroon}));
}

TEST(UiTree, ChildrenKeepCreationOrderAndEitherSideMayGoFirst) {
    auto parent = std::make_unique<TGroupBox>();
    auto first = std::make_unique<TLabel>();
    TEdit second;
    first->SetParent(parent.get());
    second.SetParent(parent.get());
    EXPECT_EQ(parent->Children(), (std::vector<TControl*>{first.get(), &second}));

    first.reset();
    EXPECT_EQ(parent->Children(), std::vector<TControl*>{&second});

    parent.reset();
    EXPECT_EQ(second.Parent(), nullptr);
}

TEST(UiTree, PeerIsToldBeforeTheControlGoes) {
    TRecordingPeer peer;
    TControl* address = nullptr;
    {
        TButton button;
        address = &button;
        peer.Watch({&button});
    }
    ASSERT_EQ(peer.Log.size(), 1u);
    EXPECT_EQ(peer.Log[0], (TRecordingPeer::TEntry{address, TChange::Destroying}));
}

}  // namespace
