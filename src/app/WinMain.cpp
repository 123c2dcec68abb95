// Program start: the real platform layer and engine, the wizard form, its
// window and the message loop. No command line is read.
#include <windows.h>

#include <commctrl.h>

#include <exception>

#include "engine/Session.h"
#include "platform/Platform.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Loader.h"
#include "platform/win32/Win32OdbcBrowser.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32ServerEnumerator.h"
#include "platform/win32/Win32ServiceManager.h"
#include "ui/Forms.h"
#include "ui/win32/Win32Form.h"
#include "ui/win32/Win32Views.h"
#include "wizard/Unit2.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Elevated: no DLL may come from the current directory.
    HardenDllSearch();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    TWin32MessageBox errorBox;
    TWin32Screen screen;
    TApplication application;
    application.SetTitle("Konfiguracja BDE");
    application.SetMessageBoxView(&errorBox);
    application.Screen().SetView(&screen);

    try {
        TWin32RegistryFactory registry;
        TWin32FileSystem files;
        TWin32Loader loader;
        TWin32OdbcBrowser odbcBrowser(loader);
        TWin32ServerEnumerator serverEnumerator(loader);
        TWin32ServiceManager serviceManager;
        TPlatform platform{registry, files, loader, odbcBrowser, serverEnumerator, serviceManager};
        TSession session(registry, files, loader);
        // FormCreate's errors are shown there and the form opens all the same.
        TForm2 form(platform, session, application);
        TWin32Form window(form);
        try {
            form.Show();
        } catch (...) {
            application.HandleException(std::current_exception());
        }
        // Until the close box or "OK" closes the form; nothing is written at the end.
        return window.Run();
    } catch (...) {
        application.HandleException(std::current_exception());
        return 1;
    }
}
