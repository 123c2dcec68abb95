#pragma once
// The aliases in our own text file (format in AliasStore.cpp), where no
// engine is installed.
#include "engine/AliasBackend.h"
#include "engine/AliasStore.h"

class TFileSystem;

class TTextAliasBackend : public TAliasBackend {
public:
    // Loads the file when it is there; raises Exception when it cannot be
    // checked, read or parsed.
    TTextAliasBackend(TFileSystem& files, std::string path);

    std::vector<std::string> Names() override;
    std::string DriverName(const std::string& alias) override;
    TStringList Params(const std::string& alias) override;
    void Add(const std::string& name, const std::string& driver, const TStringList& params) override;
    void Modify(const std::string& name, const TStringList& params) override;
    void Save() override;

private:
    TAlias& Find(const std::string& name);

    TFileSystem& files_;
    std::string path_;
    TAliasStore aliases_;
};
