// No exception leaves a window procedure or a subclass procedure: whatever
// a handler throws, for every kind of message that runs handlers, ends in
// the error box, the window goes on, and nothing reaches the code that sent
// the message.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/RecordingViews.h"
#include "base/Exception.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"
#include "ui/win32/Win32Form.h"
#include "win32/UiWindowSupport.h"

using namespace uiwin;

namespace {

class TBoundaryForm : public TForm {
public:
    explicit TBoundaryForm(TApplication& application) : TForm(application) {
        SetCaption("Granice");
        SetClientSize(300, 120);
        Place(Name, 10, 10, 120, 22);
        Place(Choice, 140, 10, 120, 22);
        Place(Option, 10, 40, 120, 18);
        Place(Sound, 10, 80, 80, 26);
        Place(Next, 160, 80, 80, 26);
        Choice.Items().Assign(std::vector<std::string>{"Jeden", "Dwa"});
        Option.SetText("Opcja");
        Next.SetText("Dalej");
        Next.SetDefault(true);
    }

    TEdit Name;
    TComboBox Choice;
    TCheckBox Option;
    TButton Sound;
    TButton Next;

private:
    void Place(TControl& control, int left, int top, int width, int height) {
        control.SetParent(this);
        control.SetBounds(left, top, width, height);
    }
};

// An error box that fails itself.
class TFailingMessageBox : public TMessageBoxView {
public:
    void ShowError(const std::string&, const std::string& text) override {
        Shown.push_back(text);
        throw std::runtime_error("pole komunikatu");
    }
    std::vector<std::string> Shown;
};

struct BoundaryCase {
    const char* Name;
    // Makes one handler throw.
    void (*Arm)(TBoundaryForm&);
    // The user's action, as window messages.
    void (*Act)(TBoundaryForm&, TWin32Form&);
    const char* Shown;
};

void ThrowException(TObject&) { throw Exception("Błąd obsługi"); }
void ThrowRuntimeError(TObject&) { throw std::runtime_error("zwykły błąd."); }
void ThrowNumber(TObject&) { throw 42; }

// Sent to the form and handled before the action returns.
void SendToForm(TWin32Form& window, UINT message, WPARAM w) {
    SendMessageW(window.Handle(), message, w, 0);
    window.ProcessMessages();
}

// clang-format off
const BoundaryCase Cases[] = {
    {"ButtonClick", [](TBoundaryForm& form) { form.Next.OnClick = ThrowException; },
     [](TBoundaryForm& form, TWin32Form& window) { Click(window, window.HandleOf(form.Next)); }, "Błąd obsługi."},
    {"EnterPressesTheDefaultButton", [](TBoundaryForm& form) { form.Next.OnClick = ThrowNumber; },
     [](TBoundaryForm&, TWin32Form& window) { SendToForm(window, WM_COMMAND, IDOK); }, "Nieznany błąd."},
    {"CheckBoxClick", [](TBoundaryForm& form) { form.Option.OnClick = ThrowRuntimeError; },
     [](TBoundaryForm& form, TWin32Form& window) { Click(window, window.HandleOf(form.Option)); }, "zwykły błąd."},
    {"ComboBoxOpens", [](TBoundaryForm& form) { form.Choice.OnDropDown = ThrowException; },
     [](TBoundaryForm& form, TWin32Form& window) {
         for (const BOOL show : {TRUE, FALSE}) SendMessageW(window.HandleOf(form.Choice), CB_SHOWDROPDOWN, show, 0);
         window.ProcessMessages();
     },
     "Błąd obsługi."},
    // Each time a text that differs, so that it is a change.
    {"TypingIntoTheEditsSubclassedWindow", [](TBoundaryForm& form) { form.Name.OnChange = ThrowException; },
     [](TBoundaryForm& form, TWin32Form& window) {
         Type(window, window.HandleOf(form.Name), form.Name.Text() == "x" ? L"y" : L"x");
     },
     "Błąd obsługi."},
    {"CloseBox", [](TBoundaryForm& form) { form.OnClose = ThrowRuntimeError; },
     [](TBoundaryForm&, TWin32Form& window) { SendToForm(window, WM_SYSCOMMAND, SC_CLOSE); }, "zwykły błąd."},
};
// clang-format on

class WindowBoundary : public ::testing::TestWithParam<BoundaryCase> {
protected:
    WindowBoundary() {
        Application.SetTitle("Granice");
        Application.SetMessageBoxView(&ErrorBox);
        Window = std::make_unique<TWin32Form>(Form);
        Form.Show();
        Window->ProcessMessages();
        Form.Sound.OnClick = [this](TObject&) { ++SoundClicks; };
    }

    TRecordingMessageBox ErrorBox;
    TApplication Application;
    TBoundaryForm Form{Application};
    std::unique_ptr<TWin32Form> Window;
    int SoundClicks = 0;
};

TEST_P(WindowBoundary, TheErrorEndsInTheErrorBoxAndTheWindowGoesOn) {
    const BoundaryCase& c = GetParam();
    c.Arm(Form);
    EXPECT_NO_THROW(c.Act(Form, *Window));
    ASSERT_EQ(ErrorBox.Shown.size(), 1u);
    EXPECT_EQ(ErrorBox.Shown[0].first, "Granice");
    EXPECT_EQ(ErrorBox.Shown[0].second, c.Shown);
    EXPECT_TRUE(IsWindowVisible(Window->Handle()));

    // A failing error box is swallowed at the boundary too.
    TFailingMessageBox failing;
    Application.SetMessageBoxView(&failing);
    EXPECT_NO_THROW(c.Act(Form, *Window));
    EXPECT_EQ(failing.Shown, std::vector<std::string>{c.Shown});

    Click(*Window, Window->HandleOf(Form.Sound));
    EXPECT_EQ(SoundClicks, 1);
}

INSTANTIATE_TEST_SUITE_P(Messages, WindowBoundary, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<BoundaryCase>& info) { return std::string(info.param.Name); });

}  // namespace
