// The data source and server pages: each is pre-filled once per run, from
// the current aliases and from the data source's registry entries.
#include <initializer_list>
#include <string>
#include <utility>

#include "base/Text.h"
#include "engine/Session.h"
#include "mssql/OdbcKeys.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "wizard/Unit2.h"

namespace {

// A non-empty entry of an existing alias replaces the box's text.
void FillFromAlias(TSession& session, const TStringList& aliases, const std::string& alias,
                   std::initializer_list<std::pair<const char*, TComboBox*>> entries) {
    if (aliases.IndexOf(alias) < 0) return;
    TStringList params;
    session.GetAliasParams(alias, params);
    for (const auto& [entry, box] : entries) {
        const std::string value = params.Values(entry);
        if (!value.empty()) box->SetText(value);
    }
}

}  // namespace

// The list of data sources is rebuilt at every showing; the pre-fill uses
// the prefix of the first one.
void TForm2::TabSheet1Show(TObject&) {
    ListOdbcDataSources();
    if (TabSheet1.Tag() == 1) return;
    TabSheet1.SetTag(1);

    TStringList aliases;
    Session.GetAliasNames(aliases);
    const std::string mainAlias = AliasPrefix + "Veltra- RN";
    FillFromAlias(Session, aliases, mainAlias, {{"ODBC DSN", &ComboBoxNazwaZrodla}, {"DATABASE NAME", &ComboBoxBaza}});
    FillFromAlias(Session, aliases, mainAlias + "- Liczniki", {{"DATABASE NAME", &ComboBoxBazaLiczniki}});
}

// A failed open leaves the accessor without a key: nothing is pre-filled.
void TForm2::TabSheet2Show(TObject&) {
    if (TabSheet2.Tag() == 1) return;
    TabSheet2.SetTag(1);

    auto registry = Platform.Registry.CreateAt(reg::HKeyLocalMachine, reg::KeyAllAccess);
    const std::string key = odbc::SourceKeyStem + ComboBoxNazwaZrodla.Text();
    if (!registry->KeyExists(key)) return;
    registry->OpenKey(key, false);
    if (registry->ValueExists("Server")) ComboBoxServer.SetText(registry->ReadString("Server"));
    if (registry->ValueExists("Trusted_Connection"))
        CheckBoxWindows.SetChecked(UpperCase(registry->ReadString("Trusted_Connection")) == "YES");
}
