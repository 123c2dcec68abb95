#pragma once
// The real window of a form: every control of the component tree as a
// Win32 window, scaled from the 104 dpi design to the screen's dpi, with the
// message loop that runs it (IsDialogMessage: Tab order, Enter presses the
// enabled default button, Esc does nothing).
#include <windows.h>

#include <memory>

#include "ui/Forms.h"

class TWindowTree;

class TWin32Form {
public:
    // Creates the windows hidden, showing the controls' present state; the
    // window appears when the form is shown (TForm::Show).
    explicit TWin32Form(TForm& form);
    ~TWin32Form();
    TWin32Form(const TWin32Form&) = delete;
    TWin32Form& operator=(const TWin32Form&) = delete;

    HWND Handle() const;
    // The window of a control (created now when its page has not shown
    // yet), or null when it has none.
    HWND HandleOf(const TControl& control) const;

    // One message as the loop handles it: dialog keys first.
    void Dispatch(MSG& message);
    // Handles the messages already queued, without waiting. False when a
    // WM_QUIT was among them (it is posted again for the loop).
    bool ProcessMessages();
    // Runs the message loop until the application terminates (the main
    // form closed); returns the exit code.
    int Run();

private:
    TForm& form_;
    std::unique_ptr<TWindowTree> tree_;
};
