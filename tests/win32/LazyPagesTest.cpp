// A page's windows are made when it first shows (or when one is asked for),
// with the state its controls have by then and in their Tab order.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "fakes/RecordingViews.h"
#include "ui/ComCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"
#include "ui/win32/Win32Form.h"
#include "win32/UiWindowSupport.h"

using namespace uiwin;

namespace {

class TPagedForm : public TForm {
public:
    explicit TPagedForm(TApplication& application) : TForm(application) {
        SetCaption("Strony");
        SetClientSize(300, 200);
        Pages.SetParent(this);
        Pages.SetBounds(0, 0, 300, 200);
        for (TTabSheet* sheet : {&First, &Second, &Third}) sheet->SetPageControl(&Pages);
        // Tab order unlike the order of creation in code.
        int order = 0;
        for (TControl* control : {static_cast<TControl*>(&Option), static_cast<TControl*>(&Name),
                                  static_cast<TControl*>(&Choice)}) {
            control->SetParent(&Second);
            control->SetBounds(10, 10 + 30 * order, 120, 22);
            control->SetTabOrder(order++);
        }
        Option.SetCaption("Opcja");
        Later.SetParent(&Third);
        Later.SetBounds(10, 10, 120, 22);
        Pages.SetActivePageIndex(0);
    }
    TPageControl Pages;
    TTabSheet First, Second, Third;
    TEdit Name, Later;
    TComboBox Choice;
    TCheckBox Option;
};

TEST(LazyPages, APageGetsItsWindowsWhenItShowsWithTheStateOfThatTime) {
    TRecordingMessageBox errors;
    TApplication application;
    application.SetMessageBoxView(&errors);
    TPagedForm form(application);
    TWin32Form window(form);
    form.Show();
    window.ProcessMessages();
    EXPECT_EQ(Find(window.Handle(), L"Button", L"Opcja"), nullptr);

    // Changed before the page has windows.
    form.Name.SetText("Łódź");
    form.Name.SetEnabled(false);
    form.Choice.Items().Assign(std::vector<std::string>{"jeden", "dwa"});
    form.Choice.SetText("dwa");
    form.Option.SetChecked(true);
    form.Pages.SetActivePageIndex(1);
    window.ProcessMessages();

    HWND name = Find(window.Handle(), L"Edit", L"Łódź");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name, window.HandleOf(form.Name));
    EXPECT_TRUE(IsWindowVisible(name));
    EXPECT_FALSE(IsWindowEnabled(name));
    HWND choice = window.HandleOf(form.Choice);
    EXPECT_EQ(SendMessageW(choice, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(choice, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageW(window.HandleOf(form.Option), BM_GETCHECK, 0, 0), BST_CHECKED);
    // Windows in Tab order.
    std::vector<HWND> order;
    for (HWND child = GetWindow(window.HandleOf(form.Second), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        order.push_back(child);
    EXPECT_EQ(order, (std::vector<HWND>{window.HandleOf(form.Option), name, choice}));

    // Asked for, a control of a page not shown yet gets its window, hidden.
    HWND later = window.HandleOf(form.Later);
    ASSERT_NE(later, nullptr);
    EXPECT_FALSE(IsWindowVisible(later));
    EXPECT_TRUE(errors.Shown.empty());
}

}  // namespace
