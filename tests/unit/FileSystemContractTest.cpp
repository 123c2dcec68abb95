// The fake file system held to the cases the real one passes under Wine, then
// the faults and counts only the fake has.
#include <gtest/gtest.h>

#include "contract/FileSystemContract.h"
#include "fakes/FakeFileSystem.h"

namespace {

constexpr const char* Folder = "C:\\Dane\\";

struct FakeFileSystemRig {
    FakeFileSystemRig() { files.AddFolder(Folder); }

    TFileSystem& Files() { return files; }
    static std::string Path(const std::string& name) { return Folder + name; }
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
        const char* const reasons[] = {FakeFileSystem::FileNotFound, FakeFileSystem::PathNotFound,
                                       FakeFileSystem::AccessDenied, FakeFileSystem::InvalidName};
        return reasons[static_cast<int>(why)];
    }

    FakeFileSystem files;
};

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, FileSystemContract, FakeFileSystemRig);
}  // namespace contract

TEST(FakeFileSystemTest, AFailedWriteLeavesTheOldContentAndIsNotCounted) {
    FakeFileSystemRig rig;
    const std::string path = rig.Path("sqlnet.ora");
    rig.Put("sqlnet.ora", "old\r\n");
    rig.files.FailNextWrite();
    EXPECT_EQ(ErrorText([&] { rig.files.WriteLines(path, {"new"}); }),
              "Nie można zapisać pliku \"" + path + "\": " + FakeFileSystem::DiskFull);
    EXPECT_EQ(rig.Bytes("sqlnet.ora"), "old\r\n");
    EXPECT_EQ(rig.files.WriteCount(path), 0);
    EXPECT_EQ(rig.files.WriteAttempts(), 1);
    // Only the next write fails.
    rig.files.WriteLines(path, {"new"});
    rig.files.WriteLines(path, {"newer"});
    EXPECT_EQ(rig.files.WriteCount(path), 2);
}
