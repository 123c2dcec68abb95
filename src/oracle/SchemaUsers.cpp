// The schema-user lists of the last Oracle page, fetched from the server at
// every opening through the Oracle connection component.
#include <exception>
#include <string>

#include "wizard/Unit2.h"

namespace {
// Closes the query on every way out of the row loop.
struct TQueryCloser {
    TQuery& Query;
    ~TQueryCloser() { Query.Close(); }
};
}  // namespace

// Opening the list is silent when the server cannot be reached; an error
// while reading the rows is not, and leaves the rows read so far.
void TForm2::ComboBoxUserDropDown(TObject&) {
    DatabaseOracle.Params.SetValue("SERVER NAME", ComboBoxOracleServer.Text());
    DatabaseOracle.Params.SetValue("USER NAME", "sysveltra");
    DatabaseOracle.Params.SetValue("password", "mnpdarvel");
    ComboBoxUserOchrona.Items().Clear();
    try {
        Query2.Open();
    } catch (const std::exception&) {
        return;
    }
    TQueryCloser closer{Query2};
    for (; !Query2.Eof(); Query2.Next()) ComboBoxUserOchrona.Items().Add(Query2USERNAME.AsString());
    const auto users = ComboBoxUserOchrona.Items().ToVector();
    ComboBoxUserRN.Items().Assign(users);
    ComboBoxUserLiczniki.Items().Assign(users);
}
