#include "mssql/SqlServerLists.h"

#include "base/StringList.h"
#include "base/Text.h"
#include "platform/FileSystem.h"

namespace {

constexpr std::size_t MachinePathLength = 255;

void EraseFirst(std::string& text, char c) {
    if (const std::size_t at = text.find(c); at != std::string::npos) text.erase(at, 1);
}

}  // namespace

std::vector<std::string> BrowsedSqlServers(const std::string& answer) {
    TStringList items;
    items.Lines() = SplitDelimited(answer, ';', false);
    std::string servers = items.Values("SERVER:Server");
    EraseFirst(servers, '{');
    EraseFirst(servers, '}');
    return SplitDelimited(servers, ',', false);
}

std::string MachinePath(const std::string& machine) {
    const std::string path = "\\\\" + machine;
    const std::string ansi = Utf8ToAnsi(path);
    return ansi.size() > MachinePathLength ? AnsiToUtf8(ansi.substr(0, MachinePathLength)) : path;
}

std::optional<std::string> SqlServerInstanceEntry(const std::string& machine, const std::string& serviceName) {
    const std::string upper = UpperCase(serviceName);
    if (upper != "MSSQLSERVER" && upper.substr(0, 6) != "MSSQL$") return std::nullopt;
    // The instance is the second line once the first "$" becomes a line
    // break; "MSSQL$" alone makes one line, the default instance.
    std::string text = serviceName;
    if (const std::size_t dollar = text.find('$'); dollar != std::string::npos) text.replace(dollar, 1, "\r\n");
    const std::vector<std::string> lines = SplitLines(text);
    return lines.size() >= 2 ? machine + "\\" + lines[1] : machine;
}
