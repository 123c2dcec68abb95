#pragma once
// The "SQL Native Client" driver: a query through the ODBC driver manager
// loaded at run time, logging in with the parameters "ODBC DSN", "USER NAME"
// and "PASSWORD", in the database "DATABASE NAME" names.
#include <memory>

#include "engine/Driver.h"

class TLibrary;
class TOdbcApi;

class TOdbcDriver : public TEngineDriver {
public:
    // Resolves the entry points at once; raises when one is missing.
    explicit TOdbcDriver(std::unique_ptr<TLibrary> library);
    ~TOdbcDriver() override;

    std::unique_ptr<TEngineCursor> Execute(const TStringList& params, const std::string& sql) override;

private:
    // Shared with the cursors, so an open cursor keeps the library loaded.
    std::shared_ptr<const TOdbcApi> api_;
};
