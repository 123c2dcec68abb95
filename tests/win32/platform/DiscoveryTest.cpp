// The calls into odbc32.dll: on a stand-in library that answers as each case
// says (every handle must come back), then on Wine's own.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <type_traits>
#define SQL_NOUNICODEMAP
#include <sql.h>
#include <sqlext.h>

#include "platform/win32/Win32Loader.h"
#include "platform/win32/Win32OdbcBrowser.h"
#include "platform/win32/Win32ServerEnumerator.h"
#include "platform/win32/WideText.h"

namespace {

using Strings = std::vector<std::string>;

// Libraries made of the entry points a case names.
class StubLoader : public TLoader {
public:
    explicit StubLoader(bool present, std::map<std::string, void*> entries)
        : present_(present), entries_(std::move(entries)) {}
    std::unique_ptr<TLibrary> LoadSystemLibrary(const std::string& name) override {
        Requests.push_back(name);
        return present_ ? std::make_unique<Library>(*this) : nullptr;
    }
    std::unique_ptr<TLibrary> LoadPathLibrary(const std::string&) override { return nullptr; }
    std::unique_ptr<TLibrary> LoadLibraryFile(const std::string&) override { return nullptr; }
    Strings Requests;

private:
    struct Library : TLibrary {
        explicit Library(StubLoader& loader) : loader(loader) {}
        void* Proc(const char* name) override { return loader.entries_.count(name) ? loader.entries_[name] : nullptr; }
        StubLoader& loader;
    };
    bool present_;
    std::map<std::string, void*> entries_;
};

template <class Fn>
void* Entry(Fn fn) { return reinterpret_cast<void*>(fn); }

// The stand-in's results per step, and what it was given.
struct {
    SQLRETURN Env, Attr, Dbc, Browse;
    std::string Answer, Input;
    SQLSMALLINT Room;
    SQLPOINTER Version;
    int LiveHandles;
} odbc;

SQLRETURN SQL_API StubAllocHandle(SQLSMALLINT type, SQLHANDLE, SQLHANDLE* out) {
    const SQLRETURN rc = type == SQL_HANDLE_ENV ? odbc.Env : odbc.Dbc;
    *out = SQL_SUCCEEDED(rc) ? (++odbc.LiveHandles, new int) : SQL_NULL_HANDLE;
    return rc;
}
SQLRETURN SQL_API StubFreeHandle(SQLSMALLINT, SQLHANDLE handle) {
    delete static_cast<int*>(handle);
    return --odbc.LiveHandles, SQL_SUCCESS;
}
SQLRETURN SQL_API StubSetEnvAttr(SQLHENV, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
    odbc.Version = attribute == SQL_ATTR_ODBC_VERSION ? value : nullptr;
    return odbc.Attr;
}
SQLRETURN SQL_API StubBrowseConnect(SQLHDBC, SQLCHAR* in, SQLSMALLINT inLength, SQLCHAR* out, SQLSMALLINT room,
                                    SQLSMALLINT*) {
    odbc.Input.assign(reinterpret_cast<const char*>(in), static_cast<std::size_t>(inLength));
    odbc.Room = room;
    std::memcpy(out, odbc.Answer.c_str(), std::min<std::size_t>(odbc.Answer.size() + 1, room));
    return odbc.Browse;
}
static_assert(std::is_same_v<decltype(&StubBrowseConnect), decltype(&SQLBrowseConnect)>);

TEST(OdbcBrowserTest, AnswersOnlyWhenEveryStepSucceeds) {
    struct Case {
        bool Present;
        const char* Missing;  // an entry point the library lacks
        SQLRETURN Env, Attr, Dbc, Browse;
        std::string Answer;
        std::optional<std::string> Expected;
    };
    const std::string full = "SERVER:Server={" + std::string(1100, 'x');
    const Case cases[] = {
        {true, "", 0, 0, 0, 99, "SERVER:Server={A,B};UID:Login ID=?", "SERVER:Server={A,B};UID:Login ID=?"},
        {true, "", 0, 0, 0, 99, "SERVER:Server={SERWER-\xA3\xF3}", "SERVER:Server={SERWER-Łó}"},
        {true, "", 0, 0, 0, 99, full, full.substr(0, 1023)},
        {false, "", 0, 0, 0, 99, "x", std::nullopt},
        {true, "SQLBrowseConnect", 0, 0, 0, 99, "x", std::nullopt},
        {true, "", SQL_ERROR, 0, 0, 99, "x", std::nullopt},
        {true, "", SQL_SUCCESS_WITH_INFO, 0, 0, 99, "x", std::nullopt},
        {true, "", 0, SQL_SUCCESS_WITH_INFO, 0, 99, "x", std::nullopt},
        {true, "", 0, 0, SQL_SUCCESS_WITH_INFO, 99, "x", std::nullopt},
        {true, "", 0, 0, 0, SQL_SUCCESS, "x", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        odbc = {c.Env, c.Attr, c.Dbc, c.Browse, c.Answer, "", 0, nullptr, 0};
        std::map<std::string, void*> entries = {
            {"SQLAllocHandle", Entry(&StubAllocHandle)}, {"SQLSetEnvAttr", Entry(&StubSetEnvAttr)},
            {"SQLBrowseConnect", Entry(&StubBrowseConnect)}, {"SQLFreeHandle", Entry(&StubFreeHandle)}};
        entries.erase(c.Missing);
        StubLoader loader(c.Present, entries);
        EXPECT_EQ(TWin32OdbcBrowser(loader).Browse("DRIVER=SQL Native Client"), c.Expected);
        EXPECT_EQ(loader.Requests, Strings{"odbc32.dll"});
        EXPECT_EQ(odbc.LiveHandles, 0);
        if (c.Expected) {
            EXPECT_EQ(odbc.Version, reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(SQL_OV_ODBC3)));
            EXPECT_EQ(odbc.Input, "DRIVER=SQL Native Client");
            EXPECT_EQ(odbc.Room, 1024);
        }
    }
}

// The real loader, noting the file each system library came from.
class SpyLoader : public TWin32Loader {
public:
    std::unique_ptr<TLibrary> LoadSystemLibrary(const std::string& name) override {
        auto library = TWin32Loader::LoadSystemLibrary(name);
        wchar_t path[MAX_PATH + 1] = {};
        if (library) ::GetModuleFileNameW(::GetModuleHandleW(Utf8ToWide(name).c_str()), path, MAX_PATH + 1);
        Files.push_back(_wcslwr(path));
        return library;
    }
    std::vector<std::wstring> Files;
};

TEST(WineDiscoveryTest, UsesTheSystemsLibraries) {
    wchar_t system[MAX_PATH + 1] = {};
    ::GetSystemDirectoryW(system, MAX_PATH + 1);
    const std::wstring folder = _wcslwr(system);
    SpyLoader loader;
    // This prefix has no "SQL Native Client" and no browse master: no
    // answers, and no crash either.
    EXPECT_EQ(TWin32OdbcBrowser(loader).Browse("DRIVER=SQL Native Client"), std::nullopt);
    EXPECT_EQ(TWin32ServerEnumerator(loader).SqlServers(), std::nullopt);
    EXPECT_EQ(loader.Files, (std::vector<std::wstring>{folder + L"\\odbc32.dll", folder + L"\\netapi32.dll"}));
}

}  // namespace
