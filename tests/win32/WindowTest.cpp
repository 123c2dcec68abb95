// The wizard's real window under Wine: TForm2 on the real registry, file
// system and loader, driven with real button and key messages through the
// program's own message loop. The settings key is scratch state, removed
// before and after each test; the engine's registration is made when the
// prefix has none, and taken away again.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "engine/Session.h"
#include "fakes/RecordingViews.h"
#include "platform/win32/Win32Platform.h"
#include "shared/Expected.h"
#include "ui/win32/Win32Form.h"
#include "win32/UiWindowSupport.h"
#include "wizard/Unit2.h"

using namespace uiwin;

namespace {

constexpr const wchar_t* SettingsKey = expected::SettingsKey.Raw;
constexpr const wchar_t* BorlandKey = L"SOFTWARE\\Borland";
constexpr const wchar_t* EngineKey = expected::EngineKey.Raw;

std::optional<DWORD> Setting(const wchar_t* name) {
    DWORD value = 0, size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, SettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

bool KeyExists(HKEY root, const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::wstring RegisteredConfigFile() {
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof(path);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, EngineKey, L"CONFIGFILE01", RRF_RT_REG_SZ, nullptr, path, &size) !=
        ERROR_SUCCESS)
        return L"";
    return path;
}

struct Buttons {
    bool Back, Next, Run;
    bool operator==(const Buttons&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Buttons& b) {
    return out << "{Wstecz " << b.Back << ", Dalej " << b.Next << ", Wykonaj " << b.Run << "}";
}

class WizardWindow : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
        createdBorlandKey_ = !KeyExists(HKEY_LOCAL_MACHINE, BorlandKey);
        if (RegisteredConfigFile().empty()) {
            // A configuration file that does not exist yet: an empty one.
            wchar_t temp[MAX_PATH] = {};
            GetTempPathW(MAX_PATH, temp);
            const std::wstring file = std::wstring(temp) + L"KonfiguracjaBDE-okno-test.cfg";
            RegSetKeyValueW(HKEY_LOCAL_MACHINE, EngineKey, L"CONFIGFILE01", REG_SZ, file.c_str(),
                            static_cast<DWORD>((file.size() + 1) * sizeof(wchar_t)));
        }
        Application.SetTitle("Konfiguracja BDE");
        Application.SetMessageBoxView(&ErrorBox);
    }

    void TearDown() override {
        Window.reset();
        Form.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
        if (createdBorlandKey_) RegDeleteTreeW(HKEY_LOCAL_MACHINE, BorlandKey);
    }

    // As WinMain does: the form, its window, FormShow.
    void Open() {
        Window.reset();
        Form.reset();
        Form = std::make_unique<TForm2>(Real.Platform, Session, Application);
        Window = std::make_unique<TWin32Form>(*Form);
        Form->Show();
        Window->ProcessMessages();
    }

    HWND Root() const { return Window->Handle(); }
    HWND ButtonNamed(const wchar_t* caption) const { return Find(Root(), L"Button", caption); }
    HWND Back() const { return ButtonNamed(L"< Wstecz"); }
    HWND Next() const { return ButtonNamed(L"Dalej >"); }
    HWND Run() const { return ButtonNamed(L"Wykonaj"); }

    // The index of the one wizard page whose window shows; -1 when none or several do.
    int VisiblePage() const {
        static const wchar_t* pages[] = {L"TabSheet0", L"TabSheet1",       L"TabSheet1Oracle", L"TabSheet2",
                                         L"TabSheet2Oracle", L"TabSheet3", L"TabSheet3Oracle"};
        int visible = -1;
        for (int i = 0; i < 7; ++i) {
            HWND page = Find(Root(), L"KonfiguracjaBDE.TabSheet", pages[i]);
            if (!page) return -2;
            if (!IsWindowVisible(page)) continue;
            if (visible >= 0) return -1;
            visible = i;
        }
        return visible;
    }

    Buttons Enabled() const { return {!!IsWindowEnabled(Back()), !!IsWindowEnabled(Next()), !!IsWindowEnabled(Run())}; }

    TWin32Platform Real;
    TSession Session{Real.Registry, Real.Files, Real.Loader};
    TRecordingMessageBox ErrorBox;
    TApplication Application;
    std::unique_ptr<TForm2> Form;
    std::unique_ptr<TWin32Form> Window;

private:
    bool createdBorlandKey_ = false;
};

TEST_F(WizardWindow, OpensAsDesignedScaledToTheScreen) {
    Open();
    EXPECT_TRUE(ErrorBox.Shown.empty());
    EXPECT_TRUE(IsWindowVisible(Root()));
    EXPECT_EQ(TextOf(Root()), L"Konfiguracja BDE");

    // Dialog frame: a close box, no minimise or maximise box, fixed size.
    const auto style = static_cast<DWORD>(GetWindowLongW(Root(), GWL_STYLE));
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_TRUE(GetWindowLongW(Root(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);

    const int dpi = ScreenDpiOfTest();
    auto scaled = [dpi](int design) { return MulDiv(design, dpi, 104); };
    RECT client;
    GetClientRect(Root(), &client);
    EXPECT_EQ(client.right, scaled(596));
    EXPECT_EQ(client.bottom, scaled(336));

    // Centred on the screen.
    RECT window;
    GetWindowRect(Root(), &window);
    EXPECT_NEAR((window.left + window.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    // Bounds and fonts scale with it: "Dalej >" lies at 244, 280 on the
    // wizard sheet, which lies 4 pixels into the outer page control.
    const RECT next = RectIn(Root(), Next());
    EXPECT_NEAR(next.left, scaled(4 + 244), 1);
    EXPECT_NEAR(next.top, scaled(4 + 280), 1);
    EXPECT_NEAR(next.right - next.left, scaled(81), 1);
    EXPECT_NEAR(next.bottom - next.top, scaled(27), 1);
    const LOGFONTW font = FontOf(Next());
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");
    EXPECT_EQ(font.lfHeight, -scaled(12));

    HWND title = Find(Root(), L"Static", L"Konfiguracja BDE dla systemu Veltra - Rondel i Wodą");
    ASSERT_NE(title, nullptr);
    const LOGFONTW titleFont = FontOf(title);
    EXPECT_EQ(titleFont.lfHeight, -scaled(17));
    EXPECT_EQ(titleFont.lfWeight, FW_BOLD);
    EXPECT_EQ(ColoursOf(title, WM_CTLCOLORSTATIC).Text, RGB(128, 0, 0));

    // The engine's configuration file on its olive band.
    HWND configFile = Find(Root(), L"Static", RegisteredConfigFile());
    ASSERT_NE(configFile, nullptr);
    EXPECT_EQ(ColoursOf(configFile, WM_CTLCOLORSTATIC).Brush, RGB(128, 128, 0));

    // Pages are plain windows, no tab headers anywhere.
    for (HWND hwnd : Descendants(Root())) EXPECT_NE(ClassOf(hwnd), L"SysTabControl32");
}

TEST_F(WizardWindow, ControlsShowTheirDesignedColoursAndVisibility) {
    Open();
    // Read-only edits of page 2 in the page colour; memos in the window colour
    // except page 2's.
    EXPECT_EQ(ColoursOf(Window->HandleOf(Form->EditBoundle), WM_CTLCOLORSTATIC).Brush, GetSysColor(COLOR_BTNFACE));
    for (const TEdit* edit : {&Form->EditBoundle, &Form->EditNLS, &Form->EditFolderHome})
        EXPECT_TRUE(GetWindowLongW(Window->HandleOf(*edit), GWL_STYLE) & ES_READONLY) << edit->Name();
    EXPECT_EQ(ColoursOf(Window->HandleOf(Form->Memo6), WM_CTLCOLORSTATIC).Brush, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ColoursOf(Window->HandleOf(Form->Memo1), WM_CTLCOLORSTATIC).Brush, GetSysColor(COLOR_WINDOW));
    for (const TMemo* memo : {&Form->Memo1, &Form->Memo2, &Form->MemoStatus}) {
        const auto style = GetWindowLongW(Window->HandleOf(*memo), GWL_STYLE);
        // These fit (Memo1 and Memo2 grow into the room below them): no scroll bars.
        EXPECT_TRUE(style & ES_READONLY);
        EXPECT_TRUE(style & ES_MULTILINE);
        EXPECT_FALSE(style & (WS_VSCROLL | WS_HSCROLL));
    }
    // The help text's hard lines, joined as the window shows them.
    EXPECT_EQ(TextOf(Window->HandleOf(Form->Memo6)),
              L"Należy wybrać z listy nazwę ORACLE HOME.\r\n"
              L"Jeśli lista jest pusta to klient ORACLE nie został poprawnie zainstalowany.");
    // The search method box exists but never shows, even on its page.
    Form->PageControl1.SetActivePageIndex(3);
    EXPECT_TRUE(IsWindowVisible(Window->HandleOf(Form->Memo2)));
    EXPECT_FALSE(IsWindowVisible(Window->HandleOf(Form->CheckBoxDMO)));
    // The caption of "Logowanie..." stands left of its box.
    EXPECT_TRUE(GetWindowLongW(Window->HandleOf(Form->CheckBoxWindows), GWL_STYLE) & BS_LEFTTEXT);
    EXPECT_EQ(SendMessageW(Window->HandleOf(Form->CheckBoxWindows), BM_GETCHECK, 0, 0), BST_CHECKED);
    // Every help text can be read whole: all its lines show, or it scrolls.
    for (const TMemo* memo : {&Form->Memo1, &Form->Memo2, &Form->Memo3, &Form->Memo4, &Form->Memo5, &Form->Memo6}) {
        HWND hwnd = Window->HandleOf(*memo);
        const std::wstring text = TextOf(hwnd);
        const auto last = static_cast<WPARAM>(text.find_last_not_of(L" \r\n"));
        const LRESULT at = SendMessageW(hwnd, EM_POSFROMCHAR, last, 0);
        RECT client;
        GetClientRect(hwnd, &client);
        const TWindowDC dc(hwnd);
        const TSelectObject font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
        TEXTMETRICW tm{};
        GetTextMetricsW(dc.get(), &tm);
        const bool whole = static_cast<short>(HIWORD(at)) + tm.tmHeight <= client.bottom;
        const bool scrolls = GetWindowLongW(hwnd, GWL_STYLE) & WS_VSCROLL;
        EXPECT_TRUE(whole || scrolls) << memo->Name();
    }
    // The data source box holds at most 32 characters.
    EXPECT_EQ(SendMessageW(GetWindow(Window->HandleOf(Form->ComboBoxNazwaZrodla), GW_CHILD), EM_GETLIMITTEXT, 0, 0),
              32);
}

// Real clicks and typing walk both paths; the page that shows and the
// buttons' windows follow the model after every step. Which page comes next
// is the navigation suite's; here that the windows keep up with it.
TEST_F(WizardWindow, RealClicksWalkBothPathsAndTheWindowsFollow) {
    Open();
    const struct {
        const wchar_t* Button;  // clicked; or typed into DBEdit2 when null
        int Page;
    } steps[] = {
        {L"Dalej >", 1}, {L"Dalej >", 3}, {L"Dalej >", 5}, {L"Dalej >", 5},  // disabled on the last page
        {L"< Wstecz", 3}, {L"< Wstecz", 1}, {L"< Wstecz", 0}, {L"< Wstecz", 0},  // and on page 0
        {L"Oracle Server", 0}, {L"Dalej >", 2}, {L"Dalej >", 4},
        // No Oracle home here: the service in the box is a new entry, which needs a host.
        {nullptr, 4}, {L"Dalej >", 6}, {L"< Wstecz", 4}, {L"< Wstecz", 2}, {L"< Wstecz", 0},
        {L"Microsoft SQL Server", 0}, {L"Dalej >", 1},
    };
    ASSERT_EQ(VisiblePage(), 0);
    for (const auto& step : steps) {
        if (step.Button)
            Click(*Window, ButtonNamed(step.Button));
        else
            Type(*Window, Window->HandleOf(Form->DBEdit2), L"serwer");
        SCOPED_TRACE(step.Button ? step.Button : L"typed");
        EXPECT_EQ(VisiblePage(), step.Page);
        EXPECT_EQ(Form->PageControl1.ActivePageIndex(), step.Page);
        EXPECT_EQ(Enabled(), (Buttons{Form->ButtonWstecz.Enabled(), Form->ButtonDalej.Enabled(),
                                      Form->ButtonWykonaj.Enabled()}));
    }
    EXPECT_TRUE(ErrorBox.Shown.empty());
}

// The wizard's choices through real radio buttons into the real registry,
// as numbers, and back into the buttons at the next start.
TEST_F(WizardWindow, RememberedChoicesLandInTheRegistry) {
    Open();
    Click(*Window, ButtonNamed(L"9 (II)"));
    Click(*Window, ButtonNamed(L"Oracle Server"));
    EXPECT_EQ(Setting(L"Server"), 1u);
    EXPECT_EQ(Setting(L"Wersja"), 0u);

    Open();
    EXPECT_EQ(SendMessageW(ButtonNamed(L"Oracle Server"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(ButtonNamed(L"Microsoft SQL Server"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(ButtonNamed(L"9 (II)"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(Setting(L"Server"), 1u);
    EXPECT_EQ(Setting(L"Wersja"), 0u);
    EXPECT_TRUE(ErrorBox.Shown.empty());
}

TEST_F(WizardWindow, EnterPressesTheEnabledDefaultButton) {
    Open();
    int runs = 0;
    Form->ButtonWykonaj.OnClick = [&](TObject&) { ++runs; };

    // "Dalej >" is the enabled default on the way.
    PressKey(*Window, Window->HandleOf(Form->CheckBoxKopia), VK_RETURN);
    EXPECT_EQ(VisiblePage(), 1);
    PressKey(*Window, Window->HandleOf(Form->ComboBoxNazwaZrodla), VK_RETURN);
    EXPECT_EQ(VisiblePage(), 3);
    PressKey(*Window, Window->HandleOf(Form->ComboBoxServer), VK_RETURN);
    EXPECT_EQ(VisiblePage(), 5);
    EXPECT_EQ(runs, 0);

    // On the last page "Dalej >" is disabled and "Wykonaj" is the one.
    PressKey(*Window, Window->HandleOf(Form->ComboBoxBaza), VK_RETURN);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(VisiblePage(), 5);

    // On the status page "OK" is the default: Enter ends the program.
    Form->PageControl2.SetActivePageIndex(1);
    Window->ProcessMessages();
    EXPECT_TRUE(IsWindowVisible(Window->HandleOf(Form->MemoStatus)));
    EXPECT_EQ(VisiblePage(), -1);
    PressKey(*Window, Root(), VK_RETURN);
    EXPECT_TRUE(Application.Terminated());
    EXPECT_FALSE(IsWindowVisible(Root()));
}

}  // namespace
