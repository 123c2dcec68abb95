// The Oracle path in the real window under Wine, from page 0 to the status
// page: a scratch Oracle home whose tnsnames.ora holds entries of several
// forms, a new service typed in, "Wykonaj" pressed; then the two network
// files byte for byte and the seven aliases in the configuration file.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "engine/AliasStore.h"
#include "engine/Session.h"
#include "fakes/RecordingViews.h"
#include "platform/Text.h"
#include "platform/win32/WideText.h"
#include "ui/win32/Win32Form.h"
#include "win32/UiWindowSupport.h"
#include "win32/Win32Workstation.h"
#include "wizard/Unit2.h"

using namespace uiwin;

namespace {

constexpr const wchar_t* SettingsKey = L"software\\Veltra\\Zentor";
constexpr const wchar_t* BorlandKey = L"SOFTWARE\\Borland";
constexpr const wchar_t* EngineKey = L"SOFTWARE\\Borland\\Database Engine";
constexpr const wchar_t* OracleKey = L"SOFTWARE\\ORACLE";
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

std::wstring TempFolder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return temp;
}

void SetString(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::wstring ConfigFile() {
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof(path);
    RegGetValueW(HKEY_LOCAL_MACHINE, EngineKey, L"CONFIGFILE01", RRF_RT_REG_SZ, nullptr, path, &size);
    return path;
}

bool KeyExists(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

class OracleWindow : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
        createdBorlandKey_ = !KeyExists(BorlandKey);
        if (ConfigFile().empty()) {
            const std::wstring config = TempFolder() + L"KonfiguracjaBDE-oracle.cfg";
            DeleteFileW(config.c_str());
            SetString(EngineKey, L"CONFIGFILE01", config);
        }
        createdOracleKey_ = !KeyExists(OracleKey);

        home_ = TempFolder() + L"KonfiguracjaBDE-oracle";
        for (const wchar_t* folder : {L"", L"\\NETWORK", L"\\NETWORK\\ADMIN"})
            CreateDirectoryW((home_ + folder).c_str(), nullptr);
        admin_ = WideToUtf8(home_) + "\\NETWORK\\ADMIN\\";
        DeleteFileW((home_ + L"\\NETWORK\\ADMIN\\sqlnet.ora").c_str());
        Real.Files.WriteBytes(admin_ + "tnsnames.ora", kNamesFile);
        SetString(HomeKey, L"ORACLE_HOME", home_);
        SetString(HomeKey, L"ORACLE_HOME_NAME", L"KonfiguracjaBDE_test");

        Application.SetTitle("Konfiguracja BDE");
        Application.SetMessageBoxView(&ErrorBox);
        Form = std::make_unique<TForm2>(Real.Platform, Session, Application);
        Window = std::make_unique<TWin32Form>(*Form);
        Form->Show();
        Window->ProcessMessages();
    }

    void TearDown() override {
        Window.reset();
        Form.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, createdOracleKey_ ? OracleKey : HomeKey);
        if (createdBorlandKey_) {
            DeleteFileW(ConfigFile().c_str());
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, BorlandKey);
        }
        for (const wchar_t* file : {L"tnsnames.ora", L"sqlnet.ora"})
            DeleteFileW((home_ + L"\\NETWORK\\ADMIN\\" + file).c_str());
        for (const wchar_t* folder : {L"\\NETWORK\\ADMIN", L"\\NETWORK", L""}) RemoveDirectoryW((home_ + folder).c_str());
    }

    HWND Root() const { return Window->Handle(); }
    HWND Handle(const TControl& control) const { return Window->HandleOf(control); }
    void ClickButton(const wchar_t* caption) { Click(*Window, Find(Root(), L"Button", caption)); }

    Win32Workstation Real;
    TSession Session{Real.Registry, Real.Files, Real.Loader};
    TRecordingMessageBox ErrorBox;
    TApplication Application;
    std::unique_ptr<TForm2> Form;
    std::unique_ptr<TWin32Form> Window;
    std::wstring home_;
    std::string admin_;

private:
    bool createdBorlandKey_ = false;
    bool createdOracleKey_ = false;
};

TEST_F(OracleWindow, FromPageZeroToTheStatusPage) {
    ClickButton(L"Oracle Server");
    ClickButton(L"10 (X)");
    ClickButton(L"Dalej >");
    ASSERT_EQ(Form->ComboBoxOracleHome.Text(), "KonfiguracjaBDE_test");
    EXPECT_EQ(TextOf(Handle(Form->EditFolderHome)), home_);

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
    EXPECT_EQ(Form->MemoStatus.Lines()[2], "  Utworzono plik");
    EXPECT_EQ(Form->MemoStatus.Lines()[5], "  Zmodyfikowano plik");

    EXPECT_EQ(Real.Files.ReadBytes(admin_ + "sqlnet.ora"),
              "SQLNET.AUTHENTICATION_SERVICES=(NTS)\r\nNAMES.DIRECTORY_PATH=(TNSNAMES)\r\n");
    EXPECT_EQ(Real.Files.ReadBytes(admin_ + "tnsnames.ora"),
              kNamesFile + Utf8ToCp1250("NOWY.SERWIS =\r\n  (DESCRIPTION =\r\n    (ADDRESS_LIST =\r\n"
                                        "      (ADDRESS = (PROTOCOL = TCP)(HOST = serwer-łódź)(PORT = 1522))\r\n"
                                        "    )\r\n    (CONNECT_DATA =\r\n      (SERVICE_NAME = RONDEL)\r\n"
                                        "    )\r\n  )\r\n"));

    TAliasStore saved;
    const std::string config = WideToUtf8(ConfigFile());
    saved.Load(Real.Files.ReadBytes(config), config);
    for (const char* module : {"Ochrona", "RN", "RN- Faktury", "RN- Magistr", "RN- Odbiorcy", "RN- Odczyty", "RN- Liczniki"}) {
        const TAlias* alias = saved.Find(std::string("X Veltra- ") + module);
        ASSERT_NE(alias, nullptr) << module;
        EXPECT_EQ(alias->Driver, "ORACLE");
        EXPECT_EQ(alias->Params.Values("SERVER NAME"), "NOWY.SERWIS");
        EXPECT_EQ(alias->Params.Values("USER NAME"), module == std::string("Ochrona") ? "VELTRA_OCHRONA" : "VELTRA_RN");
    }
}

}  // namespace
