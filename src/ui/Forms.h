#pragma once
// Form, application object (error box, termination) and screen (cursor).
// Nothing global: the creator (WinMain or a suite) owns one TApplication and
// hands it to the form.
#include <exception>
#include <string>

#include "ui/Controls.h"

// The error box. Win32: MessageBoxW with MB_ICONERROR | MB_OK, modal.
class TMessageBoxView {
public:
    virtual ~TMessageBoxView() = default;
    virtual void ShowError(const std::string& caption, const std::string& text) = 0;
};

enum TCursor { crDefault, crHourGlass };

class TScreenView {
public:
    virtual ~TScreenView() = default;
    virtual void CursorChanged(TCursor cursor) = 0;
};

class TScreen {
public:
    TCursor Cursor() const { return cursor_; }
    // Tells the view when the cursor differs.
    void SetCursor(TCursor cursor);
    void SetView(TScreenView* view) { view_ = view; }

private:
    TCursor cursor_ = crDefault;
    TScreenView* view_ = nullptr;
};

// Shows the hourglass for its lifetime and sets crDefault when it ends, on
// every path out (also when an exception leaves the scope).
class TWaitCursor {
public:
    explicit TWaitCursor(TScreen& screen) : screen_(screen) { screen_.SetCursor(crHourGlass); }
    ~TWaitCursor() { screen_.SetCursor(crDefault); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    TScreen& screen_;
};

class TForm;

class TApplication : public TComponent {
public:
    void SetTitle(std::string title) { title_ = std::move(title); }

    TScreen& Screen() { return screen_; }

    void SetMessageBoxView(TMessageBoxView* view) { messageBox_ = view; }
    // The default error box: caption the title, text the exception's message
    // with a full stop appended when its last byte is above '.' (unsigned, so
    // a UTF-8 letter counts as above). Without a view nothing is shown.
    void HandleException(const std::exception& error);
    // For the message-loop boundary: handles whatever was thrown.
    void HandleException(std::exception_ptr error);
    // The text the error box shows for a message.
    static std::string ErrorBoxText(const std::string& message);

    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* form) { mainForm_ = form; }

    // Ends the program: sets Terminated and fires OnTerminate once (the
    // Win32 layer ends its message loop there).
    void Terminate();
    bool Terminated() const { return terminated_; }
    TNotifyEvent OnTerminate;

private:
    std::string title_;
    TScreen screen_;
    TMessageBoxView* messageBox_ = nullptr;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
};

// A top-level window with a dialog frame, centred on the screen when it
// first shows. Created hidden; Caption is the window title; the client size
// is in pixels at the 104 dpi design. The form's peer gets TChange::Visible
// when it should show or hide its window.
class TForm : public TWinControl {
public:
    explicit TForm(TApplication& application);
    TControlKind Kind() const override { return TControlKind::Form; }

    TApplication& Application() const { return application_; }

    void SetClientSize(int width, int height) { SetBounds(Left(), Top(), width, height); }

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

    // Runs OnCreate. Call once when the derived form's design is complete.
    // An exception from OnCreate goes to Application().HandleException and
    // the form stays usable.
    void DoCreate();
    // Makes the form visible (tab sheets that thereby show fire their OnShow),
    // runs OnShow, and only then tells the peer to show the window, so the
    // window appears with the state the handlers set. Exceptions from
    // handlers propagate; the form is visible all the same.
    void Show();
    // Fires OnClose, hides the form; closing the main form terminates the
    // application.
    void Close();

private:
    TApplication& application_;
};
