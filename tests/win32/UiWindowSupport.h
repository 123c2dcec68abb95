#pragma once
// Helpers of the window suites: find windows, act on them as a user would
// (button clicks, keys through the program's own message loop), read them.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/WideText.h"
#include "ui/win32/Win32Form.h"
#include "ui/win32/Win32Graphics.h"

namespace uiwin {

// A Unix path as Wine shows it, on drive Z:.
inline std::string WinePath(const std::string& unixPath) {
    std::string path = unixPath[0] == '/' ? "Z:" + unixPath : unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

#ifdef PROGRAM_EXE
// The built executable, as the build machine names it.
inline std::wstring ProgramPath() { return Utf8ToWide(WinePath(PROGRAM_EXE)); }
#endif

inline std::wstring TextOf(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

inline std::wstring ClassOf(HWND hwnd) {
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    return name;
}

// Every window inside `root`, parents before their children, in Z order.
inline std::vector<HWND> Descendants(HWND root) {
    std::vector<HWND> result;
    for (HWND child = GetWindow(root, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        result.push_back(child);
        for (HWND inner : Descendants(child)) result.push_back(inner);
    }
    return result;
}

// The window of that class and text inside `root`, or null.
inline HWND Find(HWND root, const wchar_t* className, const std::wstring& text) {
    for (HWND hwnd : Descendants(root))
        if (_wcsicmp(ClassOf(hwnd).c_str(), className) == 0 && TextOf(hwnd) == text) return hwnd;
    return nullptr;
}

// A click on a button as the user's would arrive, then the queue.
inline void Click(TWin32Form& window, HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
    window.ProcessMessages();
}

// A key pressed after the user put the focus on `target` (a combo box
// hands it to its edit): it goes to the focused window through the
// program's own message loop.
inline void PressKey(TWin32Form& window, HWND target, WPARAM key) {
    SetFocus(target);
    HWND focus = GetFocus() ? GetFocus() : target;
    const UINT scan = MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
    PostMessageW(focus, WM_KEYDOWN, key, static_cast<LPARAM>(1 | (scan << 16)));
    PostMessageW(focus, WM_KEYUP, key, static_cast<LPARAM>(1 | (scan << 16) | (3u << 30)));
    window.ProcessMessages();
}

// Typing over the whole text of an edit, one character at a time, as the
// keyboard would; the edit's own length limit applies.
inline void Type(TWin32Form& window, HWND edit, const std::wstring& text) {
    SendMessageW(edit, EM_SETSEL, 0, -1);
    for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
    window.ProcessMessages();
}

// A window's rectangle in the client coordinates of `root`.
inline RECT RectIn(HWND root, HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, root, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline int ScreenDpiOfTest() { return GetDeviceCaps(TWindowDC().get(), LOGPIXELSY); }

inline LOGFONTW FontOf(HWND hwnd) {
    LOGFONTW lf{};
    auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    GetObjectW(font, sizeof(lf), &lf);
    return lf;
}

// What the parent's WM_CTLCOLOR* answer gives a control: text colour,
// background colour (the brush's).
struct Colours {
    COLORREF Text;
    COLORREF Brush;
};

inline Colours ColoursOf(HWND hwnd, UINT message) {
    const TWindowDC dc(hwnd);
    SetTextColor(dc.get(), RGB(1, 2, 3));
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(GetParent(hwnd), message, reinterpret_cast<WPARAM>(dc.get()), reinterpret_cast<LPARAM>(hwnd)));
    LOGBRUSH lb{};
    GetObjectW(brush, sizeof(lb), &lb);
    return Colours{GetTextColor(dc.get()), lb.lbColor};
}

}  // namespace uiwin
