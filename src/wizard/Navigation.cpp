// The two paths through the wizard pages and the buttons that move along
// them. The position is the current page of PageControl1; the path is read
// from the server group at every step.
#include <algorithm>

#include "wizard/Unit2.h"

namespace {
// SQL Server: pages 0, 1, 3, 5. Oracle, or no server chosen: 0, 2, 4, 6.
bool SqlServerPath(const TRadioGroup& server) { return server.ItemIndex() == 0; }
}  // namespace

void TForm2::UpdateNavigationButtons() {
    const int i = PageControl1.ActivePageIndex();
    const int n = PageControl1.PageCount();
    const int k = SqlServerPath(RadioGroupSerwer) ? 2 : 1;
    ButtonWstecz.SetEnabled(i > 0);
    ButtonDalej.SetEnabled(i < n - k);
    ButtonWykonaj.SetEnabled(i == n - k);
}

// A refused service entry ends the click here: the page stays. A pending
// entry is stored under the service name in the box; a refusal raises the
// table's message and leaves the entry pending.
void TForm2::ButtonDalejClick(TObject&) {
    if (PageControl1.ActivePage() == &TabSheet2Oracle) CheckNetServiceEntry();
    if (ClientDataSet1.Pending()) {
        ClientDataSet1Name().SetAsString(ComboBoxOracleServer.Text());
        ClientDataSet1.Post();
    }
    const int i = PageControl1.ActivePageIndex();
    const int step = SqlServerPath(RadioGroupSerwer) && i == 0 ? 1 : 2;
    PageControl1.SetActivePageIndex(i + step);
    UpdateNavigationButtons();
}

// The pending entry is dropped only after the earlier page has shown.
void TForm2::ButtonWsteczClick(TObject&) {
    PageControl1.SetActivePageIndex(std::max(PageControl1.ActivePageIndex() - 2, 0));
    UpdateNavigationButtons();
    if (ClientDataSet1.Pending()) ClientDataSet1.Cancel();
}
