#pragma once
// Server enumeration on netapi32.dll, loaded from the system directory for
// each enumeration.
#include "platform/ServerEnumerator.h"

class TLoader;

class TWin32ServerEnumerator : public TServerEnumerator {
public:
    explicit TWin32ServerEnumerator(TLoader& loader) : loader_(loader) {}
    std::optional<std::vector<std::string>> SqlServers() override;

private:
    TLoader& loader_;
};
