// The wizard's real window under Wine: TForm2 on the real registry, file
// system and loader, driven with real button and key messages through the
// program's own message loop; the Oracle path's files, writes the disk
// refuses, the installed engine's library and the service manager's
// instances. The settings key is scratch state; the engine's configuration
// file is a scratch one, and keys made here go again at the end.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "base/Text.h"
#include "engine/AliasStore.h"
#include "engine/Session.h"
#include "fakes/RecordingViews.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Platform.h"
#include "shared/Expected.h"
#include "ui/win32/Win32Form.h"
#include "win32/MachineRegistry.h"
#include "win32/UiWindowSupport.h"
#include "win32/platform/Scratch.h"
#include "wizard/Unit2.h"

using namespace uiwin;

namespace {

using machine::EngineKey;
using machine::HomeKey;
using machine::HomeName;
using machine::SettingsKey;

bool KeyExists(const wchar_t* path) {
    UniqueHKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

class WizardWindow : public ::testing::Test {
protected:
    WizardWindow() {
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
        Application.SetTitle("Konfiguracja BDE");
        Application.SetMessageBoxView(&ErrorBox);
    }
    ~WizardWindow() override {
        Window.reset();
        Form.reset();
        Session.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, HomeKey);
        if (createdKeys_[0]) RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Borland");
        if (createdKeys_[1]) RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ORACLE");
    }

    // As WinMain does: the session, the form, its window, FormShow.
    void Open() {
        Window.reset();
        Form.reset();
        Session = std::make_unique<TSession>(Real.Registry, Real.Files, Real.Loader);
        Form = std::make_unique<TForm2>(Real.Platform, *Session, Application);
        Window = std::make_unique<TWin32Form>(*Form);
        Form->Show();
        Window->ProcessMessages();
    }

    HWND Root() const { return Window->Handle(); }
    HWND Handle(const TControl& control) const { return Window->HandleOf(control); }
    HWND ButtonNamed(const wchar_t* caption) const { return Find(Root(), L"Button", caption); }
    void ClickButton(const wchar_t* caption) { Click(*Window, ButtonNamed(caption)); }

    // Page 0's clicks, then the Oracle path to its last page; `servicePage`
    // fills the service page.
    void WalkOracleToWykonaj(std::initializer_list<const wchar_t*> pageZero, const std::function<void()>& servicePage) {
        for (const wchar_t* caption : pageZero) ClickButton(caption);
        ClickButton(L"Dalej >");
        ASSERT_EQ(Form->ComboBoxOracleHome.Text(), HomeName);
        EXPECT_EQ(TextOf(Handle(Form->EditFolderHome)), Scratch.WidePath());
        ClickButton(L"Dalej >");
        ASSERT_TRUE(IsWindowVisible(Handle(Form->DBEdit2)));
        servicePage();
        ClickButton(L"Dalej >");
        ASSERT_TRUE(IsWindowVisible(Handle(Form->ButtonWykonaj)));
    }
    Strings Errors() const {
        Strings texts;
        for (const auto& shown : ErrorBox.Shown) texts.push_back(shown.second);
        return texts;
    }

private:
    // Before the values below: what they create is theirs to take away.
    bool createdKeys_[2] = {!KeyExists(L"SOFTWARE\\Borland"), !KeyExists(L"SOFTWARE\\ORACLE")};

protected:
    scratch::Folder Scratch;
    std::string ConfigPath = Scratch.File("konfiguracja.cfg");  // not there until a test writes it
    machine::Value ConfigEntry{EngineKey, L"CONFIGFILE01", Utf8ToWide(ConfigPath)};
    TWin32Platform Real;
    std::unique_ptr<TSession> Session;
    TRecordingMessageBox ErrorBox;
    TApplication Application;
    std::unique_ptr<TForm2> Form;
    std::unique_ptr<TWin32Form> Window;
};

TEST_F(WizardWindow, OpensAsDesignedScaledToTheScreenInItsColours) {
    Open();
    EXPECT_TRUE(ErrorBox.Shown.empty());
    EXPECT_TRUE(IsWindowVisible(Root()));

    // Dialog frame: a close box, no minimise or maximise box, fixed size.
    const auto style = static_cast<DWORD>(GetWindowLongW(Root(), GWL_STYLE));
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
              static_cast<DWORD>(WS_CAPTION | WS_SYSMENU));
    EXPECT_TRUE(GetWindowLongW(Root(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);

    // The client size and the font scale as the design's do (WizardDesignTest.Window and
    // WindowControls.BoundsAndFontsAreTheDesignScaledToTheScreen between them).
    const int dpi = ScreenDpiOfTest();
    auto scaled = [dpi](int design) { return MulDiv(design, dpi, 104); };

    // Centred on the screen.
    RECT window;
    GetWindowRect(Root(), &window);
    EXPECT_NEAR((window.left + window.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    // "Dalej >" lies at 244, 280 on the wizard sheet, which lies 4 pixels
    // into the outer page control.
    const RECT next = RectIn(Root(), ButtonNamed(L"Dalej >"));
    EXPECT_NEAR(next.left, scaled(4 + 244), 1);
    EXPECT_NEAR(next.top, scaled(4 + 280), 1);
    EXPECT_NEAR(next.right - next.left, scaled(81), 1);
    EXPECT_NEAR(next.bottom - next.top, scaled(27), 1);

    HWND title = Find(Root(), L"Static", L"Konfiguracja BDE dla systemu Veltra - Rondel i Wodą");
    ASSERT_NE(title, nullptr);
    const LOGFONTW titleFont = FontOf(title);
    EXPECT_EQ(titleFont.lfHeight, -scaled(17));
    EXPECT_EQ(titleFont.lfWeight, FW_BOLD);
    EXPECT_EQ(ColoursOf(title, WM_CTLCOLORSTATIC).Text, RGB(128, 0, 0));

    // The engine's configuration file on its olive band.
    HWND configFile = Find(Root(), L"Static", Utf8ToWide(ConfigPath));
    ASSERT_NE(configFile, nullptr);
    EXPECT_EQ(ColoursOf(configFile, WM_CTLCOLORSTATIC).Brush, RGB(128, 128, 0));

    // Pages are plain windows, no tab headers anywhere.
    for (HWND hwnd : Descendants(Root())) EXPECT_NE(ClassOf(hwnd), L"SysTabControl32");

    // Read-only edits of page 2 in the page colour; memos in the window colour
    // except page 2's.
    EXPECT_EQ(ColoursOf(Handle(Form->EditBoundle), WM_CTLCOLORSTATIC).Brush, GetSysColor(COLOR_BTNFACE));
    for (const TEdit* edit : {&Form->EditBoundle, &Form->EditNLS, &Form->EditFolderHome})
        EXPECT_TRUE(GetWindowLongW(Handle(*edit), GWL_STYLE) & ES_READONLY) << edit->Name();
    EXPECT_EQ(ColoursOf(Handle(Form->Memo6), WM_CTLCOLORSTATIC).Brush, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ColoursOf(Handle(Form->Memo1), WM_CTLCOLORSTATIC).Brush, GetSysColor(COLOR_WINDOW));
    for (const TMemo* memo : {&Form->Memo1, &Form->Memo2, &Form->MemoStatus}) {
        // Read-only, multi-line; these fit (Memo1 and Memo2 grow into the room below them): no scroll bars.
        EXPECT_EQ(GetWindowLongW(Handle(*memo), GWL_STYLE) & (ES_READONLY | ES_MULTILINE | WS_VSCROLL | WS_HSCROLL),
                  ES_READONLY | ES_MULTILINE)
            << memo->Name();
    }
    // The help text's hard lines, joined as the window shows them.
    EXPECT_EQ(TextOf(Handle(Form->Memo6)),
              L"Należy wybrać z listy nazwę ORACLE HOME.\r\n"
              L"Jeśli lista jest pusta to klient ORACLE nie został poprawnie zainstalowany.");
    // The search method box exists but never shows, even on its page.
    Form->PageControl1.SetActivePageIndex(3);
    EXPECT_TRUE(IsWindowVisible(Handle(Form->Memo2)));
    EXPECT_FALSE(IsWindowVisible(Handle(Form->CheckBoxDMO)));
    // The caption of "Logowanie..." stands left of its box.
    EXPECT_TRUE(GetWindowLongW(Handle(Form->CheckBoxWindows), GWL_STYLE) & BS_LEFTTEXT);
    // Every help text can be read whole: all its lines show, or it scrolls.
    for (const TMemo* memo : {&Form->Memo1, &Form->Memo2, &Form->Memo3, &Form->Memo4, &Form->Memo5, &Form->Memo6}) {
        HWND hwnd = Handle(*memo);
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
        EXPECT_TRUE(whole || (GetWindowLongW(hwnd, GWL_STYLE) & WS_VSCROLL)) << memo->Name();
    }
    // The data source box holds at most 32 characters.
    EXPECT_EQ(SendMessageW(GetWindow(Handle(Form->ComboBoxNazwaZrodla), GW_CHILD), EM_GETLIMITTEXT, 0, 0), 32);
}

// Real clicks, Enter and typing walk both paths; after every step the one
// page window that shows and the buttons' windows follow the model. Which
// page comes next is the navigation suite's; here that the windows keep up
// with it, and that Enter presses the default button that is enabled.
TEST_F(WizardWindow, RealInputWalksBothPathsAndTheWindowsFollow) {
    Open();
    int runs = 0;
    Form->ButtonWykonaj.OnClick = [&](TObject&) { ++runs; };
    // The index of the one wizard page whose window shows; -1 when none or several do.
    const auto visiblePage = [this] {
        int visible = -1, shown = 0;
        for (int i = 0; i < Form->PageControl1.PageCount(); ++i)
            if (IsWindowVisible(Handle(Form->PageControl1.Pages(i)))) visible = i, ++shown;
        return shown == 1 ? visible : -1;
    };
    const struct {
        const TControl* Focus;  // Enter pressed there (no Input), or Input typed into it
        const wchar_t* Input;   // without a Focus: the button clicked
        int Page;
    } steps[] = {
        // "Dalej >" is the enabled default on the way; on the last page it is disabled and "Wykonaj" is the one.
        {&Form->CheckBoxKopia, nullptr, 1}, {&Form->ComboBoxNazwaZrodla, nullptr, 3},
        {&Form->ComboBoxServer, nullptr, 5}, {&Form->ComboBoxBaza, nullptr, 5},
        {nullptr, L"Dalej >", 5}, {nullptr, L"< Wstecz", 3}, {nullptr, L"< Wstecz", 1}, {nullptr, L"< Wstecz", 0},
        {nullptr, L"< Wstecz", 0},  // disabled on page 0
        {nullptr, L"Oracle Server", 0}, {nullptr, L"Dalej >", 2}, {nullptr, L"Dalej >", 4},
        // No Oracle home here: the service in the box is a new entry, which needs a host.
        {&Form->DBEdit2, L"serwer", 4}, {nullptr, L"Dalej >", 6}, {nullptr, L"< Wstecz", 4}, {nullptr, L"< Wstecz", 2},
        {nullptr, L"< Wstecz", 0}, {nullptr, L"Microsoft SQL Server", 0}, {nullptr, L"Dalej >", 1},
    };
    ASSERT_EQ(visiblePage(), 0);
    for (const auto& step : steps) {
        if (!step.Focus)
            ClickButton(step.Input);
        else if (step.Input)
            Type(*Window, Handle(*step.Focus), step.Input);
        else
            PressKey(*Window, Handle(*step.Focus), VK_RETURN);
        SCOPED_TRACE(step.Focus ? step.Focus->Name() : WideToUtf8(step.Input));
        EXPECT_EQ(visiblePage(), step.Page);
        EXPECT_EQ(Form->PageControl1.ActivePageIndex(), step.Page);
        // Wstecz, Dalej, Wykonaj enabled.
        EXPECT_EQ(std::make_tuple(!!IsWindowEnabled(ButtonNamed(L"< Wstecz")), !!IsWindowEnabled(ButtonNamed(L"Dalej >")),
                                  !!IsWindowEnabled(ButtonNamed(L"Wykonaj"))),
                  std::make_tuple(Form->ButtonWstecz.Enabled(), Form->ButtonDalej.Enabled(), Form->ButtonWykonaj.Enabled()));
    }
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(ErrorBox.Shown.empty());

    // On the status page "OK" is the default: Enter ends the program.
    Form->PageControl2.SetActivePageIndex(1);
    Window->ProcessMessages();
    EXPECT_TRUE(IsWindowVisible(Handle(Form->MemoStatus)));
    EXPECT_EQ(visiblePage(), -1);
    PressKey(*Window, Root(), VK_RETURN);
    EXPECT_TRUE(Application.Terminated());
    EXPECT_FALSE(IsWindowVisible(Root()));
}

// The wizard's choices through real radio buttons into the real registry,
// as numbers, and back into the buttons at the next start.
TEST_F(WizardWindow, RememberedChoicesLandInTheRegistry) {
    Open();
    ClickButton(L"9 (II)");
    ClickButton(L"Oracle Server");
    EXPECT_EQ(machine::Setting(L"Server"), 1u);
    EXPECT_EQ(machine::Setting(L"Wersja"), 0u);

    Open();
    EXPECT_EQ(SendMessageW(ButtonNamed(L"Oracle Server"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(ButtonNamed(L"Microsoft SQL Server"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(ButtonNamed(L"9 (II)"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(machine::Setting(L"Server"), 1u);
    EXPECT_EQ(machine::Setting(L"Wersja"), 0u);
    EXPECT_TRUE(ErrorBox.Shown.empty());
}

// Entries of several forms; only XE.SERWER can be kept by the table.
const std::string kNamesFile = Utf8ToCp1250(
    "# Usługi sieciowe: Łódź\r\n\r\n"
    "XE.SERWER = (DESCRIPTION = (ADDRESS_LIST = (ADDRESS = (PROTOCOL = TCP)(HOST = serwer)(PORT = 1521)))\r\n"
    "    (CONNECT_DATA = (SERVICE_NAME = XE)))\r\n\r\n"
    "RONDEL.VELTRA =\r\n  (DESCRIPTION =\r\n    (ADDRESS = (PROTOCOL = TCP)(HOST = 192.0.2.20)(PORT = 1521))\r\n"
    "    (CONNECT_DATA = (SID = RONDEL))\r\n  )\r\n"
    "inna=(description=(address_list=(address=(protocol=tcp)(host=h)(port=1))))\r\n"
    "IFILE = C:\\oracle\\inne.ora\r\n");
const std::string kSqlNet = "SQLNET.EXPIRE_TIME=10\r\n";
const std::string kConfigFile = "[Veltra- Stary]\r\nDRIVER=ORACLE\r\nSERVER NAME=STARY\r\n";

// The scratch folder as the one Oracle home, with a names file and sqlnet.ora
// in its NETWORK\ADMIN folder, and a configuration file in place.
class OracleWindow : public WizardWindow {
protected:
    OracleWindow() {
        for (const wchar_t* folder : {L"NETWORK", L"NETWORK\\ADMIN"}) CreateDirectoryW(Scratch.Wide(folder).c_str(), nullptr);
        machine::Set(HomeKey, L"ORACLE_HOME", Scratch.WidePath());
        machine::Set(HomeKey, L"ORACLE_HOME_NAME", Utf8ToWide(HomeName));
        scratch::PutBytes(SqlNet, kSqlNet);
        scratch::PutBytes(TnsNames, kNamesFile);
        scratch::PutBytes(ConfigPath, kConfigFile);
    }

    // Each file's bytes, or nothing for a file that is not there.
    std::map<std::string, std::optional<std::string>> Snapshot(const Strings& paths) {
        std::map<std::string, std::optional<std::string>> files;
        for (const std::string& path : paths)
            files[path] = Real.Files.FileExists(path) ? std::optional(scratch::GetBytes(path)) : std::nullopt;
        return files;
    }
    // The writer's temporaries ("<target>.<pid>-<n>.tmp") beside the files written.
    Strings TemporaryFiles() const {
        Strings found;
        for (const std::wstring& folder : {Scratch.WidePath(), Scratch.Wide(L"NETWORK\\ADMIN")})
            scratch::ForEachEntry(folder, [&](const std::wstring& name, DWORD) {
                if (name.ends_with(L".tmp")) found.push_back(WideToUtf8(name));
            });
        return found;
    }
    // The names file's one service, its host changed: the apply then writes the names file too.
    void WalkWithANewHost() {
        Open();
        WalkOracleToWykonaj({L"Oracle Server"}, [this] { Type(*Window, Handle(Form->DBEdit2), L"serwer-nowy"); });
    }

    std::string Admin = Scratch.File("NETWORK\\ADMIN\\");
    std::string SqlNet = Admin + "sqlnet.ora", TnsNames = Admin + "tnsnames.ora";
    std::string Homeless = Scratch.File("brak\\konfiguracja.cfg");  // a configuration file whose folder is missing
};

// From page 0 to the status page: a new service typed in, "Wykonaj" pressed;
// then the names file byte for byte, its Polish host in code page 1250, and
// the seven aliases in the configuration file (our own format: no engine
// library is registered).
TEST_F(OracleWindow, FromPageZeroToTheStatusPage) {
    DeleteFileW(Utf8ToWide(ConfigPath).c_str());  // not there yet
    Open();
    WalkOracleToWykonaj({L"Oracle Server", L"10 (X)"}, [this] {
        Type(*Window, GetWindow(Handle(Form->ComboBoxOracleServer), GW_CHILD), L"NOWY.SERWIS");
        Type(*Window, Handle(Form->DBEdit2), L"serwer-łódź");
        Type(*Window, Handle(Form->DBEdit3), L"1522");
        Type(*Window, Handle(Form->DBEdit4), L"RONDEL");
    });
    if (HasFatalFailure()) return;

    ClickButton(L"Wykonaj");
    ASSERT_TRUE(ErrorBox.Shown.empty()) << ErrorBox.Shown.front().second;
    EXPECT_TRUE(IsWindowVisible(Handle(Form->MemoStatus)));

    EXPECT_EQ(Real.Files.ReadBytes(TnsNames),
              kNamesFile + Utf8ToCp1250("NOWY.SERWIS =\r\n  (DESCRIPTION =\r\n    (ADDRESS_LIST =\r\n"
                                        "      (ADDRESS = (PROTOCOL = TCP)(HOST = serwer-łódź)(PORT = 1522))\r\n"
                                        "    )\r\n    (CONNECT_DATA =\r\n      (SERVICE_NAME = RONDEL)\r\n"
                                        "    )\r\n  )\r\n"));

    TAliasStore saved;
    saved.Load(Real.Files.ReadBytes(ConfigPath), ConfigPath);
    for (const std::string& module : expected::ModuleAliases("X ")) {
        const TAlias* alias = saved.Find(module);
        ASSERT_NE(alias, nullptr) << module;
        EXPECT_EQ(alias->Driver, "ORACLE");
        EXPECT_EQ(alias->Params.Values("SERVER NAME"), "NOWY.SERWIS");
    }
}

// A file the disk will not let "Wykonaj" replace.
enum class Refusal { ReadOnly, HeldOpen, FolderMissing };
struct RefusedCase {
    const char* Name;
    Refusal How;
    int File;  // of Files(): the one refused, named in the error box
    DWORD Reason;
    std::vector<int> Untouched;  // the refused file and those written after it
};

class RefusedWrite : public OracleWindow, public ::testing::WithParamInterface<RefusedCase> {
protected:
    // sqlnet.ora, tnsnames.ora, the configuration file, a configuration file whose folder is missing.
    Strings Files() const { return {SqlNet, TnsNames, ConfigPath, Homeless}; }
    UniqueFile Holder;
};

const RefusedCase RefusedCases[] = {
    {"SqlNetReadOnly", Refusal::ReadOnly, 0, ERROR_ACCESS_DENIED, {0, 1, 2}},
    {"TnsNamesReadOnly", Refusal::ReadOnly, 1, ERROR_ACCESS_DENIED, {1, 2}},
    {"TnsNamesHeldOpen", Refusal::HeldOpen, 1, ERROR_ACCESS_DENIED, {1, 2}},
    {"ConfigurationFileReadOnly", Refusal::ReadOnly, 2, ERROR_ACCESS_DENIED, {2}},
    {"ConfigurationFilesFolderMissing", Refusal::FolderMissing, 3, ERROR_PATH_NOT_FOUND, {2, 3}},
};

// The error box names the file and the system's reason, the refused file and
// every later one are left as they were, and no temporary file stays behind.
TEST_P(RefusedWrite, TheErrorBoxNamesTheFileAndTheReasonAndNothingAfterItIsWritten) {
    const RefusedCase& c = GetParam();
    const std::wstring refused = Utf8ToWide(Files()[c.File]);
    if (c.How == Refusal::ReadOnly) SetFileAttributesW(refused.c_str(), FILE_ATTRIBUTE_READONLY);
    // Held open without delete sharing by another program: it cannot be replaced.
    if (c.How == Refusal::HeldOpen)
        Holder.reset(CreateFileW(refused.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    if (c.How == Refusal::FolderMissing) machine::Set(EngineKey, L"CONFIGFILE01", refused);
    Strings untouched;
    for (int file : c.Untouched) untouched.push_back(Files()[file]);
    const auto before = Snapshot(untouched);
    WalkWithANewHost();
    if (HasFatalFailure()) return;

    ClickButton(L"Wykonaj");

    EXPECT_EQ(Errors(), Strings{TApplication::ErrorBoxText("Nie można zapisać pliku \"" + Files()[c.File] +
                                                           "\": " + SystemErrorText(c.Reason))});
    EXPECT_FALSE(IsWindowVisible(Handle(Form->MemoStatus)));
    EXPECT_EQ(Snapshot(untouched), before);
    EXPECT_EQ(TemporaryFiles(), Strings{});
}

INSTANTIATE_TEST_SUITE_P(Files, RefusedWrite, ::testing::ValuesIn(RefusedCases),
                         [](const ::testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.Name); });

// However often "Wykonaj" is pressed.
TEST_F(OracleWindow, AConfigurationFileThatDoesNotLoadIsNeverWrittenOver) {
    scratch::PutBytes(ConfigPath, "[Veltra- RN]\r\nDRIVER=ORACLE\r\nSERVER NAME\r\n");
    const auto before = Snapshot({SqlNet, TnsNames, ConfigPath});
    WalkWithANewHost();
    if (HasFatalFailure()) return;
    ASSERT_FALSE(ErrorBox.Shown.empty());  // the start failed

    for (int press = 0; press < 2; ++press) {
        ErrorBox.Shown.clear();
        ClickButton(L"Wykonaj");
        EXPECT_EQ(Errors(), Strings{TApplication::ErrorBoxText(
                                "Silnik bazy danych nie został uruchomiony: konfiguracja aliasów jest niedostępna")});
    }
    EXPECT_EQ(Snapshot({SqlNet, TnsNames, ConfigPath}), before);
    EXPECT_EQ(TemporaryFiles(), Strings{});
}

// The stand-in engine library registered through DLLPATH as an installed
// engine would be, and the wizard's SQL Server apply through it.
class EngineLibrary : public WizardWindow {
protected:
    EngineLibrary() {
        CreateDirectoryW(engineFolder.c_str(), nullptr);
        EXPECT_TRUE(CopyFileW(scratch::BesideSuite(L"" IDAPI_STANDIN_DLL).c_str(), library.c_str(), FALSE));
    }
    ~EngineLibrary() override {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ODBC\\ODBC.INI\\MSSQL Veltra RN");
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, machine::SourcesKey, L"MSSQL Veltra RN");
    }
    std::unique_ptr<TSession> Started() {
        auto session = std::make_unique<TSession>(Real.Registry, Real.Files, Real.Loader);
        session->SetConfigMode(cmPersistent);
        return session;
    }

    // The wizard's SQL Server apply as a user runs it; the status log.
    Strings Apply(const std::string& database) {
        auto session = Started();
        EXPECT_NE(GetModuleHandleW(library.c_str()), nullptr);
        TRecordingMessageBox errorBox;
        TApplication application;
        application.SetMessageBoxView(&errorBox);
        TForm2 form(Real.Platform, *session, application);
        form.Show();
        form.ButtonDalej.Click();
        form.ButtonDalej.Click();
        form.ComboBoxServer.UserType("SERWER\\SQL");
        form.ButtonDalej.Click();
        form.ComboBoxBaza.UserType(database);
        form.ComboBoxBazaLiczniki.UserType(database);  // else pre-filled from the last run's alias
        form.ButtonWykonaj.Click();
        EXPECT_TRUE(errorBox.Shown.empty()) << errorBox.Shown.front().second;
        return form.MemoStatus.Lines().ToVector();
    }

    std::wstring engineFolder = Scratch.Wide(L"BDE");
    std::wstring library = engineFolder + L"\\idapi32.dll";
    machine::Value dllPath{EngineKey, L"DLLPATH", engineFolder};
    machine::Value driverListed{machine::DriversKey, L"SQL Native Client", L"Installed"};
    machine::Value driverFile{machine::DriverKey, L"Driver", L"C:\\windows\\system32\\sqlncli.dll"};
};

// Run twice: the seven aliases land in the installed engine's configuration,
// the second run modifies them. The first adds "Veltra- Net" as the FoxPro
// "Veltra- RN" is, on its Polish path in code page 852 ("Łódź": 9D A2 64 AB).
TEST_F(EngineLibrary, SqlServerApplyWritesTheSevenAliasesAndASecondRunModifiesThem) {
    const std::string netInfo =
        "TYPE STANDARD\nINFO TYPE=STANDARD\nINFO PATH=C:\\Dane\\\x9D\xA2\x64\xAB\nINFO DEFAULT DRIVER=FOXPRO\n";
    scratch::PutBytes(ConfigPath, "ALIAS Veltra- RN\n" + netInfo);
    const auto first = Apply("Rondel");
    const auto second = Apply("RondelNowa");
    EXPECT_EQ(GetModuleHandleW(library.c_str()), nullptr);  // freed with its session
    const std::string saved = scratch::GetBytes(ConfigPath);
    EXPECT_NE(saved.find("ALIAS Veltra- Net\n" + netInfo), std::string::npos) << saved;
    // Read back through the system's own code page 852.
    TStringList params;
    Started()->GetAliasParams("Veltra- Net", params);
    EXPECT_EQ(params.Lines(), (Strings{"PATH=C:\\Dane\\Łódź", "DEFAULT DRIVER=FOXPRO"}));
    for (const std::string& alias : expected::ModuleAliases("X ")) {
        EXPECT_NE(std::find(first.begin(), first.end(), "  Utworzono alias \"" + alias + "\"."), first.end()) << alias;
        EXPECT_NE(std::find(second.begin(), second.end(), "  Zmodyfikowano alias \"" + alias + "\"."), second.end());
        EXPECT_NE(saved.find("ALIAS " + alias +
                             "\nTYPE SQL Native Client\nINFO TYPE=SQL Native Client\n"
                             "OPEN DATABASE NAME=RondelNowa\nOPEN USER NAME=dbo\nOPEN ODBC DSN=MSSQL Veltra RN\n"
                             "OPEN OPEN MODE=READ/WRITE\n"),
                  std::string::npos)
            << saved;
    }
}

// The service method of the server search against Wine's own service control
// manager, with SQL Server services made in the prefix for the test. The
// manager is opened by "\\" + this computer's name. (Wine answers any name as
// the local machine, so a refusing machine is left to the fakes.)
TEST(ServerSearchOnWine, TheMachinesInstancesComeFromItsServiceManager) {
    const char* const services[] = {"MSSQLSERVER", "MSSQL$DEMO", "SQLAgent$DEMO"};
    UniqueServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ASSERT_TRUE(manager);
    auto remove = [&] {
        for (const char* name : services)
            if (UniqueServiceHandle service{::OpenServiceA(manager.get(), name, DELETE)}) ::DeleteService(service.get());
    };
    remove();
    for (const char* name : services) {
        UniqueServiceHandle service(::CreateServiceA(manager.get(), name, name, SERVICE_ALL_ACCESS,
                                                     SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                                     SERVICE_ERROR_IGNORE, "C:\\windows\\system32\\notepad.exe",
                                                     nullptr, nullptr, nullptr, nullptr, nullptr));
        EXPECT_TRUE(service) << name << ": " << ::GetLastError();
    }
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof(name);
    ::GetComputerNameA(name, &size);
    const std::string machine = AnsiToUtf8(std::string(name, size));

    TWin32Platform real;
    TSession session(real.Registry, real.Files, real.Loader);
    TApplication application;
    TForm2 form(real.Platform, session, application);
    TStrings list;
    list.Add("EARLIER");
    form.AddServerInstances(machine, list);
    remove();
    // Appended, in the manager's own order.
    EXPECT_THAT(list.ToVector(), testing::UnorderedElementsAre("EARLIER", machine, machine + "\\DEMO"));
    EXPECT_EQ(list[0], "EARLIER");
}

}  // namespace
