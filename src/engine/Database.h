#pragma once
#include <string>

#include "base/StringList.h"

class TSession;

// Connection component: a driver, a parameter list, no open connection kept.
class TDatabase {
public:
    explicit TDatabase(TSession& session);
    ~TDatabase();
    TDatabase(const TDatabase&) = delete;
    TDatabase& operator=(const TDatabase&) = delete;

    std::string DatabaseName;
    std::string DriverName;
    TStringList Params;

    void Close() { connected_ = false; }
    bool Connected() const { return connected_; }

private:
    friend class TQuery;
    TSession& session_;
    bool connected_ = false;
};
