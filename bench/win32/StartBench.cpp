// Start-up benchmark, run under Wine: how long from starting a program to
// its first window shown and painted, for the wizard and for a bare window,
// started in turns in one session. Prints every run, the medians, their
// ratio and the target; it does not fail a build.
//   start_bench RUNS PROGRAM WINDOW-CLASS YARDSTICK WINDOW-CLASS
// The exit code is non-zero when a program's window never came.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/win32/UniqueHandle.h"

namespace {

double Now() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency);
}

struct Search {
    DWORD Pid;
    const wchar_t* ClassName;
    HWND Found;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t name[128];
    if (pid == search->Pid && IsWindowVisible(hwnd) && GetClassNameW(hwnd, name, 128) &&
        _wcsicmp(name, search->ClassName) == 0) {
        search->Found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND VisibleWindow(DWORD pid, const wchar_t* className) {
    Search search{pid, className, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

struct Run {
    double Shown = -1;    // the window visible
    double Painted = -1;  // and its first paint handled: idle, nothing left to paint
};

// Starts the program, waits for its window to be shown and painted, closes it.
Run StartOnce(const std::wstring& program, const wchar_t* className) {
    Run run;
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    const double start = Now();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return run;
    UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    HWND window = nullptr;
    while (!window && Now() - start < 30000 && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
        window = VisibleWindow(info.dwProcessId, className);
        if (!window) Sleep(1);
    }
    if (window) {
        run.Shown = Now() - start;
        // Idle means the message queue is empty, so a pending WM_PAINT has
        // been handled; an update region left means it has not come yet.
        while (Now() - start < 30000) {
            WaitForInputIdle(process.get(), 1000);
            if (!GetUpdateRect(window, nullptr, FALSE)) break;
            Sleep(1);
        }
        run.Painted = Now() - start;
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.get(), 5000) == WAIT_TIMEOUT) TerminateProcess(process.get(), 1);
    return run;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 6) {
        std::printf("użycie: start_bench PRZEBIEGI PROGRAM KLASA-OKNA WZORZEC KLASA-OKNA\n");
        return 2;
    }
    const int runs = std::max(1, _wtoi(argv[1]));
    const wchar_t* names[2] = {L"program", L"wzorzec"};
    std::vector<double> shown[2], painted[2];
    bool allCame = true;
    // One unmeasured start of each warms the session and the file cache.
    for (int p = 0; p < 2; ++p) StartOnce(argv[2 + 2 * p], argv[3 + 2 * p]);
    for (int i = 0; i < runs; ++i) {
        for (int p = 0; p < 2; ++p) {
            const Run run = StartOnce(argv[2 + 2 * p], argv[3 + 2 * p]);
            allCame = allCame && run.Painted >= 0;
            if (run.Painted < 0) continue;
            shown[p].push_back(run.Shown);
            painted[p].push_back(run.Painted);
            std::printf("  %ls %2d: okno widoczne %7.1f ms, namalowane %7.1f ms\n", names[p], i + 1, run.Shown,
                        run.Painted);
        }
    }
    const double programMs = Median(painted[0]), bareMs = Median(painted[1]);
    std::printf("Start do pierwszego namalowanego okna, mediana z %d przebiegów:\n", runs);
    std::printf("  program %7.1f ms (widoczne %7.1f ms), gołe okno %7.1f ms (widoczne %7.1f ms)\n", programMs,
                Median(shown[0]), bareMs, Median(shown[1]));
    const double ratio = bareMs > 0 ? programMs / bareMs : 0;
    std::printf("  stosunek %.2f   cel: <= 1,2 -> %s\n", ratio, allCame && ratio <= 1.2 ? "spełniony" : "NIESPEŁNIONY");
    if (!allCame) std::printf("  BŁĄD: okno programu nie pojawiło się w którymś przebiegu\n");
    return allCame ? 0 : 1;
}
