// Program start: the real platform layer and engine, the wizard form, its
// window and the message loop. With switches (unattended/CommandLine.h) the
// same form records its answers, or runs without a window from an answer
// file; without any, nothing of that exists.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "engine/Session.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Platform.h"
#include "ui/Forms.h"
#include "ui/win32/Win32Form.h"
#include "ui/win32/Win32Views.h"
#include "unattended/CommandLine.h"
#include "unattended/Recorder.h"
#include "unattended/UnattendedRun.h"
#include "wizard/Unit2.h"

namespace {

constexpr const char* Title = "Konfiguracja BDE";

// The real services and the engine, as every mode gets them.
struct TWorkstation : TWin32Platform {
    TSession Session{Registry, Files, Loader};
};

// The arguments after the program's own name, split as the C runtime does
// (shellapi.h: CommandLineToArgvW's array is freed with one LocalFree).
std::vector<std::string> ProgramArguments() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    const UniqueHLocal owner(argv);
    std::vector<std::string> arguments;
    for (int i = 1; argv && i < count; ++i) arguments.push_back(WideToUtf8(argv[i]));
    return arguments;
}

TRunPlace Here() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &size)) name[0] = L'\0';
    SYSTEMTIME now;
    GetLocalTime(&now);
    char time[32];
    std::snprintf(time, sizeof(time), "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    return {WideToUtf8(name), time};
}

// The wizard in its window until the close box or "OK" closes it; nothing is
// written at the end. With `recordFile`, a successful "Wykonaj" also writes
// the answers there.
int RunWindow(const std::string& recordFile) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    TWin32MessageBox errorBox;
    TWin32Screen screen;
    TApplication application;
    application.SetTitle(Title);
    application.SetMessageBoxView(&errorBox);
    application.Screen().SetView(&screen);

    try {
        TWorkstation real;
        // FormCreate's errors are shown there and the form opens all the same.
        TForm2 form(real.Platform, real.Session, application);
        if (!recordFile.empty()) {
            const TRunPlace place = Here();
            RecordAnswersOnApply(form, real.Files, recordFile,
                                 "Odpowiedzi kreatora ze stanowiska " + place.Workstation + ", " + place.Time +
                                     ". Użycie: KonfiguracjaBDE.exe /silent PLIK");
        }
        TWin32Form window(form);
        try {
            form.Show();
        } catch (...) {
            application.HandleException(std::current_exception());
        }
        return window.Run();
    } catch (...) {
        application.HandleException(std::current_exception());
        return 1;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Elevated: no DLL may come from the current directory.
    HardenDllSearch();
    const TCommandLine command = ParseCommandLine(ProgramArguments());
    switch (command.Mode) {
        case TCommandLine::Window:
            return RunWindow(command.AnswerFile);
        case TCommandLine::Usage:
            MessageBoxW(nullptr, Utf8ToWide(UsageText).c_str(), Utf8ToWide(Title).c_str(), MB_OK | MB_ICONINFORMATION);
            return ExitConfigured;
        case TCommandLine::Silent: {
            // No window and no message box: deployment tools start this without a desktop.
            try {
                TWorkstation real;
                return RunUnattended(real.Platform, real.Session, command.AnswerFile, command.LogFile, Here());
            } catch (...) {
                return ExitStopped;
            }
        }
        case TCommandLine::Wrong:
            break;
    }
    TWin32FileSystem files;
    return RefuseCommandLine(files, command.LogFile, command.Error, Here());
}
