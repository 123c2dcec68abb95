// The server list's rules: the ODBC browse answer (the whole input) and the
// service-name rules (the input's first line the machine, its second the
// service's name).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "base/Text.h"
#include "mssql/SqlServerLists.h"

namespace {

[[noreturn]] void Fault(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "invariant broken: %s %s\n", what, detail.c_str());
    std::abort();
}

// A server name that needs no quoting anywhere in an answer.
bool Plain(const std::string& name) {
    return !name.empty() && std::none_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) <= ' ' || std::string_view(",;={}\"").find(c) != std::string_view::npos;
    });
}

std::string Line(const std::string& text, std::size_t& pos) {
    const std::size_t end = std::min(text.find('\n', pos), text.size());
    std::string line = text.substr(pos, end - pos);
    pos = end < text.size() ? end + 1 : end;
    return line;
}

void CheckBrowse(const std::string& answer) {
    std::vector<std::string> plain = BrowsedSqlServers(answer);
    plain.erase(std::remove_if(plain.begin(), plain.end(), [](const std::string& s) { return !Plain(s); }), plain.end());
    // Those names, answered the way the driver answers, come back as they are.
    std::string again = "UID:Login ID=?;SERVER:Server={";
    for (std::size_t i = 0; i < plain.size(); ++i) again += (i ? "," : "") + plain[i];
    again += "};*APP:AppName=?";
    const std::vector<std::string> back = plain.empty() ? std::vector<std::string>{} : BrowsedSqlServers(again);
    if (back != plain) Fault("plain server names do not come back", again);
}

void CheckService(const std::string& machine, const std::string& service) {
    const std::optional<std::string> entry = SqlServerInstanceEntry(machine, service);
    const std::string upper = UpperCase(service);
    const bool named = upper.rfind("MSSQL$", 0) == 0;
    if (entry.has_value() != (upper == "MSSQLSERVER" || named)) Fault("service taken or left wrongly", service);
    if (!entry) return;
    const std::string instance = named ? service.substr(6) : std::string();
    if (instance.find_first_of("\r\n") != std::string::npos) return;
    if (*entry != (instance.empty() ? machine : machine + "\\" + instance)) Fault("entry", *entry);
}

void CheckMachine(const std::string& machine) {
    const std::string path = MachinePath(machine);
    if (path.rfind("\\\\", 0) != 0) Fault("machine path without its backslashes", path);
    if (Utf8ToAnsi(path).size() > 255) Fault("machine path too long", path);
    if (Utf8ToAnsi("\\\\" + machine).size() <= 255 && path != "\\\\" + machine) Fault("short machine path cut", path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckBrowse(text);
    std::size_t pos = 0;
    const std::string machine = Line(text, pos);
    const std::string service = Line(text, pos);
    CheckService(machine, service);
    CheckMachine(machine);
    return 0;
}
