// The run script's hands: one command on the wizard that is already running,
// through the suites' driver, so that every page can be shown and
// photographed without a person. Not shipped.
//
//   demo_driver wait SECONDS     wait for the wizard's window; print its frame as WxH+X+Y
//   demo_driver click CAPTION    press the button (or radio button) with that caption
//   demo_driver page             print the name of the innermost page that shows
//   demo_driver dialog           print the text of an open message box (exit 1: none)
//   demo_driver dismiss          press OK in the open message box
//   demo_driver close            close the wizard with its close box
//   demo_driver type N TEXT      type TEXT over the text of the N-th combo box that shows
//   demo_driver edit N TEXT      type TEXT over the N-th single-line edit that shows (combo boxes' own count)
//   demo_driver dropdown N       open the list of the N-th combo box that shows (its handler fills it)
//   demo_driver closeup N        close that list again
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

#include "platform/win32/UniqueHandle.h"
#include "win32/UiWindowSupport.h"

namespace {

int Print(const std::string& text) {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
    return 0;
}

int Run(uiwin::Program& program, const std::wstring& command, const std::wstring& argument, const wchar_t* text) {
    if (command == L"wait") {
        RECT r;
        GetWindowRect(program.Form(), &r);
        return Print(std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) + "+" +
                     std::to_string(r.left) + "+" + std::to_string(r.top));
    }
    if (command == L"click") {
        HWND button = program.Button(argument);
        if (button && IsWindowEnabled(button)) return program.Click(argument) ? 0 : 2;
        std::fprintf(stderr, button ? "the button is disabled\n" : "no such button\n");
        return button ? 3 : 2;
    }
    if (command == L"page") {
        const std::string page = program.Page();
        return page.empty() ? 1 : Print(page);
    }
    if (command == L"dialog") {
        const auto message = program.Message();
        return message ? Print(*message) : 1;
    }
    if (command == L"dismiss") return program.Dismiss() ? 0 : 1;
    if (command == L"close") {
        program.Close();
        return 0;
    }
    const bool typing = (command == L"type" || command == L"edit") && text;
    if (!typing && command != L"dropdown" && command != L"closeup") return 64;
    const auto n = static_cast<std::size_t>(_wtoi(argument.c_str()));
    HWND control = command == L"edit" ? program.Edit(n) : program.Combo(n);
    if (!control) return 2;
    if (!typing) uiwin::Program::ShowList(control, command == L"dropdown");
    else if (command == L"type") program.Type(control, text);
    else program.TypeInto(control, text);
    return 0;
}

}  // namespace

int main() {
    int argc = 0;
    const UniqueHLocal args(CommandLineToArgvW(GetCommandLineW(), &argc));
    const auto argv = static_cast<LPWSTR*>(args.get());
    if (!argv || argc < 2) {
        std::fprintf(stderr, "usage: demo_driver wait SECONDS | click CAPTION | page | dialog | dismiss | close | "
                     "type N TEXT | edit N TEXT | dropdown N | closeup N\n");
        return 64;
    }
    const std::wstring command = argv[1];
    const std::wstring argument = argc > 2 ? argv[2] : L"";
    const int seconds = command != L"wait" ? 0 : argument.empty() ? 60 : _wtoi(argument.c_str());
    uiwin::Program program(uiwin::Program::Attach{seconds * 10});
    if (!program.Form()) {
        if (command == L"wait") std::fprintf(stderr, "the wizard's window did not appear\n");
        return 1;
    }
    const int result = Run(program, command, argument, argc > 3 ? argv[3] : nullptr);
    // Painted afresh for the screenshot that follows, once the wizard is idle.
    if (command != L"page" && command != L"dialog" && command != L"close")
        if (HWND form = program.Form()) RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return result;
}
