#pragma once
// The process's default engine session: persistent aliases in the installed
// engine's configuration where its library is installed, else in our own
// configuration file at the path the registry names.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/StringList.h"
#include "engine/AliasBackend.h"
#include "engine/Driver.h"

class TDatabase;
class TFileSystem;
class TLoader;
class TRegistryFactory;

constexpr int cmPersistent = 2;

class TSession {
public:
    TSession(TRegistryFactory& registry, TFileSystem& files, TLoader& loader);
    ~TSession();
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;

    // The first assignment starts the engine: reads the configuration path,
    // chooses the backend for this run and loads the configuration. Raises
    // Exception when the engine cannot start; a later assignment then tries
    // again.
    void SetConfigMode(int mode);
    int ConfigMode() const { return configMode_; }
    bool Active() const { return started_; }
    const std::string& ConfigFilePath() const { return configPath_; }

    void GetAliasNames(TStringList& list);
    void GetAliasParams(const std::string& alias, TStringList& list);
    std::string GetAliasDriverName(const std::string& alias);
    void AddAlias(const std::string& name, const std::string& driver, const TStringList& params);
    void AddStandardAlias(const std::string& name, const std::string& path, const std::string& defaultDriver);
    void ModifyAlias(const std::string& name, const TStringList& params);
    void SaveConfigFile();

    // Connection components of this session, found by database name.
    void RegisterDatabase(TDatabase* database);
    void UnregisterDatabase(TDatabase* database);
    TDatabase* FindDatabase(const std::string& name) const;

    // Drivers are loaded on first use; tests may put their own in place.
    TEngineDriver& Driver(const std::string& driverName);
    void SetDriver(const std::string& driverName, std::unique_ptr<TEngineDriver> driver);

private:
    TAliasBackend& Aliases() const;
    std::unique_ptr<TAliasBackend> StartBackend(const std::string& configPath, const std::string& dllPath);

    TRegistryFactory& registry_;
    TFileSystem& files_;
    TLoader& loader_;
    int configMode_ = 0;
    bool started_ = false;
    std::string configPath_;
    std::unique_ptr<TAliasBackend> aliases_;
    std::vector<TDatabase*> databases_;
    std::map<std::string, std::unique_ptr<TEngineDriver>> drivers_;  // key: upper-cased name
};
