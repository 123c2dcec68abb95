#pragma once
// The built KonfiguracjaBDE.exe as a process of its own in the test prefix,
// driven from outside with real button, key and combo box messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"
#include "win32/UiWindowSupport.h"

namespace uiwin {

// One run of the program, driven from outside like a user would.
class Program {
public:
    Program() {
        std::wstring commandLine = L"\"" + ProgramPath() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return;
        process_.reset(info.hProcess);
        UniqueKernelHandle thread(info.hThread);
        pid_ = info.dwProcessId;
        WaitForInputIdle(process_.get(), 30000);
        for (int waited = 0; waited < 300 && !(form_ = Top(L"KonfiguracjaBDE.Form")); ++waited) Sleep(100);
        Settle(30000);
    }
    ~Program() {
        if (!process_ || WaitForSingleObject(process_.get(), 0) != WAIT_TIMEOUT) return;
        if (HWND box = Top(L"#32770")) PostMessageW(box, WM_COMMAND, IDOK, 0);
        if (form_) PostMessageW(form_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.get(), 10000) == WAIT_TIMEOUT) TerminateProcess(process_.get(), 1);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Running() const { return form_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
    bool Ended() const { return WaitForSingleObject(process_.get(), 10000) == WAIT_OBJECT_0; }

    // A click on a visible button (or check box, or radio button). A handler
    // that opens a message box keeps the click open: do not wait for it.
    void Click(const std::wstring& caption) {
        HWND button = nullptr;
        for (HWND hwnd : Visible(L"Button"))
            if (TextOf(hwnd) == caption) button = hwnd;
        ASSERT_NE(button, nullptr) << WideToUtf8(caption);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 3000, &ignored);
        for (int waited = 0; waited < 600 && IsWindow(form_) && !Top(L"#32770") && !Settle(100); ++waited) Sleep(100);
    }
    // The n-th combo box of the page that shows.
    HWND Combo(std::size_t n) const {
        const auto combos = Visible(L"ComboBox");
        return n < combos.size() ? combos[n] : nullptr;
    }
    // Typing over the combo box's text, key by key.
    void Type(HWND combo, const std::wstring& text) {
        HWND edit = GetWindow(combo, GW_CHILD);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
        Settle(30000);
    }
    // Opens and closes the combo box's list; its items as it then shows them.
    std::vector<std::string> DropDown(HWND combo) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(combo, CB_SHOWDROPDOWN, TRUE, 0, SMTO_NORMAL, 60000, &ignored);
        SendMessageTimeoutW(combo, CB_SHOWDROPDOWN, FALSE, 0, SMTO_NORMAL, 10000, &ignored);
        std::vector<std::string> items;
        for (LRESULT i = 0, count = SendMessageW(combo, CB_GETCOUNT, 0, 0); i < count; ++i) {
            std::wstring item(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
            item.resize(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
            items.push_back(WideToUtf8(item));
        }
        return items;
    }
    // Another process's control: GetWindowText would not ask it.
    static std::string Text(HWND hwnd) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
        return WideToUtf8(text);
    }
    // The name of the innermost page that shows.
    std::string Page() const {
        std::wstring page;
        for (HWND hwnd : Visible(L"KonfiguracjaBDE.TabSheet")) page = TextOf(hwnd);
        return WideToUtf8(page);
    }
    // The status memo's lines.
    std::vector<std::string> StatusLog() const {
        for (HWND hwnd : Visible(L"Edit")) {
            if (!(GetWindowLongW(hwnd, GWL_STYLE) & ES_MULTILINE)) continue;
            std::vector<std::string> lines;
            const std::string text = Text(hwnd);
            std::string::size_type start = 0;
            for (auto end = text.find("\r\n"); end != std::string::npos; start = end + 2, end = text.find("\r\n", start))
                lines.push_back(text.substr(start, end - start));
            if (start < text.size()) lines.push_back(text.substr(start));
            return lines;
        }
        return {"<no status log>"};
    }
    // The text of the program's open message box, and OK pressed in it.
    std::string DismissMessage() {
        HWND box = nullptr;
        for (int waited = 0; waited < 100 && !(box = Top(L"#32770")); ++waited) Sleep(100);
        if (!box) return "<no message box>";
        std::string text;
        for (HWND hwnd : Descendants(box))
            if (ClassOf(hwnd) == L"Static" && !Text(hwnd).empty()) text = Text(hwnd);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        for (int waited = 0; waited < 100 && Top(L"#32770"); ++waited) Sleep(100);
        Settle(30000);
        return text;
    }

private:
    // The program's visible top-level window of that class.
    HWND Top(const wchar_t* className) const {
        for (HWND top = GetTopWindow(nullptr); top; top = GetWindow(top, GW_HWNDNEXT)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(top, &pid);
            if (pid == pid_ && ClassOf(top) == className && IsWindowVisible(top)) return top;
        }
        return nullptr;
    }
    std::vector<HWND> Visible(const wchar_t* className) const {
        std::vector<HWND> found;
        for (HWND hwnd : Descendants(form_))
            if (_wcsicmp(ClassOf(hwnd).c_str(), className) == 0 && IsWindowVisible(hwnd)) found.push_back(hwnd);
        return found;
    }
    // Whether the program answered within the time, its queue worked off.
    bool Settle(UINT milliseconds) const {
        DWORD_PTR ignored = 0;
        return form_ && SendMessageTimeoutW(form_, WM_NULL, 0, 0, SMTO_NORMAL, milliseconds, &ignored) != 0;
    }

    UniqueKernelHandle process_;
    DWORD pid_ = 0;
    HWND form_ = nullptr;
};

}  // namespace uiwin
