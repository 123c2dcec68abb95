// The SQL Server path of the real program under Wine: KonfiguracjaBDE.exe
// runs as a process of its own in the test prefix and is driven from here
// with real button, key and combo box messages. Wine's odbc32 hands
// connections to unixODBC, which reads the odbc.ini named by ODBCINI (set by
// the build for this suite): there the temporary data source of the
// database list leads to a SQLite file that stands in for the server.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/AliasStore.h"
#include "engine/Database.h"
#include "engine/Query.h"
#include "engine/Session.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Loader.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/WideText.h"
#include "ui/Forms.h"
#include "win32/UiWindowSupport.h"

using namespace uiwin;

namespace {

using Strings = std::vector<std::string>;

constexpr const wchar_t* DriversKey = L"SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Drivers";
constexpr const wchar_t* DriverKey = L"SOFTWARE\\ODBC\\ODBCINST.INI\\SQL Native Client";
constexpr const wchar_t* SourcesKey = L"SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";
constexpr const wchar_t* SourceKey = L"SOFTWARE\\ODBC\\ODBC.INI\\Rondel Wine";
constexpr const wchar_t* TempKey = L"SOFTWARE\\ODBC\\ODBC.INI\\TmpVeltraMSSQLDataSource";
constexpr const wchar_t* EngineKey = L"SOFTWARE\\Borland\\Database Engine";
constexpr const wchar_t* SettingsKey = L"software\\Veltra\\Zentor";
// The SQLite driver of this process's architecture: unixODBC loads it in here.
constexpr const char* SqliteDriver = sizeof(void*) == 4 ? "/usr/lib/i386-linux-gnu/odbc/libsqlite3odbc.so"
                                                        : "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

std::optional<std::wstring> RegString(const wchar_t* key, const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void SetRegString(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::vector<std::wstring> ValueNames(const wchar_t* key) {
    UniqueHKey opened;
    std::vector<std::wstring> names;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, opened.put());
    wchar_t name[256];
    for (DWORD i = 0, n = 256; opened && RegEnumValueW(opened.get(), i, name, &n, nullptr, nullptr, nullptr, nullptr) ==
                                            ERROR_SUCCESS;
         ++i, n = 256)
        names.push_back(name);
    return names;
}

// A Unix path as Wine shows it, on drive Z:.
std::string WinePath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::vector<HWND> VisibleOfClass(HWND root, const wchar_t* className) {
    std::vector<HWND> found;
    for (HWND hwnd : Descendants(root))
        if (_wcsicmp(ClassOf(hwnd).c_str(), className) == 0 && IsWindowVisible(hwnd)) found.push_back(hwnd);
    return found;
}

// The lines of a multi-line text, as the status memo holds them.
Strings Lines(const std::wstring& text) {
    Strings lines;
    std::wstring::size_type start = 0;
    for (auto end = text.find(L"\r\n"); end != std::wstring::npos; start = end + 2, end = text.find(L"\r\n", start))
        lines.push_back(WideToUtf8(text.substr(start, end - start)));
    if (start < text.size()) lines.push_back(WideToUtf8(text.substr(start)));
    return lines;
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
        for (int waited = 0; waited < 300 && !form_; ++waited) {
            form_ = FindForm();
            if (!form_) Sleep(100);
        }
        Settle();
    }
    ~Program() {
        if (!process_) return;
        if (WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            if (HWND box = MessageBox()) PostMessageW(box, WM_COMMAND, IDOK, 0);
            if (form_) PostMessageW(form_, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(process_.get(), 10000) == WAIT_TIMEOUT) TerminateProcess(process_.get(), 1);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Running() const { return form_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
    bool Ended() const { return WaitForSingleObject(process_.get(), 10000) == WAIT_OBJECT_0; }

    // A click on a visible button (or check box, or radio button). A handler
    // that opens a message box keeps the click open: do not wait for it.
    void Click(const std::wstring& caption) {
        HWND button = nullptr;
        for (HWND hwnd : VisibleOfClass(form_, L"Button"))
            if (TextOf(hwnd) == caption) button = hwnd;
        ASSERT_NE(button, nullptr) << WideToUtf8(caption);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 3000, &ignored);
        for (int waited = 0; waited < 600 && IsWindow(form_) && !MessageBox() && !Settled(); ++waited) Sleep(100);
    }

    // The n-th combo box of the page that shows.
    HWND Combo(std::size_t n) const {
        const auto combos = VisibleOfClass(form_, L"ComboBox");
        return n < combos.size() ? combos[n] : nullptr;
    }
    // Typing over the combo box's text, key by key.
    void Type(HWND combo, const std::wstring& text) {
        HWND edit = GetWindow(combo, GW_CHILD);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
        Settle();
    }
    // Opens and closes the combo box's list; its items as it then shows them.
    Strings DropDown(HWND combo) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(combo, CB_SHOWDROPDOWN, TRUE, 0, SMTO_NORMAL, 60000, &ignored);
        SendMessageTimeoutW(combo, CB_SHOWDROPDOWN, FALSE, 0, SMTO_NORMAL, 10000, &ignored);
        Strings items;
        const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring item(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
            item.resize(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
            items.push_back(WideToUtf8(item));
        }
        return items;
    }
    // Another process's control: GetWindowText would not ask it.
    static std::wstring Text(HWND hwnd) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
        return text;
    }

    // The name of the innermost page that shows.
    std::string Page() const {
        std::wstring page;
        for (HWND hwnd : VisibleOfClass(form_, L"KonfiguracjaBDE.TabSheet")) page = TextOf(hwnd);
        return WideToUtf8(page);
    }
    Strings StatusLog() const {
        for (HWND hwnd : VisibleOfClass(form_, L"Edit"))
            if (GetWindowLongW(hwnd, GWL_STYLE) & ES_MULTILINE) return Lines(Text(hwnd));
        return {"<no status log>"};
    }
    // The text of the program's open message box, and OK pressed in it.
    std::string DismissMessage() {
        HWND box = nullptr;
        for (int waited = 0; waited < 100 && !(box = MessageBox()); ++waited) Sleep(100);
        if (!box) return "<no message box>";
        std::wstring text;
        for (HWND hwnd : Descendants(box))
            if (ClassOf(hwnd) == L"Static" && !Text(hwnd).empty()) text = Text(hwnd);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        for (int waited = 0; waited < 100 && MessageBox(); ++waited) Sleep(100);
        Settle();
        return WideToUtf8(text);
    }

private:
    HWND FindForm() const {
        for (HWND top = GetTopWindow(nullptr); top; top = GetWindow(top, GW_HWNDNEXT))
            if (OwnedByProgram(top) && ClassOf(top) == L"KonfiguracjaBDE.Form" && IsWindowVisible(top)) return top;
        return nullptr;
    }
    HWND MessageBox() const {
        for (HWND top = GetTopWindow(nullptr); top; top = GetWindow(top, GW_HWNDNEXT))
            if (OwnedByProgram(top) && ClassOf(top) == L"#32770" && IsWindowVisible(top)) return top;
        return nullptr;
    }
    bool OwnedByProgram(HWND hwnd) const {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        return pid == pid_;
    }
    bool Settled() const {
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutW(form_, WM_NULL, 0, 0, SMTO_NORMAL, 100, &ignored) != 0;
    }
    void Settle() const {
        DWORD_PTR ignored = 0;
        if (form_) SendMessageTimeoutW(form_, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &ignored);
    }

    UniqueKernelHandle process_;
    DWORD pid_ = 0;
    HWND form_ = nullptr;
};

class SqlServerProgram : public ::testing::Test {
protected:
    void SetUp() override {
        const char* ini = std::getenv("ODBCINI");
        ASSERT_NE(ini, nullptr) << "ODBCINI names the odbc.ini of unixODBC for this suite";
        const std::string iniPath = ini;
        folder_ = iniPath.substr(0, iniPath.rfind('/'));
        CreateDirectoryW(Utf8ToWide(WinePath(folder_)).c_str(), nullptr);
        const std::string server = folder_ + "/serwer.db";
        DeleteFileW(Utf8ToWide(WinePath(server)).c_str());
        std::string text;
        for (const char* section : {"TmpVeltraMSSQLDataSource", "Seed"})
            text += std::string("[") + section + "]\nDriver=" + SqliteDriver + "\nDatabase=" + server + "\n";
        files_.WriteBytes(WinePath(iniPath), text);

        configFile_ = WinePath(folder_ + "/konfiguracja.cfg");
        DeleteFileW(Utf8ToWide(configFile_).c_str());
        previousConfig_ = RegString(EngineKey, L"CONFIGFILE01");
        SetRegString(EngineKey, L"CONFIGFILE01", Utf8ToWide(configFile_));
        SetRegString(DriversKey, L"SQL Native Client", L"Installed");
        SetRegString(DriverKey, L"Driver", L"C:\\windows\\system32\\sqlncli.dll");
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, SourcesKey, L"Rondel Wine");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, SourceKey);
    }

    void TearDown() override {
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, SourcesKey, L"Rondel Wine");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, SourceKey);
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, DriversKey, L"SQL Native Client");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, DriverKey);
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
        if (previousConfig_)
            SetRegString(EngineKey, L"CONFIGFILE01", *previousConfig_);
        else
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, EngineKey, L"CONFIGFILE01");
    }

    // The stand-in server's databases, written through Wine's odbc32 and unixODBC.
    void SeedServer(const Strings& databases) {
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

    TAliasStore Saved() {
        TAliasStore store;
        store.Load(files_.ReadBytes(configFile_), configFile_);
        return store;
    }

    TWin32FileSystem files_;
    std::string folder_;
    std::string configFile_;
    std::optional<std::wstring> previousConfig_;
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
        EXPECT_FALSE(RegString(SourcesKey, L"TmpVeltraMSSQLDataSource"));
        EXPECT_TRUE(ValueNames(TempKey).empty());
        program.Type(program.Combo(0), L"Rondel");
        program.Type(program.Combo(1), L"RondelLiczniki");

        program.Click(L"Wykonaj");
        ASSERT_EQ(program.Page(), "TabSheet5");
        EXPECT_EQ(program.StatusLog(), ExpectedLog("Utworzono"));
        program.Click(L"OK");
        EXPECT_TRUE(program.Ended());
    }

    EXPECT_EQ(RegString(SourcesKey, L"Rondel Wine"), L"SQL Native Client");
    EXPECT_EQ(ValueNames(SourceKey),
              (std::vector<std::wstring>{L"Driver", L"MARS_Connection", L"Server", L"Trusted_Connection"}));
    EXPECT_EQ(RegString(SourceKey, L"Driver"), L"C:\\windows\\system32\\sqlncli.dll");
    EXPECT_EQ(RegString(SourceKey, L"MARS_Connection"), L"Yes");
    EXPECT_EQ(RegString(SourceKey, L"Server"), L"SERWER\\RONDEL");
    EXPECT_EQ(RegString(SourceKey, L"Trusted_Connection"), L"No");
    const TAliasStore saved = Saved();
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
    EXPECT_EQ(again.Text(again.Combo(0)), L"Rondel");
    again.Click(L"Wykonaj");
    ASSERT_EQ(again.Page(), "TabSheet5");
    EXPECT_EQ(again.StatusLog(), ExpectedLog("Zmodyfikowano"));
}

TEST_F(SqlServerProgram, WithoutTheDriverWykonajStopsAndLeavesTheConfigurationAlone) {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, DriversKey, L"SQL Native Client");
    files_.WriteBytes(configFile_, "; poprzednia konfiguracja\r\n");
    const std::string before = files_.ReadBytes(configFile_);

    Program program;
    ASSERT_TRUE(program.Running());
    for (int i = 0; i < 3; ++i) program.Click(L"Dalej >");
    ASSERT_EQ(program.Page(), "TabSheet3");
    program.Type(program.Combo(0), L"Rondel");
    program.Click(L"Wykonaj");
    // The closing quotation mark sorts below the full stop: no full stop is added.
    EXPECT_EQ(program.DismissMessage(), "Brak sterownika ODBC \"SQL Native Client\"");
    EXPECT_EQ(program.Page(), "TabSheet3");
    EXPECT_EQ(files_.ReadBytes(configFile_), before);
    EXPECT_FALSE(RegString(SourcesKey, L"MSSQL Veltra RN"));
}

TEST_F(SqlServerProgram, AConfigurationFileThatCannotBeWrittenIsNamedInTheBoxAndLeftAsItWas) {
    files_.WriteBytes(configFile_, "# poprzednia konfiguracja\r\n");
    const std::wstring config = Utf8ToWide(configFile_);
    ASSERT_TRUE(SetFileAttributesW(config.c_str(), FILE_ATTRIBUTE_READONLY));
    struct Writable {
        std::wstring path;
        ~Writable() { SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL); }
    } writableAgain{config};

    Program program;
    ASSERT_TRUE(program.Running());
    program.Click(L"Dalej >");
    program.Type(program.Combo(0), L"Rondel Wine");
    program.Click(L"Dalej >");
    program.Type(program.Combo(0), L"SERWER\\RONDEL");
    program.Click(L"Dalej >");
    ASSERT_EQ(program.Page(), "TabSheet3");
    program.Type(program.Combo(0), L"Rondel");
    program.Click(L"Wykonaj");
    EXPECT_EQ(program.DismissMessage(), TApplication::ErrorBoxText("Nie można zapisać pliku \"" + configFile_ + "\": " +
                                                                   SystemErrorText(ERROR_ACCESS_DENIED)));
    EXPECT_EQ(program.Page(), "TabSheet3");
    EXPECT_EQ(files_.ReadBytes(configFile_), "# poprzednia konfiguracja\r\n");
}

}  // namespace
