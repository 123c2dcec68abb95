#include "platform/win32/Win32ServiceManager.h"

#include <windows.h>

#include <algorithm>

#include "base/Text.h"
#include "platform/win32/UniqueHandle.h"

std::optional<std::vector<std::string>> TWin32ServiceManager::ServiceNames(const std::string& machinePath) {
    const std::string machine = Utf8ToAnsi(machinePath);
    UniqueServiceHandle manager(::OpenSCManagerA(machine.c_str(), nullptr, SC_MANAGER_ENUMERATE_SERVICE));
    if (!manager) return std::nullopt;

    // The first call only learns the size. The records are counted in the
    // platform's own record size, which differs between 32 and 64 bits.
    std::vector<ENUM_SERVICE_STATUSA> records(1);
    DWORD needed = 0, returned = 0, resume = 0;
    ::EnumServicesStatusA(manager.get(), SERVICE_WIN32, SERVICE_STATE_ALL, records.data(), 0, &needed, &returned,
                          &resume);
    records.resize(needed / sizeof(ENUM_SERVICE_STATUSA) + 1);
    resume = 0;
    returned = 0;
    if (!::EnumServicesStatusA(manager.get(), SERVICE_WIN32, SERVICE_STATE_ALL, records.data(), needed, &needed,
                               &returned, &resume))
        return std::nullopt;

    std::vector<std::string> names;
    const std::size_t count = std::min<std::size_t>(returned, records.size());
    for (std::size_t i = 0; i < count; ++i)
        names.push_back(AnsiToUtf8(records[i].lpServiceName ? records[i].lpServiceName : ""));
    return names;
}
