#include "unattended/FormWalk.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <optional>
#include <utility>

#include "base/Exception.h"
#include "base/Text.h"
#include "unattended/AnswerFile.h"
#include "wizard/Unit2.h"

namespace {

// One user action with the answer's value; a button's step has no answer.
struct TStep {
    TAnswer Answer;
    std::function<void(const std::string& value)> Act;
};
constexpr TAnswer Button = TAnswer::Count;

// A control that did not take the value (not reachable, cut): the form
// would go on with something else than the file says.
void Took(bool took, TAnswer answer) {
    if (!took) throw Exception(Format("Kreator nie przyjął wartości klucza %s", {KeyName(answer)}));
}

TStep Choose(TRadioGroup& group, TAnswer answer, std::vector<std::string> values) {
    return {answer, [&group, answer, values](const std::string& value) {
                const int index = static_cast<int>(std::find(values.begin(), values.end(), value) - values.begin());
                group.UserSelect(index);
                Took(group.ItemIndex() == index, answer);
            }};
}

TStep Check(TCheckBox& box, TAnswer answer) {
    return {answer, [&box, answer](const std::string& value) {
                if (box.Checked() != (value == "tak")) box.UserToggle();
                Took(box.Checked() == (value == "tak"), answer);
            }};
}

template <typename TBox>
TStep Type(TBox& box, TAnswer answer) {
    return {answer, [&box, answer](const std::string& value) {
                box.UserType(value);
                Took(box.Text() == value, answer);
            }};
}

bool SameFolder(std::string a, std::string b) {
    for (std::string* folder : {&a, &b})
        while (!folder->empty() && (folder->back() == '\\' || folder->back() == '/')) folder->pop_back();
    return SameText(a, b);
}

// The list is never opened: the home is picked among the items the page
// put there, by its name, or by the folder that picking it shows.
TStep PickHome(TForm2& form, TAnswer answer) {
    return {answer, [&form, answer](const std::string& value) {
                TComboBox& homes = form.ComboBoxOracleHome;
                const bool byFolder = answer == TAnswer::FolderOracleHome;
                for (int i = 0; i < homes.Items().Count(); ++i) {
                    if (!byFolder && !SameText(homes.Items()[i], value)) continue;
                    homes.UserPick(i);
                    if (!byFolder || SameFolder(form.EditFolderHome.Text(), value)) return;
                }
                throw Exception(Format(byFolder ? "Nie znaleziono Oracle Home w folderze \"%s\""
                                                : "Nie znaleziono Oracle Home o nazwie \"%s\"",
                                       {value}));
            }};
}

// A button that did not move its page control was not there to press.
TStep Press(TButton& button, ::TPageControl& pages) {
    return {Button, [&button, &pages](const std::string&) {
                const int from = pages.ActivePageIndex();
                button.Click();
                if (pages.ActivePageIndex() == from)
                    throw Exception("Przycisk \"" + button.Caption() + "\" nie jest dostępny");
            }};
}

std::vector<TStep> Steps(TForm2& form, bool sqlServer) {
    const TStep next = Press(form.ButtonDalej, form.PageControl1);
    // Page 0 in its Tab order: the version, then the server type, whose
    // change stores both choices.
    std::vector<TStep> steps = {
        Choose(form.RadioGroupWersja, TAnswer::Wersja, {"9", "10"}),
        Choose(form.RadioGroupSerwer, TAnswer::Serwer, {"MSSQL", "Oracle"}),
        Check(form.CheckBoxKopia, TAnswer::BazaTestowa),
        next,
    };
    const std::vector<TStep> path =
        sqlServer ? std::vector<TStep>{Type(form.ComboBoxNazwaZrodla, TAnswer::NazwaZrodlaDanych),
                                       next,
                                       Type(form.ComboBoxServer, TAnswer::NazwaSerwera),
                                       Check(form.CheckBoxWindows, TAnswer::LogowanieWindows),
                                       next,
                                       Type(form.ComboBoxBaza, TAnswer::NazwaBazy),
                                       Type(form.ComboBoxBazaLiczniki, TAnswer::NazwaBazyLiczniki)}
                  : std::vector<TStep>{PickHome(form, TAnswer::NazwaOracleHome),
                                       PickHome(form, TAnswer::FolderOracleHome),
                                       next,
                                       Type(form.ComboBoxOracleServer, TAnswer::NazwaSerwisu),
                                       Type(form.DBEdit1, TAnswer::Protokol),
                                       Type(form.DBEdit2, TAnswer::NazwaLubIPSerwera),
                                       Type(form.DBEdit3, TAnswer::PortSerwera),
                                       Type(form.DBEdit4, TAnswer::NazwaBazySID),
                                       next,
                                       Type(form.ComboBoxUserOchrona, TAnswer::SchematOchrona),
                                       Type(form.ComboBoxUserRN, TAnswer::SchematRondel),
                                       Type(form.ComboBoxUserLiczniki, TAnswer::SchematRondelLiczniki)};
    steps.insert(steps.end(), path.begin(), path.end());
    steps.push_back(Press(form.ButtonWykonaj, form.PageControl2));
    return steps;
}

}  // namespace

bool WalkForm(TForm2& form, const TAnswers& answers, const TMessageLog& shown) {
    // As the message loop does: what escapes a user action goes to the error box.
    const auto user = [&form, &shown](const std::function<void()>& action) {
        try {
            action();
        } catch (...) {
            form.Application().HandleException(std::current_exception());
        }
        return shown.Messages.empty();
    };
    if (!shown.Messages.empty() || !user([&form] { form.Show(); })) return false;
    for (const TStep& step : Steps(form, answers.SqlServer())) {
        const auto& value = step.Answer == Button ? std::optional<std::string>("") : answers.Value(step.Answer);
        // A key the file leaves out leaves the field as the page shows it.
        if (!value) continue;
        if (!user([&step, &value] { step.Act(*value); })) return false;
    }
    return form.PageControl2.ActivePageIndex() == 1;
}
