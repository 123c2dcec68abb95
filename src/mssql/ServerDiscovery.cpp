// Page 3's server list: the SQL Server instances found on the network,
// searched afresh each time the list opens. Every failure is silent.
#include <optional>

#include "mssql/SqlServerLists.h"
#include "platform/OdbcBrowser.h"
#include "platform/Platform.h"
#include "platform/ServerEnumerator.h"
#include "platform/ServiceManager.h"
#include "wizard/Unit2.h"

void TForm2::ComboBoxServerDropDown(TObject&) {
    const TWaitCursor wait(Application().Screen());
    if (CheckBoxDMO.Checked())
        BrowseSqlServers(ComboBoxServer.Items());
    else
        EnumSqlServers(ComboBoxServer.Items());
}

void TForm2::BrowseSqlServers(TStrings& list) {
    const std::optional<std::string> answer = Platform.OdbcBrowser.Browse(SqlServerBrowseRequest);
    if (!answer) return;
    list.Assign(BrowsedSqlServers(*answer));
}

void TForm2::EnumSqlServers(TStrings& list) {
    const std::optional<std::vector<std::string>> machines = Platform.ServerEnumerator.SqlServers();
    if (!machines) return;
    list.Clear();
    for (const std::string& machine : *machines) AddServerInstances(machine, list);
}

void TForm2::AddServerInstances(const std::string& machine, TStrings& list) {
    const std::string path = MachinePath(machine);
    // No rights or an unreachable machine: it contributes nothing.
    const std::optional<std::vector<std::string>> services = Platform.ServiceManager.ServiceNames(path);
    if (!services) return;
    const std::string name = path.substr(2);
    for (const std::string& service : *services)
        if (const std::optional<std::string> entry = SqlServerInstanceEntry(name, service)) list.Add(*entry);
}
