// The apply's two Oracle writers: the client settings in sqlnet.ora and the
// chosen service's entry in tnsnames.ora, each logged when written.
#include <string>
#include <vector>

#include "oracle/NetFileText.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "wizard/Unit2.h"

namespace {
void LogFile(TMemo& status, bool existed, const std::string& path) {
    status.Lines().Add(existed ? "  Zmodyfikowano plik" : "  Utworzono plik");
    status.Lines().Add("     \"" + path + "\"");
    status.Lines().Add("");
}
}  // namespace

// Written only when a setting was missing; a file that has both stays untouched.
void TForm2::UpdateSqlNetFile() {
    const std::string path = NetAdminDir + "sqlnet.ora";
    const bool existed = Platform.Files.FileExists(path);
    std::vector<std::string> lines;
    if (existed) lines = Platform.Files.ReadLines(path);
    bool changed = false;
    changed |= EnsureSqlNetItem(lines, "SQLNET.AUTHENTICATION_SERVICES", "NTS");
    changed |= EnsureSqlNetItem(lines, "NAMES.DIRECTORY_PATH", "TNSNAMES");
    if (!changed) return;
    Platform.Files.WriteLines(path, lines);
    LogFile(MemoStatus, existed, path);
}

// The lines loaded with the page are edited, not the file as it is now.
void TForm2::SaveNetServiceEntry() {
    if (!ServiceTableEdited) return;
    const bool existed = TnsNamesLines.Count() > 0;
    const TNetServiceEntry entry{ComboBoxOracleServer.Text(), ClientDataSet1ADDR_ADDR_PROT().AsString(),
                                 ClientDataSet1ADDR_ADDR_HOST().AsString(), ClientDataSet1ADDR_ADDR_PORT().AsString(),
                                 ClientDataSet1CONN_SERV().AsString()};
    ReplaceServiceEntry(TnsNamesLines.Lines(), entry);
    const std::string path = NetAdminDir + "tnsnames.ora";
    Platform.Files.WriteLines(path, TnsNamesLines.Lines());
    LogFile(MemoStatus, existed, path);
}
