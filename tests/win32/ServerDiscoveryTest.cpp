// The service method of the server search against Wine's own service control
// manager, with SQL Server services made in the prefix for the test.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include "base/Text.h"
#include "engine/Session.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"
#include "wizard/Unit2.h"

namespace {

const char* const Services[] = {"MSSQLSERVER", "MSSQL$DEMO", "SQLAgent$DEMO"};

void RemoveServices(SC_HANDLE manager) {
    for (const char* name : Services)
        if (UniqueServiceHandle service{::OpenServiceA(manager, name, DELETE)}) ::DeleteService(service.get());
}

// The manager is opened by "\\" + this computer's name. (Wine answers any
// name as the local machine, so a refusing machine is left to the fakes.)
TEST(ServerSearchOnWine, TheMachinesInstancesComeFromItsServiceManager) {
    UniqueServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ASSERT_TRUE(manager);
    RemoveServices(manager.get());
    for (const char* name : Services) {
        UniqueServiceHandle service(::CreateServiceA(manager.get(), name, name, SERVICE_ALL_ACCESS,
                                                     SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                                     SERVICE_ERROR_IGNORE, "C:\\windows\\system32\\notepad.exe",
                                                     nullptr, nullptr, nullptr, nullptr, nullptr));
        EXPECT_TRUE(service) << name << ": " << ::GetLastError();
    }
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof(name);
    ::GetComputerNameA(name, &size);
    const std::string machine = AnsiToUtf8(std::string(name, size));

    TWin32Platform real;
    TSession session(real.Registry, real.Files, real.Loader);
    TApplication application;
    TForm2 form(real.Platform, session, application);
    TStrings list;
    list.Add("EARLIER");
    form.AddServerInstances(machine, list);
    RemoveServices(manager.get());
    // Appended, in the manager's own order.
    EXPECT_THAT(list.ToVector(), testing::UnorderedElementsAre("EARLIER", machine, machine + "\\DEMO"));
    EXPECT_EQ(list[0], "EARLIER");
}

}  // namespace
