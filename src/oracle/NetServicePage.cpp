// The net service page: the chosen home's names file loaded into the service
// table, the entry the service-name box names, and the edited mark.
#include <string>
#include <vector>

#include "base/Exception.h"
#include "base/Text.h"
#include "engine/Session.h"
#include "oracle/NetFileText.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "wizard/Unit2.h"

void TForm2::TabSheet2OracleShow(TObject&) {
    NetAdminDir = EditFolderHome.Text() + "\\NETWORK\\ADMIN\\";
    TnsNamesLines.Clear();
    TnsNamesRead = false;
    // Cleared before the read, so that a load that fails forgets an earlier
    // edit too: refused over the unread file, it would keep the page with
    // nothing new typed.
    ServiceTableEdited = false;
    const std::string names = NetAdminDir + "tnsnames.ora";
    if (Platform.Files.FileExistsChecked(names)) TnsNamesLines.Lines() = Platform.Files.ReadLines(names);
    TnsNamesRead = true;
    const std::vector<std::string> entryTexts = JoinEntryTexts(TnsNamesLines.Lines());
    std::vector<std::string> serviceNames;
    {
        // The page's edits show the record the service name picks, below.
        const TControlsDisabled quiet(ClientDataSet1);
        ParseServiceEntries(entryTexts);
        TField& name = ClientDataSet1Name();
        for (ClientDataSet1.First(); !ClientDataSet1.Eof(); ClientDataSet1.Next()) serviceNames.push_back(name.AsString());
    }

    if (!serviceNames.empty()) ComboBoxOracleServer.SetText(serviceNames.front());
    // In one go: the window's list is refilled on every change of the items.
    ComboBoxOracleServer.Items().Assign(serviceNames);

    if (TabSheet2Oracle.Tag() != 1) {
        TabSheet2Oracle.SetTag(1);
        TStringList aliases;
        Session.GetAliasNames(aliases);
        const std::string main = AliasPrefix + "Veltra- " + "RN";
        if (aliases.IndexOf(main) >= 0) {
            TStringList params;
            Session.GetAliasParams(main, params);
            const std::string server = params.Values("SERVER NAME");
            if (!server.empty()) ComboBoxOracleServer.SetText(UpperCase(server));
        }
    }
    ComboBoxOracleServerChange(*this);
}

// An entry the table refuses (no host read, a repeated name) is left out and
// the load goes on: real files hold entries in forms the table cannot keep.
void TForm2::ParseServiceEntries(const std::vector<std::string>& entryTexts) {
    ClientDataSet1.EmptyDataSet();
    TField* const fields[] = {&ClientDataSet1Name(), &ClientDataSet1ADDR_ADDR_PROT(), &ClientDataSet1ADDR_ADDR_HOST(),
                              &ClientDataSet1ADDR_ADDR_PORT(), &ClientDataSet1CONN_SERV()};
    for (const std::string& item : entryTexts) {
        // The new entry's defaults stand wherever the text names nothing.
        ClientDataSet1.Append();
        TNetServiceEntry entry{"", fields[1]->AsString(), fields[2]->AsString(), fields[3]->AsString(),
                               fields[4]->AsString()};
        if (!ReadServiceEntry(item, entry)) {
            ClientDataSet1.Cancel();
            continue;
        }
        const std::string* values[] = {&entry.Name, &entry.Protocol, &entry.Host, &entry.Port, &entry.Service};
        for (int i = 0; i < 5; ++i) fields[i]->SetAsString(*values[i]);
        try {
            ClientDataSet1.Post();
        } catch (const Exception&) {
            ClientDataSet1.Cancel();
        }
    }
}

void TForm2::ComboBoxOracleServerChange(TObject&) {
    if (ClientDataSet1.Pending()) ClientDataSet1.Cancel();
    if (!ClientDataSet1.Locate("Name", ComboBoxOracleServer.Text())) ClientDataSet1.Append();
}

void TForm2::ClientDataSet1NewRecord(TObject&) {
    ClientDataSet1ADDR_ADDR_PROT().SetAsString("TCP");
    ClientDataSet1ADDR_ADDR_PORT().SetAsString("1521");
    ClientDataSet1CONN_SERV().SetAsString("XE");
}

void TForm2::ClientDataSet1AfterEdit(TObject&) { ServiceTableEdited = true; }

// A new entry never enters editing, so typing into it marks the table here.
void TForm2::DBEditChange(TObject&) { ServiceTableEdited = true; }

// The service name and the fields go into the names file and the aliases as
// they are: refuse what would break either before anything is stored.
void TForm2::CheckNetServiceEntry() {
    if (BreaksNetFile(ComboBoxOracleServer.Text(), false))
        throw Exception(
            "Nazwa serwisu Oracle nie może zawierać spacji, przecinków, znaków sterujących, znaków = ( ) # ani cudzysłowu");
    if (!ServiceTableEdited) return;
    // The entry would be written into the lines loaded with the page: over a
    // file that could not be read, that would lose every other entry.
    if (!TnsNamesRead)
        throw Exception(Format("Plik \"%s\" nie został wczytany, więc nie można zapisać w nim wpisu serwisu bez utraty "
                               "pozostałych wpisów",
                               {NetAdminDir + "tnsnames.ora"}));
    for (TField* field : {&ClientDataSet1ADDR_ADDR_PROT(), &ClientDataSet1ADDR_ADDR_HOST(),
                          &ClientDataSet1ADDR_ADDR_PORT(), &ClientDataSet1CONN_SERV()})
        if (BreaksNetFile(field->AsString(), true))
            throw Exception(Format("Pole '%s' nie może zawierać znaków sterujących, znaków = ( ) # ani cudzysłowu",
                                   {field->DisplayLabel()}));
}
