// The real program under Wine, driven from another process as a user would:
// the SQL Server path against a stand-in server, runs from answer files
// against the same walk in the window, a workstation in a bad state; and the
// program image and the code page it runs under.
#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/Text.h"
#include "engine/AliasStore.h"
#include "engine/Database.h"
#include "engine/Query.h"
#include "engine/Session.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Loader.h"
#include "platform/win32/Win32Registry.h"
#include "shared/Expected.h"
#include "ui/Forms.h"
#include "win32/MachineRegistry.h"
#include "win32/UiWindowSupport.h"
#include "win32/platform/Scratch.h"

using namespace uiwin;

namespace {

using machine::DriverKey;
using machine::DriversKey;
using machine::EngineKey;
using machine::HomeKey;
using machine::SettingsKey;
using machine::SourceKeyStem;
using machine::SourcesKey;

constexpr const wchar_t* Source = L"Rondel Stacja";
const std::wstring SourceKey = std::wstring(SourceKeyStem) + Source;
const std::wstring kLong(20000, L'x');
constexpr const wchar_t* kPolish = L"Źródło Łódź żółć";
constexpr const wchar_t* kBeyond1250 = L"Ωmega 数据 ☃";

// An entry in the layout the program writes.
std::string NamesEntry(const std::string& name) {
    return name + ".SERWER =\r\n  (DESCRIPTION =\r\n    (ADDRESS_LIST =\r\n      (ADDRESS = (PROTOCOL = TCP)(HOST = h" +
           name + ")(PORT = 1521))\r\n    )\r\n    (CONNECT_DATA =\r\n      (SERVICE_NAME = " + name +
           ")\r\n    )\r\n  )\r\n";
}
const std::string kConfigFile = "; poprzednia konfiguracja\r\n";

void SetBinary(const std::wstring& key, const wchar_t* name) {
    const BYTE data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    machine::SetRaw(key, name, REG_BINARY, data, sizeof(data));
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

// The workstation every case starts from (Prepare): the engine and the ODBC
// driver registered, one Oracle home with its names file, a configuration
// file from an earlier life, nothing remembered, no data source of ours.
struct Workstation {
    scratch::Folder Scratch;
    std::string Dir = Scratch.Path();
    std::string Home = Dir + "\\oracle";
    std::string Config = Dir + "\\konfiguracja.cfg";
    std::string Answers = Dir + "\\odpowiedzi.ini";
    std::string Log = Dir + "\\KonfiguracjaBDE.log";
    machine::Value ConfigEntry{EngineKey, L"CONFIGFILE01", Utf8ToWide(Config)};
    // Held open without sharing while the program runs, as another program would.
    std::string ToLock;
    UniqueKernelHandle Lock;
    TWin32FileSystem Files;

    Workstation() { Prepare(); }
    ~Workstation() {
        Lock.reset();
        Forget();
    }
    std::string Admin() const { return Home + "\\NETWORK\\ADMIN\\"; }
    std::string Read(const std::string& path) { return Files.FileExists(path) ? Files.ReadBytes(path) : "<none>"; }
    void Prepare() {
        Forget();
        MoveHome(Dir + "\\oracle");
        MakeHome();
        machine::Set(HomeKey, L"ORACLE_HOME_NAME", Utf8ToWide(machine::HomeName));
        machine::Set(DriversKey, L"SQL Native Client", L"Installed");
        machine::Set(DriverKey, L"Driver", L"C:\\windows\\system32\\sqlncli.dll");
        Files.WriteBytes(Config, kConfigFile);
        for (const std::string& file : {Admin() + "sqlnet.ora", Log, Answers}) DeleteFileW(Utf8ToWide(file).c_str());
    }
    // What a run or a case may leave in the registry.
    static void Forget() {
        WritableKey(SourceKey);
        for (const std::wstring& name :
             {std::wstring(Source), std::wstring(kPolish), std::wstring(kBeyond1250), kLong.substr(0, 16000)}) {
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, SourcesKey, name.c_str());
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, (SourceKeyStem + name).c_str());
        }
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, DriversKey, L"SQL Native Client");
        for (const wchar_t* key : {HomeKey, DriverKey}) RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
    }
    void MoveHome(const std::string& home) {
        Home = home;
        machine::Set(HomeKey, L"ORACLE_HOME", Utf8ToWide(Home));
    }
    void MakeHome() {
        for (const char* folder : {"", "\\NETWORK", "\\NETWORK\\ADMIN"})
            CreateDirectoryW(Utf8ToWide(Home + folder).c_str(), nullptr);
        Files.WriteBytes(Admin() + "tnsnames.ora", NamesEntry("XE"));
    }
    void LockFile() {
        if (!ToLock.empty())
            Lock.reset(CreateFileW(Utf8ToWide(ToLock).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   0, nullptr));
    }
};

// The SQLite driver of this process's architecture: unixODBC loads it in here.
constexpr const char* SqliteDriver = sizeof(void*) == 4 ? "/usr/lib/i386-linux-gnu/odbc/libsqlite3odbc.so"
                                                        : "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

// Wine's odbc32 hands connections to unixODBC, which reads the odbc.ini
// named by ODBCINI (set by the build for this suite): there the temporary
// data source of the database list leads to a SQLite file that stands in
// for the server.
class SqlServerProgram : public ::testing::Test {
protected:
    // The stand-in server's databases, written through Wine's odbc32 and unixODBC.
    void SeedServer(const Strings& databases) {
        const std::string ini = std::getenv("ODBCINI") ? std::getenv("ODBCINI") : "/tmp/odbc.ini";
        const std::string folder = ini.substr(0, ini.rfind('/'));
        CreateDirectoryW(Utf8ToWide(WinePath(folder)).c_str(), nullptr);
        const std::string server = folder + "/serwer.db";
        DeleteFileW(Utf8ToWide(WinePath(server)).c_str());
        std::string text;
        for (const char* section : {"TmpVeltraMSSQLDataSource", "Seed"})
            text += std::string("[") + section + "]\nDriver=" + SqliteDriver + "\nDatabase=" + server + "\n";
        station.Files.WriteBytes(WinePath(folder + "/odbc.ini"), text);
        TWin32RegistryFactory registry;
        TWin32Loader loader;
        TSession session(registry, station.Files, loader);
        session.SetConfigMode(cmPersistent);
        TDatabase seed(session);
        seed.DatabaseName = "_Seed";
        seed.DriverName = "SQL Native Client";
        seed.Params = {"ODBC DSN=Seed"};
        Strings statements = {"create table sysdatabases (NAME varchar(128))"};
        for (const std::string& name : databases) statements.push_back("insert into sysdatabases values ('" + name + "')");
        for (const std::string& sql : statements) {
            TQuery query(session);
            query.DatabaseName = "_Seed";
            query.SQL = {sql};
            query.Open();
            query.Close();
        }
    }

    Workstation station;
};

const Strings Modules = expected::ModuleAliases("X ");

Strings ExpectedLog(const char* action) {
    Strings log = {"Konfiguracja została utworzona!",
                   "",
                   std::string(" ") + action + " źródło danych ODBC \"Rondel Stacja\".",
                   "  Instancja serwera MSSQL: \"SERWER\\RONDEL\".",
                   "  Logowanie poprzez użytkownika serwera MSSQL.",
                   "",
                   " Zmodyfikowano konfigurację BDE."};
    for (const std::string& alias : Modules) log.push_back(std::string("  ") + action + " alias \"" + alias + "\".");
    return log;
}

TEST_F(SqlServerProgram, WalksThePathWritesTheDataSourceAndAliasesAndModifiesThemOnTheNextRun) {
    SeedServer({"master", "Zeta", "msdb", "model", "tempdb", "resource", "distribution", "Rondel", "Alfa"});
    {
        Program program;
        ASSERT_TRUE(program.Running());
        // Which page each step shows is the window suite's.
        EXPECT_EQ(program.Walk({L"Microsoft SQL Server", L"Dalej >", L"=Rondel Stacja", L"Dalej >", L"=SERWER\\RONDEL",
                                L"Logowanie do serwera poprzez użytkownika Windows", L"Dalej >"}),
                  Strings{});
        ASSERT_EQ(program.Page(), "TabSheet3");

        // The stand-in server's user databases, through the temporary data source.
        EXPECT_EQ(program.DropDown(program.Combo(0)), (Strings{"Alfa", "Rondel", "Zeta"}));
        EXPECT_FALSE(machine::Get(SourcesKey, L"TmpVeltraMSSQLDataSource"));
        EXPECT_TRUE(machine::Values(L"SOFTWARE\\ODBC\\ODBC.INI\\TmpVeltraMSSQLDataSource").empty());
        EXPECT_EQ(program.Walk({L"=Rondel", L"@1=RondelLiczniki", L"Wykonaj"}), Strings{});
        ASSERT_EQ(program.Page(), "TabSheet5");
        EXPECT_EQ(program.StatusLog(), ExpectedLog("Utworzono"));
        EXPECT_TRUE(program.Click(L"OK"));
        EXPECT_TRUE(program.Ended());
    }

    EXPECT_EQ(machine::Get(SourcesKey, Source), L"SQL Native Client");
    EXPECT_EQ(machine::Values(SourceKey),
              (std::vector<std::wstring>{L"Driver=C:\\windows\\system32\\sqlncli.dll", L"MARS_Connection=Yes",
                                         L"Server=SERWER\\RONDEL", L"Trusted_Connection=No"}));
    TAliasStore saved;
    saved.Load(station.Read(station.Config), station.Config);
    EXPECT_EQ(saved.Count(), Modules.size());
    for (const std::string& alias : Modules) {
        SCOPED_TRACE(alias);
        ASSERT_NE(saved.Find(alias), nullptr);
        EXPECT_EQ(saved.Find(alias)->Driver, "SQL Native Client");
        // The whole parameter list is the apply suite's; here what the real run typed in.
        EXPECT_EQ(saved.Find(alias)->Params.Values("DATABASE NAME"), alias == Modules[6] ? "RondelLiczniki" : "Rondel");
        EXPECT_EQ(saved.Find(alias)->Params.Values("ODBC DSN"), "Rondel Stacja");
    }

    // A new process: the pages come pre-filled from the aliases and the data source.
    Program again;
    ASSERT_TRUE(again.Running());
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(again.Click(L"Dalej >"));
    ASSERT_EQ(again.Page(), "TabSheet3");
    EXPECT_EQ(TextOf(again.Combo(0)), L"Rondel");
    EXPECT_TRUE(again.Click(L"Wykonaj"));
    ASSERT_EQ(again.Page(), "TabSheet5");
    EXPECT_EQ(again.StatusLog(), ExpectedLog("Zmodyfikowano"));
}

// Run without a window from answer files, against the same walk in the
// window with /record: what it leaves (remembered choices, data source,
// configuration file, Oracle files) and its status log. A run that stops
// leaves everything as it was.
std::unique_ptr<Workstation> station;

// What a run may leave behind.
Strings Snapshot() {
    UniqueHKey settings;
    Strings state = {std::to_string(RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, settings.put()))};
    for (const wchar_t* name : {L"Server", L"Wersja"})
        state.push_back(std::to_string(machine::Setting(name).value_or(99)));
    for (const wchar_t* key : {SourcesKey, SourceKey.c_str()})
        for (const std::wstring& value : machine::Values(key)) state.push_back(WideToUtf8(value));
    for (const std::string& file : {station->Config, station->Admin() + "sqlnet.ora", station->Admin() + "tnsnames.ora"})
        state.push_back(file + ":\n" + station->Read(file));
    return state;
}

enum ServerPath { SqlServer, Oracle };

// The same answers typed in the window (steps as Program::Walk takes them).
const std::vector<std::wstring> Walks[] = {
    {L"Dalej >", L"=Rondel Stacja", L"Dalej >", L"=SERWER\\RONDEL", L"Logowanie do serwera poprzez użytkownika Windows",
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
    reference.State = Snapshot();
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

const UnattendedCase UnattendedCases[] = {
    {"SqlServerFromAnAnsiFile", SqlServer,
     Utf8ToCp1250("; ANSI\r\n" + Header + "NazwaZrodlaDanych=Rondel Stacja\r\nNazwaSerwera=SERWER\\RONDEL\r\n"
                  "LogowanieWindows=nie\r\nNazwaBazy=Rondel\r\nNazwaBazyLiczniki=Liczniki żółć\r\n"), 0},
    {"OracleFromAUtf8File", Oracle,
     "\xEF\xBB\xBF[Konfiguracja]\nSerwer=Oracle\nWersja=10\n[Oracle]\nFolderOracleHome={dir}\\oracle\\\n"
     "NazwaSerwisu=RONDEL.CICHY\nNazwaLubIPSerwera=serwer-łódź\nPortSerwera=1522\nNazwaBazySID=RONDEL\n"
     "SchematRondelLiczniki=VELTRA_LICZNIKI\n", 0},
    {"SqlServerRecordedInTheWindow", SqlServer, "", 0},
    {"OracleRecordedInTheWindow", Oracle, "", 0},
    {"NoDriverRegistered", SqlServer, Header + "NazwaSerwera=S\r\nNazwaBazy=Rondel\r\n", 1,
     "Brak sterownika ODBC \"SQL Native Client\"",
     [] { RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, DriversKey, L"SQL Native Client"); }},
    {"UnknownKey", SqlServer, Header + "NazwaSerwera=S\r\nNazwaBazy=R\r\nHaslo=tajne\r\n", 2,
     ", wiersz 7, klucz \"Haslo\": nieznany klucz w sekcji [MSSQL]."},
    {"VersionOfTheWrongForm", SqlServer, "[Konfiguracja]\nSerwer=MSSQL\nWersja=11\n", 2,
     ", wiersz 3, klucz \"Wersja\": niepoprawna wartość \"11\"; dozwolone: 9, 10."},
    {"ServiceNameMissing", Oracle, "[Konfiguracja]\nSerwer=Oracle\nWersja=9\n\n[Oracle]\nNazwaOracleHome=x\n", 2,
     ", wiersz 5, klucz \"NazwaSerwisu\": brak wymaganej wartości w sekcji [Oracle]."},
};

class Unattended : public ::testing::TestWithParam<UnattendedCase> {
protected:
    static void SetUpTestSuite() { station = std::make_unique<Workstation>(); }
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
    const Strings before = Snapshot();

    Program run(L"/Silent \"" + Utf8ToWide(station->Answers) + L"\"");
    EXPECT_FALSE(run.Running()) << "a window shows";
    EXPECT_EQ(run.Close(), c.Exit);

    Strings after = Snapshot();
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

INSTANTIATE_TEST_SUITE_P(AnswerFiles, Unattended, ::testing::ValuesIn(UnattendedCases),
                         [](const ::testing::TestParamInfo<UnattendedCase>& info) { return std::string(info.param.Name); });

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
    return "XE.SERWER = (DESCRIPTION = (ADDRESS = (HOST = s" + bytes + "\r\n" + NamesEntry("XE") + bytes;
}

// A workstation in a bad state (registry values of the wrong type or of
// great length, names in Polish and beyond code page 1250, a missing Oracle
// home folder, hostile or locked names files, an unreadable configuration
// file, a data source key without rights) and the walk through the program.
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

const std::vector<std::wstring> SqlServerWalk = {L"Dalej >", L"=Rondel Stacja", L"Dalej >", L"Dalej >", L"=Rondel",
                                                 L"Wykonaj"};
const std::vector<std::wstring> OracleWalk = {L"Oracle Server", L"Dalej >", L"Dalej >", L"Dalej >", L"Wykonaj"};
const std::vector<std::wstring> ToNetServicePage = {L"Oracle Server", L"Dalej >", L"Dalej >"};

// clang-format off
const HostileCase HostileCases[] = {
    {"ConfigurationPathStoredAsANumber", [](Workstation&) { machine::Set(EngineKey, L"CONFIGFILE01", 7); },
     {}, {"Nie można uruchomić silnika bazy danych. Niepoprawny typ danych : CONFIGFILE01.",
          "Niepoprawny typ danych : CONFIGFILE01."}, "TabSheet0"},
    {"DataSourceServerStoredAsBinary", [](Workstation&) { SetBinary(SourceKey, L"Server"); },
     {L"Dalej >", L"=Rondel Stacja", L"Dalej >"}, {"Niepoprawny typ danych : Server."}, "TabSheet2"},
    {"DriverRegistrationStoredAsANumber",
     [](Workstation&) { machine::Set(DriversKey, L"SQL Native Client", 1); },
     SqlServerWalk, {"Niepoprawny typ danych : SQL Native Client."}, "TabSheet3"},
    {"OracleLanguageStoredAsBinary", [](Workstation&) { SetBinary(HomeKey, L"NLS_LANG"); },
     {L"Oracle Server", L"Dalej >"}, {"Niepoprawny typ danych : NLS_LANG."}, "TabSheet1Oracle"},
    {"VeryLongValuesEverywhere",
     [](Workstation&) {
         for (const wchar_t* name : {L"NLS_LANG", L"ORACLE_HOME_NAME"}) machine::Set(HomeKey, name, kLong);
         machine::Set(SourceKey, L"Server", kLong);
         machine::Set(SourcesKey, kLong.substr(0, 16000), L"SQL Native Client");
     },
     {L"Dalej >", L"=Rondel Stacja", L"Dalej >", L"< Wstecz", L"< Wstecz", L"Oracle Server", L"Dalej >"}, {},
     "TabSheet1Oracle"},
    {"PolishNamesGoThroughTheSqlServerPath",
     [](Workstation&) {
         machine::Set(SourcesKey, kPolish, L"SQL Native Client");
         machine::Set(std::wstring(SourceKeyStem) + kPolish, L"Server", L"SERWER\\ŁÓDŹ");
     },
     {L"Dalej >", std::wstring(L"=") + kPolish, L"Dalej >", L"Dalej >", L"=Baza żółć", L"Wykonaj"}, {}, "TabSheet5", true},
    {"NamesBeyondTheCodePageGoThroughTheOraclePath",
     [](Workstation& station) {
         station.MoveHome(station.Dir + "\\" + WideToUtf8(kBeyond1250));
         station.MakeHome();
         machine::Set(HomeKey, L"ORACLE_HOME_NAME", kBeyond1250);
     },
     OracleWalk, {}, "TabSheet5", true, true},
    {"OracleHomeFolderMissing", [](Workstation& station) { station.MoveHome(station.Dir + "\\brak"); },
     {L"Oracle Server", L"Dalej >", L"Dalej >", L"@2=serwer", L"Dalej >", L"Wykonaj"},
     {"Nie można zapisać pliku \"{dir}\\brak\\NETWORK\\ADMIN\\sqlnet.ora\": Nie znaleziono ścieżki."}, "TabSheet3Oracle"},
    {"NamesFileOfBinaryGarbage",
     [](Workstation& station) { station.Files.WriteBytes(station.Admin() + "tnsnames.ora", Garbage()); },
     ToNetServicePage, {}, "TabSheet2Oracle"},
    {"NamesFileLockedByAnotherProgram", [](Workstation& station) { station.ToLock = station.Admin() + "tnsnames.ora"; },
     OracleWalk, {"Nie można odczytać pliku \"{dir}\\oracle\\NETWORK\\ADMIN\\tnsnames.ora\": Naruszenie współdzielenia."},
     "TabSheet5", true, true},
    {"ConfigurationFileLockedByAnotherProgram", [](Workstation& station) { station.ToLock = station.Config; },
     SqlServerWalk,
     {"Nie można uruchomić silnika bazy danych. Nie można odczytać pliku \"{dir}\\konfiguracja.cfg\": Naruszenie "
      "współdzielenia.",
      "Silnik bazy danych nie został uruchomiony: konfiguracja aliasów jest niedostępna.",
      "Silnik bazy danych nie został uruchomiony: konfiguracja aliasów jest niedostępna."},
     "TabSheet3"},
    {"DataSourceKeyWithoutRights", [](Workstation&) { ReadOnlyKey(SourceKey); },
     SqlServerWalk, {"Nie można otworzyć klucza rejestru \"HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBC.INI\\Rondel Stacja\" "
                     "z pełnym dostępem."}, "TabSheet3"},
    {"NamesFileOfAHundredThousandEntries",
     [](Workstation& station) { station.Files.WriteBytes(station.Admin() + "tnsnames.ora", ManyEntries(100000)); },
     ToNetServicePage, {}, "TabSheet2Oracle"},
};
// clang-format on

class HostileInput : public ::testing::TestWithParam<HostileCase> {
protected:
    HostileInput() {
        machine::Set(SourcesKey, Source, L"SQL Native Client");
        machine::Set(SourceKey.c_str(), L"Server", L"SERWER\\RONDEL");
    }
    Workstation station_;
};

// The program shows the right message boxes, never hangs, writes nothing it
// should not, and ends with exit code 0 (an exception that left a window
// procedure or a crash would end it otherwise).
TEST_P(HostileInput, ShowsTheMessagesNeverHangsWritesNothingWrongAndEndsCleanly) {
    const HostileCase& c = GetParam();
    c.Spoil(station_);
    const std::string config = station_.Read(station_.Config);
    const std::string names = station_.Read(station_.Admin() + "tnsnames.ora");
    const std::string sqlnet = station_.Read(station_.Admin() + "sqlnet.ora");

    station_.LockFile();
    Program program;
    Strings messages = program.DismissMessages();
    ASSERT_TRUE(program.Running());
    for (const std::string& text : program.Walk(c.Walk)) messages.push_back(text);
    ASSERT_TRUE(program.Responds(1000)) << "the program does not answer";
    Strings expected = c.Messages;
    for (std::string& text : expected)
        if (const auto at = text.find("{dir}"); at != std::string::npos) text.replace(at, 5, station_.Dir);
    EXPECT_EQ(messages, expected);
    EXPECT_EQ(program.Page(), c.Page);

    station_.Lock.reset();
    const std::string configAfter = station_.Read(station_.Config);
    if (c.WritesConfig) {
        EXPECT_NE(configAfter.find("Veltra- RN- Liczniki"), std::string::npos);
    } else {
        EXPECT_EQ(configAfter, config);
    }
    EXPECT_EQ(station_.Read(station_.Admin() + "tnsnames.ora"), names);
    EXPECT_EQ(station_.Read(station_.Admin() + "sqlnet.ora"),
              c.WritesSqlNet ? "SQLNET.AUTHENTICATION_SERVICES=(NTS)\r\nNAMES.DIRECTORY_PATH=(TNSNAMES)\r\n" : sqlnet);
    EXPECT_EQ(program.Close(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Workstations, HostileInput, ::testing::ValuesIn(HostileCases),
                         [](const ::testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.Name); });

// The program image of the built executable: version resource, manifest, icon.
TEST(ProgramImage, VersionIs2_4_1_44InPolish) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(ProgramPath().c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource in the executable";
    std::vector<unsigned char> version(size);
    ASSERT_TRUE(GetFileVersionInfoW(ProgramPath().c_str(), 0, size, version.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    // File and product version: 2.4.1.44.
    EXPECT_EQ((std::vector<DWORD>{fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                                  fixed->dwProductVersionLS}),
              (std::vector<DWORD>{MAKELONG(4, 2), MAKELONG(44, 1), MAKELONG(4, 2), MAKELONG(44, 1)}));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(std::make_pair(translation[0], translation[1]), std::make_pair(WORD{0x0415}, WORD{1250}));

    // A text of the Polish (1250) string table; "<none>" when it is missing.
    auto text = [&](const std::wstring& name) -> std::wstring {
        void* data = nullptr;
        const std::wstring query = L"\\StringFileInfo\\041504E2\\" + name;
        if (!VerQueryValueW(version.data(), query.c_str(), &data, &length) || !data) return L"<none>";
        return static_cast<const wchar_t*>(data);
    };
    for (const auto& [name, value] : std::map<std::wstring, std::wstring>{
             {L"FileVersion", L"2.4.1.44"}, {L"ProductVersion", L"2.3"}, {L"CompanyName", L""},
             {L"FileDescription", L""}, {L"InternalName", L""}, {L"LegalCopyright", L""}, {L"OriginalFilename", L""},
             {L"ProductName", L""}})
        EXPECT_EQ(text(name), value) << WideToUtf8(name);
}

BOOL CALLBACK CountResource(HMODULE, LPCWSTR, LPWSTR, LONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST(ProgramImage, ManifestAsksForAdministratorThemesAndDpiAwareness) {
    HMODULE image = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(image, found)));
    const std::string manifest(bytes, SizeofResource(image, found));
    for (const char* part : {"level=\"requireAdministrator\"", "uiAccess=\"false\"",
                             "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", ">true</dpiAware>"})
        EXPECT_NE(manifest.find(part), std::string::npos) << part;

    // One icon, found by the number the window uses.
    EXPECT_NE(FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14)), nullptr);  // RT_GROUP_ICON
    int groups = 0;
    EnumResourceNamesW(image, MAKEINTRESOURCEW(14), CountResource, reinterpret_cast<LONG_PTR>(&groups));
    EXPECT_EQ(groups, 1);
    FreeLibrary(image);
}

// The window and program suites run as a Polish workstation does: ANSI code
// page 1250, which the Oracle files and the registry's ANSI texts are in.
// The test command's environment gives it; nothing here sets it.
TEST(CodePage, TheSystemAnsiCodePageIsPolish) {
    EXPECT_EQ(::GetACP(), 1250u);
    EXPECT_EQ(::GetOEMCP(), 852u);
}

}  // namespace
