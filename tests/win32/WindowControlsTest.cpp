// The Win32 peers on small forms of the suite's own: each kind of control
// as a real window, user input through real window messages reaching the
// model, code changes reaching the window without firing events, a page's
// windows made when it first shows, and no exception a handler throws
// leaving a window procedure.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/Exception.h"
#include "fakes/RecordingViews.h"
#include "ui/ComCtrls.h"
#include "ui/DBClient.h"
#include "ui/DBCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"
#include "ui/win32/Win32Form.h"
#include "ui/win32/Win32Views.h"
#include "win32/UiWindowSupport.h"

using namespace uiwin;

namespace {

class TSmallForm : public TForm {
public:
    explicit TSmallForm(TApplication& application) : TForm(application) {
        // One stored record for the data-aware edit.
        Table.AddFieldDef({"Host", 10, "Serwer", true});
        Table.SetPrimaryIndex("Host");
        Table.CreateDataSet();
        Table.Append();
        Table.FieldByName("Host").SetAsString("serwer");
        Table.Post();
        Source.SetDataSet(&Table);

        SetClientSize(300, 200);
        SetFont(TFont{"Tahoma", 12, false, clWindowText});

        Pages.SetParent(this);
        Pages.SetBounds(0, 0, 300, 160);
        Pages.SetTabStop(false);
        Pages.SetTabOrder(0);
        First.SetPageControl(&Pages);
        Second.SetPageControl(&Pages);
        Third.SetPageControl(&Pages);

        Place(Title, First, "Zażółć gęślą jaźń", 10, 4, 200, 14, -1);
        Place(Name, First, "", 10, 22, 120, 22, 1);
        Place(Choice, First, "", 140, 22, 120, 22, 2);
        Place(Option, First, "Opcja", 10, 50, 120, 18, 3);
        Place(Host, First, "", 10, 74, 120, 22, 4);
        Place(Kind, First, "Rodzaj", 140, 50, 120, 70, 0);
        // The second page's Tab order unlike the order of creation.
        Place(Help, Second, "", 10, 10, 200, 60, 0);
        Place(Remark, Second, "", 10, 74, 120, 22, 2);
        Place(Pick, Second, "", 140, 74, 120, 22, 3);
        Place(Flag, Second, "Później", 10, 100, 120, 18, 1);
        Place(Later, Third, "", 10, 10, 120, 22, 0);
        Place(Back, *this, "Wstecz", 60, 168, 80, 26, 1);
        Place(Next, *this, "Dalej", 160, 168, 80, 26, 2);

        Name.SetMaxLength(5);
        Choice.SetMaxLength(8);
        Kind.Items().Assign(std::vector<std::string>{"Pierwszy", "Drugi"});
        Kind.SetItemIndex(0);
        Help.SetReadOnly(true);
        Help.Lines().Assign(std::vector<std::string>{"Wiersz pierwszy", "Wiersz drugi"});
        Next.SetDefault(true);
        Host.SetDataSource(&Source);
        Host.SetDataField("Host");
        Pages.SetActivePageIndex(0);
    }

    // Before the controls bound to them.
    TClientDataSet Table;
    TDataSource Source;

    TPageControl Pages;
    TTabSheet First, Second, Third;
    TLabel Title;
    TEdit Name;
    TComboBox Choice;
    TCheckBox Option;
    TRadioGroup Kind;
    TMemo Help;
    TButton Back;
    TButton Next;
    TDBEdit Host;
    TEdit Remark, Later;
    TComboBox Pick;
    TCheckBox Flag;

private:
    void Place(TControl& control, TWinControl& parent, const char* text, int left, int top, int width, int height,
               int tabOrder) {
        control.SetParent(&parent);
        control.SetBounds(left, top, width, height);
        control.SetText(text);
        if (tabOrder >= 0) control.SetTabOrder(tabOrder);
    }
};

// The small form in its real window, shown.
class WindowControls : public ::testing::Test {
protected:
    WindowControls() {
        Application.SetTitle("Okno testowe");
        Application.SetMessageBoxView(&ErrorBox);
        Window = std::make_unique<TWin32Form>(Form);
        Form.Show();
        Window->ProcessMessages();
    }

    HWND Handle(const TControl& control) const { return Window->HandleOf(control); }
    // The child window of the radio group's button `text`.
    HWND RadioButton(const std::wstring& text) const { return Find(Handle(Form.Kind), L"Button", text); }
    LRESULT Checked(HWND button) const { return SendMessageW(button, BM_GETCHECK, 0, 0); }

    // The user edits a box's text: the window's own edit notifies its parent.
    void UserEdits(HWND edit, const std::wstring& text) {
        SetWindowTextW(edit, text.c_str());
        Window->ProcessMessages();
    }

    TRecordingMessageBox ErrorBox;
    TApplication Application;
    TSmallForm Form{Application};
    std::unique_ptr<TWin32Form> Window;
};

// The caption, read-only memos, the radio buttons' first checks and the one
// page showing are checked on the wizard's own window (WindowTest).
TEST_F(WindowControls, EveryControlIsAWindowOfItsKindWithTheModelsState) {
    const std::pair<const TControl*, const wchar_t*> kinds[] = {
        {&Form.Title, L"Static"}, {&Form.Name, L"Edit"}, {&Form.Choice, L"ComboBox"}, {&Form.Option, L"Button"},
        {&Form.Next, L"Button"}};
    for (const auto& [control, className] : kinds) EXPECT_EQ(ClassOf(Handle(*control)), className) << control->Name();
    EXPECT_EQ(TextOf(Handle(Form.Title)), L"Zażółć gęślą jaźń");
    // The default button, and the others are plain.
    EXPECT_EQ(GetWindowLongW(Handle(Form.Next), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(GetWindowLongW(Handle(Form.Back), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
}

TEST_F(WindowControls, BoundsAndFontsAreTheDesignScaledToTheScreen) {
    const int dpi = ScreenDpiOfTest();
    auto scaled = [dpi](int design) { return MulDiv(design, dpi, 104); };

    RECT client;
    GetClientRect(Window->Handle(), &client);
    EXPECT_EQ(std::make_pair(client.right, client.bottom), (std::pair<LONG, LONG>(scaled(300), scaled(200))));
    const RECT next = RectIn(Window->Handle(), Handle(Form.Next));
    EXPECT_EQ(std::make_tuple(next.left, next.top, next.right, next.bottom),
              (std::tuple<LONG, LONG, LONG, LONG>(scaled(160), scaled(168), scaled(240), scaled(194))));

    const LOGFONTW font = FontOf(Handle(Form.Name));
    EXPECT_EQ(font.lfHeight, -scaled(12));
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
}

TEST_F(WindowControls, TypingReachesTheModelCutToItsLength) {
    int changes = 0;
    Form.Name.OnChange = [&](TObject&) { ++changes; };
    UserEdits(Handle(Form.Name), L"Łódź-Kraków");
    EXPECT_EQ(Form.Name.Text(), "Łódź-");
    // The window shows what the model kept.
    EXPECT_EQ(TextOf(Handle(Form.Name)), L"Łódź-");
    EXPECT_EQ(changes, 1);

    // Where the model refuses (a disabled edit), the window goes back to the model's text.
    Form.Name.SetEnabled(false);
    UserEdits(Handle(Form.Name), L"inne");
    EXPECT_EQ(Form.Name.Text(), "Łódź-");
    EXPECT_EQ(TextOf(Handle(Form.Name)), L"Łódź-");
    EXPECT_EQ(changes, 1);
}

TEST_F(WindowControls, CodeChangesShowWithoutFiringEvents) {
    int events = 0;
    auto count = [&](TObject&) { ++events; };
    Form.Name.OnChange = count;
    Form.Choice.OnChange = count;
    Form.Option.OnClick = count;
    Form.Kind.OnClick = count;

    Form.Name.SetText("abc");
    Form.Choice.Items().Assign(std::vector<std::string>{"jeden", "dwa"});
    Form.Choice.SetItemIndex(1);
    Form.Option.SetChecked(true);
    Form.Kind.SetItemIndex(1);
    Form.Help.Lines().Add("Wiersz trzeci");
    Form.Title.SetCaption("Nowy tytuł");
    Window->ProcessMessages();

    EXPECT_EQ(events, 0);
    EXPECT_EQ(TextOf(Handle(Form.Name)), L"abc");
    EXPECT_EQ(SendMessageW(Handle(Form.Choice), CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(Handle(Form.Choice), CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(TextOf(Handle(Form.Choice)), L"dwa");
    EXPECT_EQ(Checked(Handle(Form.Option)), BST_CHECKED);
    EXPECT_EQ(Checked(RadioButton(L"Drugi")), BST_CHECKED);
    EXPECT_EQ(Checked(RadioButton(L"Pierwszy")), BST_UNCHECKED);
    EXPECT_EQ(TextOf(Handle(Form.Help)), L"Wiersz pierwszy\r\nWiersz drugi\r\nWiersz trzeci");
    EXPECT_EQ(TextOf(Handle(Form.Title)), L"Nowy tytuł");

    // Refilling the list keeps the text of an editable box.
    Form.Choice.SetText("własny");
    Form.Choice.Items().Assign(std::vector<std::string>{"trzy"});
    Window->ProcessMessages();
    EXPECT_EQ(events, 0);
    EXPECT_EQ(TextOf(Handle(Form.Choice)), L"własny");
    EXPECT_EQ(SendMessageW(Handle(Form.Choice), CB_GETCOUNT, 0, 0), 1);
}

TEST_F(WindowControls, DataAwareEditShowsAndEditsItsField) {
    EXPECT_EQ(TextOf(Handle(Form.Host)), L"serwer");
    EXPECT_EQ(SendMessageW(Handle(Form.Host), EM_GETLIMITTEXT, 0, 0), 10);

    // Typing writes the field, cut to its size; what typing does to the table is DBEditBinding's.
    UserEdits(Handle(Form.Host), L"nowy-serwer-01");
    EXPECT_EQ(Form.Table.FieldByName("Host").AsString(), "nowy-serwe");
    EXPECT_EQ(TextOf(Handle(Form.Host)), L"nowy-serwe");

    // The table going back shows in the window.
    Form.Table.Cancel();
    Window->ProcessMessages();
    EXPECT_EQ(TextOf(Handle(Form.Host)), L"serwer");
}

TEST_F(WindowControls, ComboBoxOpensPicksAndTakesTyping) {
    HWND box = Handle(Form.Choice);
    std::vector<std::string> changes;
    Form.Choice.OnDropDown = [&](TObject&) {
        Form.Choice.Items().Assign(std::vector<std::string>{"alfa", "beta", "gamma"});
    };
    Form.Choice.OnChange = [&](TObject&) { changes.push_back(Form.Choice.Text()); };

    // Opening the list runs the handler (once: WindowBoundary's ComboBoxOpens), which fills it before it shows.
    SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);
    Window->ProcessMessages();
    EXPECT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), 3);
    SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
    Window->ProcessMessages();

    // Picking an item: the list's selection changes and the parent hears of it.
    SendMessageW(box, CB_SETCURSEL, 1, 0);
    SendMessageW(GetParent(box), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(box));
    Window->ProcessMessages();
    EXPECT_EQ(Form.Choice.ItemIndex(), 1);
    EXPECT_EQ(Form.Choice.Text(), "beta");

    // Typing into the box's edit, held to the box's length.
    HWND edit = GetWindow(box, GW_CHILD);
    ASSERT_NE(edit, nullptr);
    changes.clear();
    Type(*Window, edit, L"gamma-delta");
    EXPECT_EQ(Form.Choice.Text(), "gamma-de");
    EXPECT_EQ(TextOf(box), L"gamma-de");
    EXPECT_EQ(Form.Choice.ItemIndex(), -1);
    EXPECT_EQ(changes, (std::vector<std::string>{"g", "ga", "gam", "gamm", "gamma", "gamma-", "gamma-d", "gamma-de"}));
}

TEST_F(WindowControls, ClicksOnBoxesAndButtonsAreUserActions) {
    int optionClicks = 0, kindClicks = 0, nextClicks = 0;
    Form.Option.OnClick = [&](TObject&) { ++optionClicks; };
    Form.Kind.OnClick = [&](TObject&) { ++kindClicks; };
    Form.Next.OnClick = [&](TObject&) { ++nextClicks; };

    Click(*Window, Handle(Form.Option));
    EXPECT_TRUE(Form.Option.Checked());
    EXPECT_EQ(optionClicks, 1);

    Click(*Window, RadioButton(L"Drugi"));
    EXPECT_EQ(Form.Kind.ItemIndex(), 1);
    EXPECT_EQ(kindClicks, 1);
    // The checked button carries the group's Tab stop.
    EXPECT_TRUE(GetWindowLongW(RadioButton(L"Drugi"), GWL_STYLE) & WS_TABSTOP);
    EXPECT_FALSE(GetWindowLongW(RadioButton(L"Pierwszy"), GWL_STYLE) & WS_TABSTOP);

    Click(*Window, Handle(Form.Next));
    EXPECT_EQ(nextClicks, 1);

    // Disabled controls take no clicks: the model and the window stay put.
    Form.Option.SetEnabled(false);
    Form.Next.SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(Handle(Form.Option)));
    Click(*Window, Handle(Form.Option));
    Click(*Window, Handle(Form.Next));
    EXPECT_TRUE(Form.Option.Checked());
    EXPECT_EQ(Checked(Handle(Form.Option)), BST_CHECKED);
    EXPECT_EQ(optionClicks, 1);
    EXPECT_EQ(nextClicks, 1);
}

TEST_F(WindowControls, TabOrderIsTheModelsAndThePageSwitchMovesTheFocus) {
    HWND root = Window->Handle();
    std::vector<HWND> order;
    HWND at = nullptr;
    for (int i = 0; i < 8; ++i) {
        at = GetNextDlgTabItem(root, at, FALSE);
        if (!at || (!order.empty() && at == order.front())) break;
        order.push_back(at);
    }
    const std::vector<HWND> expected = {RadioButton(L"Pierwszy"), Handle(Form.Name), Handle(Form.Choice),
                                        Handle(Form.Option),     Handle(Form.Host), Handle(Form.Back),
                                        Handle(Form.Next)};
    EXPECT_EQ(order, expected);

    // The focus on a page that goes away moves to the new page.
    SetFocus(Handle(Form.Name));
    ASSERT_EQ(GetFocus(), Handle(Form.Name));
    Form.Pages.SetActivePageIndex(1);
    Window->ProcessMessages();
    EXPECT_FALSE(IsWindowVisible(Handle(Form.First)));
    EXPECT_TRUE(IsWindowVisible(Handle(Form.Second)));
    EXPECT_EQ(GetFocus(), Handle(Form.Help));

    // Disabling the focused button hands the focus on.
    SetFocus(Handle(Form.Back));
    Form.Back.SetEnabled(false);
    EXPECT_NE(GetFocus(), Handle(Form.Back));
    EXPECT_TRUE(IsChild(root, GetFocus()));
}

TEST_F(WindowControls, EnterPressesTheDefaultButtonAndEscapeDoesNothing) {
    int nextClicks = 0, backClicks = 0;
    Form.Next.OnClick = [&](TObject&) { ++nextClicks; };
    Form.Back.OnClick = [&](TObject&) { ++backClicks; };

    PressKey(*Window, Handle(Form.Name), VK_RETURN);
    EXPECT_EQ(nextClicks, 1);

    // Disabled, the default button is not pressed.
    Form.Next.SetEnabled(false);
    PressKey(*Window, Handle(Form.Name), VK_RETURN);
    EXPECT_EQ(nextClicks, 1);
    EXPECT_EQ(backClicks, 0);

    // Esc, also inside the multi-line memo, leaves the form as it is.
    Form.Next.SetEnabled(true);
    Form.Pages.SetActivePageIndex(1);
    PressKey(*Window, Handle(Form.Help), VK_ESCAPE);
    PressKey(*Window, Handle(Form.Back), VK_ESCAPE);
    EXPECT_TRUE(IsWindow(Handle(Form.Second)));
    EXPECT_TRUE(IsWindowVisible(Window->Handle()));
    EXPECT_TRUE(Form.Visible());
    EXPECT_FALSE(Application.Terminated());
    // The memo takes Enter itself.
    PressKey(*Window, Handle(Form.Help), VK_RETURN);
    EXPECT_EQ(nextClicks, 1);
}

TEST_F(WindowControls, CloseBoxClosesTheMainForm) {
    Application.SetMainForm(&Form);
    int closes = 0;
    Form.OnClose = [&](TObject&) { ++closes; };
    SendMessageW(Window->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Window->ProcessMessages();
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(Application.Terminated());
    EXPECT_FALSE(IsWindowVisible(Window->Handle()));
    EXPECT_TRUE(IsWindow(Window->Handle()));
}

// That it goes back on every path is UiApplication.WaitCursorIsRestoredOnEveryPath's.
TEST(WindowViews, WaitCursorShowsWhileTheScopeLastsAndGoesBack) {
    TWin32Screen screenView;
    TScreen screen;
    screen.SetView(&screenView);
    {
        TWaitCursor busy(screen);
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    }
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

// A page's windows are made when it first shows (or when one is asked for),
// with the state its controls have by then and in their Tab order.
TEST_F(WindowControls, APageGetsItsWindowsWhenItShowsWithTheStateOfThatTime) {
    EXPECT_EQ(Find(Window->Handle(), L"Button", L"Później"), nullptr);

    // Changed before the page has windows.
    Form.Remark.SetText("Łódź");
    Form.Remark.SetEnabled(false);
    Form.Pick.Items().Assign(std::vector<std::string>{"jeden", "dwa"});
    Form.Pick.SetText("dwa");
    Form.Flag.SetChecked(true);
    Form.Pages.SetActivePageIndex(1);
    Window->ProcessMessages();

    HWND remark = Find(Window->Handle(), L"Edit", L"Łódź");
    ASSERT_NE(remark, nullptr);
    EXPECT_EQ(remark, Handle(Form.Remark));
    EXPECT_TRUE(IsWindowVisible(remark));
    EXPECT_FALSE(IsWindowEnabled(remark));
    HWND pick = Handle(Form.Pick);
    EXPECT_EQ(SendMessageW(pick, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(pick, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(Checked(Handle(Form.Flag)), BST_CHECKED);
    // Windows in Tab order.
    std::vector<HWND> order;
    for (HWND child = GetWindow(Handle(Form.Second), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        order.push_back(child);
    EXPECT_EQ(order, (std::vector<HWND>{Handle(Form.Help), Handle(Form.Flag), remark, pick}));

    // Asked for, a control of a page not shown yet gets its window, hidden.
    HWND later = Handle(Form.Later);
    ASSERT_NE(later, nullptr);
    EXPECT_FALSE(IsWindowVisible(later));
    EXPECT_TRUE(ErrorBox.Shown.empty());
}

struct BoundaryCase {
    const char* Name;
    // Makes one handler throw.
    void (*Arm)(TSmallForm&);
    // The user's action, as window messages.
    void (*Act)(TSmallForm&, TWin32Form&);
    const char* Shown;
};

void ThrowException(TObject&) { throw Exception("Błąd obsługi"); }
void ThrowRuntimeError(TObject&) { throw std::runtime_error("zwykły błąd."); }
void ThrowNumber(TObject&) { throw 42; }

// Sent to the form and handled before the action returns.
void SendToForm(TWin32Form& window, UINT message, WPARAM w) {
    SendMessageW(window.Handle(), message, w, 0);
    window.ProcessMessages();
}

// clang-format off
const BoundaryCase BoundaryCases[] = {
    {"ButtonClick", [](TSmallForm& form) { form.Next.OnClick = ThrowException; },
     [](TSmallForm& form, TWin32Form& window) { Click(window, window.HandleOf(form.Next)); }, "Błąd obsługi."},
    {"EnterPressesTheDefaultButton", [](TSmallForm& form) { form.Next.OnClick = ThrowNumber; },
     [](TSmallForm&, TWin32Form& window) { SendToForm(window, WM_COMMAND, IDOK); }, "Nieznany błąd."},
    {"CheckBoxClick", [](TSmallForm& form) { form.Option.OnClick = ThrowRuntimeError; },
     [](TSmallForm& form, TWin32Form& window) { Click(window, window.HandleOf(form.Option)); }, "zwykły błąd."},
    {"ComboBoxOpens", [](TSmallForm& form) { form.Choice.OnDropDown = ThrowException; },
     [](TSmallForm& form, TWin32Form& window) {
         for (const BOOL show : {TRUE, FALSE}) SendMessageW(window.HandleOf(form.Choice), CB_SHOWDROPDOWN, show, 0);
         window.ProcessMessages();
     },
     "Błąd obsługi."},
    // Each time a text that differs, so that it is a change.
    {"TypingIntoTheEditsSubclassedWindow", [](TSmallForm& form) { form.Name.OnChange = ThrowException; },
     [](TSmallForm& form, TWin32Form& window) {
         Type(window, window.HandleOf(form.Name), form.Name.Text() == "x" ? L"y" : L"x");
     },
     "Błąd obsługi."},
    {"CloseBox", [](TSmallForm& form) { form.OnClose = ThrowRuntimeError; },
     [](TSmallForm&, TWin32Form& window) { SendToForm(window, WM_SYSCOMMAND, SC_CLOSE); }, "zwykły błąd."},
};
// clang-format on

class WindowBoundary : public WindowControls, public ::testing::WithParamInterface<BoundaryCase> {};

// Whatever a handler throws, for every kind of message that runs handlers,
// ends in the error box, the window goes on, and nothing reaches the code
// that sent the message.
TEST_P(WindowBoundary, TheErrorEndsInTheErrorBoxAndTheWindowGoesOn) {
    const BoundaryCase& c = GetParam();
    int backClicks = 0;
    Form.Back.OnClick = [&](TObject&) { ++backClicks; };
    c.Arm(Form);
    const decltype(ErrorBox.Shown) once{{"Okno testowe", c.Shown}};
    EXPECT_NO_THROW(c.Act(Form, *Window));
    EXPECT_EQ(ErrorBox.Shown, once);
    EXPECT_TRUE(IsWindowVisible(Window->Handle()));

    // A failing error box is swallowed at the boundary too.
    ErrorBox.Shown.clear();
    ErrorBox.Fails = true;
    EXPECT_NO_THROW(c.Act(Form, *Window));
    EXPECT_EQ(ErrorBox.Shown, once);

    Click(*Window, Handle(Form.Back));
    EXPECT_EQ(backClicks, 1);
}

INSTANTIATE_TEST_SUITE_P(Messages, WindowBoundary, ::testing::ValuesIn(BoundaryCases),
                         [](const ::testing::TestParamInfo<BoundaryCase>& info) { return std::string(info.param.Name); });

}  // namespace
