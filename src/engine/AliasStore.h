#pragma once
// The persistent aliases and the text format of the configuration file.
#include <map>
#include <string>
#include <vector>

#include "base/StringList.h"

struct TAlias {
    std::string Name;    // spelling kept
    std::string Driver;  // "STANDARD" for file-based aliases
    TStringList Params;  // ordered NAME=VALUE
};

class TAliasStore {
public:
    // Parses the file's text; raises Exception naming `path` and the line on a format error.
    void Load(const std::string& text, const std::string& path);
    std::string Save() const;

    std::vector<std::string> Names() const;  // in file order
    const TAlias* Find(const std::string& name) const;  // without regard to case
    TAlias* Find(const std::string& name);
    void Add(TAlias alias);  // raises when the name exists
    std::size_t Count() const { return aliases_.size(); }

private:
    std::vector<TAlias> aliases_;
    std::map<std::string, std::size_t> index_;  // upper-cased name -> position
};
