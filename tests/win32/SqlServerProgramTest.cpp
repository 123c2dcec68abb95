// The SQL Server path of the real program under Wine: KonfiguracjaBDE.exe
// runs as a process of its own in the test prefix and is driven from here
// with real button, key and combo box messages. Wine's odbc32 hands
// connections to unixODBC, which reads the odbc.ini named by ODBCINI (set by
// the build for this suite): there the temporary data source of the
// database list leads to a SQLite file that stands in for the server.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/AliasStore.h"
#include "engine/Database.h"
#include "engine/Query.h"
#include "engine/Session.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Loader.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/WideText.h"
#include "win32/MachineRegistry.h"
#include "win32/UiWindowSupport.h"

using namespace uiwin;

namespace {

using Strings = std::vector<std::string>;

constexpr const wchar_t* DriversKey = L"SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Drivers";
constexpr const wchar_t* SourcesKey = L"SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";
constexpr const wchar_t* SourceKey = L"SOFTWARE\\ODBC\\ODBC.INI\\Rondel Wine";
constexpr const wchar_t* SettingsKey = L"software\\Veltra\\Zentor";
// The SQLite driver of this process's architecture: unixODBC loads it in here.
constexpr const char* SqliteDriver = sizeof(void*) == 4 ? "/usr/lib/i386-linux-gnu/odbc/libsqlite3odbc.so"
                                                        : "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

// A Unix path as Wine shows it, on drive Z:.
std::string WinePath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return "Z:" + path;
}

// One run of the program, driven from outside like a user would.
class Program {
public:
    Program() {
        std::wstring commandLine = L"\"" + ProgramPath() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return;
        process_.reset(info.hProcess);
        UniqueKernelHandle thread(info.hThread);
        pid_ = info.dwProcessId;
        WaitForInputIdle(process_.get(), 30000);
        for (int waited = 0; waited < 300 && !(form_ = Top(L"KonfiguracjaBDE.Form")); ++waited) Sleep(100);
        Settle(30000);
    }
    ~Program() {
        if (!process_ || WaitForSingleObject(process_.get(), 0) != WAIT_TIMEOUT) return;
        if (HWND box = Top(L"#32770")) PostMessageW(box, WM_COMMAND, IDOK, 0);
        if (form_) PostMessageW(form_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.get(), 10000) == WAIT_TIMEOUT) TerminateProcess(process_.get(), 1);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Running() const { return form_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
    bool Ended() const { return WaitForSingleObject(process_.get(), 10000) == WAIT_OBJECT_0; }

    // A click on a visible button (or check box, or radio button). A handler
    // that opens a message box keeps the click open: do not wait for it.
    void Click(const std::wstring& caption) {
        HWND button = nullptr;
        for (HWND hwnd : Visible(L"Button"))
            if (TextOf(hwnd) == caption) button = hwnd;
        ASSERT_NE(button, nullptr) << WideToUtf8(caption);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 3000, &ignored);
        for (int waited = 0; waited < 600 && IsWindow(form_) && !Top(L"#32770") && !Settle(100); ++waited) Sleep(100);
    }
    // The n-th combo box of the page that shows.
    HWND Combo(std::size_t n) const {
        const auto combos = Visible(L"ComboBox");
        return n < combos.size() ? combos[n] : nullptr;
    }
    // Typing over the combo box's text, key by key.
    void Type(HWND combo, const std::wstring& text) {
        HWND edit = GetWindow(combo, GW_CHILD);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
        Settle(30000);
    }
    // Opens and closes the combo box's list; its items as it then shows them.
    Strings DropDown(HWND combo) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(combo, CB_SHOWDROPDOWN, TRUE, 0, SMTO_NORMAL, 60000, &ignored);
        SendMessageTimeoutW(combo, CB_SHOWDROPDOWN, FALSE, 0, SMTO_NORMAL, 10000, &ignored);
        Strings items;
        for (LRESULT i = 0, count = SendMessageW(combo, CB_GETCOUNT, 0, 0); i < count; ++i) {
            std::wstring item(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
            item.resize(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
            items.push_back(WideToUtf8(item));
        }
        return items;
    }
    // Another process's control: GetWindowText would not ask it.
    static std::string Text(HWND hwnd) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
        return WideToUtf8(text);
    }
    // The name of the innermost page that shows.
    std::string Page() const {
        std::wstring page;
        for (HWND hwnd : Visible(L"KonfiguracjaBDE.TabSheet")) page = TextOf(hwnd);
        return WideToUtf8(page);
    }
    // The status memo's lines.
    Strings StatusLog() const {
        for (HWND hwnd : Visible(L"Edit")) {
            if (!(GetWindowLongW(hwnd, GWL_STYLE) & ES_MULTILINE)) continue;
            Strings lines;
            const std::string text = Text(hwnd);
            std::string::size_type start = 0;
            for (auto end = text.find("\r\n"); end != std::string::npos; start = end + 2, end = text.find("\r\n", start))
                lines.push_back(text.substr(start, end - start));
            if (start < text.size()) lines.push_back(text.substr(start));
            return lines;
        }
        return {"<no status log>"};
    }
    // The text of the program's open message box, and OK pressed in it.
    std::string DismissMessage() {
        HWND box = nullptr;
        for (int waited = 0; waited < 100 && !(box = Top(L"#32770")); ++waited) Sleep(100);
        if (!box) return "<no message box>";
        std::string text;
        for (HWND hwnd : Descendants(box))
            if (ClassOf(hwnd) == L"Static" && !Text(hwnd).empty()) text = Text(hwnd);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        for (int waited = 0; waited < 100 && Top(L"#32770"); ++waited) Sleep(100);
        Settle(30000);
        return text;
    }

private:
    // The program's visible top-level window of that class.
    HWND Top(const wchar_t* className) const {
        for (HWND top = GetTopWindow(nullptr); top; top = GetWindow(top, GW_HWNDNEXT)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(top, &pid);
            if (pid == pid_ && ClassOf(top) == className && IsWindowVisible(top)) return top;
        }
        return nullptr;
    }
    std::vector<HWND> Visible(const wchar_t* className) const {
        std::vector<HWND> found;
        for (HWND hwnd : Descendants(form_))
            if (_wcsicmp(ClassOf(hwnd).c_str(), className) == 0 && IsWindowVisible(hwnd)) found.push_back(hwnd);
        return found;
    }
    // Whether the program answered within the time, its queue worked off.
    bool Settle(UINT milliseconds) const {
        DWORD_PTR ignored = 0;
        return form_ && SendMessageTimeoutW(form_, WM_NULL, 0, 0, SMTO_NORMAL, milliseconds, &ignored) != 0;
    }

    UniqueKernelHandle process_;
    DWORD pid_ = 0;
    HWND form_ = nullptr;
};

class SqlServerProgram : public ::testing::Test {
protected:
    SqlServerProgram() {
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, SourcesKey, L"Rondel Wine");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, SourceKey);
        DeleteFileW(Utf8ToWide(configFile_).c_str());
    }
    ~SqlServerProgram() override {
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, SourcesKey, L"Rondel Wine");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, SourceKey);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ODBC\\ODBCINST.INI\\SQL Native Client");
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
    }

    // The stand-in server's databases, written through Wine's odbc32 and unixODBC.
    void SeedServer(const Strings& databases) {
        const std::string server = folder_ + "/serwer.db";
        DeleteFileW(Utf8ToWide(WinePath(server)).c_str());
        std::string ini;
        for (const char* section : {"TmpVeltraMSSQLDataSource", "Seed"})
            ini += std::string("[") + section + "]\nDriver=" + SqliteDriver + "\nDatabase=" + server + "\n";
        files_.WriteBytes(WinePath(folder_ + "/odbc.ini"), ini);
        TWin32RegistryFactory registry;
        TWin32Loader loader;
        TSession session(registry, files_, loader);
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

    // The folder of the odbc.ini the build names for this suite.
    std::string folder_ = [] {
        const std::string ini = std::getenv("ODBCINI") ? std::getenv("ODBCINI") : "/tmp/odbc.ini";
        const std::string folder = ini.substr(0, ini.rfind('/'));
        CreateDirectoryW(Utf8ToWide(WinePath(folder)).c_str(), nullptr);
        return folder;
    }();
    std::string configFile_ = WinePath(folder_ + "/konfiguracja.cfg");
    TWin32FileSystem files_;
    machine::Value configEntry_{L"SOFTWARE\\Borland\\Database Engine", L"CONFIGFILE01", Utf8ToWide(configFile_)};
    machine::Value driverListed_{DriversKey, L"SQL Native Client", L"Installed"};
    machine::Value driverFile_{L"SOFTWARE\\ODBC\\ODBCINST.INI\\SQL Native Client", L"Driver",
                               L"C:\\windows\\system32\\sqlncli.dll"};
};

const Strings Modules = {"X Veltra- Ochrona",     "X Veltra- RN",          "X Veltra- RN- Faktury",
                         "X Veltra- RN- Magistr", "X Veltra- RN- Odbiorcy", "X Veltra- RN- Odczyty",
                         "X Veltra- RN- Liczniki"};

Strings AliasParams(const std::string& database) {
    return {"DATABASE NAME=" + database, "USER NAME=veltra", "ODBC DSN=Rondel Wine", "OPEN MODE=READ/WRITE",
            "BATCH COUNT=200", "LANGDRIVER=anpolish", "MAX ROWS=-1", "SCHEMA CACHE DIR=", "SCHEMA CACHE SIZE=8",
            "SCHEMA CACHE TIME=-1", "SQLPASSTHRU MODE=SHARED AUTOCOMMIT", "SQLQRYMODE=", "ENABLE SCHEMA CACHE=FALSE",
            "ENABLE BCD=FALSE", "ROWSET SIZE=20", "BLOBS TO CACHE=64", "BLOB SIZE=32"};
}

Strings ExpectedLog(const char* action) {
    Strings log = {"Konfiguracja została utworzona!",
                   "",
                   std::string(" ") + action + " źródło danych ODBC \"Rondel Wine\".",
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
        EXPECT_EQ(program.Page(), "TabSheet0");
        program.Click(L"Microsoft SQL Server");
        program.Click(L"Dalej >");
        ASSERT_EQ(program.Page(), "TabSheet1");
        program.Type(program.Combo(0), L"Rondel Wine");
        program.Click(L"Dalej >");
        ASSERT_EQ(program.Page(), "TabSheet2");
        program.Type(program.Combo(0), L"SERWER\\RONDEL");
        program.Click(L"Logowanie do serwera poprzez użytkownika Windows");
        program.Click(L"Dalej >");
        ASSERT_EQ(program.Page(), "TabSheet3");

        // The stand-in server's user databases, through the temporary data source.
        EXPECT_EQ(program.DropDown(program.Combo(0)), (Strings{"Alfa", "Rondel", "Zeta"}));
        EXPECT_FALSE(machine::Get(SourcesKey, L"TmpVeltraMSSQLDataSource"));
        EXPECT_TRUE(machine::ValueNames(L"SOFTWARE\\ODBC\\ODBC.INI\\TmpVeltraMSSQLDataSource").empty());
        program.Type(program.Combo(0), L"Rondel");
        program.Type(program.Combo(1), L"RondelLiczniki");

        program.Click(L"Wykonaj");
        ASSERT_EQ(program.Page(), "TabSheet5");
        EXPECT_EQ(program.StatusLog(), ExpectedLog("Utworzono"));
        program.Click(L"OK");
        EXPECT_TRUE(program.Ended());
    }

    EXPECT_EQ(machine::Get(SourcesKey, L"Rondel Wine"), L"SQL Native Client");
    std::vector<std::wstring> values;
    for (const std::wstring& name : machine::ValueNames(SourceKey))
        values.push_back(name + L"=" + machine::Get(SourceKey, name.c_str()).value_or(L"?"));
    EXPECT_EQ(values, (std::vector<std::wstring>{L"Driver=C:\\windows\\system32\\sqlncli.dll", L"MARS_Connection=Yes",
                                                 L"Server=SERWER\\RONDEL", L"Trusted_Connection=No"}));
    TAliasStore saved;
    saved.Load(files_.ReadBytes(configFile_), configFile_);
    EXPECT_EQ(saved.Count(), Modules.size());
    for (const std::string& alias : Modules) {
        SCOPED_TRACE(alias);
        ASSERT_NE(saved.Find(alias), nullptr);
        EXPECT_EQ(saved.Find(alias)->Driver, "SQL Native Client");
        EXPECT_EQ(saved.Find(alias)->Params.Lines(), AliasParams(alias == Modules[6] ? "RondelLiczniki" : "Rondel"));
    }

    // A new process: the pages come pre-filled from the aliases and the data source.
    Program again;
    ASSERT_TRUE(again.Running());
    for (int i = 0; i < 3; ++i) again.Click(L"Dalej >");
    ASSERT_EQ(again.Page(), "TabSheet3");
    EXPECT_EQ(again.Text(again.Combo(0)), "Rondel");
    again.Click(L"Wykonaj");
    ASSERT_EQ(again.Page(), "TabSheet5");
    EXPECT_EQ(again.StatusLog(), ExpectedLog("Zmodyfikowano"));
}

TEST_F(SqlServerProgram, WithoutTheDriverWykonajStopsAndLeavesTheConfigurationAlone) {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, DriversKey, L"SQL Native Client");
    files_.WriteBytes(configFile_, "; poprzednia konfiguracja\r\n");

    Program program;
    ASSERT_TRUE(program.Running());
    for (int i = 0; i < 3; ++i) program.Click(L"Dalej >");
    ASSERT_EQ(program.Page(), "TabSheet3");
    program.Type(program.Combo(0), L"Rondel");
    program.Click(L"Wykonaj");
    // The closing quotation mark sorts below the full stop: no full stop is added.
    EXPECT_EQ(program.DismissMessage(), "Brak sterownika ODBC \"SQL Native Client\"");
    EXPECT_EQ(program.Page(), "TabSheet3");
    EXPECT_EQ(files_.ReadBytes(configFile_), "; poprzednia konfiguracja\r\n");
    EXPECT_FALSE(machine::Get(SourcesKey, L"MSSQL Veltra RN"));
}

}  // namespace
