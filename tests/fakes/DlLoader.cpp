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

}  // namespace

DlLoader::DlLoader() { Alias("odbc32.dll", "libodbc.so.2"); }

void DlLoader::Alias(const std::string& name, const std::string& soname) { Map(System, name, soname); }
void DlLoader::MapPath(const std::string& name, const std::string& path) { Map(Path, name, path); }
void DlLoader::MapFile(const std::string& path, const std::string& file) { Map(File, path, file); }
void DlLoader::Map(Kind kind, const std::string& name, const std::string& file) { kinds_[kind].Files[UpperCase(name)] = file; }

std::unique_ptr<TLibrary> DlLoader::LoadSystemLibrary(const std::string& name) { return Load(System, name); }
std::unique_ptr<TLibrary> DlLoader::LoadPathLibrary(const std::string& name) { return Load(Path, name); }
std::unique_ptr<TLibrary> DlLoader::LoadLibraryFile(const std::string& path) { return Load(File, path); }

std::unique_ptr<TLibrary> DlLoader::Load(Kind kind, const std::string& name) {
    Table& table = kinds_[kind];
    table.Requests.push_back(name);
    const auto it = table.Files.find(UpperCase(name));
    if (it == table.Files.end() || it->second.empty()) return nullptr;
    void* handle = dlopen(it->second.c_str(), RTLD_NOW | RTLD_LOCAL);
    return handle ? std::make_unique<DlLibrary>(handle, loaded_) : nullptr;
}
