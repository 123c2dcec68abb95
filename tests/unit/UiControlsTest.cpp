// The components: controls and their events, lists, layout, page controls
// and their showing, the application object and its error box.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "fakes/ErrorText.h"
#include "fakes/RecordingViews.h"
#include "ui/ComCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

namespace {

using Strings = std::vector<std::string>;

std::vector<int> Bounds(const TControl& c) { return {c.Left(), c.Top(), c.Width(), c.Height()}; }

// A combo box's text, selected index and item count: "SERWER2 1/2".
std::string Shows(const TComboBox& combo) {
    return combo.Text() + " " + std::to_string(combo.ItemIndex()) + "/" + std::to_string(combo.Items().Count());
}

// An item object that reports its destruction.
class TTracked : public TObject {
public:
    explicit TTracked(int& freed) : freed_(freed) {}
    ~TTracked() override { ++freed_; }

private:
    int& freed_;
};

// Controls on one group box, their events logged and a peer watching them.
struct UiControls : ::testing::Test {
    UiControls() {
        for (TControl* c : std::initializer_list<TControl*>{&edit, &combo, &check, &radio, &button}) c->SetParent(&box);
        for (auto [c, name] : {std::pair<TControl*, const char*>{&edit, "edit"}, {&combo, "combo"}, {&check, "check"},
                               {&radio, "radio"}})
            c->SetName(name);
        radio.Items().Assign(Strings{"Microsoft SQL Server", "Oracle Server"});
        peer.Watch({&edit, &combo, &check, &radio});
        edit.OnChange = Note(edit, "edit");
        combo.OnChange = Note(combo, "combo");
        combo.OnDropDown = Note(combo, "drop-down");
        check.OnClick = Note(check, "check");
        radio.OnClick = Note(radio, "radio");
        button.OnClick = Note(button, "button");
    }

    // Names the event in the log, checking it comes from its own control.
    TNotifyEvent Note(TObject& control, std::string name) {
        return [this, &control, name](TObject& sender) {
            EXPECT_EQ(&sender, &control) << name;
            Fired.push_back(name);
        };
    }

    // The edit's and the combo box's texts, the check mark, the radio index,
    // then the events and the peer's changes since the last look:
    // "'abc' 'SRV 0/2' on 1 | +edit edit:Text".
    std::string Look() {
        static const char* const changes[] = {"Text", "Enabled", "Visible", "Items", "Selection", "Destroying"};
        std::string text = "'" + edit.Text() + "' '" + Shows(combo) + "' " + (check.Checked() ? "on " : "off ") +
                           std::to_string(radio.ItemIndex()) + " |";
        for (const std::string& name : Fired) text += " +" + name;
        for (const auto& [control, change] : peer.Log)
            text += " " + control->Name() + ":" + changes[static_cast<int>(change)];
        Fired.clear();
        peer.Log.clear();
        return text;
    }

    TGroupBox box;
    TEdit edit;
    TComboBox combo;
    TCheckBox check;
    TRadioGroup radio;
    TButton button;
    TRecordingPeer peer;
    Strings Fired;  // the events, by the names Note gave them
};

TEST_F(UiControls, CodeChangesTellThePeerButFireNoEventsAndTheSameValueAgainNothing) {
    edit.SetText("xe.serwer");
    combo.Items().Add("ORCL");
    combo.SetText("orcl");  // selects ORCL
    combo.SetItemIndex(-1);  // empties
    combo.Clear();  // the text is already empty
    check.SetChecked(true);
    radio.SetItemIndex(1);
    EXPECT_EQ(Look(), "'xe.serwer' ' -1/0' on 1 | edit:Text combo:Items combo:Text combo:Selection combo:Text "
                      "combo:Selection combo:Items check:Selection radio:Selection");

    edit.SetText("xe.serwer");
    edit.SetEnabled(true);
    check.SetChecked(true);
    radio.SetItemIndex(1);
    EXPECT_EQ(Look(), "'xe.serwer' ' -1/0' on 1 |");
}

TEST_F(UiControls, UserActionsFireTheirEventsAndUnreachableControlsIgnoreThem) {
    edit.UserType("abc");
    edit.UserType("abc");  // no change, no event
    check.UserToggle();
    EXPECT_EQ(Look(), "'abc' ' -1/0' on -1 | +edit +check edit:Text check:Selection");
    check.UserToggle();
    button.Click();
    EXPECT_EQ(Look(), "'abc' ' -1/0' off -1 | +check +button check:Selection");

    button.SetEnabled(false);
    button.Click();
    button.SetEnabled(true);
    button.SetVisible(false);
    button.Click();
    // A disabled or hidden container takes its children with it.
    button.SetVisible(true);
    box.SetEnabled(false);
    button.Click();
    check.UserToggle();
    box.SetEnabled(true);
    box.SetVisible(false);
    edit.UserType("x");
    box.SetVisible(true);
    edit.SetReadOnly(true);
    edit.UserType("x");
    EXPECT_EQ(Look(), "'abc' ' -1/0' off -1 |");
    button.Click();
    EXPECT_EQ(Look(), "'abc' ' -1/0' off -1 | +button");
}

TEST_F(UiControls, EditMaxLengthCutsTypingByCharactersButNotCode) {
    edit.SetMaxLength(5);
    edit.UserType("zażółć gęślą");
    EXPECT_EQ(edit.Text(), "zażół");
    edit.SetText("longer than five");
    EXPECT_EQ(edit.Text(), "longer than five");
}

TEST_F(UiControls, RadioGroupFiresOnClickWhenTheUserChangesTheSelectionAndClampsItsIndex) {
    radio.SetItemIndex(0);
    radio.OnClick = [&](TObject&) { Fired.push_back("radio " + std::to_string(radio.ItemIndex())); };
    radio.UserSelect(1);
    radio.UserSelect(1);  // already selected
    radio.UserSelect(5);  // no such button
    radio.UserSelect(0);
    EXPECT_EQ(Look(), "'' ' -1/0' off 0 | +radio 1 +radio 0 radio:Selection radio:Selection radio:Selection");

    struct Case {
        int Set, Expected;
    };
    for (auto [set, expected] : {Case{7, 1}, Case{2, 1}, Case{0, 0}, Case{-1, -1}, Case{1, 1}, Case{-5, -1}}) {
        radio.SetItemIndex(set);
        EXPECT_EQ(radio.ItemIndex(), expected) << "set " << set;
    }
    TRadioGroup empty;
    empty.SetItemIndex(3);
    EXPECT_EQ(empty.ItemIndex(), -1);

    // Losing the selected item moves the selection onto the last one left.
    radio.SetItemIndex(1);
    radio.Items().Assign(Strings{"9 (II)"});
    EXPECT_EQ(radio.ItemIndex(), 0);
    EXPECT_EQ(Fired, Strings{});  // code changes fire nothing
}

TEST_F(UiControls, ComboBoxUserActionsFireChangeAndDropDown) {
    combo.SetMaxLength(8);
    combo.OnDropDown = [&](TObject&) {
        Fired.push_back("drop-down");
        combo.Items().Clear();
        combo.Items().Add("SRV1");
        combo.Items().Add("SRV2");
    };
    combo.UserType("SRV");
    combo.UserType("SRV");  // unchanged
    EXPECT_EQ(Look(), "'' 'SRV -1/0' off -1 | +combo combo:Text");
    combo.UserDropDown();  // filling the list keeps what was typed
    EXPECT_EQ(Look(), "'' 'SRV -1/2' off -1 | +drop-down combo:Items combo:Items");
    combo.UserPick(1);
    combo.UserPick(1);  // every pick counts
    combo.UserPick(7);  // no such item
    EXPECT_EQ(Look(), "'' 'SRV2 1/2' off -1 | +combo +combo combo:Text combo:Selection");
    combo.UserType("ŁÓDŹ-SERWER");
    EXPECT_EQ(Look(), "'' 'ŁÓDŹ-SER -1/2' off -1 | +combo combo:Text combo:Selection");
    // Code is not held to the limit.
    combo.SetText("a name longer than eight");
    EXPECT_EQ(Look(), "'' 'a name longer than eight -1/2' off -1 | combo:Text");
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

TEST(UiComboBox, PickOnlyListShowsOnlyItsItems) {
    TComboBox combo;
    combo.SetStyle(csDropDownList);
    combo.SetSorted(true);
    combo.Items().Add("OraHome2");
    combo.Items().Add("OraClient");
    combo.SetItemIndex(0);
    EXPECT_EQ(Shows(combo), "OraClient 0/2");
    combo.SetText("orahome2");
    EXPECT_EQ(Shows(combo), "OraHome2 1/2");
    combo.SetText("missing");
    EXPECT_EQ(Shows(combo), " -1/2");
    combo.UserType("typed");
    EXPECT_EQ(Shows(combo), " -1/2");
    combo.SetItemIndex(1);
    combo.Items().Clear();
    EXPECT_EQ(Shows(combo), " -1/0");
}

TEST(UiComboBox, ItemIndexFollowsTheTextAndClearingTheListKeepsTheText) {
    TComboBox combo;
    combo.Items().Add("master");
    combo.Items().Add("veltra");
    combo.SetText("VELTRA");
    EXPECT_EQ(Shows(combo), "VELTRA 1/2");
    combo.SetText("other");
    EXPECT_EQ(Shows(combo), "other -1/2");
    combo.SetItemIndex(0);
    EXPECT_EQ(Shows(combo), "master 0/2");
    combo.SetItemIndex(9);
    EXPECT_EQ(Shows(combo), " -1/2");
    combo.SetItemIndex(1);
    combo.Items().Clear();
    EXPECT_EQ(Shows(combo), "veltra -1/0");
    combo.Items().Add("VELTRA");  // refilling finds the text again
    EXPECT_EQ(Shows(combo), "veltra 0/1");
    combo.Clear();  // empties both
    EXPECT_EQ(Shows(combo), " -1/0");
}

TEST(UiStrings, ItemsOwnTheirObjectsAndABadIndexIsNamed) {
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
    EXPECT_EQ(ErrorText([&] { combo.Items()[0]; }), "Indeks listy poza zakresem (0)");
    combo.Items().Add("a");
    EXPECT_EQ(ErrorText([&] { combo.Items().Objects(3); }), "Indeks listy poza zakresem (3)");
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

    EXPECT_EQ(Bounds(top), (std::vector<int>{0, 0, 588, 272}));
    EXPECT_EQ(Bounds(client), (std::vector<int>{0, 272, 588, 56}));
    EXPECT_EQ(Bounds(free), (std::vector<int>{237, 280, 81, 27}));

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

TEST(UiTree, ChildrenKeepCreationOrderEitherSideMayGoFirstAndThePeerHearsOfIt) {
    TRecordingPeer peer;
    auto parent = std::make_unique<TGroupBox>();
    auto first = std::make_unique<TLabel>();
    TEdit second;
    first->SetParent(parent.get());
    second.SetParent(parent.get());
    EXPECT_EQ(parent->Children(), (std::vector<TControl*>{first.get(), &second}));

    TControl* const address = first.get();
    peer.Watch({address});
    first.reset();
    EXPECT_EQ(parent->Children(), std::vector<TControl*>{&second});
    EXPECT_EQ(peer.Log, (std::vector<TRecordingPeer::TEntry>{{address, TChange::Destroying}}));

    parent.reset();
    EXPECT_EQ(second.Parent(), nullptr);
}

class UiApplication : public ::testing::Test {
protected:
    UiApplication() {
        App.SetTitle("Konfiguracja BDE");
        App.SetMessageBoxView(&Box);
        App.Screen().SetView(&Screen);
    }

    TApplication App;
    TRecordingMessageBox Box;
    TRecordingScreen Screen;
};

// Whatever reaches the message loop.
TEST_F(UiApplication, ErrorBoxAddsAFullStopAfterCharactersAboveIt) {
    const auto error = [](const char* message) { return std::make_exception_ptr(Exception(message)); };
    const std::pair<std::exception_ptr, std::string> cases[] = {
        {error("Niepoprawny typ danych : Server"), "Niepoprawny typ danych : Server."},
        {error("Key violation."), "Key violation."},
        {error("Pole 'Nazwa' musi posiadać wartość"), "Pole 'Nazwa' musi posiadać wartość."},  // UTF-8 tail byte
        {error("Nie powiodło się!"), "Nie powiodło się!"},                                      // '!' is below '.'
        {error("Nazwa (SID)"), "Nazwa (SID)"},                                                  // ')' is below '.'
        {error("Indeks listy poza zakresem (-1"), "Indeks listy poza zakresem (-1."},           // '1' is above
        {error("C:\\NETWORK\\ADMIN/"), "C:\\NETWORK\\ADMIN/."},  // '/' is the next code after '.'
        {error("Ścieżka -"), "Ścieżka -"},                      // '-' is just below
        {error(""), ""},
        {std::make_exception_ptr(std::runtime_error("Brak pamięci")), "Brak pamięci."},
        {std::make_exception_ptr(42), "Nieznany błąd."},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        App.HandleException(cases[i].first);
        ASSERT_EQ(Box.Shown.size(), i + 1);
        EXPECT_EQ(Box.Shown[i], (std::pair<std::string, std::string>{"Konfiguracja BDE", cases[i].second}));
    }
}

TEST_F(UiApplication, WaitCursorIsRestoredOnEveryPath) {
    {
        TWaitCursor wait(App.Screen());
        EXPECT_EQ(App.Screen().Cursor(), crHourGlass);
    }
    EXPECT_EQ(App.Screen().Cursor(), crDefault);

    EXPECT_THROW(
        {
            TWaitCursor wait(App.Screen());
            throw Exception("Nie można połączyć z serwerem");
        },
        Exception);
    EXPECT_EQ(App.Screen().Cursor(), crDefault);
    EXPECT_EQ(Screen.Cursors, (std::vector<TCursor>{crHourGlass, crDefault, crHourGlass, crDefault}));
}

TEST_F(UiApplication, ErrorInOnCreateIsShownAndTheFormStillOpens) {
    TForm form(App);
    std::vector<std::string> steps;
    form.OnCreate = [&](TObject&) {
        steps.push_back("create");
        throw Exception("Nie można uruchomić BDE");
    };
    form.OnShow = [&](TObject&) { steps.push_back("show"); };

    form.DoCreate();
    ASSERT_EQ(Box.Shown.size(), 1u);
    EXPECT_EQ(Box.Shown[0].second, "Nie można uruchomić BDE.");
    form.Show();
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(steps, (std::vector<std::string>{"create", "show"}));
}

TEST_F(UiApplication, ClosingTheMainFormTerminatesOnce) {
    TForm main(App);
    TForm other(App);
    App.SetMainForm(&main);
    Strings events;
    App.OnTerminate = [&](TObject&) { events.push_back("terminate"); };
    main.OnClose = [&](TObject&) { events.push_back("close"); };
    main.Show();
    other.Show();

    other.Close();
    EXPECT_FALSE(other.Visible());
    EXPECT_FALSE(App.Terminated());

    main.Close();
    App.Terminate();
    EXPECT_FALSE(main.Visible());
    EXPECT_TRUE(App.Terminated());
    EXPECT_EQ(events, (Strings{"close", "terminate"}));
}

// The wizard's shape: an outer page control with the wizard sheet (holding
// the inner page control) and the status sheet.
struct UiPageControl : ::testing::Test {
    UiPageControl() {
        for (TTabSheet* sheet : {&Wizard, &Status}) sheet->SetPageControl(&Outer);
        Outer.SetParent(&Form);
        Inner.SetParent(&Wizard);
        for (auto& page : Pages) {
            page = std::make_unique<TTabSheet>();
            page->SetPageControl(&Inner);
        }
        Name(Wizard, "Wizard");
        Name(Status, "Status");
        for (std::size_t i = 0; i < Pages.size(); ++i) Name(*Pages[i], "Page" + std::to_string(i));
        Form.OnShow = [this](TObject&) { Shown.push_back("Form"); };
    }

    void Name(TTabSheet& sheet, const std::string& name) {
        sheet.SetName(name);
        sheet.OnShow = [this, &sheet](TObject& sender) {
            EXPECT_EQ(&sender, &sheet);
            EXPECT_TRUE(sheet.Showing());
            Shown.push_back(sheet.Name());
        };
    }

    // The sheets shown since the last look, the outer and inner current
    // page, and which inner pages show: "Wizard Page1 Form | 0 1 +1".
    std::string Look() {
        std::string text;
        for (const std::string& name : Shown) text += name + " ";
        Shown.clear();
        int current = -1;
        for (std::size_t i = 0; i < Pages.size(); ++i)
            if (Inner.ActivePage() == Pages[i].get()) current = static_cast<int>(i);
        text += "| " + std::to_string(Outer.ActivePageIndex()) + " " + std::to_string(current);
        if (current != Inner.ActivePageIndex()) text += "?" + std::to_string(Inner.ActivePageIndex());
        for (std::size_t i = 0; i < Pages.size(); ++i)
            if (Pages[i]->Showing()) text += " +" + std::to_string(i);
        return text;
    }

    TApplication App;
    TForm Form{App};
    TPageControl Outer;
    TTabSheet Wizard;
    TTabSheet Status;
    TPageControl Inner;
    std::array<std::unique_ptr<TTabSheet>, 3> Pages;
    std::vector<std::string> Shown;
};

using TStep = std::function<void(UiPageControl&)>;

const TStep Show = [](UiPageControl& t) { t.Form.Show(); };
TStep Outer(int index) {
    return [index](UiPageControl& t) { t.Outer.SetActivePageIndex(index); };
}
TStep Inner(int index) {
    return [index](UiPageControl& t) { t.Inner.SetActivePageIndex(index); };
}
TStep InnerVisible(bool visible) {
    return [visible](UiPageControl& t) { t.Inner.SetVisible(visible); };
}
const TStep WizardHandlerThrows = [](UiPageControl& t) {
    t.Wizard.OnShow = [](TObject&) { throw Exception("Błąd strony"); };
};
const TStep WizardHandlerSwitchesToPage2 = [](UiPageControl& t) {
    t.Wizard.OnShow = [&t](TObject&) {
        t.Shown.push_back("Wizard");
        t.Inner.SetActivePageIndex(2);
    };
};

struct ShowCase {
    const char* Name;
    std::vector<TStep> Steps;
    Strings Recorded;  // a look after each step; "! text" after one that raised
};

const ShowCase ShowCases[] = {
    // The pages current when the form shows show with it, outer first, before the form's own handler.
    {"NothingShowsBeforeTheFormAndSheetsShowWithIt", {Outer(0), Inner(1), Show},
     {"| 0 -1", "| 0 1", "Wizard Page1 Form | 0 1 +1"}},
    // Already current: no new showing.
    {"SwitchingByCodeShowsTheNewPageEveryTime", {Show, Outer(0), Inner(2), Inner(2), Inner(0), Inner(2)},
     {"Form | -1 -1", "Wizard | 0 -1", "Page2 | 0 2 +2", "| 0 2 +2", "Page0 | 0 0 +0", "Page2 | 0 2 +2"}},
    // With the status page in front switching the inner control shows nothing
    // yet; with the wizard in front the first step shows it and the second nothing.
    {"InnerPageShowsExactlyOnceWhenTheOuterPageFollows",
     {Show, Outer(1), Inner(0), Outer(0), Inner(2), Inner(0), Outer(0)},
     {"Form | -1 -1", "Status | 1 -1", "| 1 0", "Wizard Page0 | 0 0 +0", "Page2 | 0 2 +2", "Page0 | 0 0 +0",
      "| 0 0 +0"}},
    {"ShowingAContainerAgainShowsItsCurrentPage", {Show, Outer(0), Inner(1), InnerVisible(false), InnerVisible(true)},
     {"Form | -1 -1", "Wizard | 0 -1", "Page1 | 0 1 +1", "| 0 1", "Page1 | 0 1 +1"}},
    // The handlers after the failing one are skipped for that switch.
    {"ErrorInAShowHandlerPropagatesWithTheNewPageCurrent", {Show, Outer(1), Inner(0), WizardHandlerThrows, Outer(0)},
     {"Form | -1 -1", "Status | 1 -1", "| 1 0", "| 1 0", "! Błąd strony", "| 0 0 +0"}},
    {"HandlerThatSwitchesPagesShowsOnlyTheFinalPage",
     {Show, Outer(1), Inner(0), WizardHandlerSwitchesToPage2, Outer(0)},
     {"Form | -1 -1", "Status | 1 -1", "| 1 0", "| 1 0", "Wizard Page2 | 0 2 +2"}},
};

struct UiPageShowing : UiPageControl, ::testing::WithParamInterface<ShowCase> {};

TEST_P(UiPageShowing, RecordsWhatShowsAfterEachStep) {
    Strings tape;
    for (const TStep& step : GetParam().Steps) {
        std::string error;
        try {
            step(*this);
        } catch (const Exception& e) {
            error = "! " + e.Message();
        }
        if (!error.empty()) tape.push_back(error);
        tape.push_back(Look());
    }
    EXPECT_EQ(tape, GetParam().Recorded);
}

INSTANTIATE_TEST_SUITE_P(Steps, UiPageShowing, ::testing::ValuesIn(ShowCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(UiPageControl, OutOfRangeForeignOrDestroyedPageSelectsNone) {
    TRecordingPeer peer;
    peer.Watch({&Inner});
    Inner.SetActivePageIndex(1);
    Inner.SetActivePageIndex(3);
    EXPECT_EQ(Inner.ActivePageIndex(), -1);
    Inner.SetActivePageIndex(1);
    Inner.SetActivePage(&Wizard);  // a sheet of the outer control
    EXPECT_EQ(Inner.ActivePage(), nullptr);
    EXPECT_EQ(peer.ChangesOf(Inner), std::vector<TChange>(4, TChange::Selection));
    EXPECT_THROW(Inner.Pages(3), Exception);

    Inner.SetActivePageIndex(1);
    Pages[1].reset();
    EXPECT_EQ(Inner.ActivePage(), nullptr);
    EXPECT_EQ(Inner.PageCount(), 2);
}

TEST_F(UiPageControl, SheetsKnowTheirIndexAndFillTheControlInsideItsBorder) {
    EXPECT_EQ(Inner.PageCount(), 3);
    EXPECT_EQ(Pages[2]->PageIndex(), 2);
    EXPECT_EQ(Pages[2]->PageControl(), &Inner);
    EXPECT_EQ(Status.PageIndex(), 1);

    Outer.SetBounds(0, 0, 596, 336);
    EXPECT_EQ(Bounds(Status), (std::vector<int>{4, 4, 588, 328}));
    EXPECT_EQ(Wizard.Width(), 588);
}

TEST_F(UiPageControl, FormWindowAppearsAfterItsShowHandler) {
    TRecordingPeer peer;
    peer.Watch({&Form});
    Form.OnShow = [&](TObject&) {
        EXPECT_TRUE(Form.Visible());
        EXPECT_TRUE(peer.ChangesOf(Form).empty());
        Form.SetCaption("Konfiguracja BDE");
    };
    Form.Show();
    EXPECT_EQ(peer.ChangesOf(Form), (std::vector<TChange>{TChange::Text, TChange::Visible}));
}

}  // namespace
