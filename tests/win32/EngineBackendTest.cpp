// The session on the real registry, files and loader, with the stand-in
// engine library registered through DLLPATH as an installed engine would be.
// The engine's registry values are restored after each test.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "engine/Session.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Loader.h"
#include "platform/win32/Win32Registry.h"
#include "win32/platform/Scratch.h"

namespace {

constexpr const wchar_t* EngineKey = L"SOFTWARE\\Borland\\Database Engine";

// A value of the engine's key, put back as it was (or removed) at the end.
class EngineValue {
public:
    EngineValue(const wchar_t* name, const std::wstring& value) : name_(name) {
        wchar_t old[MAX_PATH] = {};
        DWORD size = sizeof(old);
        if (RegGetValueW(HKEY_LOCAL_MACHINE, EngineKey, name, RRF_RT_REG_SZ, nullptr, old, &size) == ERROR_SUCCESS)
            saved_ = old;
        Set(value);
    }
    ~EngineValue() {
        if (saved_) Set(*saved_);
        else RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, EngineKey, name_);
    }
    EngineValue(const EngineValue&) = delete;
    EngineValue& operator=(const EngineValue&) = delete;

private:
    void Set(const std::wstring& value) {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, EngineKey, name_, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
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
    EngineValue dllPath{L"DLLPATH", engineFolder};
    EngineValue configFile{L"CONFIGFILE01", Utf8ToWide(configPath)};
    TWin32RegistryFactory registry;
    TWin32FileSystem files;
    TWin32Loader loader;
};

TEST_F(EngineBackend, InstalledLibraryKeepsTheAliasesAndASecondRunModifiesThem) {
    InstallLibrary();
    {
        auto session = Started();
        EXPECT_NE(GetModuleHandleW((engineFolder + L"\\idapi32.dll").c_str()), nullptr);
        session->AddAlias("X Veltra- RN", "SQL Native Client", {"ODBC DSN=Veltra", "USER NAME=dbo", "SQLQRYMODE="});
        session->AddStandardAlias("Veltra- Net", "C:\\Veltra\\Dane", "PARADOX");
        session->SaveConfigFile();
    }
    EXPECT_EQ(GetModuleHandleW((engineFolder + L"\\idapi32.dll").c_str()), nullptr);  // freed with the session
    EXPECT_EQ(scratch::GetBytes(configPath),
              "ALIAS X Veltra- RN\nTYPE SQL Native Client\nINFO TYPE=SQL Native Client\nOPEN ODBC DSN=Veltra\n"
              "OPEN USER NAME=dbo\nOPEN SQLQRYMODE=\nALIAS Veltra- Net\nTYPE STANDARD\nINFO TYPE=STANDARD\n"
              "INFO PATH=C:\\Veltra\\Dane\nINFO DEFAULT DRIVER=PARADOX\nINFO ENABLE BCD=FALSE\n");

    auto session = Started();
    TStringList list;
    session->GetAliasParams("Veltra- Net", list);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"PATH=C:\\Veltra\\Dane", "DEFAULT DRIVER=PARADOX"}));
    session->ModifyAlias("x veltra- rn", {"ODBC DSN=Nowe", "DATABASE NAME=veltra"});
    session->SaveConfigFile();
    EXPECT_NE(scratch::GetBytes(configPath).find("OPEN ODBC DSN=Nowe\nOPEN USER NAME=dbo\nOPEN SQLQRYMODE=\nALIAS"),
              std::string::npos);
}

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

}  // namespace
