// The session on the real registry, files and loader, with the stand-in
// engine library registered through DLLPATH as an installed engine would be,
// and the wizard's SQL Server apply through it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "engine/Session.h"
#include "fakes/RecordingViews.h"
#include "platform/win32/Win32Platform.h"
#include "shared/Expected.h"
#include "win32/MachineRegistry.h"
#include "win32/platform/Scratch.h"
#include "wizard/Unit2.h"

namespace {

using machine::EngineKey;

class EngineBackend : public testing::Test {
protected:
    EngineBackend() { CreateDirectoryW(engineFolder.c_str(), nullptr); }
    ~EngineBackend() override {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ODBC\\ODBC.INI\\MSSQL Veltra RN");
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources", L"MSSQL Veltra RN");
        RegDeleteTreeW(HKEY_CURRENT_USER, machine::SettingsKey);
    }

    void InstallLibrary() {
        wchar_t exe[MAX_PATH + 1];
        std::wstring built(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH + 1));
        built = built.substr(0, built.find_last_of(L'\\') + 1) + L"" IDAPI_STANDIN_DLL;
        ASSERT_TRUE(CopyFileW(built.c_str(), library.c_str(), FALSE));
    }
    std::unique_ptr<TSession> Started() {
        auto session = std::make_unique<TSession>(real.Registry, real.Files, real.Loader);
        session->SetConfigMode(cmPersistent);
        return session;
    }

    // The wizard's SQL Server apply as a user runs it; the status log.
    std::vector<std::string> Apply(const std::string& database) {
        auto session = Started();
        EXPECT_NE(GetModuleHandleW(library.c_str()), nullptr);
        TRecordingMessageBox errorBox;
        TApplication application;
        application.SetMessageBoxView(&errorBox);
        TForm2 form(real.Platform, *session, application);
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

    scratch::Folder folder;
    std::wstring engineFolder = folder.Wide(L"BDE");
    std::wstring library = engineFolder + L"\\idapi32.dll";
    std::string configPath = folder.File("idapi.cfg");
    machine::Value dllPath{EngineKey, L"DLLPATH", engineFolder};
    machine::Value configFile{EngineKey, L"CONFIGFILE01", Utf8ToWide(configPath)};
    machine::Value driverListed{machine::DriversKey, L"SQL Native Client", L"Installed"};
    machine::Value driverFile{machine::DriverKey, L"Driver",
                              L"C:\\windows\\system32\\sqlncli.dll"};
    TWin32Platform real;
};

TEST_F(EngineBackend, WithoutTheLibraryOurOwnFileServesAndALibraryThatFailsToStartRefuses) {
    auto session = Started();
    session->AddAlias("N", "ORACLE", {"SERVER NAME=A"});
    session->SaveConfigFile();
    EXPECT_NE(scratch::GetBytes(configPath).find("[N]\r\nDRIVER=ORACLE\r\nSERVER NAME=A\r\n"), std::string::npos);

    InstallLibrary();
    scratch::PutBytes(configPath, "#awaria\n");
    TSession failing(real.Registry, real.Files, real.Loader);
    const std::string message = scratch::ErrorOf([&] { failing.SetConfigMode(cmPersistent); });
    EXPECT_NE(message.find("Cannot load the configuration file. (DbiInitFn, plik \"" + configPath), std::string::npos)
        << message;
    EXPECT_FALSE(failing.Active());
    EXPECT_THROW(failing.SaveConfigFile(), Exception);
    EXPECT_EQ(scratch::GetBytes(configPath), "#awaria\n");
}

// Run twice: the seven aliases land in the installed engine's configuration,
// the second run modifies them. The first adds "Veltra- Net" as the FoxPro
// "Veltra- RN" is, on its Polish path in code page 852 ("Łódź": 9D A2 64 AB).
TEST_F(EngineBackend, SqlServerApplyWritesTheSevenAliasesAndASecondRunModifiesThem) {
    InstallLibrary();
    const std::string netInfo =
        "TYPE STANDARD\nINFO TYPE=STANDARD\nINFO PATH=C:\\Dane\\\x9D\xA2\x64\xAB\nINFO DEFAULT DRIVER=FOXPRO\n";
    scratch::PutBytes(configPath, "ALIAS Veltra- RN\n" + netInfo);
    const auto first = Apply("Rondel");
    const auto second = Apply("RondelNowa");
    EXPECT_EQ(GetModuleHandleW(library.c_str()), nullptr);  // freed with its session
    const std::string saved = scratch::GetBytes(configPath);
    EXPECT_NE(saved.find("ALIAS Veltra- Net\n" + netInfo), std::string::npos) << saved;
    TStringList params;
    Started()->GetAliasParams("Veltra- Net", params);
    EXPECT_EQ(params.Lines(), (std::vector<std::string>{"PATH=C:\\Dane\\Łódź", "DEFAULT DRIVER=FOXPRO"}));
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

}  // namespace
