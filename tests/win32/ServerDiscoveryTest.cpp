// The service method of the server search against Wine's own service control
// manager: SQL Server services made in the prefix for the test, removed after.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/Session.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Loader.h"
#include "platform/win32/Win32OdbcBrowser.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32ServerEnumerator.h"
#include "platform/win32/Win32ServiceManager.h"
#include "wizard/Unit2.h"

namespace {

using testing::UnorderedElementsAre;

// Services that exist for the test's lifetime; never started.
class ScratchServices {
public:
    explicit ScratchServices(const std::vector<std::string>& names) : names_(names) {
        manager_.reset(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        if (!manager_) return;
        Remove();
        for (const std::string& name : names_) {
            UniqueServiceHandle service(::CreateServiceA(
                manager_.get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, "C:\\windows\\system32\\notepad.exe", nullptr, nullptr,
                nullptr, nullptr, nullptr));
            if (!service) failed_ = true;
        }
    }
    ~ScratchServices() { Remove(); }
    ScratchServices(const ScratchServices&) = delete;
    ScratchServices& operator=(const ScratchServices&) = delete;

    bool Ready() const { return manager_ && !failed_; }

private:
    void Remove() {
        for (const std::string& name : names_) {
            UniqueServiceHandle service(::OpenServiceA(manager_.get(), name.c_str(), DELETE));
            if (service) ::DeleteService(service.get());
        }
    }

    std::vector<std::string> names_;
    UniqueServiceHandle manager_;
    bool failed_ = false;
};

std::string ComputerName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof(name);
    ::GetComputerNameA(name, &size);
    return AnsiToUtf8(std::string(name, size));
}

class ServerSearchOnWine : public ::testing::Test {
protected:
    TWin32RegistryFactory Registry;
    TWin32FileSystem Files;
    TWin32Loader Loader;
    TWin32OdbcBrowser OdbcBrowser{Loader};
    TWin32ServerEnumerator ServerEnumerator{Loader};
    TWin32ServiceManager ServiceManager;
    TPlatform Platform{Registry, Files, Loader, OdbcBrowser, ServerEnumerator, ServiceManager};
    TSession Session{Registry, Files, Loader};
    TApplication Application;
    TForm2 Form{Platform, Session, Application};
    TStrings List;
};

// The manager is opened by "\\" + this computer's name. (Wine answers any
// name as the local machine, so a refusing machine is left to the fakes.)
TEST_F(ServerSearchOnWine, TheMachinesInstancesComeFromItsServiceManager) {
    ScratchServices services({"MSSQLSERVER", "MSSQL$DEMO", "SQLAgent$DEMO"});
    ASSERT_TRUE(services.Ready()) << ::GetLastError();
    const std::string machine = ComputerName();
    List.Add("EARLIER");
    Form.AddServerInstances(machine, List);
    // Appended in the manager's own order.
    EXPECT_THAT(List.ToVector(), UnorderedElementsAre("EARLIER", machine, machine + "\\DEMO"));
    EXPECT_EQ(List[0], "EARLIER");
}

}  // namespace
