#pragma once
// The "ORACLE" driver: a query through the Oracle client library (OCI)
// loaded at run time, logging in to the net service "SERVER NAME" with
// "USER NAME" and "PASSWORD".
#include <memory>

#include "engine/Driver.h"

class TLibrary;
struct OciApi;

class TOracleDriver : public TEngineDriver {
public:
    // Resolves the entry points at once; raises when one is missing.
    explicit TOracleDriver(std::unique_ptr<TLibrary> library);
    ~TOracleDriver() override;

    std::unique_ptr<TEngineCursor> Execute(const TStringList& params, const std::string& sql) override;

private:
    // Shared with the cursors, so an open cursor keeps the library loaded.
    std::shared_ptr<const OciApi> api_;
};
