#pragma once
// The rules that turn the discovery answers into entries of the server list:
// a machine name (default instance) or machine\instance (named instance).
#include <optional>
#include <string>
#include <vector>

// What the ODBC browse asks for: the servers of this driver.
inline constexpr const char* SqlServerBrowseRequest = "DRIVER=SQL Native Client";

// The servers of a browse answer: the value of its "SERVER:Server" item,
// without its first "{" and first "}", read as comma-separated text. An
// answer without that item gives none.
std::vector<std::string> BrowsedSqlServers(const std::string& answer);

// How the service manager names a machine: "\\" + machine, cut to 255
// characters of the ANSI code page.
std::string MachinePath(const std::string& machine);

// The entry a service of `machine` stands for: the machine for
// MSSQLSERVER, machine\instance for MSSQL$instance (both without regard to
// case); nothing for any other service.
std::optional<std::string> SqlServerInstanceEntry(const std::string& machine, const std::string& serviceName);
