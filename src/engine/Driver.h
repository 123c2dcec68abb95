#pragma once
// A driver runs one read-only query on a connection described by its
// parameter list and hands back the rows as text.
#include <memory>
#include <string>
#include <vector>

#include "base/StringList.h"

class TEngineCursor {
public:
    virtual ~TEngineCursor() = default;
    virtual const std::vector<std::string>& ColumnNames() const = 0;
    // Next row into `row`; false at the end. Raises Exception with the driver's text.
    virtual bool Fetch(std::vector<std::string>& row) = 0;
};

class TEngineDriver {
public:
    virtual ~TEngineDriver() = default;
    // Logs in without a prompt, runs `sql`. Raises Exception carrying the
    // driver's own message on any failure.
    virtual std::unique_ptr<TEngineCursor> Execute(const TStringList& params, const std::string& sql) = 0;
};
