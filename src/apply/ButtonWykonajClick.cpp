// "Wykonaj": writes the whole configuration in one run and logs every step.
// Nothing is caught: an error ends the run before the configuration file is
// saved, and the wizard page stays in front.
#include "engine/Session.h"
#include "wizard/Unit2.h"

void TForm2::ButtonWykonajClick(TObject&) {
    MemoStatus.Lines().Clear();
    MemoStatus.Lines().Add("Konfiguracja została utworzona!");
    MemoStatus.Lines().Add("");

    TStringList existingAliases;
    Session.GetAliasNames(existingAliases);
    AddNetAlias(existingAliases);
    if (RadioGroupSerwer.ItemIndex() == 0)
        ApplySqlServer(existingAliases);
    else
        ApplyOracle(existingAliases);

    Session.SaveConfigFile();
    PageControl2.SetActivePageIndex(1);
}
