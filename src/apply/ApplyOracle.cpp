// The Oracle branch of the apply: the client's network files, then the seven
// module aliases on the net service from the template DatabaseOracle.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "apply/ModuleAliases.h"
#include "base/StringList.h"
#include "wizard/Unit2.h"

namespace {
// The schema-user list logs in with a fixed password that no alias may carry
// into the configuration file, which every user of the workstation reads.
// The component gets its entries back on every way out.
class TPasswordAside {
public:
    explicit TPasswordAside(TStringList& params) : params_(params) {
        for (int i; (i = params_.IndexOfName("password")) >= 0;) {
            aside_.emplace_back(i, params_[static_cast<std::size_t>(i)]);
            params_.Lines().erase(params_.Lines().begin() + i);
        }
    }
    ~TPasswordAside() {
        for (auto it = aside_.rbegin(); it != aside_.rend(); ++it) {
            auto& lines = params_.Lines();
            const auto at = std::min(static_cast<std::size_t>(it->first), lines.size());
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), it->second);
        }
    }
    TPasswordAside(const TPasswordAside&) = delete;
    TPasswordAside& operator=(const TPasswordAside&) = delete;

private:
    TStringList& params_;
    std::vector<std::pair<int, std::string>> aside_;
};
}  // namespace

void TForm2::ApplyOracle(const TStringList& existingAliases) {
    // Nothing is written from a service name or address that would break the files.
    CheckNetServiceEntry();
    UpdateSqlNetFile();
    SaveNetServiceEntry();
    MemoStatus.Lines().Add(" Zmodyfikowano konfigurację BDE.");

    TPasswordAside password(DatabaseOracle.Params);
    DatabaseOracle.Params.SetValue("SERVER NAME", ComboBoxOracleServer.Text());
    DatabaseOracle.Params.SetValue("USER NAME", ComboBoxUserOchrona.Text());
    WriteAlias(AliasPrefix + modules::AliasNames[modules::Ochrona], existingAliases, DatabaseOracle);

    DatabaseOracle.Params.SetValue("USER NAME", ComboBoxUserRN.Text());
    for (std::size_t i = modules::Ochrona + 1; i < modules::Liczniki; ++i)
        WriteAlias(AliasPrefix + modules::AliasNames[i], existingAliases, DatabaseOracle);

    // The meter data may live in a schema of their own.
    if (!ComboBoxUserLiczniki.Text().empty()) DatabaseOracle.Params.SetValue("USER NAME", ComboBoxUserLiczniki.Text());
    WriteAlias(AliasPrefix + modules::AliasNames[modules::Liczniki], existingAliases, DatabaseOracle);
}
