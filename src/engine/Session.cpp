#include "engine/Session.h"

#include <algorithm>

#include "base/Exception.h"
#include "base/Text.h"
#include "engine/Database.h"
#include "engine/IdapiAliasBackend.h"
#include "engine/OdbcDriver.h"
#include "engine/OracleDriver.h"
#include "engine/TextAliasBackend.h"
#include "platform/FileSystem.h"
#include "platform/Loader.h"
#include "platform/Registry.h"

namespace {

constexpr const char* kEngineKey = "\\SOFTWARE\\Borland\\Database Engine";
constexpr const char* kConfigValue = "CONFIGFILE01";
constexpr const char* kDllPathValue = "DLLPATH";
constexpr const char* kEngineLibrary = "idapi32.dll";

[[noreturn]] void FailStart(const std::string& reason) {
    throw Exception("Nie można uruchomić silnika bazy danych. " + reason);
}

// The folders DLLPATH names: one, or several separated by ";", each perhaps
// between double quotes.
std::vector<std::string> DllFolders(const std::string& dllPath) {
    std::vector<std::string> folders;
    std::size_t start = 0;
    while (start <= dllPath.size()) {
        std::size_t end = dllPath.find(';', start);
        if (end == std::string::npos) end = dllPath.size();
        std::string folder = Trim(dllPath.substr(start, end - start));
        if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"')
            folder = folder.substr(1, folder.size() - 2);
        while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
        if (!folder.empty()) folders.push_back(folder);
        start = end + 1;
    }
    return folders;
}

}  // namespace

TSession::TSession(TRegistryFactory& registry, TFileSystem& files, TLoader& loader)
    : registry_(registry), files_(files), loader_(loader) {}

TSession::~TSession() = default;

void TSession::SetConfigMode(int mode) {
    configMode_ = mode;
    if (started_) return;

    std::string path, dllPath;
    {
        auto reg = registry_.CreateAt(reg::HKeyLocalMachine, reg::KeyRead);
        if (!reg->OpenKey(kEngineKey, false) || !reg->ValueExists(kConfigValue))
            FailStart(Format("Silnik nie jest zarejestrowany: brak wartości %s w kluczu HKEY_LOCAL_MACHINE%s.",
                             {kConfigValue, kEngineKey}));
        try {
            path = reg->ReadString(kConfigValue);
            if (reg->ValueExists(kDllPathValue)) dllPath = reg->ReadString(kDllPathValue);
        } catch (const Exception& e) {
            FailStart(e.Message());
        }
    }
    if (Trim(path).empty())
        FailStart(Format("Wartość %s w kluczu HKEY_LOCAL_MACHINE%s nie podaje ścieżki pliku konfiguracji.",
                         {kConfigValue, kEngineKey}));

    // A session that fails to start keeps no backend and no path to save to.
    try {
        aliases_ = StartBackend(path, dllPath);
    } catch (const Exception& e) {
        FailStart(e.Message());
    }
    configPath_ = path;
    started_ = true;
}

// Chosen once per run: the installed engine when DLLPATH names a folder whose
// library loads, else our own file.
std::unique_ptr<TAliasBackend> TSession::StartBackend(const std::string& configPath, const std::string& dllPath) {
    for (const auto& folder : DllFolders(dllPath)) {
        auto library = loader_.LoadLibraryFile(folder + "\\" + kEngineLibrary);
        if (!library) continue;
        // The engine reads its file itself; one whose existence cannot be
        // checked is refused all the same, as our own backend refuses it.
        files_.FileExistsChecked(configPath);
        const TIdapiApi api = ResolveIdapiApi(*library);
        return std::make_unique<TIdapiAliasBackend>(api, configPath, std::move(library));
    }
    return std::make_unique<TTextAliasBackend>(files_, configPath);
}

TAliasBackend& TSession::Aliases() const {
    if (!started_)
        throw Exception("Silnik bazy danych nie został uruchomiony: konfiguracja aliasów jest niedostępna");
    return *aliases_;
}

void TSession::GetAliasNames(TStringList& list) { list.Lines() = Aliases().Names(); }

void TSession::GetAliasParams(const std::string& alias, TStringList& list) { list.Assign(Aliases().Params(alias)); }

std::string TSession::GetAliasDriverName(const std::string& alias) { return Aliases().DriverName(alias); }

void TSession::AddAlias(const std::string& name, const std::string& driver, const TStringList& params) {
    Aliases().Add(name, driver, params);
}

void TSession::AddStandardAlias(const std::string& name, const std::string& path, const std::string& defaultDriver) {
    Aliases().AddStandard(name, path, defaultDriver);
}

void TSession::ModifyAlias(const std::string& name, const TStringList& params) { Aliases().Modify(name, params); }

void TSession::SaveConfigFile() { Aliases().Save(); }

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
        driver = std::make_unique<TOdbcDriver>(std::move(library));
    } else if (SameText(driverName, "ORACLE")) {
        auto library = loader_.LoadPathLibrary("oci.dll");
        if (!library)
            throw Exception("Nie znaleziono biblioteki klienta Oracle (oci.dll) potrzebnej sterownikowi \"ORACLE\"; "
                            "sprawdź, czy klient Oracle jest zainstalowany");
        driver = std::make_unique<TOracleDriver>(std::move(library));
    } else {
        throw Exception(Format("Nieznany sterownik bazy danych \"%s\"", {driverName}));
    }
    return *drivers_.emplace(key, std::move(driver)).first->second;
}

void TSession::SetDriver(const std::string& driverName, std::unique_ptr<TEngineDriver> driver) {
    drivers_[UpperCase(driverName)] = std::move(driver);
}
