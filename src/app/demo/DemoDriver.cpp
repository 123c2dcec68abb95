// The run script's hands: finds the running wizard's window from outside
// and presses its buttons with real button messages, so that every page can
// be shown and photographed without a person. Not shipped.
//
//   demo_driver wait SECONDS     wait for the wizard's window; print its frame as WxH+X+Y
//   demo_driver click CAPTION    press the button (or radio button) with that caption
//   demo_driver page             print the name of the innermost page that shows
//   demo_driver dialog           print the text of an open message box (exit 1: none)
//   demo_driver dismiss          press OK in the open message box
//   demo_driver close            close the wizard with its close box
//   demo_driver type N TEXT      type TEXT over the text of the N-th combo box that shows
//   demo_driver edit N TEXT      type TEXT over the text of the N-th plain edit that shows
//   demo_driver dropdown N       open the list of the N-th combo box that shows (its handler fills it)
//   demo_driver closeup N        close that list again
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* FormClass = L"KonfiguracjaBDE.Form";
constexpr const wchar_t* PageClass = L"KonfiguracjaBDE.TabSheet";

std::wstring Text(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring ClassName(HWND hwnd) {
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    return name;
}

void Collect(HWND parent, std::vector<HWND>& out) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        out.push_back(child);
        Collect(child, out);
    }
}

void Print(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), size, nullptr, nullptr);
    std::printf("%s\n", utf8.c_str());
    std::fflush(stdout);
}

HWND Form() {
    HWND form = FindWindowW(FormClass, nullptr);
    return form && IsWindowVisible(form) ? form : nullptr;
}

// A message box of the wizard's process, if one is open.
HWND MessageBoxWindow() {
    HWND form = FindWindowW(FormClass, nullptr);
    if (!form) return nullptr;
    DWORD wizard = 0;
    GetWindowThreadProcessId(form, &wizard);
    for (HWND top = GetTopWindow(nullptr); top; top = GetWindow(top, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(top, &owner);
        if (owner == wizard && IsWindowVisible(top) && ClassName(top) == L"#32770") return top;
    }
    return nullptr;
}

// Lets the wizard finish what it is doing, then paints it afresh.
void Settle(HWND form) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

int Wait(int seconds) {
    for (int waited = 0; waited < seconds * 10; ++waited) {
        if (HWND form = Form()) {
            Settle(form);
            RECT r;
            GetWindowRect(form, &r);
            std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
            return 0;
        }
        Sleep(100);
    }
    std::fprintf(stderr, "the wizard's window did not appear\n");
    return 1;
}

int Click(const std::wstring& caption) {
    HWND form = Form();
    if (!form) return 1;
    std::vector<HWND> all;
    Collect(form, all);
    for (HWND hwnd : all) {
        if (ClassName(hwnd) != L"Button" || Text(hwnd) != caption || !IsWindowVisible(hwnd)) continue;
        if (!IsWindowEnabled(hwnd)) {
            std::fprintf(stderr, "the button is disabled\n");
            return 3;
        }
        // A handler that shows a message box keeps the click open: do not wait for it.
        DWORD_PTR ignored = 0;
        if (!SendMessageTimeoutW(hwnd, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 3000, &ignored) && MessageBoxWindow())
            return 0;
        Settle(form);
        return 0;
    }
    std::fprintf(stderr, "no such button\n");
    return 2;
}

int Page() {
    HWND form = Form();
    if (!form) return 1;
    std::vector<HWND> all;
    Collect(form, all);
    std::wstring innermost;
    for (HWND hwnd : all)
        if (ClassName(hwnd) == PageClass && IsWindowVisible(hwnd)) innermost = Text(hwnd);
    Print(innermost);
    return innermost.empty() ? 1 : 0;
}

int Dialog() {
    HWND box = MessageBoxWindow();
    if (!box) return 1;
    std::vector<HWND> all;
    Collect(box, all);
    std::wstring text = Text(box) + L":";
    for (HWND hwnd : all)
        if (ClassName(hwnd) == L"Static" && !Text(hwnd).empty()) text += L" " + Text(hwnd);
    Print(text);
    return 0;
}

int Dismiss() {
    HWND box = MessageBoxWindow();
    if (!box) return 1;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    for (int waited = 0; waited < 50 && MessageBoxWindow() == box; ++waited) Sleep(100);
    if (HWND form = Form()) Settle(form);
    return 0;
}

// The n-th combo box of the page that shows, in creation order.
HWND Combo(int n) {
    HWND form = Form();
    if (!form) return nullptr;
    std::vector<HWND> all;
    Collect(form, all);
    for (HWND hwnd : all)
        if (ClassName(hwnd) == L"ComboBox" && IsWindowVisible(hwnd) && n-- == 0) return hwnd;
    return nullptr;
}

// Key by key into the combo box's edit, as the keyboard would.
int Type(int n, const std::wstring& text) {
    HWND combo = Combo(n);
    if (!combo) return 2;
    HWND edit = GetWindow(combo, GW_CHILD);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
    Settle(Form());
    return 0;
}

// Key by key into the n-th edit of the page that shows that is not part of
// a combo box, in creation order.
int TypeIntoEdit(int n, const std::wstring& text) {
    HWND form = Form();
    if (!form) return 1;
    std::vector<HWND> all;
    Collect(form, all);
    for (HWND hwnd : all) {
        if (ClassName(hwnd) != L"Edit" || !IsWindowVisible(hwnd) || ClassName(GetParent(hwnd)) == L"ComboBox") continue;
        if (n-- > 0) continue;
        SendMessageW(hwnd, EM_SETSEL, 0, -1);
        for (wchar_t c : text) SendMessageW(hwnd, WM_CHAR, c, 1);
        Settle(form);
        return 0;
    }
    return 2;
}

int ShowList(int n, BOOL show) {
    HWND combo = Combo(n);
    if (!combo) return 2;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(combo, CB_SHOWDROPDOWN, show, 0, SMTO_NORMAL, 60000, &ignored);
    Settle(Form());
    return 0;
}

int Close() {
    HWND form = FindWindowW(FormClass, nullptr);
    if (!form) return 1;
    PostMessageW(form, WM_CLOSE, 0, 0);
    return 0;
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2) {
        std::fprintf(stderr, "usage: demo_driver wait SECONDS | click CAPTION | page | dialog | dismiss | close | "
                     "type N TEXT | edit N TEXT | dropdown N | closeup N\n");
        return 64;
    }
    const std::wstring command = argv[1];
    const std::wstring argument = argc > 2 ? argv[2] : L"";
    int result = 64;
    if (command == L"wait") result = Wait(argument.empty() ? 60 : _wtoi(argument.c_str()));
    else if (command == L"click") result = Click(argument);
    else if (command == L"page") result = Page();
    else if (command == L"dialog") result = Dialog();
    else if (command == L"dismiss") result = Dismiss();
    else if (command == L"close") result = Close();
    else if (command == L"type" && argc > 3) result = Type(_wtoi(argument.c_str()), argv[3]);
    else if (command == L"edit" && argc > 3) result = TypeIntoEdit(_wtoi(argument.c_str()), argv[3]);
    else if (command == L"dropdown") result = ShowList(_wtoi(argument.c_str()), TRUE);
    else if (command == L"closeup") result = ShowList(_wtoi(argument.c_str()), FALSE);
    LocalFree(argv);
    return result;
}
