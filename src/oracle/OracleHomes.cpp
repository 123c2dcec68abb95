// The Oracle home page: the homes registered on the workstation, the chosen
// home's settings, and the schema users taken once from the existing aliases.
#include <memory>
#include <string>

#include "engine/Session.h"
#include "oracle/TString.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "wizard/Unit2.h"

namespace {
constexpr const char* kOracleKey = "\\SOFTWARE\\ORACLE";
}  // namespace

void TForm2::TabSheet1OracleShow(TObject&) {
    ComboBoxOracleHome.Clear();
    {
        auto oracle = Platform.Registry.CreateAt(reg::HKeyLocalMachine, reg::KeyRead);
        auto home = Platform.Registry.CreateAt(reg::HKeyLocalMachine, reg::KeyRead);
        if (oracle->KeyExists(kOracleKey) && oracle->OpenKey(kOracleKey, false)) {
            for (const std::string& subkey : oracle->GetKeyNames()) {
                if (!home->OpenKey(std::string(kOracleKey) + "\\" + subkey, false)) continue;
                if (!home->ValueExists("ORACLE_HOME") || !home->ValueExists("ORACLE_HOME_NAME")) continue;
                auto owner = std::make_unique<TString>(subkey);
                ComboBoxOracleHome.Items().AddObject(home->ReadString("ORACLE_HOME_NAME"), std::move(owner));
            }
        }
        if (ComboBoxOracleHome.Items().Count() > 0) {
            ComboBoxOracleHome.SetItemIndex(0);
            ComboBoxOracleHomeChange(*this);
        }
    }

    if (TabSheet1Oracle.Tag() == 1) return;
    TabSheet1Oracle.SetTag(1);
    TStringList aliases;
    Session.GetAliasNames(aliases);
    const std::string stem = AliasPrefix + "Veltra- ";
    const std::pair<std::string, TComboBox*> users[] = {
        {stem + "Ochrona", &ComboBoxUserOchrona},
        {stem + "RN", &ComboBoxUserRN},
        {stem + "RN" + "- Liczniki", &ComboBoxUserLiczniki},
    };
    for (const auto& [alias, box] : users) {
        if (aliases.IndexOf(alias) < 0) continue;
        TStringList params;
        Session.GetAliasParams(alias, params);
        const std::string user = params.Values("USER NAME");
        if (!user.empty()) box->SetText(user);
    }
}

// A field whose value the home lacks keeps what an earlier home put there.
void TForm2::ComboBoxOracleHomeChange(TObject&) {
    const int index = ComboBoxOracleHome.ItemIndex();
    if (index < 0) return;
    const auto* subkey = dynamic_cast<const TString*>(ComboBoxOracleHome.Items().Objects(index));
    if (!subkey) return;
    auto home = Platform.Registry.CreateAt(reg::HKeyLocalMachine, reg::KeyRead);
    const std::string key = std::string(kOracleKey) + "\\" + subkey->Value;
    if (!home->KeyExists(key) || !home->OpenKey(key, false)) return;
    const std::pair<const char*, TEdit*> fields[] = {
        {"ORACLE_BUNDLE_NAME", &EditBoundle},
        {"NLS_LANG", &EditNLS},
        {"ORACLE_HOME", &EditFolderHome},
    };
    for (const auto& [value, edit] : fields)
        if (home->ValueExists(value)) edit->SetText(home->ReadString(value));
}
