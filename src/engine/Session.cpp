#include "engine/Session.h"

#include <algorithm>

#include "engine/Database.h"
#include "engine/OdbcDriver.h"
#include "engine/OracleDriver.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/Loader.h"
#include "platform/Registry.h"
#include "platform/Text.h"

namespace {

constexpr const char* kEngineKey = "\\SOFTWARE\\Borland\\Database Engine";
constexpr const char* kConfigValue = "CONFIGFILE01";
constexpr const char* kStandard = "STANDARD";

[[noreturn]] void FailStart(const std::string& reason) {
    throw Exception("Nie można uruchomić silnika bazy danych. " + reason);
}

}  // namespace

TSession::TSession(TRegistryFactory& registry, TFileSystem& files, TLoader& loader)
    : registry_(registry), files_(files), loader_(loader) {}

TSession::~TSession() = default;

void TSession::SetConfigMode(int mode) {
    configMode_ = mode;
    if (started_) return;

    std::string path;
    {
        auto reg = registry_.Create(reg::KeyRead);
        reg->SetRootKey(reg::HKeyLocalMachine);
        if (!reg->OpenKey(kEngineKey, false) || !reg->ValueExists(kConfigValue))
            FailStart(Format("Silnik nie jest zarejestrowany: brak wartości %s w kluczu HKEY_LOCAL_MACHINE%s.",
                             {kConfigValue, kEngineKey}));
        try {
            path = reg->ReadString(kConfigValue);
        } catch (const Exception& e) {
            FailStart(e.Message());
        }
    }
    if (Trim(path).empty())
        FailStart(Format("Wartość %s w kluczu HKEY_LOCAL_MACHINE%s nie podaje ścieżki pliku konfiguracji.",
                         {kConfigValue, kEngineKey}));

    // Parsed into a separate store: a file that cannot be read leaves the
    // session without aliases and without a path to save to.
    TAliasStore loaded;
    try {
        if (files_.FileExistsChecked(path)) loaded.Load(files_.ReadBytes(path), path);
    } catch (const Exception& e) {
        FailStart(e.Message());
    }
    aliases_ = std::move(loaded);
    configPath_ = path;
    started_ = true;
}

void TSession::CheckStarted() const {
    if (!started_)
        throw Exception("Silnik bazy danych nie został uruchomiony: konfiguracja aliasów jest niedostępna");
}

const TAlias& TSession::FindAlias(const std::string& name) const {
    CheckStarted();
    const TAlias* alias = aliases_.Find(name);
    if (!alias) throw Exception(Format("Alias \"%s\" nie istnieje", {name}));
    return *alias;
}

void TSession::GetAliasNames(TStringList& list) {
    CheckStarted();
    list.Clear();
    list.Lines() = aliases_.Names();
}

void TSession::GetAliasParams(const std::string& alias, TStringList& list) {
    const TAlias& found = FindAlias(alias);
    list.Clear();
    if (!SameText(found.Driver, kStandard)) {
        list.Assign(found.Params);
        return;
    }
    // A file-based alias shows only its general entries.
    for (std::size_t i = 0; i < found.Params.Count(); ++i) {
        const std::string name = found.Params.Names(i);
        if (SameText(name, "PATH") || SameText(name, "DEFAULT DRIVER")) list.Add(found.Params[i]);
    }
}

std::string TSession::GetAliasDriverName(const std::string& alias) { return FindAlias(alias).Driver; }

void TSession::AddAlias(const std::string& name, const std::string& driver, const TStringList& params) {
    CheckStarted();
    aliases_.Add(TAlias{name, driver, params});
}

void TSession::AddStandardAlias(const std::string& name, const std::string& path, const std::string& defaultDriver) {
    AddAlias(name, kStandard, TStringList{"PATH=" + path, "DEFAULT DRIVER=" + defaultDriver});
}

void TSession::ModifyAlias(const std::string& name, const TStringList& params) {
    FindAlias(name);
    TAlias& alias = *aliases_.Find(name);
    for (std::size_t i = 0; i < params.Count(); ++i) {
        if (params[i].find('=') == std::string::npos) continue;
        const int at = alias.Params.IndexOfName(params.Names(i));
        if (at < 0) continue;
        // The stored name keeps its spelling; an empty value stays a line.
        auto& line = alias.Params.Lines()[static_cast<std::size_t>(at)];
        line = alias.Params.Names(static_cast<std::size_t>(at)) + "=" + params.ValueFromIndex(i);
    }
}

void TSession::SaveConfigFile() {
    CheckStarted();
    files_.WriteBytes(configPath_, aliases_.Save());
}

void TSession::RegisterDatabase(TDatabase* database) {
    if (std::find(databases_.begin(), databases_.end(), database) == databases_.end()) databases_.push_back(database);
}

void TSession::UnregisterDatabase(TDatabase* database) {
    databases_.erase(std::remove(databases_.begin(), databases_.end(), database), databases_.end());
}

TDatabase* TSession::FindDatabase(const std::string& name) const {
    if (name.empty()) return nullptr;
    for (TDatabase* database : databases_)
        if (SameText(database->DatabaseName, name)) return database;
    return nullptr;
}

TEngineDriver& TSession::Driver(const std::string& driverName) {
    const std::string key = UpperCase(driverName);
    if (auto it = drivers_.find(key); it != drivers_.end()) return *it->second;

    std::unique_ptr<TEngineDriver> driver;
    if (SameText(driverName, "SQL Native Client")) {
        auto library = loader_.LoadSystemLibrary("odbc32.dll");
        if (!library)
            throw Exception("Nie można załadować biblioteki ODBC (odbc32.dll) potrzebnej sterownikowi \"SQL Native Client\"");
        driver = std::make_unique<OdbcDriver>(std::move(library));
    } else if (SameText(driverName, "ORACLE")) {
        auto library = loader_.LoadPathLibrary("oci.dll");
        if (!library)
            throw Exception("Nie znaleziono biblioteki klienta Oracle (oci.dll) potrzebnej sterownikowi \"ORACLE\"; "
                            "sprawdź, czy klient Oracle jest zainstalowany");
        driver = std::make_unique<OracleDriver>(std::move(library));
    } else {
        throw Exception(Format("Nieznany sterownik bazy danych \"%s\"", {driverName}));
    }
    return *drivers_.emplace(key, std::move(driver)).first->second;
}

void TSession::SetDriver(const std::string& driverName, std::unique_ptr<TEngineDriver> driver) {
    drivers_[UpperCase(driverName)] = std::move(driver);
}
