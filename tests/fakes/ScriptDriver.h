#pragma once
// A scripted engine driver: the columns and rows it returns, where it fails,
// and what it was handed.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "engine/Driver.h"

struct Script {
    std::vector<std::string> columns = {"NAME", "Size"};
    std::vector<std::vector<std::string>> rows;
    std::string executeError;           // raised by Execute when set
    std::function<void()> onExecute;    // runs inside Execute, to look around
    int fetchErrorAt = -1;              // the fetch (0-based) that raises
    // What the driver saw.
    std::vector<TStringList> params;
    std::vector<std::string> sql;
    int liveCursors = 0;
};

class ScriptCursor : public TEngineCursor {
public:
    explicit ScriptCursor(Script& script) : script_(script) { ++script_.liveCursors; }
    ~ScriptCursor() override { --script_.liveCursors; }
    const std::vector<std::string>& ColumnNames() const override { return script_.columns; }
    bool Fetch(std::vector<std::string>& row) override {
        if (fetches_++ == script_.fetchErrorAt) throw Exception("ORA-03113: end-of-file on communication channel");
        if (next_ >= script_.rows.size()) return false;
        row = script_.rows[next_++];
        return true;
    }

private:
    Script& script_;
    std::size_t next_ = 0;
    int fetches_ = 0;
};

class ScriptDriver : public TEngineDriver {
public:
    explicit ScriptDriver(Script& script) : script_(script) {}
    std::unique_ptr<TEngineCursor> Execute(const TStringList& params, const std::string& sql) override {
        script_.params.push_back(params);
        script_.sql.push_back(sql);
        if (script_.onExecute) script_.onExecute();
        if (!script_.executeError.empty()) throw Exception(script_.executeError);
        return std::make_unique<ScriptCursor>(script_);
    }

private:
    Script& script_;
};
