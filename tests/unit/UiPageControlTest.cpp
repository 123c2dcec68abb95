#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "fakes/RecordingViews.h"
#include "platform/Exception.h"
#include "ui/ComCtrls.h"
#include "ui/Forms.h"

namespace {

// The wizard's shape: an outer page control with the wizard sheet (holding
// the inner page control) and the status sheet.
class UiPageControl : public ::testing::Test {
protected:
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

TEST_F(UiPageControl, NothingShowsBeforeTheFormAndSheetsShowWithIt) {
    Outer.SetActivePage(&Wizard);
    Inner.SetActivePageIndex(1);
    EXPECT_TRUE(Shown.empty());
    EXPECT_FALSE(Pages[1]->Showing());

    Form.Show();
    // The pages current at that moment show, outer first, before the form's own handler.
    EXPECT_EQ(Shown, (Names{"Wizard", "Page1", "Form"}));
    EXPECT_TRUE(Pages[1]->Showing());
    EXPECT_FALSE(Pages[0]->Showing());
}

TEST_F(UiPageControl, SwitchingByCodeShowsTheNewPageEveryTime) {
    Form.Show();
    Outer.SetActivePage(&Wizard);
    Shown.clear();

    Inner.SetActivePageIndex(2);
    Inner.SetActivePageIndex(2);  // already current: no new showing
    Inner.SetActivePageIndex(0);
    Inner.SetActivePageIndex(2);
    EXPECT_EQ(Shown, (Names{"Page2", "Page0", "Page2"}));
    EXPECT_EQ(Inner.ActivePageIndex(), 2);
    EXPECT_EQ(Inner.ActivePage(), Pages[2].get());
}

TEST_F(UiPageControl, InnerPageShowsExactlyOnceWhenTheOuterPageFollows) {
    Form.Show();
    // The status page is in front: switching the inner control shows nothing yet.
    Outer.SetActivePage(&Status);
    Shown.clear();
    Inner.SetActivePageIndex(0);
    EXPECT_TRUE(Shown.empty());
    Outer.SetActivePageIndex(0);
    EXPECT_EQ(Shown, (Names{"Wizard", "Page0"}));

    // And with the wizard already in front, the first step shows it and the second nothing.
    Inner.SetActivePageIndex(2);
    Shown.clear();
    Inner.SetActivePageIndex(0);
    Outer.SetActivePageIndex(0);
    EXPECT_EQ(Shown, (Names{"Page0"}));
}

TEST_F(UiPageControl, ShowingAContainerAgainShowsItsCurrentPage) {
    Form.Show();
    Outer.SetActivePage(&Wizard);
    Inner.SetActivePageIndex(1);
    Shown.clear();
    Inner.SetVisible(false);
    EXPECT_FALSE(Pages[1]->Showing());
    Inner.SetVisible(true);
    EXPECT_EQ(Shown, (Names{"Page1"}));
}

TEST_F(UiPageControl, ErrorInAShowHandlerPropagatesWithTheNewPageCurrent) {
    Form.Show();
    Outer.SetActivePage(&Status);
    Inner.SetActivePageIndex(0);
    Shown.clear();
    Wizard.OnShow = [](TObject&) { throw Exception("Błąd strony"); };

    EXPECT_THROW(Outer.SetActivePage(&Wizard), Exception);
    EXPECT_EQ(Outer.ActivePage(), &Wizard);
    EXPECT_TRUE(Pages[0]->Showing());
    // The handlers after the failing one are skipped for that switch.
    EXPECT_TRUE(Shown.empty());
}

TEST_F(UiPageControl, HandlerThatSwitchesPagesShowsOnlyTheFinalPage) {
    Form.Show();
    Outer.SetActivePage(&Status);
    Inner.SetActivePageIndex(0);
    Shown.clear();
    Wizard.OnShow = [this](TObject&) {
        Shown.push_back("Wizard");
        Inner.SetActivePageIndex(2);
    };
    Outer.SetActivePage(&Wizard);
    EXPECT_EQ(Shown, (Names{"Wizard", "Page2"}));
}

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
