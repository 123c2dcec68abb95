#include "ui/win32/Win32Views.h"

#include <windows.h>

#include "platform/win32/WideText.h"

void TWin32MessageBox::ShowError(const std::string& caption, const std::string& text) {
    MessageBoxW(GetActiveWindow(), Utf8ToWide(text).c_str(), Utf8ToWide(caption).c_str(), MB_ICONERROR | MB_OK);
}

void TWin32Screen::CursorChanged(TCursor cursor) {
    SetCursor(LoadCursorW(nullptr, cursor == crHourGlass ? IDC_WAIT : IDC_ARROW));
}
