#pragma once
// Browsing through the ODBC driver manager: which servers a driver can reach.
#include <optional>
#include <string>

class TLoader;

class TOdbcBrowser {
public:
    virtual ~TOdbcBrowser() = default;
    // SQLBrowseConnect's answer to `request` when the driver asks for more
    // (the answer then lists the choices); nothing on any other outcome.
    virtual std::optional<std::string> Browse(const std::string& request) = 0;
};

// The system's driver manager, odbc32.dll, loaded from the system directory
// for each browse.
class TSystemOdbcBrowser : public TOdbcBrowser {
public:
    explicit TSystemOdbcBrowser(TLoader& loader) : loader_(loader) {}
    std::optional<std::string> Browse(const std::string& request) override;

private:
    TLoader& loader_;
};
