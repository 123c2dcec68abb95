#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fakes/RecordingViews.h"
#include "base/Exception.h"
#include "ui/ComCtrls.h"
#include "ui/Forms.h"

namespace {

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

using Names = std::vector<std::string>;
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
    Names Recorded;  // a look after each step; "! text" after one that raised
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
    Names tape;
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

TEST_F(UiPageControl, OutOfRangeOrForeignPageSelectsNone) {
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
}

TEST_F(UiPageControl, SheetsKnowTheirIndexAndFillTheControlInsideItsBorder) {
    EXPECT_EQ(Inner.PageCount(), 3);
    EXPECT_EQ(Pages[2]->PageIndex(), 2);
    EXPECT_EQ(Pages[2]->PageControl(), &Inner);
    EXPECT_EQ(Status.PageIndex(), 1);

    Outer.SetBounds(0, 0, 596, 336);
    EXPECT_EQ((std::vector<int>{Status.Left(), Status.Top(), Status.Width(), Status.Height()}),
              (std::vector<int>{4, 4, 588, 328}));
    EXPECT_EQ(Wizard.Width(), 588);
}

TEST_F(UiPageControl, DestroyingTheCurrentSheetLeavesNoPageCurrent) {
    Inner.SetActivePageIndex(1);
    Pages[1].reset();
    EXPECT_EQ(Inner.ActivePage(), nullptr);
    EXPECT_EQ(Inner.PageCount(), 2);
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
