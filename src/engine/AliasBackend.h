#pragma once
// Where the session's persistent aliases live. Two backends, one chosen at the
// session's start: the installed engine's library, or our own text file.
#include <string>
#include <vector>

#include "base/StringList.h"

constexpr const char* kStandardDriver = "STANDARD";

class TAliasBackend {
public:
    virtual ~TAliasBackend() = default;

    virtual std::vector<std::string> Names() = 0;
    // The alias's driver; "STANDARD" for file-based aliases. Raises for an unknown alias.
    virtual std::string DriverName(const std::string& alias) = 0;
    // NAME=VALUE lines in stored order: of a "STANDARD" alias its general
    // entries "PATH" and "DEFAULT DRIVER" only, of any other its connection entries.
    virtual TStringList Params(const std::string& alias) = 0;
    virtual void Add(const std::string& name, const std::string& driver, const TStringList& params) = 0;
    // A file-based alias: "STANDARD" with PATH and DEFAULT DRIVER.
    void AddStandard(const std::string& name, const std::string& path, const std::string& defaultDriver) {
        Add(name, kStandardDriver, TStringList{"PATH=" + path, "DEFAULT DRIVER=" + defaultDriver});
    }
    // Stored entries the list names take its values; others stay; list
    // entries the alias lacks are ignored.
    virtual void Modify(const std::string& name, const TStringList& params) = 0;
    virtual void Save() = 0;
};
