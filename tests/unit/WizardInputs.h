#pragma once
// The user's inputs to the wizard as values, so that a suite states an input
// sequence and what it records in one table row, and a recorder that runs the
// sequence and writes down what the wizard shows after each input.
#include <functional>
#include <string>
#include <vector>

#include "fakes/WizardHarness.h"

using TInput = std::function<void(WizardWorkstation&)>;
using TObserve = std::function<std::string(const TForm2&)>;

namespace input {

// A user action, run as the message loop runs it: an error goes to the box.
inline TInput Do(std::function<void(TForm2&)> action) {
    return [action](WizardWorkstation& ws) { ws.User([&] { action(ws.Form()); }); };
}

inline const TInput Dalej = Do([](TForm2& f) { f.ButtonDalej.Click(); });
inline const TInput Wstecz = Do([](TForm2& f) { f.ButtonWstecz.Click(); });
inline const TInput Kopia = Do([](TForm2& f) { f.CheckBoxKopia.UserToggle(); });
inline TInput Serwer(int index) { return Do([index](TForm2& f) { f.RadioGroupSerwer.UserSelect(index); }); }
inline TInput Wersja(int index) { return Do([index](TForm2& f) { f.RadioGroupWersja.UserSelect(index); }); }
template <class TBox>
TInput Type(TBox TForm2::*box, std::string text) {
    return Do([box, text](TForm2& f) { (f.*box).UserType(text); });
}
// Something the world does meanwhile, not the user.
inline TInput World(std::function<void(WizardWorkstation&)> change) { return change; }

}  // namespace input

// Where the wizard stands: the page and its three buttons enabled or not
// ("page 5 [W-X]"), or "status" once the status page shows.
inline std::string Where(const TForm2& form) {
    if (form.PageControl2.ActivePage() != &form.TabSheet4) return "status";
    return "page " + std::to_string(form.PageControl1.ActivePageIndex()) + " [" +
           (form.ButtonWstecz.Enabled() ? "W" : "-") + (form.ButtonDalej.Enabled() ? "D" : "-") +
           (form.ButtonWykonaj.Enabled() ? "X" : "-") + "]";
}

// Runs the inputs in order; after each writes `observe` on the tape, then
// "! text" for each error the box showed meanwhile. Handlers the suite hooks
// in may write on the same tape while an input runs.
inline void RecordInto(std::vector<std::string>& tape, WizardWorkstation& ws, const std::vector<TInput>& inputs,
                       const TObserve& observe = Where) {
    for (const TInput& in : inputs) {
        ws.ClearErrors();
        in(ws);
        tape.push_back(observe(ws.Form()));
        for (const std::string& text : ws.Errors()) tape.push_back("! " + text);
    }
    ws.ClearErrors();
}

inline std::vector<std::string> Record(WizardWorkstation& ws, const std::vector<TInput>& inputs,
                                       const TObserve& observe = Where) {
    std::vector<std::string> tape;
    RecordInto(tape, ws, inputs, observe);
    return tape;
}
