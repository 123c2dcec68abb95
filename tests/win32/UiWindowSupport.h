#pragma once
// Helpers of the window suites: find windows, act on them as a user would
// (button clicks, keys through the program's own message loop), read them;
// and the program driven from another process (Program).
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/win32/UniqueHandle.h"
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

// Asked of the window itself: GetWindowText would not ask another process's control.
inline std::wstring TextOf(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
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

// KonfiguracjaBDE.exe driven from another process like a user would: real
// button, key and combo box messages, the message boxes it opens read and
// dismissed, its exit code taken at the end. The suites start it; the demo
// driver takes the one already running.

using Strings = std::vector<std::string>;

inline std::vector<HWND> VisibleOfClass(HWND root, const wchar_t* className) {
    std::vector<HWND> found;
    for (HWND hwnd : Descendants(root))
        if (_wcsicmp(ClassOf(hwnd).c_str(), className) == 0 && IsWindowVisible(hwnd)) found.push_back(hwnd);
    return found;
}

// One run of the program. The constructor returns once the form shows or
// a message box does (an error raised while the form opens comes first).
class Program {
public:
    struct Attach {
        int TenthsToWait;
    };
    explicit Program(const std::wstring& arguments = L"") : started_(true) {
        std::wstring commandLine = L"\"" + ProgramPath() + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return;
        process_.reset(info.hProcess);
        UniqueKernelHandle thread(info.hThread);
        pid_ = info.dwProcessId;
        WaitForInputIdle(process_.get(), 30000);
        for (int waited = 0; waited < 300 && !Form() && !MessageBox() && Alive(); ++waited) Sleep(100);
        Settle();
    }
    // The wizard already running, whoever started it: its visible form,
    // waited for; it is left running at the end.
    explicit Program(Attach attach) : started_(false) {
        for (int waited = 0; !Form() && waited < attach.TenthsToWait; ++waited) Sleep(100);
        if (!Form()) return;
        GetWindowThreadProcessId(form_, &pid_);
        process_.reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid_));
        Settle();
    }
    ~Program() {
        if (!started_ || !Alive()) return;
        if (HWND box = MessageBox()) PostMessageW(box, WM_COMMAND, IDOK, 0);
        if (Close() == STILL_ACTIVE) TerminateProcess(process_.get(), 1);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The program's visible form.
    HWND Form() {
        if (form_ && IsWindow(form_)) return form_;
        for (HWND top = GetTopWindow(nullptr); top; top = GetWindow(top, GW_HWNDNEXT))
            if (OwnedByProgram(top) && ClassOf(top) == L"KonfiguracjaBDE.Form" && IsWindowVisible(top)) return form_ = top;
        return nullptr;
    }
    bool Running() { return Form() && Alive(); }
    bool Ended() const { return WaitForSingleObject(process_.get(), 10000) == WAIT_OBJECT_0; }
    // The form answers a message within `milliseconds`: the program is not hung.
    bool Responds(DWORD milliseconds) { return Answers(Form(), milliseconds); }
    // The close box; the exit code once the process has ended (a crash or
    // an exception that left a window procedure ends it with another code),
    // or STILL_ACTIVE when it does not end.
    DWORD Close() {
        if (HWND form = Form()) PostMessageW(form, WM_CLOSE, 0, 0);
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(process_.get(), 10000) == WAIT_OBJECT_0) GetExitCodeProcess(process_.get(), &code);
        return code;
    }

    // The visible button (or check box, or radio button) of that caption.
    HWND Button(const std::wstring& caption) {
        HWND button = nullptr;
        for (HWND hwnd : VisibleOfClass(Form(), L"Button"))
            if (TextOf(hwnd) == caption) button = hwnd;
        return button;
    }
    // A click on that button, then a wait of up to `tenthsToSettle` for its
    // work or a message box it opens; false when no such button shows.
    bool Click(const std::wstring& caption, int tenthsToSettle = 600) {
        HWND button = Button(caption);
        if (!button) return false;
        // Sent without waiting; a later sent message is handled after it.
        SendNotifyMessageW(button, BM_CLICK, 0, 0);
        for (int waited = 0; waited < tenthsToSettle && IsWindow(form_) && !MessageBox() && !Settled(); ++waited)
            Sleep(100);
        return true;
    }

    // The n-th combo box of the page that shows.
    HWND Combo(std::size_t n) {
        const auto combos = VisibleOfClass(Form(), L"ComboBox");
        return n < combos.size() ? combos[n] : nullptr;
    }
    // Typing over the combo box's text, key by key.
    void Type(HWND combo, const std::wstring& text) { TypeInto(GetWindow(combo, GW_CHILD), text); }
    // The n-th single-line edit of the page that shows, combo boxes' own included.
    HWND Edit(std::size_t n) {
        std::vector<HWND> edits;
        for (HWND hwnd : VisibleOfClass(Form(), L"Edit"))
            if (!(GetWindowLongW(hwnd, GWL_STYLE) & ES_MULTILINE)) edits.push_back(hwnd);
        return n < edits.size() ? edits[n] : nullptr;
    }
    void TypeInto(HWND edit, const std::wstring& text) {
        SendMessageW(edit, EM_SETSEL, 0, -1);
        for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
        Settle();
    }
    // Opens or closes the combo box's list (opening it runs the handler that fills it).
    static void ShowList(HWND combo, bool show) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(combo, CB_SHOWDROPDOWN, show, 0, SMTO_NORMAL, show ? 60000 : 10000, &ignored);
    }
    // Opens and closes the combo box's list; its items as it then shows them.
    Strings DropDown(HWND combo) {
        ShowList(combo, true);
        ShowList(combo, false);
        Strings items;
        const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring item(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
            item.resize(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
            items.push_back(WideToUtf8(item));
        }
        return items;
    }

    // The name of the innermost page that shows.
    std::string Page() {
        std::wstring page;
        for (HWND hwnd : VisibleOfClass(Form(), L"KonfiguracjaBDE.TabSheet")) page = TextOf(hwnd);
        return WideToUtf8(page);
    }
    Strings StatusLog() {
        for (HWND hwnd : VisibleOfClass(Form(), L"Edit"))
            if (GetWindowLongW(hwnd, GWL_STYLE) & ES_MULTILINE) return SplitLines(WideToUtf8(TextOf(hwnd)));
        return {"<no status log>"};
    }
    // The text of the program's open message box.
    std::optional<std::string> Message() {
        HWND box = MessageBox();
        if (!box) return std::nullopt;
        std::wstring text;
        for (HWND hwnd : Descendants(box))
            if (ClassOf(hwnd) == L"Static" && !TextOf(hwnd).empty()) text = TextOf(hwnd);
        return WideToUtf8(text);
    }
    // OK pressed in the open message box; false when none is open.
    bool Dismiss() {
        HWND box = MessageBox();
        if (!box) return false;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        for (int waited = 0; waited < 100 && IsWindow(box); ++waited) Sleep(100);
        Settle();
        return true;
    }
    // Every message box that opens, dismissed in turn, until the program
    // has nothing more to do.
    Strings DismissMessages() {
        Strings texts;
        for (;;) {
            for (int waited = 0; waited < 100 && !Settled() && Alive(); ++waited) Sleep(100);
            if (!MessageBox()) return texts;
            texts.push_back(Message().value_or("<no message box>"));
            Dismiss();
        }
    }

    // Steps: a button's caption, "=text" into the page's first combo box, "@n=text" into its n-th
    // edit (combo boxes' own count). The message boxes on the way, dismissed, and any button that
    // does not show; "<no answer>" ends it.
    Strings Walk(const std::vector<std::wstring>& steps) {
        Strings messages;
        for (const std::wstring& step : steps) {
            if (!Responds(1000)) return {"<no answer>"};
            if (step.front() == L'=')
                Type(Combo(0), step.substr(1));
            else if (step.front() == L'@')
                TypeInto(Edit(step[1] - L'0'), step.substr(3));
            else if (!Click(step, 100))
                messages.push_back("<no button \"" + WideToUtf8(step) + "\">");
            for (const std::string& text : DismissMessages()) messages.push_back(text);
        }
        return messages;
    }

private:
    bool Alive() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
    HWND MessageBox() const {
        for (HWND top = GetTopWindow(nullptr); top; top = GetWindow(top, GW_HWNDNEXT))
            if (OwnedByProgram(top) && ClassOf(top) == L"#32770" && IsWindowVisible(top)) return top;
        return nullptr;
    }
    bool OwnedByProgram(HWND hwnd) const {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        return pid == pid_ || (!started_ && !pid_);  // attaching: any process's
    }
    static bool Answers(HWND hwnd, DWORD milliseconds) {
        DWORD_PTR ignored = 0;
        return hwnd && SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, milliseconds, &ignored) != 0;
    }
    // The program's thread waits for messages (a message box's loop counts).
    bool Settled() { return Answers(Form() ? Form() : MessageBox(), 100); }
    void Settle() { Answers(Form(), 30000); }

    const bool started_;
    UniqueKernelHandle process_;
    DWORD pid_ = 0;
    HWND form_ = nullptr;
};

}  // namespace uiwin
