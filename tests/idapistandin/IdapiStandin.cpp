// Stand-in for the installed database engine's library (idapi32.dll), for
// the suites only: exactly the calls the alias backend makes, with the
// documented calling convention and records, strict about what it is given.
// Its strings stay the bytes given (the engine's OEM code page), in the file
// DbiInitFn names, one line each:
//     ALIAS <name>  /  TYPE <driver>  /  INFO <NAME>=<value>  /  OPEN <NAME>=<value>
// A file whose first line is "#awaria" makes DbiInitFn fail.
// StandinOpenCursors() counts cursors not closed.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/IdapiApi.h"

namespace {

constexpr DBIResult kNotInitialised = 0x2A06, kNoConfig = 0x2104, kWriteError = 0x2402;
// BDE.HPP: DBIINTFVER = 0x1f4. File drivers make "STANDARD" aliases (with FOXPRO, DBTables.pas's IsStandardType).
constexpr std::uint16_t kInterfaceVersion = 0x1F4;
const std::set<std::string> kFileDrivers = {"PARADOX", "DBASE", "FOXPRO", "ASCIIDRV"},
                            kOtherDrivers = {"SQL Native Client", "ORACLE"};

struct Entry {
    std::string name, value;
};
struct Alias {
    std::string name, type;
    std::vector<Entry> info, open;
};
struct Cursor {
    std::vector<std::string> names;  // of the records, for DbiModifyRecord's check
    std::vector<std::vector<char>> records;
    std::size_t next = 0;
    bool writable = false;
    std::vector<Entry>* node = nullptr;

    template <class Record>
    Record& Add(const std::string& name) {
        names.push_back(name);
        records.emplace_back(sizeof(Record), '\0');
        return *new (records.back().data()) Record{};
    }
};

bool initialised = false;
std::string iniFile;
std::vector<Alias> aliases;
std::set<Cursor*> cursors;

bool Same(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

Alias* Find(const std::string& name) {
    for (auto& alias : aliases)
        if (Same(alias.name, name)) return &alias;
    return nullptr;
}

template <std::size_t N>
void Put(char (&buffer)[N], const std::string& text) {
    std::snprintf(buffer, N, "%s", text.c_str());
}

bool Load() {
    aliases.clear();
    FILE* file = std::fopen(iniFile.c_str(), "rb");
    if (!file) return true;  // no file yet: an empty configuration
    char line[1024];
    for (bool first = true; std::fgets(line, sizeof line, file); first = false) {
        std::string text(line);
        text.erase(text.find_last_not_of("\r\n") + 1);
        if (first && text == "#awaria") return std::fclose(file), false;
        const std::string tag = text.substr(0, 5), rest = text.size() > 5 ? text.substr(5) : "";
        const std::size_t eq = rest.find('=');
        if (tag == "ALIAS")
            aliases.push_back({rest.substr(1), "", {}, {}});
        else if (tag == "TYPE " && !aliases.empty())
            aliases.back().type = rest;
        else if ((tag == "INFO " || tag == "OPEN ") && !aliases.empty() && eq != std::string::npos)
            (tag == "INFO " ? aliases.back().info : aliases.back().open).push_back({rest.substr(0, eq), rest.substr(eq + 1)});
    }
    std::fclose(file);
    return true;
}

// "NAME:VALUE;NAME:VALUE", a value with ";" between double quotes.
bool ParseParams(const char* text, std::vector<Entry>& out) {
    const std::string s = text ? text : "";
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t colon = s.find(':', i);
        if (colon == std::string::npos) return false;
        Entry entry{s.substr(i, colon - i), ""};
        std::size_t j = s.find_first_not_of(' ', colon + 1);
        if (j == std::string::npos) j = s.size();
        if (j < s.size() && s[j] == '"') {
            const std::size_t close = s.find('"', j + 1);
            if (close == std::string::npos || (close + 1 < s.size() && s[close + 1] != ';')) return false;
            entry.value = s.substr(j + 1, close - j - 1);
            j = close + 1;
        } else {
            const std::size_t end = std::min(s.find(';', j), s.size());
            entry.value = s.substr(j, end - j);
            j = end;
        }
        if (entry.name.empty() || entry.name.find_first_of("\";") != std::string::npos) return false;
        out.push_back(entry);
        i = j < s.size() ? j + 1 : j;
    }
    return true;
}

Cursor* Live(hDBICur handle) {
    auto* cursor = static_cast<Cursor*>(handle);
    return cursors.count(cursor) ? cursor : nullptr;
}

}  // namespace

extern "C" {

IDAPI_EXPORT int StandinOpenCursors() { return static_cast<int>(cursors.size()); }

DBIResult IDAPI_CALL DbiInitFn(std::uint16_t version, DBIEnv* env) {
    if (version != kInterfaceVersion) return DBIERR_INTERFACEVER;
    if (initialised || !env || env->szIniFile[0] == '\0' || env->szWorkDir[0] || env->bForceLocalInit ||
        env->szLang[0] || env->szClientName[0])
        return DBIERR_INVALIDPARAM;
    iniFile.assign(env->szIniFile, strnlen(env->szIniFile, sizeof env->szIniFile));
    if (!Load()) return kNoConfig;
    initialised = true;
    return DBIERR_NONE;
}

DBIResult IDAPI_CALL DbiExit() {
    if (!initialised) return kNotInitialised;
    initialised = false;
    return DBIERR_NONE;
}

DBIResult IDAPI_CALL DbiGetErrorString(DBIResult result, char* message) {
    static const std::pair<DBIResult, const char*> kMessages[] = {
        {DBIERR_INVALIDPARAM, "Invalid parameter."},        {DBIERR_NAMENOTUNIQUE, "Name not unique in this context."},
        {DBIERR_UNKNOWNDB, "Unknown database."},            {DBIERR_OBJNOTFOUND, "Object not found."},
        {kNoConfig, "Cannot load the configuration file."}, {kWriteError, "Cannot write the configuration file."},
        {kNotInitialised, "The engine was not initialized."},  {DBIERR_UNKNOWNDRIVER, "Unknown driver."}};
    const char* text = "";
    for (const auto& [code, known] : kMessages)
        if (code == result) text = known;
    std::snprintf(message, DBIMAXMSGLEN + 1, "%s", text);
    return DBIERR_NONE;
}

DBIResult IDAPI_CALL DbiOpenDatabaseList(hDBICur* out) {
    if (!initialised) return kNotInitialised;
    auto* cursor = *cursors.insert(new Cursor).first;
    for (const auto& alias : aliases) {
        DBDesc& desc = cursor->Add<DBDesc>(alias.name);
        Put(desc.szName, alias.name);
        Put(desc.szDbType, alias.type);
    }
    *out = cursor;
    return DBIERR_NONE;
}

DBIResult IDAPI_CALL DbiGetDatabaseDesc(const char* name, DBDesc* desc) {
    if (!initialised) return kNotInitialised;
    const Alias* alias = name ? Find(name) : nullptr;
    if (!alias) return DBIERR_UNKNOWNDB;
    *desc = DBDesc{};
    Put(desc->szName, alias->name);
    Put(desc->szDbType, alias->type);
    return DBIERR_NONE;
}

DBIResult IDAPI_CALL DbiOpenCfgInfoList(hDBICfg cfg, int mode, int configMode, const char* path, hDBICur* out) {
    if (!initialised) return kNotInitialised;
    if (cfg || configMode != cfgPersistent || (mode != dbiREADONLY && mode != dbiREADWRITE) || !path)
        return DBIERR_INVALIDPARAM;
    const std::string text(path), prefix = "\\DATABASES\\";
    const std::size_t slash = text.rfind('\\');
    if (text.compare(0, prefix.size(), prefix) != 0 || slash <= prefix.size()) return DBIERR_OBJNOTFOUND;
    Alias* alias = Find(text.substr(prefix.size(), slash - prefix.size()));
    const std::string node = text.substr(slash + 1);
    if (!alias || (node != "DB INFO" && node != "DB OPEN")) return DBIERR_OBJNOTFOUND;
    auto* cursor = *cursors.insert(new Cursor).first;
    cursor->writable = mode == dbiREADWRITE;
    cursor->node = node == "DB INFO" ? &alias->info : &alias->open;
    for (const auto& entry : *cursor->node) {
        CFGDesc& record = cursor->Add<CFGDesc>(entry.name);
        Put(record.szNodeName, entry.name);
        Put(record.szValue, entry.value);
    }
    *out = cursor;
    return DBIERR_NONE;
}

DBIResult IDAPI_CALL DbiGetNextRecord(hDBICur handle, int lock, void* buffer, void* props) {
    Cursor* cursor = Live(handle);
    if (!cursor || !buffer || props || (lock != dbiNOLOCK && lock != dbiWRITELOCK)) return DBIERR_INVALIDPARAM;
    if (cursor->next >= cursor->records.size()) return DBIERR_EOF;
    const auto& record = cursor->records[cursor->next++];
    std::memcpy(buffer, record.data(), record.size());
    return DBIERR_NONE;
}

DBIResult IDAPI_CALL DbiModifyRecord(hDBICur handle, void* buffer, DBIBOOL) {
    Cursor* cursor = Live(handle);
    if (!cursor || !cursor->writable || !cursor->node || cursor->next == 0 || !buffer) return DBIERR_INVALIDPARAM;
    const auto* record = static_cast<const CFGDesc*>(buffer);
    const std::size_t at = cursor->next - 1;
    if (cursor->names[at] != record->szNodeName) return DBIERR_INVALIDPARAM;
    (*cursor->node)[at].value.assign(record->szValue, strnlen(record->szValue, sizeof record->szValue));
    return DBIERR_NONE;
}

DBIResult IDAPI_CALL DbiCloseCursor(hDBICur* handle) {
    Cursor* cursor = handle ? Live(*handle) : nullptr;
    if (!cursor) return DBIERR_INVALIDPARAM;
    cursors.erase(cursor);
    delete cursor;
    *handle = nullptr;
    return DBIERR_NONE;
}

DBIResult IDAPI_CALL DbiAddAlias(hDBICfg cfg, const char* name, const char* driver, const char* params,
                                 DBIBOOL persist) {
    if (!initialised) return kNotInitialised;
    std::vector<Entry> entries;
    if (cfg || !persist || !name || !*name || std::strlen(name) > DBIMAXNAMELEN || !ParseParams(params, entries))
        return DBIERR_INVALIDPARAM;
    if (Find(name)) return DBIERR_NAMENOTUNIQUE;
    const std::string type = driver ? driver : "";
    if (!type.empty() && !kFileDrivers.count(type)) {
        if (!kOtherDrivers.count(type)) return DBIERR_UNKNOWNDRIVER;
        aliases.push_back({name, type, {{"TYPE", type}}, entries});
        return DBIERR_NONE;
    }
    std::string path;
    for (const auto& entry : entries)
        if (Same(entry.name, "PATH")) path = entry.value;
    aliases.push_back({name, "STANDARD",
                       {{"TYPE", "STANDARD"}, {"PATH", path}, {"DEFAULT DRIVER", type.empty() ? "PARADOX" : type},
                        {"ENABLE BCD", "FALSE"}},
                       {}});
    return DBIERR_NONE;
}

DBIResult IDAPI_CALL DbiCfgSave(hDBICfg cfg, const char* file, DBIBOOL) {
    if (!initialised) return kNotInitialised;
    if (cfg || file) return DBIERR_INVALIDPARAM;
    FILE* out = std::fopen(iniFile.c_str(), "wb");
    if (!out) return kWriteError;
    for (const auto& alias : aliases) {
        std::fprintf(out, "ALIAS %s\nTYPE %s\n", alias.name.c_str(), alias.type.c_str());
        for (const auto& entry : alias.info) std::fprintf(out, "INFO %s=%s\n", entry.name.c_str(), entry.value.c_str());
        for (const auto& entry : alias.open) std::fprintf(out, "OPEN %s=%s\n", entry.name.c_str(), entry.value.c_str());
    }
    return std::fclose(out) == 0 ? DBIERR_NONE : kWriteError;
}

}  // extern "C"
