#pragma once
// Where the ODBC driver manager keeps its drivers and data sources, all
// under HKEY_LOCAL_MACHINE.
#include <cstdint>

namespace odbc {
constexpr const char* DriverName = "SQL Native Client";
constexpr const char* DriversKey = "\\SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Drivers";
constexpr const char* DriverKey = "\\SOFTWARE\\ODBC\\ODBCINST.INI\\SQL Native Client";
constexpr const char* SourcesKey = "\\SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";
// Followed by the data source's name.
constexpr const char* SourceKeyStem = "\\SOFTWARE\\ODBC\\ODBC.INI\\";
// The temporary data source's writer asks for no more than it uses:
// KEY_QUERY_VALUE, KEY_SET_VALUE, KEY_CREATE_SUB_KEY, KEY_ENUMERATE_SUB_KEYS,
// KEY_NOTIFY and WRITE_DAC.
constexpr std::uint32_t TempSourceAccess = 0x4001Fu;
constexpr const char* TempSourceName = "TmpVeltraMSSQLDataSource";
}  // namespace odbc
