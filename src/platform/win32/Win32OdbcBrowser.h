#pragma once
// Browsing on odbc32.dll, loaded from the system directory for each browse.
#include "platform/OdbcBrowser.h"

class TLoader;

class TWin32OdbcBrowser : public TOdbcBrowser {
public:
    explicit TWin32OdbcBrowser(TLoader& loader) : loader_(loader) {}
    std::optional<std::string> Browse(const std::string& request) override;

private:
    TLoader& loader_;
};
