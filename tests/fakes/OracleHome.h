#pragma once
// An Oracle client home registered on a fake workstation, with its network
// folder and, when given, a tnsnames.ora of the given bytes.
#include <string>

#include "fakes/WizardHarness.h"
#include "shared/Expected.h"

struct OracleHomeSeed {
    std::string Subkey = "KEY_OraClient10g_home1";
    std::string Name = "OraClient10g_home1";
    std::string Folder = "C:\\oracle\\client_1";
};

inline std::string SeedOracleHome(WizardWorkstation& ws, const OracleHomeSeed& home, const std::string* tnsnames) {
    const std::string key = std::string(expected::OracleKey.Path) + "\\" + home.Subkey;
    ws.Registry.SetString(reg::HKeyLocalMachine, key, "ORACLE_HOME", home.Folder);
    ws.Registry.SetString(reg::HKeyLocalMachine, key, "ORACLE_HOME_NAME", home.Name);
    const std::string admin = home.Folder + "\\NETWORK\\ADMIN\\";
    ws.Files.AddFolder(admin);
    if (tnsnames) ws.Files.AddFile(admin + "tnsnames.ora", *tnsnames);
    return admin;
}

// One entry in the layout the wizard writes, CR LF ended.
inline const std::string& OneServiceFile() {
    static const std::string text =
        "XE.SERWER =\r\n  (DESCRIPTION =\r\n    (ADDRESS_LIST =\r\n"
        "      (ADDRESS = (PROTOCOL = TCP)(HOST = serwer)(PORT = 1521))\r\n    )\r\n"
        "    (CONNECT_DATA =\r\n      (SERVICE_NAME = XE)\r\n    )\r\n  )\r\n";
    return text;
}
