#include "engine/TextAliasBackend.h"

#include "base/Exception.h"
#include "base/Text.h"
#include "platform/FileSystem.h"

TTextAliasBackend::TTextAliasBackend(TFileSystem& files, std::string path) : files_(files), path_(std::move(path)) {
    if (files_.FileExistsChecked(path_)) aliases_.Load(files_.ReadBytes(path_), path_);
}

TAlias& TTextAliasBackend::Find(const std::string& name) {
    TAlias* alias = aliases_.Find(name);
    if (!alias) throw Exception(Format("Alias \"%s\" nie istnieje", {name}));
    return *alias;
}

std::vector<std::string> TTextAliasBackend::Names() { return aliases_.Names(); }

std::string TTextAliasBackend::DriverName(const std::string& alias) { return Find(alias).Driver; }

TStringList TTextAliasBackend::Params(const std::string& alias) {
    const TAlias& found = Find(alias);
    if (!SameText(found.Driver, kStandardDriver)) return found.Params;
    TStringList general;
    for (std::size_t i = 0; i < found.Params.Count(); ++i) {
        const std::string name = found.Params.Names(i);
        if (SameText(name, "PATH") || SameText(name, "DEFAULT DRIVER")) general.Add(found.Params[i]);
    }
    return general;
}

void TTextAliasBackend::Add(const std::string& name, const std::string& driver, const TStringList& params) {
    aliases_.Add(TAlias{name, driver, params});
}

void TTextAliasBackend::Modify(const std::string& name, const TStringList& params) {
    TAlias& alias = Find(name);
    for (std::size_t i = 0; i < params.Count(); ++i) {
        if (params[i].find('=') == std::string::npos) continue;
        const int at = alias.Params.IndexOfName(params.Names(i));
        if (at < 0) continue;
        // The stored name keeps its spelling; an empty value stays a line.
        auto& line = alias.Params.Lines()[static_cast<std::size_t>(at)];
        line = alias.Params.Names(static_cast<std::size_t>(at)) + "=" + params.ValueFromIndex(i);
    }
}

void TTextAliasBackend::Save() { files_.WriteBytes(path_, aliases_.Save()); }
