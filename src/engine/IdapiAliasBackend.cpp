// What the API reference and Borland's own session code (DBTables.pas)
// establish, and how the backend follows them:
// - An alias's entries live under the configuration path
//   "\DATABASES\<alias>\DB INFO" (driver, and for "STANDARD" aliases PATH and
//   DEFAULT DRIVER) and "\DATABASES\<alias>\DB OPEN" (connection entries),
//   read and changed through DbiOpenCfgInfoList cursors of CFGDesc records.
// - DbiAddAlias gets its entries as TSession.AddAlias builds them
//   (StringListToParams): NAME:"VALUE" joined by ";", every value between
//   double quotes, entries without a value left out (the engine gives those
//   the driver's defaults). Its driver type is the entries' DEFAULT DRIVER
//   when they name one, else PARADOX for a "STANDARD" alias, else the driver
//   (InternalAddAlias); TSession.AddStandardAlias is AddAlias with
//   "STANDARD", PATH and DEFAULT DRIVER. Which drivers and entries the engine
//   takes is its own business: a refusal shows the engine's message.
// - Text goes to the engine in the OEM code page and comes back from it in
//   that code page, as the VCL converts it with CharToOem / OemToChar. Text
//   the code page cannot hold, or longer than the engine's fields, is refused
//   with the value named before anything is written.
// - DbiInitFn(DBIINTFVER, env), a DBIEnv naming the file in szIniFile, starts
//   the engine on that file; the other fields left empty and FALSE mean the
//   defaults.
// - DbiOpenDatabaseList lists the aliases (DBDesc records); szDbType is the
//   driver name, "STANDARD" for file-based aliases.
// - A DB INFO or DB OPEN entry changed through DbiModifyRecord on a
//   read-write cursor stays in the persistent configuration in memory until
//   DbiCfgSave(NULL, NULL, TRUE) writes it to the file it was read from, as
//   the engine's own tools save it (the third argument is bSaveAs16).
#include "engine/IdapiAliasBackend.h"

#include <cstring>
#include <optional>

#include "base/Exception.h"
#include "base/Text.h"
#include "platform/Loader.h"

namespace {

constexpr const char* kDbInfo = "DB INFO";
constexpr const char* kDbOpen = "DB OPEN";
constexpr const char* kNothingWritten = "; nic nie zostało zapisane";
constexpr const char* kDefaultDriverEntry = "DEFAULT DRIVER";
// InternalAddAlias (DBTables.pas): a "STANDARD" alias without a default driver gets this one.
constexpr const char* kStandardDefault = "PARADOX";

std::string Hex4(unsigned value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out = "0x";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
    return out;
}

std::string AliasSubject(const std::string& alias) { return Format("alias \"%s\"", {alias}); }

[[noreturn]] void Refuse(const std::string& alias, const std::string& reason) {
    throw Exception(Format("Nie można zapisać aliasu \"%s\" w konfiguracji zainstalowanego silnika: %s%s",
                           {alias, reason, kNothingWritten}));
}

// `text` in the engine's code page, when that holds every character of it.
std::optional<std::string> InOem(const std::string& text) {
    std::string oem = Utf8ToOem(text);
    if (text.find('\0') != std::string::npos || OemToUtf8(oem) != text) return std::nullopt;
    return oem;
}

// New text for the engine, in its code page, fitting `capacity` bytes with its NUL.
std::string ForEngine(const std::string& text, std::size_t capacity, const std::string& what,
                      const std::string& alias) {
    const auto oem = InOem(text);
    if (!oem) Refuse(alias, Format("%s \"%s\" zawiera znaki spoza strony kodowej OEM silnika", {what, text}));
    if (oem->size() >= capacity)
        Refuse(alias, Format("%s \"%s\" ma więcej niż %s znaków", {what, text, std::to_string(capacity - 1)}));
    return *oem;
}

// A name the engine reported (or one to look up), in the engine's code page.
std::string EngineName(const std::string& alias) {
    const auto name = InOem(alias);
    if (!name || name->empty() || name->size() > DBIMAXNAMELEN || name->find('\\') != std::string::npos)
        throw Exception(Format("Nazwa aliasu \"%s\" nie jest nazwą, którą zna silnik bazy danych", {alias}));
    return *name;
}

// A backslash would split the configuration path the alias is read back through.
std::string NewAliasName(const std::string& alias) {
    if (alias.find('\\') != std::string::npos) Refuse(alias, "nazwa zawiera znak \\");
    if (alias.empty()) throw Exception("Nazwa aliasu nie może być pusta");
    return ForEngine(alias, DBIMAXNAMELEN + 1, "nazwa", alias);
}

// DbiAddAlias's entry list as StringListToParams makes it.
std::string ParamList(const TStringList& params, const std::string& alias) {
    std::string items;
    for (std::size_t i = 0; i < params.Count(); ++i) {
        if (params[i].find('=') == std::string::npos)
            throw Exception(Format("Parametr \"%s\" aliasu \"%s\" nie ma postaci NAZWA=WARTOŚĆ", {params[i], alias}));
        const std::string name = params.Names(i), value = params.ValueFromIndex(i);
        if (value.empty()) continue;
        if (!items.empty()) items += ';';
        items += ForEngine(name, DBIMAXNAMELEN + 1, "nazwa wpisu", alias) + ":\"" +
                 ForEngine(value, DBIMAXSCFLDLEN, Format("wartość wpisu %s", {name}), alias) + "\"";
    }
    return items;
}

template <std::size_t N>
void CopyInto(char (&buffer)[N], const std::string& text) {
    std::memset(buffer, 0, N);
    std::memcpy(buffer, text.data(), text.size() < N ? text.size() : N - 1);
}

template <std::size_t N>
std::string FromBuffer(const char (&buffer)[N]) {
    return OemToUtf8(std::string(buffer, strnlen(buffer, N)));
}

// A cursor of the engine, closed when it goes.
class Cursor {
public:
    explicit Cursor(const TIdapiApi& api) : api_(api) {}
    ~Cursor() {
        if (handle_) api_.CloseCursor(&handle_);
    }
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;
    hDBICur* Out() { return &handle_; }
    hDBICur Get() const { return handle_; }

private:
    const TIdapiApi& api_;
    hDBICur handle_ = nullptr;
};

std::string NodePath(const std::string& alias, const char* node) {
    return "\\DATABASES\\" + EngineName(alias) + "\\" + node;
}

}  // namespace

TIdapiApi ResolveIdapiApi(TLibrary& library) {
    constexpr const char* missing = "Biblioteka silnika bazy danych (idapi32.dll) nie ma funkcji %s";
    TIdapiApi api;
    // Borland's own loaders ask for "DbiInitFn": the library has no "DbiInit".
    library.Resolve(api.Init, "DbiInitFn", missing);
    library.Resolve(api.Exit, "DbiExit", missing);
    library.Resolve(api.GetErrorString, "DbiGetErrorString", missing);
    library.Resolve(api.OpenDatabaseList, "DbiOpenDatabaseList", missing);
    library.Resolve(api.GetDatabaseDesc, "DbiGetDatabaseDesc", missing);
    library.Resolve(api.OpenCfgInfoList, "DbiOpenCfgInfoList", missing);
    library.Resolve(api.GetNextRecord, "DbiGetNextRecord", missing);
    library.Resolve(api.ModifyRecord, "DbiModifyRecord", missing);
    library.Resolve(api.CloseCursor, "DbiCloseCursor", missing);
    library.Resolve(api.AddAlias, "DbiAddAlias", missing);
    library.Resolve(api.CfgSave, "DbiCfgSave", missing);
    return api;
}

TIdapiAliasBackend::TIdapiAliasBackend(const TIdapiApi& api, const std::string& configPath,
                                       std::unique_ptr<TLibrary> library)
    : library_(std::move(library)), api_(api), configPath_(configPath) {
    const auto path = InOem(configPath);
    if (!path)
        throw Exception(Format("Ścieżka pliku konfiguracji \"%s\" zawiera znaki spoza strony kodowej OEM silnika",
                               {configPath}));
    if (path->size() > DBIMAXPATHLEN)
        throw Exception(Format("Ścieżka pliku konfiguracji \"%s\" jest dłuższa niż %s znaków, na które pozwala silnik",
                               {configPath, std::to_string(DBIMAXPATHLEN)}));
    DBIEnv env{};
    CopyInto(env.szIniFile, *path);
    const DBIResult result = api_.Init(DBIINTFVER, &env);
    if (result != DBIERR_NONE) Fail(result, "DbiInitFn", Format("plik \"%s\"", {configPath}));
}

TIdapiAliasBackend::~TIdapiAliasBackend() { api_.Exit(); }

void TIdapiAliasBackend::Fail(DBIResult result, const char* call, const std::string& subject) const {
    char message[DBIMAXMSGLEN + 1] = {};
    std::string text;
    if (api_.GetErrorString(result, message) == DBIERR_NONE) text = Trim(FromBuffer(message));
    if (text.empty()) text = Format("błąd %s", {Hex4(result)});
    throw Exception(Format("Silnik bazy danych: %s (%s, %s)", {text, call, subject}));
}

void TIdapiAliasBackend::Check(DBIResult result, const char* call, const std::string& subject) const {
    if (result != DBIERR_NONE) Fail(result, call, subject);
}

std::vector<std::string> TIdapiAliasBackend::Names() {
    Cursor cursor(api_);
    Check(api_.OpenDatabaseList(cursor.Out()), "DbiOpenDatabaseList", "lista aliasów");
    std::vector<std::string> names;
    for (;;) {
        DBDesc desc{};
        const DBIResult result = api_.GetNextRecord(cursor.Get(), dbiNOLOCK, &desc, nullptr);
        if (result == DBIERR_EOF) return names;
        Check(result, "DbiGetNextRecord", "lista aliasów");
        names.push_back(FromBuffer(desc.szName));
    }
}

std::string TIdapiAliasBackend::DriverName(const std::string& alias) {
    DBDesc desc{};
    Check(api_.GetDatabaseDesc(EngineName(alias).c_str(), &desc), "DbiGetDatabaseDesc", AliasSubject(alias));
    return FromBuffer(desc.szDbType);
}

std::vector<TIdapiAliasBackend::Entry> TIdapiAliasBackend::ReadNode(const std::string& alias, const char* node) {
    Cursor cursor(api_);
    Check(api_.OpenCfgInfoList(nullptr, dbiREADONLY, cfgPersistent, NodePath(alias, node).c_str(), cursor.Out()),
          "DbiOpenCfgInfoList", AliasSubject(alias));
    std::vector<Entry> entries;
    for (;;) {
        CFGDesc record{};
        const DBIResult result = api_.GetNextRecord(cursor.Get(), dbiNOLOCK, &record, nullptr);
        if (result == DBIERR_EOF) return entries;
        Check(result, "DbiGetNextRecord", AliasSubject(alias));
        if (!record.bHasSubnodes) entries.push_back({FromBuffer(record.szNodeName), FromBuffer(record.szValue)});
    }
}

std::vector<TIdapiAliasBackend::Entry> TIdapiAliasBackend::VisibleEntries(const std::string& alias, const char*& node) {
    if (!SameText(DriverName(alias), kStandardDriver)) {
        node = kDbOpen;
        return ReadNode(alias, node);
    }
    node = kDbInfo;
    std::vector<Entry> general;
    for (auto& entry : ReadNode(alias, node))
        if (SameText(entry.Name, "PATH") || SameText(entry.Name, "DEFAULT DRIVER")) general.push_back(std::move(entry));
    return general;
}

TStringList TIdapiAliasBackend::Params(const std::string& alias) {
    const char* node = nullptr;
    TStringList list;
    for (const auto& entry : VisibleEntries(alias, node)) list.Add(entry.Name + "=" + entry.Value);
    return list;
}

void TIdapiAliasBackend::Add(const std::string& name, const std::string& driver, const TStringList& params) {
    const std::string engineName = NewAliasName(name);
    std::string driverType = params.Values(kDefaultDriverEntry);
    if (driverType.empty()) driverType = SameText(driver, kStandardDriver) ? kStandardDefault : driver;
    if (driverType.empty()) Refuse(name, "brak nazwy sterownika");
    const std::string engineDriver = ForEngine(driverType, DBIMAXNAMELEN + 1, "sterownik", name);
    const std::string items = ParamList(params, name);
    Check(api_.AddAlias(nullptr, engineName.c_str(), engineDriver.c_str(), items.c_str(), 1), "DbiAddAlias",
          AliasSubject(name));
}

void TIdapiAliasBackend::Modify(const std::string& name, const TStringList& params) {
    // Every new value is checked before the first one is written.
    const char* node = nullptr;
    std::vector<Entry> changes;
    for (const auto& stored : VisibleEntries(name, node)) {
        const int at = params.IndexOfName(stored.Name);
        if (at < 0 || params[static_cast<std::size_t>(at)].find('=') == std::string::npos) continue;
        const std::string value = params.ValueFromIndex(static_cast<std::size_t>(at));
        const std::string what = Format("wartość wpisu %s", {stored.Name});
        changes.push_back({stored.Name, ForEngine(value, DBIMAXSCFLDLEN, what, name)});  // in the engine's code page
    }
    if (changes.empty()) return;

    Cursor cursor(api_);
    Check(api_.OpenCfgInfoList(nullptr, dbiREADWRITE, cfgPersistent, NodePath(name, node).c_str(), cursor.Out()),
          "DbiOpenCfgInfoList", AliasSubject(name));
    for (;;) {
        CFGDesc record{};
        const DBIResult result = api_.GetNextRecord(cursor.Get(), dbiWRITELOCK, &record, nullptr);
        if (result == DBIERR_EOF) return;
        Check(result, "DbiGetNextRecord", AliasSubject(name));
        const std::string entryName = FromBuffer(record.szNodeName);
        for (const auto& change : changes) {
            if (record.bHasSubnodes || !SameText(change.Name, entryName)) continue;
            CopyInto(record.szValue, change.Value);
            Check(api_.ModifyRecord(cursor.Get(), &record, 1), "DbiModifyRecord",
                  Format("alias \"%s\", wpis %s", {name, entryName}));
            break;
        }
    }
}

void TIdapiAliasBackend::Save() {
    Check(api_.CfgSave(nullptr, nullptr, 1), "DbiCfgSave", Format("plik \"%s\"", {configPath_}));
}
