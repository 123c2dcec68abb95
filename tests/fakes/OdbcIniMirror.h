#pragma once
// A registry for the suites that run the real unixODBC driver manager: the
// fake registry, with every write mirrored from
// HKEY_LOCAL_MACHINE\SOFTWARE\ODBC\ODBC.INI into the odbc.ini that unixODBC
// reads (ODBCINI), so a data source the wizard writes is the one it opens.
// The stand-in server is a SQLite file: the SQLite driver opens the file its
// "Database" entry names, which the mirror takes from the data source's "Server".
#include <memory>
#include <string>

#include "fakes/FakeRegistry.h"

class OdbcIniMirror : public TRegistryFactory {
public:
    OdbcIniMirror(FakeRegistryFactory& registry, std::string iniPath);
    std::unique_ptr<TRegistry> Create(std::uint32_t access) override;
    // Rewrites odbc.ini from the registry as it is now.
    void Sync() const;

private:
    FakeRegistryFactory& registry_;
    std::string iniPath_;
};
