#pragma once
// The application object's views on Win32: the error box and the cursor.
#include "ui/Forms.h"

// MessageBoxW with the application's title, the error icon and one OK
// button, modal to the active window.
class TWin32MessageBox : public TMessageBoxView {
public:
    void ShowError(const std::string& caption, const std::string& text) override;
};

// The hourglass while a long handler runs; the form's window keeps it up
// while the mouse moves (WM_SETCURSOR) and the arrow comes back at the end.
class TWin32Screen : public TScreenView {
public:
    void CursorChanged(TCursor cursor) override;
};
