// Creating and showing the form.
#include "engine/Session.h"
#include "wizard/Unit2.h"

// An error here goes to the error box (TForm::DoCreate) and skips the rest:
// when the engine cannot start, the service table is not created.
void TForm2::FormCreate(TObject&) {
    TnsNamesLines.Clear();
    Session.SetConfigMode(cmPersistent);
    AliasPrefix = "X ";
    ClientDataSet1.CreateDataSet();
}

// Page 0 of the wizard becomes visible here, whatever was current before;
// its show handler runs once, at whichever switch makes it visible.
void TForm2::FormShow(TObject&) {
    PageControl1.SetActivePageIndex(0);
    PageControl2.SetActivePageIndex(0);
    UpdateNavigationButtons();
    RadioGroupWersjaClick(*this);
}
