#pragma once
// The ODBC registry entries of a workstation, for the SQL Server suites.
#include <string>

#include "fakes/FakeRegistry.h"
#include "platform/Registry.h"
#include "shared/Expected.h"

namespace odbcseed {
constexpr const char* DriversKey = expected::OdbcDriversKey.Path;
constexpr const char* DriverKey = expected::OdbcDriverKey.Path;
constexpr const char* SourcesKey = expected::OdbcSourcesKey.Path;
constexpr const char* DriverPath = "C:\\WINDOWS\\system32\\sqlncli.dll";

inline std::string SourceKey(const std::string& name) { return std::string(expected::OdbcIniKey.Path) + "\\" + name; }

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
