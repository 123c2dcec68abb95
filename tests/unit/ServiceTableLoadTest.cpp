// A names file of many entries reaches the page's controls once, not once per
// entry: the window refills its whole list on every change of the items.
#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/OracleHome.h"
#include "fakes/RecordingViews.h"
#include "fakes/WizardHarness.h"

namespace {

TEST(ServiceTableLoad, ControlsHearOfAWholeFileOnceAndShowTheChosenEntry) {
    constexpr int kEntries = 60;
    std::string names;
    for (int i = kEntries; i-- > 0;)
        names += "S" + std::to_string(i) + "=(DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=TCP)(HOST=h" +
                 std::to_string(i) + ")(PORT=1521))))\r\n";
    WizardWorkstation ws;
    SeedOracleHome(ws, {}, &names);
    ws.StoreChoice("Server", 1);
    TForm2& form = ws.Open();
    TRecordingPeer peer;
    peer.Watch({&form.ComboBoxOracleServer, &form.DBEdit2});
    form.ButtonDalej.Click();
    form.ButtonDalej.Click();

    ASSERT_EQ(form.ClientDataSet1.RecordCount(), kEntries);
    const auto changes = [&](TControl& control, TChange change) {
        const auto all = peer.ChangesOf(control);
        return std::count(all.begin(), all.end(), change);
    };
    EXPECT_EQ(changes(form.ComboBoxOracleServer, TChange::Items), 1);
    EXPECT_LE(changes(form.DBEdit2, TChange::Text), 2);
    // Key order without regard to case: "S0" < "S1" < "S10"...
    EXPECT_EQ(form.ComboBoxOracleServer.Items().Count(), kEntries);
    EXPECT_EQ(form.ComboBoxOracleServer.Text(), "S0");
    EXPECT_EQ(form.DBEdit2.Text(), "h0");
}

}  // namespace
