#pragma once
// What several suites expect the program to read and write, written out once.
// Literal on purpose: taken from the program's own constants, a wrong
// constant would pass every check.
#include <cstddef>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace expected {

// A key under its root, spelt for the accessor (Path: "\SOFTWARE\...",
// absolute) and for advapi32 (Raw: L"SOFTWARE\..."). ASCII only.
template <std::size_t N>
struct TKey {
    char Path[N + 1] = {};
    wchar_t Raw[N] = {};
    constexpr TKey(const char (&raw)[N]) {
        Path[0] = '\\';
        for (std::size_t i = 0; i < N; ++i) {
            Path[i + 1] = raw[i];
            Raw[i] = static_cast<wchar_t>(raw[i]);
        }
    }
};

// HKEY_LOCAL_MACHINE.
inline constexpr TKey EngineKey{"SOFTWARE\\Borland\\Database Engine"};
inline constexpr TKey OdbcSourcesKey{"SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources"};
inline constexpr TKey OdbcIniKey{"SOFTWARE\\ODBC\\ODBC.INI"};  // one subkey per data source
inline constexpr TKey OdbcDriversKey{"SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Drivers"};
inline constexpr TKey OdbcDriverKey{"SOFTWARE\\ODBC\\ODBCINST.INI\\SQL Native Client"};
inline constexpr TKey OracleKey{"SOFTWARE\\ORACLE"};  // one subkey per client home
// HKEY_CURRENT_USER: the wizard's remembered choices.
inline constexpr TKey SettingsKey{"software\\Veltra\\Zentor"};

// The seven module aliases, in the order the apply writes them, after the
// version prefix ("X ").
inline std::vector<std::string> ModuleAliases(const std::string& prefix = "") {
    std::vector<std::string> names;
    for (const char* module : {"Veltra- Ochrona", "Veltra- RN", "Veltra- RN- Faktury", "Veltra- RN- Magistr",
                               "Veltra- RN- Odbiorcy", "Veltra- RN- Odczyty", "Veltra- RN- Liczniki"})
        names.push_back(prefix + module);
    return names;
}

// The alias templates as the form's Database1 (SQL Server) and DatabaseOracle
// carry them; an alias receives every line, its own values filled in.
inline const std::vector<std::string> SqlServerParams = {
    "DATABASE NAME=", "USER NAME=", "ODBC DSN=", "OPEN MODE=READ/WRITE", "BATCH COUNT=200", "LANGDRIVER=anpolish",
    "MAX ROWS=-1", "SCHEMA CACHE DIR=", "SCHEMA CACHE SIZE=8", "SCHEMA CACHE TIME=-1",
    "SQLPASSTHRU MODE=SHARED AUTOCOMMIT", "SQLQRYMODE=", "ENABLE SCHEMA CACHE=FALSE", "ENABLE BCD=FALSE",
    "ROWSET SIZE=20", "BLOBS TO CACHE=64", "BLOB SIZE=32"};
inline const std::vector<std::string> OracleParams = {
    "SERVER NAME=", "USER NAME=", "NET PROTOCOL=TNS", "OPEN MODE=READ/WRITE", "SCHEMA CACHE SIZE=8",
    "LANGDRIVER=anpolish", "SQLQRYMODE=", "SQLPASSTHRU MODE=SHARED AUTOCOMMIT", "SCHEMA CACHE TIME=-1",
    "MAX ROWS=-1", "BATCH COUNT=200", "ENABLE SCHEMA CACHE=FALSE", "SCHEMA CACHE DIR=", "ENABLE BCD=FALSE",
    "ENABLE INTEGERS=TRUE", "LIST SYNONYMS=NONE", "ROWSET SIZE=20", "BLOBS TO CACHE=64", "BLOB SIZE=32",
    "OBJECT MODE=TRUE"};

// A template with some of its empty lines given values: {{"USER NAME", "sa"}}.
inline std::vector<std::string> Filled(std::vector<std::string> params,
                                       std::initializer_list<std::pair<std::string, std::string>> values) {
    for (const auto& [name, value] : values)
        for (std::string& line : params)
            if (line == name + "=") line += value;
    return params;
}

}  // namespace expected
