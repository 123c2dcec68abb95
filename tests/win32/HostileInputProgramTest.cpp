// The real program under Wine on a workstation in a bad state: registry
// values of the wrong type or of great length, names in Polish and beyond
// code page 1250, a missing Oracle home folder, hostile or locked names
// files, an unreadable configuration file, a data source key without rights.
// Each case walks the pages with real clicks and checks that the program
// shows the right message boxes, never hangs, writes nothing it should not,
// and ends with exit code 0 (an exception that left a window procedure or a
// crash would end it otherwise).
#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <string>
#include <vector>

#include "base/Text.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "win32/MachineRegistry.h"
#include "win32/ProgramDriver.h"
#include "win32/platform/Scratch.h"

using namespace uiwin;

namespace {

using machine::SettingsKey;
using machine::EngineKey;
using machine::DriversKey;
using machine::DriverKey;
using machine::SourcesKey;
using machine::SourceKeyStem;

constexpr const wchar_t* HomeKey = L"SOFTWARE\\ORACLE\\KEY_KonfiguracjaBDE_hostile";
constexpr const wchar_t* Source = L"Rondel Hostile";

// An entry in the layout the program writes.
std::string NamesEntry(const std::string& name) {
    return name + ".SERWER =\r\n  (DESCRIPTION =\r\n    (ADDRESS_LIST =\r\n      (ADDRESS = (PROTOCOL = TCP)(HOST = h" +
           name + ")(PORT = 1521))\r\n    )\r\n    (CONNECT_DATA =\r\n      (SERVICE_NAME = " + name +
           ")\r\n    )\r\n  )\r\n";
}
const std::string kNamesFile = NamesEntry("XE");
const std::string kConfigFile = "; poprzednia konfiguracja\r\n";

void SetValue(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data, DWORD size) {
    RegSetKeyValueW(root, key.c_str(), name.c_str(), type, data, size);
}
void SetString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value) {
    SetValue(root, key, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}
void SetNumber(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value) {
    SetValue(root, key, name, REG_DWORD, &value, sizeof(value));
}
void SetBinary(HKEY root, const std::wstring& key, const std::wstring& name) {
    const BYTE data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    SetValue(root, key, name, REG_BINARY, data, sizeof(data));
}

// The workstation a case spoils: a scratch folder with the configuration
// file and an Oracle home, the engine, the ODBC driver, one data source.
struct Workstation {
    scratch::Folder Scratch;
    std::wstring Folder = Scratch.WidePath();
    std::wstring Home = Folder + L"\\oracle";
    std::wstring Config = Folder + L"\\konfiguracja.cfg";
    std::wstring Names() const { return Home + L"\\NETWORK\\ADMIN\\tnsnames.ora"; }
    // Held open without sharing while the program runs, as another program would.
    std::wstring ToLock;
    UniqueKernelHandle Lock;
    TWin32FileSystem Files;

    void Write(const std::wstring& path, const std::string& bytes) { Files.WriteBytes(WideToUtf8(path), bytes); }
    std::string Read(const std::wstring& path) {
        return Files.FileExists(WideToUtf8(path)) ? Files.ReadBytes(WideToUtf8(path)) : "<none>";
    }
    void LockFile() {
        if (!ToLock.empty())
            Lock.reset(CreateFileW(ToLock.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    }
    void MoveHome(const std::wstring& home) {
        Home = home;
        SetString(HKEY_LOCAL_MACHINE, HomeKey, L"ORACLE_HOME", Home);
    }
    void MakeHome() {
        for (const wchar_t* folder : {L"", L"\\NETWORK", L"\\NETWORK\\ADMIN"}) CreateDirectoryW((Home + folder).c_str(), nullptr);
        Write(Names(), kNamesFile);
    }
};

// A names file of `count` entries, in the layout the program writes.
std::string ManyEntries(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += NamesEntry("S" + std::to_string(i));
    return text;
}

// Every byte value, NULs and stray parentheses among them.
std::string Garbage() {
    std::string bytes;
    for (int round = 0; round < 64; ++round)
        for (int b = 0; b < 256; ++b) bytes += static_cast<char>((b * 37 + round * 11) & 0xFF);
    return "XE.SERWER = (DESCRIPTION = (ADDRESS = (HOST = s" + bytes + "\r\n" + kNamesFile + bytes;
}

// A key's access list, in the security descriptor language.
void SetKeyAccess(const std::wstring& key, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr)) return;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, WRITE_DAC, &opened) == ERROR_SUCCESS) {
        RegSetKeySecurity(opened, DACL_SECURITY_INFORMATION, descriptor);
        RegCloseKey(opened);
    }
    LocalFree(descriptor);
}
// A key nobody may open for writing: only reading is granted.
void ReadOnlyKey(const std::wstring& key) { SetKeyAccess(key, L"D:P(A;;KR;;;WD)"); }
void WritableKey(const std::wstring& key) { SetKeyAccess(key, L"D:(A;;KA;;;WD)"); }

// One hostile state and the walk through the program. A walk step is a
// button's caption, "=text" typed into the first combo box of the page, or
// "@n=text" typed into its n-th edit (a combo box's own edit counts).
// In the messages, {dir} stands for the scratch folder.
struct HostileCase {
    const char* Name;
    void (*Spoil)(Workstation&);
    std::vector<std::wstring> Walk;
    Strings Messages;
    const char* Page;
    // What the case may write: the configuration file (with the aliases)
    // and sqlnet.ora. No case edits the service table: tnsnames.ora stays.
    bool WritesConfig = false;
    bool WritesSqlNet = false;
};

const std::vector<std::wstring> SqlServerWalk = {L"Dalej >", L"=Rondel Hostile", L"Dalej >", L"Dalej >", L"=Rondel",
                                                 L"Wykonaj"};
const std::vector<std::wstring> OracleWalk = {L"Oracle Server", L"Dalej >", L"Dalej >", L"Dalej >", L"Wykonaj"};
const std::vector<std::wstring> ToNetServicePage = {L"Oracle Server", L"Dalej >", L"Dalej >"};

const std::wstring kLong(20000, L'x');
constexpr const wchar_t* kPolish = L"Źródło Łódź żółć";
constexpr const wchar_t* kBeyond1250 = L"Ωmega 数据 ☃";

// clang-format off
const HostileCase Cases[] = {
    {"ServerStoredAsAShortString", [](Workstation&) { SetString(HKEY_CURRENT_USER, SettingsKey, L"Server", L"ab"); },
     {}, {"Niepoprawny typ danych : Server."}, "TabSheet0"},
    {"VersionStoredAsEightBytes", [](Workstation&) { SetBinary(HKEY_CURRENT_USER, SettingsKey, L"Wersja"); },
     {}, {"Pobranie danych dla 'Wersja' nie powiodło się."}, "TabSheet0"},
    {"ConfigurationPathStoredAsANumber", [](Workstation&) { SetNumber(HKEY_LOCAL_MACHINE, EngineKey, L"CONFIGFILE01", 7); },
     {}, {"Nie można uruchomić silnika bazy danych. Niepoprawny typ danych : CONFIGFILE01.",
          "Niepoprawny typ danych : CONFIGFILE01."}, "TabSheet0"},
    {"DataSourceListEntryStoredAsANumber", [](Workstation&) { SetNumber(HKEY_LOCAL_MACHINE, SourcesKey, L"Liczba", 1); },
     {L"Dalej >"}, {}, "TabSheet1"},  // the list passes over it in silence
    {"DataSourceServerStoredAsBinary",
     [](Workstation&) { SetBinary(HKEY_LOCAL_MACHINE, std::wstring(SourceKeyStem) + Source, L"Server"); },
     {L"Dalej >", L"=Rondel Hostile", L"Dalej >"}, {"Niepoprawny typ danych : Server."}, "TabSheet2"},
    {"DriverRegistrationStoredAsANumber",
     [](Workstation&) { SetNumber(HKEY_LOCAL_MACHINE, DriversKey, L"SQL Native Client", 1); },
     SqlServerWalk, {"Niepoprawny typ danych : SQL Native Client."}, "TabSheet3"},
    {"OracleHomeNameStoredAsANumber", [](Workstation&) { SetNumber(HKEY_LOCAL_MACHINE, HomeKey, L"ORACLE_HOME_NAME", 1); },
     {L"Oracle Server", L"Dalej >"}, {"Niepoprawny typ danych : ORACLE_HOME_NAME."}, "TabSheet1Oracle"},
    {"OracleLanguageStoredAsBinary", [](Workstation&) { SetBinary(HKEY_LOCAL_MACHINE, HomeKey, L"NLS_LANG"); },
     {L"Oracle Server", L"Dalej >"}, {"Niepoprawny typ danych : NLS_LANG."}, "TabSheet1Oracle"},
    {"VeryLongValuesEverywhere",
     [](Workstation&) {
         for (const wchar_t* name : {L"NLS_LANG", L"ORACLE_HOME_NAME"}) SetString(HKEY_LOCAL_MACHINE, HomeKey, name, kLong);
         SetString(HKEY_LOCAL_MACHINE, std::wstring(SourceKeyStem) + Source, L"Server", kLong);
         SetString(HKEY_LOCAL_MACHINE, SourcesKey, kLong.substr(0, 16000), L"SQL Native Client");
     },
     {L"Dalej >", L"=Rondel Hostile", L"Dalej >", L"< Wstecz", L"< Wstecz", L"Oracle Server", L"Dalej >"}, {},
     "TabSheet1Oracle"},
    {"PolishNamesGoThroughTheSqlServerPath",
     [](Workstation&) {
         SetString(HKEY_LOCAL_MACHINE, SourcesKey, kPolish, L"SQL Native Client");
         SetString(HKEY_LOCAL_MACHINE, std::wstring(SourceKeyStem) + kPolish, L"Server", L"SERWER\\ŁÓDŹ");
     },
     {L"Dalej >", std::wstring(L"=") + kPolish, L"Dalej >", L"Dalej >", L"=Baza żółć", L"Wykonaj"}, {}, "TabSheet5", true},
    {"NamesBeyondTheCodePageGoThroughTheOraclePath",
     [](Workstation& station) {
         station.MoveHome(station.Folder + L"\\" + kBeyond1250);
         station.MakeHome();
         SetString(HKEY_LOCAL_MACHINE, HomeKey, L"ORACLE_HOME_NAME", kBeyond1250);
     },
     OracleWalk, {}, "TabSheet5", true, true},
    {"OracleHomeFolderMissing", [](Workstation& station) { station.MoveHome(station.Folder + L"\\brak"); },
     {L"Oracle Server", L"Dalej >", L"Dalej >", L"@2=serwer", L"Dalej >", L"Wykonaj"},
     {"Nie można zapisać pliku \"{dir}\\brak\\NETWORK\\ADMIN\\sqlnet.ora\": Nie znaleziono ścieżki."}, "TabSheet3Oracle"},
    {"NamesFileOfBinaryGarbage", [](Workstation& station) { station.Write(station.Names(), Garbage()); },
     ToNetServicePage, {}, "TabSheet2Oracle"},
    {"NamesFileLockedByAnotherProgram", [](Workstation& station) { station.ToLock = station.Names(); },
     OracleWalk, {"Nie można odczytać pliku \"{dir}\\oracle\\NETWORK\\ADMIN\\tnsnames.ora\": Naruszenie współdzielenia."},
     "TabSheet5", true, true},
    {"ConfigurationFileMissing", [](Workstation& station) { DeleteFileW(station.Config.c_str()); },
     SqlServerWalk, {}, "TabSheet5", true},
    {"ConfigurationFileLockedByAnotherProgram", [](Workstation& station) { station.ToLock = station.Config; },
     SqlServerWalk,
     {"Nie można uruchomić silnika bazy danych. Nie można odczytać pliku \"{dir}\\konfiguracja.cfg\": Naruszenie "
      "współdzielenia.",
      "Silnik bazy danych nie został uruchomiony: konfiguracja aliasów jest niedostępna.",
      "Silnik bazy danych nie został uruchomiony: konfiguracja aliasów jest niedostępna."},
     "TabSheet3"},
    {"DataSourceKeyWithoutRights", [](Workstation&) { ReadOnlyKey(std::wstring(SourceKeyStem) + Source); },
     SqlServerWalk, {"Nie można otworzyć klucza rejestru \"HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBC.INI\\Rondel Hostile\" "
                     "z pełnym dostępem."}, "TabSheet3"},
    {"NamesFileOfAHundredThousandEntries", [](Workstation& station) { station.Write(station.Names(), ManyEntries(100000)); },
     ToNetServicePage, {}, "TabSheet2Oracle"},
};
// clang-format on

class HostileInput : public ::testing::TestWithParam<HostileCase> {
protected:
    void SetUp() override {
        station_.Write(station_.Config, kConfigFile);
        SetString(HKEY_LOCAL_MACHINE, DriversKey, L"SQL Native Client", L"Installed");
        SetString(HKEY_LOCAL_MACHINE, DriverKey, L"Driver", L"C:\\windows\\system32\\sqlncli.dll");
        SetString(HKEY_LOCAL_MACHINE, SourcesKey, Source, L"SQL Native Client");
        SetString(HKEY_LOCAL_MACHINE, std::wstring(SourceKeyStem) + Source, L"Server", L"SERWER\\RONDEL");
        station_.MoveHome(station_.Home);
        SetString(HKEY_LOCAL_MACHINE, HomeKey, L"ORACLE_HOME_NAME", L"KonfiguracjaBDE_hostile");
        station_.MakeHome();
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
    }

    void TearDown() override {
        station_.Lock.reset();
        WritableKey(std::wstring(SourceKeyStem) + Source);
        for (const std::wstring& name : DataSourceNames()) {
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, SourcesKey, name.c_str());
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, (SourceKeyStem + name).c_str());
        }
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, DriversKey, L"SQL Native Client");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, DriverKey);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, HomeKey);
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
    }

    // The data sources this suite may have made.
    static std::vector<std::wstring> DataSourceNames() {
        return {Source, kPolish, kBeyond1250, kLong.substr(0, 16000), L"Liczba"};
    }

    Workstation station_;
    machine::Value config_{EngineKey, L"CONFIGFILE01", station_.Config};
};

TEST_P(HostileInput, ShowsTheMessagesNeverHangsWritesNothingWrongAndEndsCleanly) {
    const HostileCase& c = GetParam();
    c.Spoil(station_);
    const std::string config = station_.Read(station_.Config);
    const std::string names = station_.Read(station_.Names());
    const std::string sqlnet = station_.Read(station_.Home + L"\\NETWORK\\ADMIN\\sqlnet.ora");

    station_.LockFile();
    Program program;
    Strings messages = program.DismissMessages();
    ASSERT_TRUE(program.Running());
    for (const std::string& text : program.Walk(c.Walk)) messages.push_back(text);
    ASSERT_TRUE(program.Responds(1000)) << "the program does not answer";
    Strings expected = c.Messages;
    for (std::string& text : expected)
        if (const auto at = text.find("{dir}"); at != std::string::npos) text.replace(at, 5, WideToUtf8(station_.Folder));
    EXPECT_EQ(messages, expected);
    EXPECT_EQ(program.Page(), c.Page);

    station_.Lock.reset();
    const std::string configAfter = station_.Read(station_.Config);
    if (c.WritesConfig) {
        EXPECT_NE(configAfter.find("Veltra- RN- Liczniki"), std::string::npos);
    } else {
        EXPECT_EQ(configAfter, config);
    }
    EXPECT_EQ(station_.Read(station_.Names()), names);
    EXPECT_EQ(station_.Read(station_.Home + L"\\NETWORK\\ADMIN\\sqlnet.ora"),
              c.WritesSqlNet ? "SQLNET.AUTHENTICATION_SERVICES=(NTS)\r\nNAMES.DIRECTORY_PATH=(TNSNAMES)\r\n" : sqlnet);
    EXPECT_EQ(program.Close(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Workstations, HostileInput, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.Name); });

}  // namespace
