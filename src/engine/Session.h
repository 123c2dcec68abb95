#pragma once
// The process's default engine session: persistent aliases kept in our own
// configuration file, whose path the registry names.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/AliasStore.h"
#include "engine/Driver.h"
#include "platform/StringList.h"

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

    // The first assignment starts the engine: reads the configuration path
    // and loads the file. Raises Exception when the engine cannot start; a
    // later assignment then tries again.
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
    void CheckStarted() const;
    // The started engine's alias; raises when there is none of that name.
    const TAlias& FindAlias(const std::string& name) const;

    TRegistryFactory& registry_;
    TFileSystem& files_;
    TLoader& loader_;
    int configMode_ = 0;
    bool started_ = false;
    std::string configPath_;
    TAliasStore aliases_;
    std::vector<TDatabase*> databases_;
    std::map<std::string, std::unique_ptr<TEngineDriver>> drivers_;  // key: upper-cased name
};
