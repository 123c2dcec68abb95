#pragma once
// Service lists from a machine's service control manager (advapi32).
#include "platform/ServiceManager.h"

class TWin32ServiceManager : public TServiceManager {
public:
    std::optional<std::vector<std::string>> ServiceNames(const std::string& machinePath) override;
};
