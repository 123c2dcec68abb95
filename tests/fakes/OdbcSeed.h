#pragma once
// The ODBC registry entries of a workstation, for the SQL Server suites.
#include <string>

#include "fakes/FakeRegistry.h"
#include "platform/Registry.h"

namespace odbcseed {
constexpr const char* DriversKey = "\\SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Drivers";
constexpr const char* DriverKey = "\\SOFTWARE\\ODBC\\ODBCINST.INI\\SQL Native Client";
constexpr const char* SourcesKey = "\\SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";
constexpr const char* DriverPath = "C:\\WINDOWS\\system32\\sqlncli.dll";

inline std::string SourceKey(const std::string& name) { return "\\SOFTWARE\\ODBC\\ODBC.INI\\" + name; }

inline void RegisterDriver(FakeRegistryFactory& registry, const std::string& state = "Installed",
                           const std::string& path = DriverPath) {
    registry.SetString(reg::HKeyLocalMachine, DriversKey, "SQL Native Client", state);
    registry.SetString(reg::HKeyLocalMachine, DriverKey, "Driver", path);
}

inline void AddDataSource(FakeRegistryFactory& registry, const std::string& name, const std::string& driver) {
    registry.SetString(reg::HKeyLocalMachine, SourcesKey, name, driver);
    registry.CreateKey(reg::HKeyLocalMachine, SourceKey(name));
}
}  // namespace odbcseed
