#pragma once
// The real services of the workstation, wired as the program takes them.
#include "platform/OdbcBrowser.h"
#include "platform/Platform.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Loader.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32ServerEnumerator.h"
#include "platform/win32/Win32ServiceManager.h"

struct TWin32Platform {
    TWin32RegistryFactory Registry;
    TWin32FileSystem Files;
    TWin32Loader Loader;
    TSystemOdbcBrowser OdbcBrowser{Loader};
    TWin32ServerEnumerator ServerEnumerator{Loader};
    TWin32ServiceManager ServiceManager;
    TPlatform Platform{Registry, Files, Loader, OdbcBrowser, ServerEnumerator, ServiceManager};
};
