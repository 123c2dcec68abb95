// The database page's lists: the user databases of the chosen server, read
// through a temporary data source that exists only while a list is built.
// The listing doubles as a connection test and stays silent when it fails.
#include <exception>
#include <string>

#include "mssql/OdbcKeys.h"
#include "wizard/Unit2.h"

void TForm2::ComboBoxBazaDropDown(TObject& Sender) {
    auto* box = dynamic_cast<TComboBox*>(&Sender);
    if (!box) return;
    TWaitCursor wait(Application().Screen());
    TComboBox& combo = *box;
    combo.Items().Clear();
    const bool windowsLogin = CheckBoxWindows.Checked();
    const std::string server = ComboBoxServer.Text();

    const bool created = CreateTempDataSource(odbc::TempSourceName, server, windowsLogin);
    // From here on the temporary data source goes away on every way out.
    struct TRemoval {
        TForm2& Form;
        ~TRemoval() {
            try {
                Form.RemoveOdbcDataSource(odbc::TempSourceName);
            } catch (...) {
                // Nothing is reported, as a missing entry is not.
            }
        }
    } removal{*this};
    if (!created) return;

    Database2.Close();
    Database2.Params.SetValue("ODBC DSN", odbc::TempSourceName);
    if (CheckBoxWindows.Checked()) {
        Database2.Params.SetValue("USER NAME", "dbo");
    } else {
        Database2.Params.SetValue("USER NAME", "veltra");
        Database2.Params.SetValue("password", "m.n.p. darvel");
    }

    // Names read before a failure stay in the list.
    try {
        for (Query1.Open(); !Query1.Eof(); Query1.Next()) combo.Items().Add(Query1.FieldByName("name"));
    } catch (const std::exception&) {
    }
    Query1.Close();
}
