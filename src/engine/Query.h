#pragma once
#include <memory>
#include <string>
#include <vector>

#include "base/StringList.h"
#include "engine/Driver.h"

class TSession;

// Read-only query on the connection component named by DatabaseName.
class TQuery {
public:
    explicit TQuery(TSession& session) : session_(session) {}

    std::string DatabaseName;
    TStringList SQL;

    // Raises Exception with the driver's message; the query stays closed.
    void Open();
    void Close();
    bool Active() const { return cursor_ != nullptr; }
    bool Eof() const { return eof_; }
    void Next();
    // Text of the current row's field; raises when there is no such field.
    std::string FieldByName(const std::string& name) const;

private:
    TSession& session_;
    std::unique_ptr<TEngineCursor> cursor_;
    std::vector<std::string> row_;
    bool eof_ = true;
};
