// The fake file system held to the cases the real one passes under Wine.
#include "contract/FileSystemContract.h"
#include "fakes/FakeFileSystem.h"

namespace {

struct FakeFileSystemRig {
    static constexpr const char* Folder = "C:\\Dane";
    FakeFileSystemRig() { files.AddFolder(Folder); }

    TFileSystem& Files() { return files; }
    std::string Path(const std::string& name) const { return std::string(Folder) + "\\" + name; }
    void Put(const std::string& name, const std::string& bytes) { files.AddFile(Path(name), bytes); }
    std::string Bytes(const std::string& name) const { return files.Bytes(Path(name)); }
    void MakeFolder(const std::string& name) { files.AddFolder(Path(name)); }
    void SetReadOnly(const std::string& name) { files.SetReadOnly(Path(name)); }
    std::vector<std::string> FileNames() const {
        std::vector<std::string> names;
        for (const std::string& path : files.Files())
            if (path.find('\\', Path("").size()) == std::string::npos) names.push_back(path.substr(Path("").size()));
        return names;
    }
    static std::string Reason(contract::Why why) {
        using contract::Why;
        return why == Why::FileNotFound   ? FakeFileSystem::FileNotFound
               : why == Why::PathNotFound ? FakeFileSystem::PathNotFound
               : why == Why::AccessDenied ? FakeFileSystem::AccessDenied
                                          : FakeFileSystem::InvalidName;
    }

    FakeFileSystem files;
};

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, FileSystemContract, FakeFileSystemRig);
}  // namespace contract
