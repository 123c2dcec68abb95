#pragma once
// Native loader for the suites: libraries through dlopen. System libraries
// are Windows names mapped to shared objects ("odbc32.dll" -> "libodbc.so.2");
// libraries looked up along PATH come from a table the test fills.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Loader.h"

class DlLoader : public TLoader {
public:
    DlLoader();

    // A system library's shared object; an empty soname makes it unavailable.
    void Alias(const std::string& name, const std::string& soname);
    // Where LoadPathLibrary finds `name` (e.g. "oci.dll" -> "/abs/libocistandin.so").
    void MapPath(const std::string& name, const std::string& path);
    // What LoadLibraryFile finds at a full path (e.g. "C:\\BDE\\idapi32.dll" -> "/abs/libidapistandin.so").
    void MapFile(const std::string& path, const std::string& file);

    std::unique_ptr<TLibrary> LoadSystemLibrary(const std::string& name) override;
    std::unique_ptr<TLibrary> LoadPathLibrary(const std::string& name) override;
    std::unique_ptr<TLibrary> LoadLibraryFile(const std::string& path) override;

    // The names asked for, in order, loaded or not.
    const std::vector<std::string>& SystemRequests() const { return kinds_[System].Requests; }
    const std::vector<std::string>& PathRequests() const { return kinds_[Path].Requests; }
    const std::vector<std::string>& FileRequests() const { return kinds_[File].Requests; }
    // Libraries handed out and not yet freed.
    int LoadedCount() const { return *loaded_; }

private:
    enum Kind { System, Path, File };
    struct Table {
        std::map<std::string, std::string> Files;  // upper-cased name or full path -> shared object
        std::vector<std::string> Requests;
    };
    void Map(Kind kind, const std::string& name, const std::string& file);
    std::unique_ptr<TLibrary> Load(Kind kind, const std::string& name);

    Table kinds_[3];
    std::shared_ptr<int> loaded_ = std::make_shared<int>(0);  // libraries may outlive the loader
};
