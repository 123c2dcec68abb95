#pragma once
// The aliases in the installed engine's own configuration, through its
// library, in the engine's (OEM) code page. The engine reads and writes its
// file itself; we never touch it.
#include <memory>

#include "engine/AliasBackend.h"
#include "engine/IdapiApi.h"

class TLibrary;

class TIdapiAliasBackend : public TAliasBackend {
public:
    // Starts the engine on the configuration file `configPath`; raises
    // Exception with the engine's text when it does not start. `library`,
    // when given, is the loaded library the table's entry points live in.
    TIdapiAliasBackend(const TIdapiApi& api, const std::string& configPath, std::unique_ptr<TLibrary> library = {});
    // Shuts the engine down.
    ~TIdapiAliasBackend() override;
    TIdapiAliasBackend(const TIdapiAliasBackend&) = delete;
    TIdapiAliasBackend& operator=(const TIdapiAliasBackend&) = delete;

    std::vector<std::string> Names() override;
    std::string DriverName(const std::string& alias) override;
    TStringList Params(const std::string& alias) override;
    void Add(const std::string& name, const std::string& driver, const TStringList& params) override;
    void Modify(const std::string& name, const TStringList& params) override;
    void Save() override;

private:
    struct Entry {
        std::string Name;
        std::string Value;
    };
    // The entries of one node of an alias ("DB INFO" or "DB OPEN").
    std::vector<Entry> ReadNode(const std::string& alias, const char* node);
    // The entries a caller may see and change: of a "STANDARD" alias only its
    // general ones; the node they live in goes to `node`.
    std::vector<Entry> VisibleEntries(const std::string& alias, const char*& node);
    [[noreturn]] void Fail(DBIResult result, const char* call, const std::string& subject) const;
    void Check(DBIResult result, const char* call, const std::string& subject) const;

    std::unique_ptr<TLibrary> library_;  // first in, last out: outlives every call below
    TIdapiApi api_;
    std::string configPath_;
};
