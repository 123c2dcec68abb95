// Writing engine aliases: create or modify in place, never over an alias of
// another driver; each write is logged once it has succeeded.
#include "base/Exception.h"
#include "engine/Session.h"
#include "wizard/Unit2.h"

namespace {

constexpr const char* NetAlias = "Veltra- Net";
constexpr const char* LegacyMainAlias = "Veltra- RN";

std::string AliasLogLine(const char* action, const std::string& name) {
    return std::string("  ") + action + " alias \"" + name + "\".";
}

}  // namespace

void TForm2::WriteAlias(const std::string& name, const TStringList& existingAliases, TDatabase& database) {
    const char* action = "Utworzono";
    if (existingAliases.IndexOf(name) < 0) {
        Session.AddAlias(name, database.DriverName, database.Params);
    } else {
        action = "Zmodyfikowano";
        // Exact: a driver spelled in other letter case is another driver.
        if (Session.GetAliasDriverName(name) != database.DriverName)
            throw Exception("Alias BDE \"" + name + "\" istnieje i jest innego typu");
        Session.ModifyAlias(name, database.Params);
    }
    MemoStatus.Lines().Add(AliasLogLine(action, name));
}

// Older installations open some data through the file-based "Veltra- Net"
// beside a file-based "Veltra- RN"; it is added on the same folder.
void TForm2::AddNetAlias(const TStringList& existingAliases) {
    if (existingAliases.IndexOf(NetAlias) >= 0 || existingAliases.IndexOf(LegacyMainAlias) < 0) return;
    if (Session.GetAliasDriverName(LegacyMainAlias) != "STANDARD") return;
    TStringList params;
    Session.GetAliasParams(LegacyMainAlias, params);
    const std::string path = params.Values("PATH");
    if (path.empty()) return;
    Session.AddStandardAlias(NetAlias, path, params.Values("DEFAULT DRIVER"));
    MemoStatus.Lines().Add(AliasLogLine("Utworzono", NetAlias));
}
