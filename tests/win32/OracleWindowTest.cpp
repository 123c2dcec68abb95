// The Oracle path in the real window under Wine, from page 0 to the status
// page: a scratch Oracle home whose tnsnames.ora holds entries of several
// forms, a new service typed in, "Wykonaj" pressed; then the two network
// files byte for byte and the seven aliases in the configuration file.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "base/Text.h"
#include "engine/AliasStore.h"
#include "engine/Session.h"
#include "fakes/RecordingViews.h"
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

using machine::SettingsKey;

constexpr const wchar_t* HomeKey = L"SOFTWARE\\ORACLE\\KEY_KonfiguracjaBDE_test";

// Entries of several forms; only XE.SERWER can be kept by the table.
const std::string kNamesFile = Utf8ToCp1250(
    "# Usługi sieciowe: Łódź\r\n\r\n"
    "XE.SERWER = (DESCRIPTION = (ADDRESS_LIST = (ADDRESS = (PROTOCOL = TCP)(HOST = serwer)(PORT = 1521)))\r\n"
    "    (CONNECT_DATA = (SERVICE_NAME = XE)))\r\n\r\n"
    "RONDEL.VELTRA =\r\n  (DESCRIPTION =\r\n    (ADDRESS = (PROTOCOL = TCP)(HOST = 192.0.2.20)(PORT = 1521))\r\n"
    "    (CONNECT_DATA = (SID = RONDEL))\r\n  )\r\n"
    "inna=(description=(address_list=(address=(protocol=tcp)(host=h)(port=1))))\r\n"
    "IFILE = C:\\oracle\\inne.ora\r\n");

class OracleWindow : public ::testing::Test {
protected:
    OracleWindow() {
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
        for (const wchar_t* folder : {L"\\NETWORK", L"\\NETWORK\\ADMIN"}) CreateDirectoryW(home.Wide(folder).c_str(), nullptr);
        Real.Files.WriteBytes(admin + "tnsnames.ora", kNamesFile);
        Application.SetMessageBoxView(&ErrorBox);
        Form = std::make_unique<TForm2>(Real.Platform, Session, Application);
        Window = std::make_unique<TWin32Form>(*Form);
        Form->Show();
        Window->ProcessMessages();
    }
    ~OracleWindow() override {
        Window.reset();
        Form.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, HomeKey);
    }

    HWND Handle(const TControl& control) const { return Window->HandleOf(control); }
    void ClickButton(const wchar_t* caption) { Click(*Window, Find(Window->Handle(), L"Button", caption)); }

    scratch::Folder home;
    std::string admin = home.Path() + "\\NETWORK\\ADMIN\\";
    std::string config = home.File("idapi.cfg");
    machine::Value configEntry{expected::EngineKey.Raw, L"CONFIGFILE01", Utf8ToWide(config)};
    machine::Value homeFolder{HomeKey, L"ORACLE_HOME", home.WidePath()};
    machine::Value homeName{HomeKey, L"ORACLE_HOME_NAME", L"KonfiguracjaBDE_test"};
    TWin32Platform Real;
    TSession Session{Real.Registry, Real.Files, Real.Loader};
    TRecordingMessageBox ErrorBox;
    TApplication Application;
    std::unique_ptr<TForm2> Form;
    std::unique_ptr<TWin32Form> Window;
};

TEST_F(OracleWindow, FromPageZeroToTheStatusPage) {
    ClickButton(L"Oracle Server");
    ClickButton(L"10 (X)");
    ClickButton(L"Dalej >");
    ASSERT_EQ(Form->ComboBoxOracleHome.Text(), "KonfiguracjaBDE_test");
    EXPECT_EQ(TextOf(Handle(Form->EditFolderHome)), home.WidePath());

    ClickButton(L"Dalej >");
    ASSERT_TRUE(IsWindowVisible(Handle(Form->DBEdit2)));
    // The names file's one entry the table keeps; the others are skipped without a word.
    EXPECT_EQ(Form->ComboBoxOracleServer.Items().ToVector(), std::vector<std::string>{"XE.SERWER"});
    EXPECT_EQ(TextOf(Handle(Form->DBEdit2)), L"serwer");
    Type(*Window, GetWindow(Handle(Form->ComboBoxOracleServer), GW_CHILD), L"NOWY.SERWIS");
    Type(*Window, Handle(Form->DBEdit2), L"serwer-łódź");
    Type(*Window, Handle(Form->DBEdit3), L"1522");
    Type(*Window, Handle(Form->DBEdit4), L"RONDEL");
    ClickButton(L"Dalej >");
    ASSERT_TRUE(IsWindowVisible(Handle(Form->ComboBoxUserRN)));

    ClickButton(L"Wykonaj");
    ASSERT_TRUE(ErrorBox.Shown.empty()) << ErrorBox.Shown.front().second;
    EXPECT_TRUE(IsWindowVisible(Handle(Form->MemoStatus)));

    EXPECT_EQ(Real.Files.ReadBytes(admin + "sqlnet.ora"),
              "SQLNET.AUTHENTICATION_SERVICES=(NTS)\r\nNAMES.DIRECTORY_PATH=(TNSNAMES)\r\n");
    EXPECT_EQ(Real.Files.ReadBytes(admin + "tnsnames.ora"),
              kNamesFile + Utf8ToCp1250("NOWY.SERWIS =\r\n  (DESCRIPTION =\r\n    (ADDRESS_LIST =\r\n"
                                        "      (ADDRESS = (PROTOCOL = TCP)(HOST = serwer-łódź)(PORT = 1522))\r\n"
                                        "    )\r\n    (CONNECT_DATA =\r\n      (SERVICE_NAME = RONDEL)\r\n"
                                        "    )\r\n  )\r\n"));

    TAliasStore saved;
    saved.Load(Real.Files.ReadBytes(config), config);
    for (const std::string& module : expected::ModuleAliases("X ")) {
        const TAlias* alias = saved.Find(module);
        ASSERT_NE(alias, nullptr) << module;
        EXPECT_EQ(alias->Driver, "ORACLE");
        EXPECT_EQ(alias->Params.Values("SERVER NAME"), "NOWY.SERWIS");
    }
}

}  // namespace
