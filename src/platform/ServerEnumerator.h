#pragma once
// Network server enumeration: the machines that announce a service.
#include <optional>
#include <string>
#include <vector>

class TServerEnumerator {
public:
    virtual ~TServerEnumerator() = default;
    // The machines of the primary domain that announce an SQL Server, in the
    // order the network gives them; nothing when it cannot list them all.
    virtual std::optional<std::vector<std::string>> SqlServers() = 0;
};
