// The real program run without a window from answer files, under Wine, against the same walk in
// the window with /record: what it leaves (remembered choices, data source, configuration file,
// Oracle files) and its status log. A run that stops leaves everything as it was.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <memory>

#include "platform/FileSystem.h"
#include "base/Text.h"
#include "platform/win32/Win32FileSystem.h"
#include "win32/MachineRegistry.h"
#include "win32/ProgramDriver.h"
#include "win32/platform/Scratch.h"

using namespace uiwin;

namespace {

constexpr const wchar_t* HomeKey = L"SOFTWARE\\ORACLE\\KEY_KonfiguracjaBDE_cichy";
const std::string kNames =
    "XE.SERWER = (DESCRIPTION = (ADDRESS_LIST = (ADDRESS = (PROTOCOL = TCP)(HOST = s)(PORT = 1521)))"
    "(CONNECT_DATA = (SERVICE_NAME = XE)))\r\n";

// The workstation every case starts from: the engine and the ODBC driver
// registered, one Oracle home, a configuration file from an earlier life.
struct Station {
    scratch::Folder Scratch;
    std::string Dir = Scratch.Path();
    std::string Admin = Dir + "\\oracle\\NETWORK\\ADMIN\\";
    std::string Config = Dir + "\\konfiguracja.cfg";
    std::string Answers = Dir + "\\odpowiedzi.ini";
    std::string Log = Dir + "\\KonfiguracjaBDE.log";
    machine::Value ConfigEntry{machine::EngineKey, L"CONFIGFILE01", Utf8ToWide(Config)};
    machine::Value Home{HomeKey, L"ORACLE_HOME", Utf8ToWide(Dir + "\\oracle")};
    machine::Value HomeName{HomeKey, L"ORACLE_HOME_NAME", L"KonfiguracjaBDE_cichy"};
    TWin32FileSystem Files;

    ~Station() {
        Prepare();
        for (const wchar_t* key : {HomeKey, machine::DriverKey}) RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, machine::DriversKey, L"SQL Native Client");
    }
    std::string Read(const std::string& path) { return Files.FileExists(path) ? Files.ReadBytes(path) : "<none>"; }
    void Prepare() {
        for (const char* folder : {"\\oracle", "\\oracle\\NETWORK", "\\oracle\\NETWORK\\ADMIN"})
            CreateDirectoryW(Utf8ToWide(Dir + folder).c_str(), nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, machine::SettingsKey);
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, machine::SourcesKey, L"Rondel Cichy");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ODBC\\ODBC.INI\\Rondel Cichy");
        machine::Set(machine::DriversKey, L"SQL Native Client", L"Installed");
        machine::Set(machine::DriverKey, L"Driver", L"C:\\windows\\system32\\sqlncli.dll");
        Files.WriteBytes(Config, "; poprzednia konfiguracja\r\n");
        Files.WriteBytes(Admin + "tnsnames.ora", kNames);
        for (const std::string& file : {Admin + "sqlnet.ora", Log, Answers}) DeleteFileW(Utf8ToWide(file).c_str());
    }
    // What a run may leave behind.
    Strings Snapshot() {
        UniqueHKey settings;
        Strings state = {
            std::to_string(RegOpenKeyExW(HKEY_CURRENT_USER, machine::SettingsKey, 0, KEY_READ, settings.put()))};
        for (const wchar_t* name : {L"Server", L"Wersja"}) {
            DWORD value = 99, size = sizeof(value);
            RegGetValueW(HKEY_CURRENT_USER, machine::SettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
            state.push_back(std::to_string(value));
        }
        for (const wchar_t* key : {machine::SourcesKey, L"SOFTWARE\\ODBC\\ODBC.INI\\Rondel Cichy"})
            for (const std::wstring& value : machine::ValueNames(key))
                state.push_back(WideToUtf8(value + L"=" + machine::Get(key, value.c_str()).value_or(L"")));
        for (const std::string& file : {Config, Admin + "sqlnet.ora", Admin + "tnsnames.ora"})
            state.push_back(file + ":\n" + Read(file));
        return state;
    }
};
std::unique_ptr<Station> station;

enum ServerPath { SqlServer, Oracle };

// The same answers typed in the window.
const std::vector<std::wstring> Walks[] = {
    {L"Dalej >", L"=Rondel Cichy", L"Dalej >", L"=SERWER\\RONDEL", L"Logowanie do serwera poprzez użytkownika Windows",
     L"Dalej >", L"=Rondel", L"@1=Liczniki żółć", L"Wykonaj"},
    {L"Oracle Server", L"Dalej >", L"Dalej >", L"=RONDEL.CICHY", L"@2=serwer-łódź", L"@3=1522", L"@4=RONDEL",
     L"Dalej >", L"@2=VELTRA_LICZNIKI", L"Wykonaj"},
};

struct Reference { Strings State, Log; std::string Recorded; };
const Reference& WindowRun(ServerPath path) {
    static std::map<ServerPath, Reference> done;
    if (done.count(path)) return done[path];
    station->Prepare();
    Reference& reference = done[path];
    auto program = std::make_unique<Program>(L"/record \"" + Utf8ToWide(station->Answers) + L"\"");
    EXPECT_EQ(program->Walk(Walks[path]), Strings{});
    reference.Log = program->StatusLog();
    program.reset();  // the close box: the program ends
    reference.State = station->Snapshot();
    reference.Recorded = station->Read(station->Answers);
    return reference;
}

const std::string Header = "[Konfiguracja]\r\nSerwer=MSSQL\r\nWersja=10\r\n[MSSQL]\r\n";

struct UnattendedCase {
    const char* Name;
    ServerPath Path;
    std::string Answers;  // empty: what the window run recorded; {dir}: the scratch folder
    DWORD Exit;
    std::string Message = "";  // exit 1: the error box's text; exit 2: the fault, after the file's name
    void (*Spoil)() = nullptr;
};

const UnattendedCase Cases[] = {
    {"SqlServerFromAnAnsiFile", SqlServer,
     Utf8ToCp1250("; ANSI\r\n" + Header + "NazwaZrodlaDanych=Rondel Cichy\r\nNazwaSerwera=SERWER\\RONDEL\r\n"
                  "LogowanieWindows=nie\r\nNazwaBazy=Rondel\r\nNazwaBazyLiczniki=Liczniki żółć\r\n"), 0},
    {"OracleFromAUtf8File", Oracle,
     "\xEF\xBB\xBF[Konfiguracja]\nSerwer=Oracle\nWersja=10\n[Oracle]\nFolderOracleHome={dir}\\oracle\\\n"
     "NazwaSerwisu=RONDEL.CICHY\nNazwaLubIPSerwera=serwer-łódź\nPortSerwera=1522\nNazwaBazySID=RONDEL\n"
     "SchematRondelLiczniki=VELTRA_LICZNIKI\n", 0},
    {"SqlServerRecordedInTheWindow", SqlServer, "", 0},
    {"OracleRecordedInTheWindow", Oracle, "", 0},
    {"NoDriverRegistered", SqlServer, Header + "NazwaSerwera=S\r\nNazwaBazy=Rondel\r\n", 1,
     "Brak sterownika ODBC \"SQL Native Client\"",
     [] { RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, machine::DriversKey, L"SQL Native Client"); }},
    {"UnknownKey", SqlServer, Header + "NazwaSerwera=S\r\nNazwaBazy=R\r\nHaslo=tajne\r\n", 2,
     ", wiersz 7, klucz \"Haslo\": nieznany klucz w sekcji [MSSQL]."},
    {"VersionOfTheWrongForm", SqlServer, "[Konfiguracja]\nSerwer=MSSQL\nWersja=11\n", 2,
     ", wiersz 3, klucz \"Wersja\": niepoprawna wartość \"11\"; dozwolone: 9, 10."},
    {"ServiceNameMissing", Oracle, "[Konfiguracja]\nSerwer=Oracle\nWersja=9\n\n[Oracle]\nNazwaOracleHome=x\n", 2,
     ", wiersz 5, klucz \"NazwaSerwisu\": brak wymaganej wartości w sekcji [Oracle]."},
};

class Unattended : public ::testing::TestWithParam<UnattendedCase> {
protected:
    static void SetUpTestSuite() { station = std::make_unique<Station>(); }
    static void TearDownTestSuite() { station.reset(); }
};

TEST_P(Unattended, ConfiguresLikeTheWindowOrStopsWithTheMessageInTheLog) {
    const UnattendedCase& c = GetParam();
    const Reference* reference = c.Exit == 0 ? &WindowRun(c.Path) : nullptr;
    station->Prepare();
    if (c.Spoil) c.Spoil();
    std::string answers = c.Answers.empty() ? reference->Recorded : c.Answers;
    if (const auto at = answers.find("{dir}"); at != std::string::npos) answers.replace(at, 5, station->Dir);
    station->Files.WriteBytes(station->Answers, answers);
    const Strings before = station->Snapshot();

    Program run(L"/Silent \"" + Utf8ToWide(station->Answers) + L"\"");
    EXPECT_FALSE(run.Running()) << "a window shows";
    EXPECT_EQ(run.Close(), c.Exit);

    Strings after = station->Snapshot();
    // Page 0 made the settings key before the apply stopped, as in the window.
    if (c.Exit == 1) after[0] = before[0];
    EXPECT_EQ(after, reference ? reference->State : before);
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    const std::string failed = "Błąd na stanowisku " + WideToUtf8(GetComputerNameW(name, &size) ? name : L"") + ", ";
    Strings log = SplitLines(station->Read(station->Log).substr(3));  // after the UTF-8 mark
    for (std::string& line : log)                                     // the time: "2024-05-31 12:00:00:"
        if (line.rfind(failed, 0) == 0 && line.size() == failed.size() + 20 && line.back() == ':') line = "{błąd}";
    const Strings expected[] = {reference ? reference->Log : Strings{},
                                {"Konfiguracja została utworzona!", "", "{błąd}", c.Message},
                                {"{błąd}", "Plik odpowiedzi \"" + station->Answers + "\"" + c.Message}};
    EXPECT_EQ(log, expected[c.Exit]);
}

INSTANTIATE_TEST_SUITE_P(AnswerFiles, Unattended, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<UnattendedCase>& info) {
                             return std::string(info.param.Name);
                         });

}  // namespace
