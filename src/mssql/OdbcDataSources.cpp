// Machine-wide ODBC data sources of the "SQL Native Client" driver: the one
// the apply writes, the temporary one of the database list, and the list of
// existing ones on the data source page.
#include <memory>
#include <optional>
#include <string_view>

#include "base/Exception.h"
#include "base/Text.h"
#include "mssql/OdbcKeys.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "wizard/Unit2.h"

namespace {

// Characters the driver manager refuses in a data source name; the name is
// also part of a registry path, so a backslash would reach another key.
constexpr std::string_view ForbiddenNameChars = "[]{}(),;?*=!@\\";

void CheckDataSourceName(const std::string& name) {
    if (name.empty()) throw Exception("Nazwa źródła danych ODBC nie może być pusta");
    const auto at = name.find_first_of(ForbiddenNameChars);
    if (at != std::string::npos)
        throw Exception(Format("Nazwa źródła danych ODBC \"%s\" zawiera niedozwolony znak \"%s\"",
                               {name, std::string(1, name[at])}));
}

// Fillers are silent: a value of another type reads as missing.
std::optional<std::string> QuietString(TRegistry& registry, const std::string& name) {
    if (!registry.ValueExists(name)) return std::nullopt;
    try {
        return registry.ReadString(name);
    } catch (const Exception&) {
        return std::nullopt;
    }
}

// A failed open must not leave the previous key open for the next write.
bool Reopen(TRegistry& registry, const std::string& key) {
    registry.CloseKey();
    return registry.OpenKey(key, true);
}

}  // namespace

void TForm2::SetupOdbcDataSource(const std::string& name, const std::string& server, bool windowsLogin) {
    CheckDataSourceName(name);
    auto registry = Platform.Registry.CreateAt(reg::HKeyLocalMachine, reg::KeyAllAccess);
    auto open = [&registry](const std::string& key) {
        if (!Reopen(*registry, key))
            throw Exception(Format("Nie można otworzyć klucza rejestru \"HKEY_LOCAL_MACHINE%s\" z pełnym dostępem",
                                   {key}));
    };

    open(odbc::DriversKey);
    if (!registry->ValueExists(odbc::DriverName)) throw Exception("Brak sterownika ODBC \"SQL Native Client\"");
    if (UpperCase(registry->ReadString(odbc::DriverName)) != "INSTALLED")
        throw Exception("Sterownik ODBC \"SQL Native Client\" nie zainstalowany");

    open(odbc::DriverKey);
    if (!registry->ValueExists("Driver")) throw Exception("Brak określenia sterownika ODBC \"SQL Native Client\"");
    const std::string driverPath = registry->ReadString("Driver");

    open(odbc::SourcesKey);
    std::string action = "Utworzono";
    if (registry->ValueExists(name)) {
        action = "Zmodyfikowano";
        if (UpperCase(registry->ReadString(name)) != UpperCase(odbc::DriverName))
            throw Exception("Źródło danych \"" + name + "\" istnieje i jest innego typu");
    }
    registry->WriteString(name, odbc::DriverName);
    MemoStatus.Lines().Add(" " + action + " źródło danych ODBC \"" + name + "\".");

    open(odbc::SourceKeyStem + name);
    registry->WriteString("Driver", driverPath);
    registry->WriteString("MARS_Connection", "Yes");
    registry->WriteString("Server", server);
    MemoStatus.Lines().Add("  Instancja serwera MSSQL: \"" + server + "\".");
    registry->WriteString("Trusted_Connection", windowsLogin ? "Yes" : "No");
    MemoStatus.Lines().Add(std::string("  Logowanie poprzez użytkownika ") + (windowsLogin ? "Windows" : "serwera MSSQL") +
                           ".");
    MemoStatus.Lines().Add("");
}

bool TForm2::CreateTempDataSource(const std::string& name, const std::string& server, bool windowsLogin) {
    auto registry = Platform.Registry.CreateAt(reg::HKeyLocalMachine, odbc::TempSourceAccess);
    if (!registry->OpenKey(odbc::DriversKey, true)) return false;
    const auto state = QuietString(*registry, odbc::DriverName);
    if (!state || UpperCase(*state) != "INSTALLED") return false;
    Reopen(*registry, odbc::DriverKey);
    const auto driverPath = QuietString(*registry, "Driver");
    if (!driverPath) return false;

    try {
        Reopen(*registry, odbc::SourcesKey);
        registry->WriteString(name, odbc::DriverName);
        Reopen(*registry, odbc::SourceKeyStem + name);
        registry->WriteString("Driver", *driverPath);
        registry->WriteString("Server", server);
        registry->WriteString("Trusted_Connection", windowsLogin ? "Yes" : "No");
    } catch (...) {
        // Once writing began, a refused write leaves no half data source behind.
        registry.reset();
        RemoveOdbcDataSource(name);
        throw;
    }
    return true;
}

void TForm2::RemoveOdbcDataSource(const std::string& name) {
    // An empty name would make the key path that of every data source.
    if (name.empty() || name.find('\\') != std::string::npos) return;
    auto registry = Platform.Registry.CreateAt(reg::HKeyLocalMachine, reg::KeyAllAccess);
    if (registry->OpenKey(odbc::SourcesKey, true)) registry->DeleteValue(name);
    registry->DeleteKey(odbc::SourceKeyStem + name);
}

// Case counts here, unlike the type check of SetupOdbcDataSource.
void TForm2::ListOdbcDataSources() {
    ComboBoxNazwaZrodla.Items().Clear();
    auto registry = Platform.Registry.CreateAt(reg::HKeyLocalMachine, reg::KeyRead);
    if (!registry->KeyExists(odbc::SourcesKey) || !registry->OpenKey(odbc::SourcesKey, false)) return;
    for (const std::string& name : registry->GetValueNames())
        if (QuietString(*registry, name) == odbc::DriverName) ComboBoxNazwaZrodla.Items().Add(name);
}
