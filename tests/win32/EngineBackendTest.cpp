// The session on the real registry, files and loader, with the stand-in
// engine library registered through DLLPATH as an installed engine would be,
// and the wizard's SQL Server apply through it. The registry values the tests
// set are restored after each test, what the apply writes is removed.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>

#include "engine/Session.h"
#include "fakes/RecordingViews.h"
#include "platform/Platform.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Loader.h"
#include "platform/win32/Win32OdbcBrowser.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32ServerEnumerator.h"
#include "platform/win32/Win32ServiceManager.h"
#include "ui/Forms.h"
#include "win32/platform/Scratch.h"
#include "wizard/Unit2.h"

namespace {

constexpr const wchar_t* EngineKey = L"SOFTWARE\\Borland\\Database Engine";
constexpr const wchar_t* OdbcDriversKey = L"SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Drivers";
constexpr const wchar_t* OdbcDriverKey = L"SOFTWARE\\ODBC\\ODBCINST.INI\\SQL Native Client";
constexpr const wchar_t* OdbcSourcesKey = L"SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";
constexpr const wchar_t* DataSourceKey = L"SOFTWARE\\ODBC\\ODBC.INI\\MSSQL Veltra RN";
constexpr const wchar_t* SettingsKey = L"software\\Veltra\\Zentor";

// A machine value, put back as it was (or removed) at the end.
class MachineValue {
public:
    MachineValue(const wchar_t* key, const wchar_t* name, const std::wstring& value) : key_(key), name_(name) {
        wchar_t old[MAX_PATH] = {};
        DWORD size = sizeof(old);
        if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, old, &size) == ERROR_SUCCESS)
            saved_ = old;
        Set(value);
    }
    ~MachineValue() {
        if (saved_)
            Set(*saved_);
        else
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key_, name_);
    }
    MachineValue(const MachineValue&) = delete;
    MachineValue& operator=(const MachineValue&) = delete;

private:
    void Set(const std::wstring& value) {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, key_, name_, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    const wchar_t* key_;
    const wchar_t* name_;
    std::optional<std::wstring> saved_;
};

std::wstring BuiltStandin() {
    wchar_t exe[MAX_PATH + 1];
    std::wstring path(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH + 1));
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"" IDAPI_STANDIN_DLL;
}

class EngineBackend : public testing::Test {
protected:
    EngineBackend() { CreateDirectoryW(engineFolder.c_str(), nullptr); }

    void InstallLibrary() {
        ASSERT_TRUE(CopyFileW(BuiltStandin().c_str(), (engineFolder + L"\\idapi32.dll").c_str(), FALSE));
    }
    std::unique_ptr<TSession> Started() {
        auto session = std::make_unique<TSession>(registry, files, loader);
        session->SetConfigMode(cmPersistent);
        return session;
    }

    scratch::Folder folder;
    std::wstring engineFolder = folder.Wide(L"BDE");
    std::string configPath = folder.File("idapi.cfg");
    MachineValue dllPath{EngineKey, L"DLLPATH", engineFolder};
    MachineValue configFile{EngineKey, L"CONFIGFILE01", Utf8ToWide(configPath)};
    TWin32RegistryFactory registry;
    TWin32FileSystem files;
    TWin32Loader loader;
};

TEST_F(EngineBackend, WithoutTheLibraryOurOwnFileServes) {
    auto session = Started();
    session->AddAlias("N", "ORACLE", {"SERVER NAME=A"});
    session->SaveConfigFile();
    EXPECT_NE(scratch::GetBytes(configPath).find("[N]\r\nDRIVER=ORACLE\r\nSERVER NAME=A\r\n"), std::string::npos);
}

TEST_F(EngineBackend, LibraryThatFailsToStartRefusesTheStartAndWritesNothing) {
    InstallLibrary();
    scratch::PutBytes(configPath, "#awaria\n");
    TSession session(registry, files, loader);
    const std::string message = scratch::ErrorOf([&] { session.SetConfigMode(cmPersistent); });
    EXPECT_NE(message.find("Cannot load the configuration file. (DbiInit, plik \"" + configPath), std::string::npos)
        << message;
    EXPECT_FALSE(session.Active());
    EXPECT_THROW(session.SaveConfigFile(), Exception);
    EXPECT_EQ(scratch::GetBytes(configPath), "#awaria\n");
}

// The wizard's SQL Server apply, as a user runs it twice: the seven aliases
// land in the installed engine's configuration, the second run modifies them.
class EngineBackendApply : public EngineBackend {
protected:
    ~EngineBackendApply() override {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, DataSourceKey);
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, OdbcSourcesKey, L"MSSQL Veltra RN");
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
    }

    std::vector<std::string> Apply(const std::string& database) {
        auto session = Started();
        EXPECT_NE(GetModuleHandleW((engineFolder + L"\\idapi32.dll").c_str()), nullptr);
        TWin32OdbcBrowser odbcBrowser(loader);
        TWin32ServerEnumerator serverEnumerator(loader);
        TWin32ServiceManager serviceManager;
        TPlatform platform{registry, files, loader, odbcBrowser, serverEnumerator, serviceManager};
        TRecordingMessageBox errorBox;
        TApplication application;
        application.SetMessageBoxView(&errorBox);
        TForm2 form(platform, *session, application);
        form.Show();
        form.ButtonDalej.Click();
        form.ButtonDalej.Click();
        form.ComboBoxServer.UserType("SERWER\\SQL");
        form.ButtonDalej.Click();
        form.ComboBoxBaza.UserType(database);
        form.ComboBoxBazaLiczniki.UserType(database);  // else pre-filled from the last run's alias
        form.ButtonWykonaj.Click();
        std::vector<std::string> texts;
        for (const auto& shown : errorBox.Shown) texts.push_back(shown.second);
        EXPECT_EQ(texts, std::vector<std::string>{});
        return form.MemoStatus.Lines().ToVector();
    }

    MachineValue driverInstalled{OdbcDriversKey, L"SQL Native Client", L"Installed"};
    MachineValue driverFile{OdbcDriverKey, L"Driver", L"C:\\windows\\system32\\sqlncli.dll"};
};

TEST_F(EngineBackendApply, SqlServerApplyWritesTheSevenAliasesAndASecondRunModifiesThem) {
    InstallLibrary();
    const auto first = Apply("Rondel");
    const auto second = Apply("RondelNowa");
    EXPECT_EQ(GetModuleHandleW((engineFolder + L"\\idapi32.dll").c_str()), nullptr);  // freed with its session
    const std::string saved = scratch::GetBytes(configPath);
    for (const char* module :
         {"Ochrona", "RN", "RN- Faktury", "RN- Magistr", "RN- Odbiorcy", "RN- Odczyty", "RN- Liczniki"}) {
        const std::string alias = std::string("X Veltra- ") + module;
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

}  // namespace
