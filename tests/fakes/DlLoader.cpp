#include "fakes/DlLoader.h"

#include <dlfcn.h>

#include "base/Text.h"

namespace {

class DlLibrary : public TLibrary {
public:
    DlLibrary(void* handle, std::shared_ptr<int> loaded) : handle_(handle), loaded_(std::move(loaded)) {
        ++*loaded_;
    }
    ~DlLibrary() override {
        dlclose(handle_);
        --*loaded_;
    }
    DlLibrary(const DlLibrary&) = delete;
    DlLibrary& operator=(const DlLibrary&) = delete;

    void* Proc(const char* name) override { return dlsym(handle_, name); }

private:
    void* handle_;
    std::shared_ptr<int> loaded_;
};

std::string Lookup(const std::map<std::string, std::string>& table, const std::string& name) {
    auto it = table.find(UpperCase(name));
    return it == table.end() ? std::string() : it->second;
}

}  // namespace

DlLoader::DlLoader() { Alias("odbc32.dll", "libodbc.so.2"); }

void DlLoader::Alias(const std::string& name, const std::string& soname) { system_[UpperCase(name)] = soname; }

void DlLoader::MapPath(const std::string& name, const std::string& path) { paths_[UpperCase(name)] = path; }

void DlLoader::MapFile(const std::string& path, const std::string& file) { files_[UpperCase(path)] = file; }

std::unique_ptr<TLibrary> DlLoader::LoadLibraryFile(const std::string& path) {
    fileRequests_.push_back(path);
    return Open(Lookup(files_, path));
}

std::unique_ptr<TLibrary> DlLoader::LoadSystemLibrary(const std::string& name) {
    systemRequests_.push_back(name);
    return Open(Lookup(system_, name));
}

std::unique_ptr<TLibrary> DlLoader::LoadPathLibrary(const std::string& name) {
    pathRequests_.push_back(name);
    return Open(Lookup(paths_, name));
}

std::unique_ptr<TLibrary> DlLoader::Open(const std::string& file) {
    if (file.empty()) return nullptr;
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return nullptr;
    return std::make_unique<DlLibrary>(handle, loaded_);
}
