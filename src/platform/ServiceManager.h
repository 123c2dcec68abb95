#pragma once
// A machine's service control manager.
#include <optional>
#include <string>
#include <vector>

class TServiceManager {
public:
    virtual ~TServiceManager() = default;
    // The names of the Win32 services of the machine `machinePath` ("\\NAME")
    // in every state, in the manager's order; nothing when the manager cannot
    // be opened or does not list them.
    virtual std::optional<std::vector<std::string>> ServiceNames(const std::string& machinePath) = 0;
};
