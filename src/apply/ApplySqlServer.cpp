// The SQL Server branch of the apply: the ODBC data source, then the seven
// module aliases on it from the template Database1.
#include "apply/ModuleAliases.h"
#include "wizard/Unit2.h"

void TForm2::ApplySqlServer(const TStringList& existingAliases) {
    const std::string dataSource = ComboBoxNazwaZrodla.Text();
    SetupOdbcDataSource(dataSource, ComboBoxServer.Text(), CheckBoxWindows.Checked());
    MemoStatus.Lines().Add(" Zmodyfikowano konfigurację BDE.");

    Database1.Params.SetValue("DATABASE NAME", ComboBoxBaza.Text());
    Database1.Params.SetValue("USER NAME", CheckBoxWindows.Checked() ? "dbo" : "veltra");
    Database1.Params.SetValue("ODBC DSN", dataSource);
    for (std::size_t i = 0; i < modules::Liczniki; ++i)
        WriteAlias(AliasPrefix + modules::AliasNames[i], existingAliases, Database1);

    // The meter data may live in a database of their own.
    if (!ComboBoxBazaLiczniki.Text().empty()) Database1.Params.SetValue("DATABASE NAME", ComboBoxBazaLiczniki.Text());
    WriteAlias(AliasPrefix + modules::AliasNames[modules::Liczniki], existingAliases, Database1);
}
