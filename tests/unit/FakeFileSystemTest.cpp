#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/ErrorText.h"
#include "fakes/FakeFileSystem.h"

using ::testing::AllOf;
using ::testing::HasSubstr;

TEST(FakeFileSystem, ExistsOnlyForFiles) {
    FakeFileSystem files;
    files.AddFile("C:\\ora\\NETWORK\\ADMIN\\tnsnames.ora", "x");
    files.AddFolder("C:\\Empty");
    EXPECT_TRUE(files.FileExists("c:/ORA/network/admin/TNSNAMES.ORA"));
    EXPECT_FALSE(files.FileExists("C:\\ora\\NETWORK\\ADMIN"));
    EXPECT_FALSE(files.FileExists("C:\\ora\\NETWORK\\ADMIN\\"));
    EXPECT_FALSE(files.FileExists("C:\\Empty"));
    EXPECT_FALSE(files.FileExists("C:\\ora\\NETWORK\\ADMIN\\sqlnet.ora"));
}

TEST(FakeFileSystem, ReadErrorsNameThePathAndTheReason) {
    FakeFileSystem files;
    files.AddFile("C:\\ora\\locked.ora", "x");
    files.SetUnreadable("C:\\ora\\locked.ora");
    const auto error = [&](const std::string& path) { return ErrorText([&] { files.ReadBytes(path); }); };
    EXPECT_EQ(error("C:\\ora\\missing.ora"),
              "Nie można otworzyć pliku \"C:\\ora\\missing.ora\". Nie można odnaleźć określonego pliku.");
    EXPECT_THAT(error("C:\\nowhere\\x.ora"), HasSubstr(FakeFileSystem::PathNotFound));
    EXPECT_THAT(error("C:\\ora"), AllOf(HasSubstr("C:\\ora"), HasSubstr(FakeFileSystem::AccessDenied)));
    EXPECT_THAT(error("C:\\ora\\locked.ora"), HasSubstr(FakeFileSystem::AccessDenied));
}

TEST(FakeFileSystem, WritesNeedTheFolderAndAreCounted) {
    FakeFileSystem files;
    files.AddFolder("C:\\ora\\NETWORK\\ADMIN");
    EXPECT_EQ(ErrorText([&] { files.WriteBytes("C:\\ora\\NET\\x.ora", "x"); }),
              "Nie można utworzyć pliku \"C:\\ora\\NET\\x.ora\". Nie można odnaleźć określonej ścieżki.");
    EXPECT_THAT(ErrorText([&] { files.WriteBytes("C:\\ora\\NETWORK", "x"); }), HasSubstr(FakeFileSystem::AccessDenied));
    EXPECT_FALSE(files.HasFile("C:\\ora\\NET\\x.ora"));
    EXPECT_EQ(files.WriteCount(), 0);
    EXPECT_EQ(files.WriteAttempts(), 2);

    // The current drive's root and a drive's root always exist.
    files.WriteBytes("C:\\ora\\NETWORK\\ADMIN\\sqlnet.ora", "a");
    files.WriteBytes("c:\\ORA\\network\\admin\\SQLNET.ORA", "b");
    files.WriteBytes("\\root.ora", "c");
    files.WriteBytes("D:\\top.ora", "d");
    EXPECT_EQ(files.Bytes("C:\\ora\\NETWORK\\ADMIN\\sqlnet.ora"), "b");
    EXPECT_EQ(files.WriteCount("C:\\ora\\NETWORK\\ADMIN\\sqlnet.ora"), 2);
    EXPECT_EQ(files.WriteCount(), 4);
    EXPECT_EQ(files.Files().size(), 3u);
}

TEST(FakeFileSystem, FailNextWriteFailsOnce) {
    FakeFileSystem files;
    files.AddFile("C:\\a.txt", "old");
    files.FailNextWrite("Urządzenie nie jest gotowe.");
    EXPECT_EQ(ErrorText([&] { files.WriteBytes("C:\\a.txt", "new"); }),
              "Nie można utworzyć pliku \"C:\\a.txt\". Urządzenie nie jest gotowe.");
    EXPECT_EQ(files.Bytes("C:\\a.txt"), "old");
    files.WriteBytes("C:\\a.txt", "new");
    EXPECT_EQ(files.Bytes("C:\\a.txt"), "new");
}
