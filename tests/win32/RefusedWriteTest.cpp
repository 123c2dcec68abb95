// Writes the disk refuses, through the real window under Wine: "Wykonaj" on
// the Oracle path when sqlnet.ora, tnsnames.ora or the engine's configuration
// file cannot be replaced. The error box names the file and the system's
// reason, the refused file and every later one are left as they were, and no
// temporary file stays behind. A configuration file that does not load is
// never written over, however often "Wykonaj" is pressed.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Text.h"
#include "engine/Session.h"
#include "fakes/RecordingViews.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Platform.h"
#include "ui/win32/Win32Form.h"
#include "win32/MachineRegistry.h"
#include "win32/UiWindowSupport.h"
#include "win32/platform/Scratch.h"
#include "wizard/Unit2.h"

using namespace uiwin;

namespace {

using machine::SettingsKey;
using machine::EngineKey;

using Strings = std::vector<std::string>;

constexpr const wchar_t* HomeKey = L"SOFTWARE\\ORACLE\\KEY_KonfiguracjaBDE_odmowa";
constexpr const char* HomeName = "KonfiguracjaBDE_odmowa";

const std::string NamesFile =
    "XE.SERWER = (DESCRIPTION = (ADDRESS_LIST = (ADDRESS = (PROTOCOL = TCP)(HOST = serwer)(PORT = 1521)))\r\n"
    "    (CONNECT_DATA = (SERVICE_NAME = XE)))\r\n";
const std::string SettingsFile = "SQLNET.EXPIRE_TIME=10\r\n";
const std::string ConfigFile = "[Veltra- Stary]\r\nDRIVER=ORACLE\r\nSERVER NAME=STARY\r\n";

bool KeyExists(const wchar_t* path) {
    UniqueHKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

void MakeReadOnly(const std::string& path) { SetFileAttributesW(Utf8ToWide(path).c_str(), FILE_ATTRIBUTE_READONLY); }

class RefusedWrite : public ::testing::Test {
public:  // the cases of the table reach the workstation through it
    RefusedWrite()
        : createdKeys_{!KeyExists(L"SOFTWARE\\Borland"), !KeyExists(L"SOFTWARE\\ORACLE")} {
        Application.SetTitle("Konfiguracja BDE");
        Application.SetMessageBoxView(&ErrorBox);
    }
    void SetUp() override { Arrange(); }
    void TearDown() override {
        Clean();
        // Keys made here go again: the suites that follow find the prefix as it was.
        if (createdKeys_[0]) RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Borland");
        if (createdKeys_[1]) RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ORACLE");
    }

    // A workstation with the three files in place and nothing open yet.
    void Arrange() {
        folder_ = std::make_unique<scratch::Folder>();
        for (const wchar_t* name : {L"NETWORK", L"NETWORK\\ADMIN", L"BDE"}) CreateDirectoryW(folder_->Wide(name).c_str(), nullptr);
        SqlNet = folder_->File("NETWORK\\ADMIN\\sqlnet.ora");
        TnsNames = folder_->File("NETWORK\\ADMIN\\tnsnames.ora");
        Config = folder_->File("BDE\\konfiguracja.cfg");
        Homeless = folder_->File("BDE\\brak\\konfiguracja.cfg");
        scratch::PutBytes(SqlNet, SettingsFile);
        scratch::PutBytes(TnsNames, NamesFile);
        scratch::PutBytes(Config, ConfigFile);
        UseConfigFile(Config);
        machine::Set(HomeKey, L"ORACLE_HOME", folder_->WidePath());
        machine::Set(HomeKey, L"ORACLE_HOME_NAME", Utf8ToWide(HomeName));
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
        ErrorBox.Shown.clear();
    }
    void Clean() {
        Holder.reset();
        Window.reset();
        Form.reset();
        Session.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, HomeKey);
        folder_.reset();
    }
    void UseConfigFile(const std::string& path) { machine::Set(EngineKey, L"CONFIGFILE01", Utf8ToWide(path)); }

    // The wizard starts as the program starts it, then walks the Oracle path
    // to its last page with the names file's one service, its host changed.
    void OpenAndWalkToWykonaj() {
        Session = std::make_unique<TSession>(Real.Registry, Real.Files, Real.Loader);
        Form = std::make_unique<TForm2>(Real.Platform, *Session, Application);
        Window = std::make_unique<TWin32Form>(*Form);
        Form->Show();
        Window->ProcessMessages();
        ClickButton(L"Oracle Server");
        ClickButton(L"Dalej >");
        ASSERT_EQ(Form->ComboBoxOracleHome.Text(), HomeName);
        ClickButton(L"Dalej >");
        // An edited service: the apply then writes the names file too.
        Type(*Window, Window->HandleOf(Form->DBEdit2), L"serwer-nowy");
        ClickButton(L"Dalej >");
        ASSERT_TRUE(IsWindowVisible(Window->HandleOf(Form->ButtonWykonaj)));
    }
    void ClickButton(const wchar_t* caption) { Click(*Window, Find(Window->Handle(), L"Button", caption)); }

    // Each file's bytes, or nothing for a file that is not there.
    std::map<std::string, std::optional<std::string>> Snapshot(const Strings& paths) {
        std::map<std::string, std::optional<std::string>> files;
        for (const std::string& path : paths)
            files[path] = Real.Files.FileExists(path) ? std::optional(scratch::GetBytes(path)) : std::nullopt;
        return files;
    }
    Strings TemporaryFiles() const {
        Strings found;
        for (const wchar_t* folder : {L"NETWORK\\ADMIN", L"BDE"}) {
            WIN32_FIND_DATAW entry;
            UniqueFind find(FindFirstFileW(folder_->Wide(std::wstring(folder) + L"\\*.tmp").c_str(), &entry));
            for (bool more = static_cast<bool>(find); more; more = FindNextFileW(find.get(), &entry))
                found.push_back(WideToUtf8(entry.cFileName));
        }
        return found;
    }
    Strings Errors() const {
        Strings texts;
        for (const auto& shown : ErrorBox.Shown) texts.push_back(shown.second);
        return texts;
    }

    TWin32Platform Real;
    std::unique_ptr<TSession> Session;
    TRecordingMessageBox ErrorBox;
    TApplication Application;
    std::unique_ptr<TForm2> Form;
    std::unique_ptr<TWin32Form> Window;
    std::string SqlNet, TnsNames, Config;
    std::string Homeless;  // a configuration file whose folder is missing
    UniqueFile Holder;

private:
    bool createdKeys_[2];
    machine::Value config_{EngineKey, L"CONFIGFILE01", L""};
    std::unique_ptr<scratch::Folder> folder_;
};

using Path = std::string RefusedWrite::*;

TEST_F(RefusedWrite, TheErrorBoxNamesTheFileAndTheReasonAndNothingAfterItIsWritten) {
    const struct {
        const char* what;
        std::function<void(RefusedWrite&)> refuse;
        Path refused;
        DWORD reason;
        std::vector<Path> untouched;  // the refused file and those written after it
    } cases[] = {
        {"sqlnet.ora read-only", [](RefusedWrite& t) { MakeReadOnly(t.SqlNet); }, &RefusedWrite::SqlNet,
         ERROR_ACCESS_DENIED, {&RefusedWrite::SqlNet, &RefusedWrite::TnsNames, &RefusedWrite::Config}},
        {"tnsnames.ora read-only", [](RefusedWrite& t) { MakeReadOnly(t.TnsNames); }, &RefusedWrite::TnsNames,
         ERROR_ACCESS_DENIED, {&RefusedWrite::TnsNames, &RefusedWrite::Config}},
        // Held open without delete sharing by another program: it cannot be replaced.
        {"tnsnames.ora held open",
         [](RefusedWrite& t) {
             t.Holder.reset(CreateFileW(Utf8ToWide(t.TnsNames).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
         },
         &RefusedWrite::TnsNames, ERROR_ACCESS_DENIED, {&RefusedWrite::TnsNames, &RefusedWrite::Config}},
        {"configuration file read-only", [](RefusedWrite& t) { MakeReadOnly(t.Config); }, &RefusedWrite::Config,
         ERROR_ACCESS_DENIED, {&RefusedWrite::Config}},
        {"configuration file's folder missing", [](RefusedWrite& t) { t.UseConfigFile(t.Homeless); },
         &RefusedWrite::Homeless, ERROR_PATH_NOT_FOUND, {&RefusedWrite::Config, &RefusedWrite::Homeless}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Clean();
        Arrange();
        c.refuse(*this);
        Strings untouched;
        for (Path path : c.untouched) untouched.push_back(this->*path);
        const auto before = Snapshot(untouched);
        OpenAndWalkToWykonaj();
        if (HasFatalFailure()) return;

        ClickButton(L"Wykonaj");

        EXPECT_EQ(Errors(), Strings{TApplication::ErrorBoxText("Nie można zapisać pliku \"" + this->*c.refused +
                                                               "\": " + SystemErrorText(c.reason))});
        EXPECT_FALSE(IsWindowVisible(Window->HandleOf(Form->MemoStatus)));
        EXPECT_EQ(Snapshot(untouched), before);
        EXPECT_EQ(TemporaryFiles(), Strings{});
    }
}

TEST_F(RefusedWrite, AConfigurationFileThatDoesNotLoadIsNeverWrittenOver) {
    scratch::PutBytes(Config, "[Veltra- RN]\r\nDRIVER=ORACLE\r\nSERVER NAME\r\n");
    const auto before = Snapshot({SqlNet, TnsNames, Config});
    OpenAndWalkToWykonaj();
    if (HasFatalFailure()) return;
    ASSERT_FALSE(ErrorBox.Shown.empty());
    const std::string startError = ErrorBox.Shown.front().second;
    EXPECT_NE(startError.find(Config), std::string::npos) << startError;
    EXPECT_NE(startError.find("wiersz 3"), std::string::npos) << startError;

    for (int press = 0; press < 2; ++press) {
        ErrorBox.Shown.clear();
        ClickButton(L"Wykonaj");
        EXPECT_EQ(Errors(), Strings{TApplication::ErrorBoxText(
                                "Silnik bazy danych nie został uruchomiony: konfiguracja aliasów jest niedostępna")});
    }
    EXPECT_EQ(Snapshot({SqlNet, TnsNames, Config}), before);
    EXPECT_EQ(TemporaryFiles(), Strings{});
}

}  // namespace
