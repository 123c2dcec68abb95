// Writes that are cut short: a writer process replaces a file through the
// real file layer over and over and is killed at many moments of its writes.
// The file is then one of the two contents whole, never a mix, and what a
// killed writer left beside it never takes its place.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "CrashContent.h"
#include "Scratch.h"
#include "platform/win32/Win32FileSystem.h"

namespace {

// Starts the writer on path and kills it afterMs milliseconds into its writes.
void KillWriterAfter(const std::string& path, DWORD afterMs) {
    const std::wstring eventName = L"KonfiguracjaBDE-zapis-" + std::to_wstring(GetCurrentProcessId());
    UniqueKernelHandle started(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    ASSERT_TRUE(started);
    const std::wstring writer = scratch::BesideSuite(L"" CRASH_WRITER_EXE);
    std::wstring commandLine = L"\"" + writer + L"\" \"" + Utf8ToWide(path) + L"\" " + eventName;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    const HANDLE startedOrEnded[] = {started.get(), process.get()};
    ASSERT_EQ(WaitForMultipleObjects(2, startedOrEnded, FALSE, 30000), WAIT_OBJECT_0) << "the writer did not start";
    Sleep(afterMs);
    ASSERT_TRUE(TerminateProcess(process.get(), 9));
    ASSERT_EQ(WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    ASSERT_EQ(code, 9u) << "the writer stopped by itself: a write failed";
}

TEST(CrashSafeWrite, AKilledWriterLeavesTheOldFileOrTheNewOneWhole) {
    scratch::Folder folder;
    const std::string path = folder.File("tnsnames.ora");
    scratch::PutBytes(path, crash::Old());
    int killsWithLeftover = 0, killsAfterANewFile = 0;
    for (DWORD afterMs : {0, 1, 2, 3, 5, 8, 12, 17, 23, 30, 40, 55, 75, 100, 140, 200}) {
        SCOPED_TRACE("killed after " + std::to_string(afterMs) + " ms");
        KillWriterAfter(path, afterMs);
        if (HasFatalFailure()) return;
        const std::string bytes = scratch::GetBytes(path);
        EXPECT_TRUE(bytes == crash::Old() || bytes == crash::New()) << "a mixed file of " << bytes.size() << " bytes";
        killsAfterANewFile += bytes == crash::New();

        bool leftover = false;
        for (const std::string& name : folder.Names()) {
            if (name == "tnsnames.ora") continue;
            leftover = true;
            EXPECT_TRUE(name.starts_with("tnsnames.ora.") && name.ends_with(".tmp")) << name;
        }
        killsWithLeftover += leftover;
    }
    // The kills landed inside a write as well as after a finished one.
    EXPECT_GT(killsWithLeftover, 0);
    EXPECT_GT(killsAfterANewFile, 0);

    // The next write takes the target's place and clears away the leftovers.
    TWin32FileSystem files;
    files.WriteBytes(path, "nowa\r\n");
    EXPECT_EQ(files.ReadBytes(path), "nowa\r\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"tnsnames.ora"});
}

TEST(CrashSafeWrite, AWriteClearsOnlyTheTemporariesOfWritersThatEnded) {
    scratch::Folder folder;
    const std::string running = std::to_string(GetCurrentProcessId());
    const struct {
        std::string name;
        bool removed;
    } leftovers[] = {
        {"tnsnames.ora.4294967292-0.tmp", true},   // its writer is gone
        {"TNSNAMES.ORA.4294967292-17.TMP", true},  // names compare without case
        {"tnsnames.ora." + running + "-5.tmp", false},
        {"sqlnet.ora.4294967292-0.tmp", false},
        {"tnsnames.ora.bak", false},
        {"tnsnames.ora.4294967292-x.tmp", false},
        {"tnsnames.ora.-0.tmp", false},
        {"tnsnames.ora.99999999999-0.tmp", false},
    };
    for (const auto& leftover : leftovers) scratch::PutBytes(folder.File(leftover.name), "resztka");

    TWin32FileSystem files;
    files.WriteBytes(folder.File("tnsnames.ora"), "nowa\r\n");
    for (const auto& leftover : leftovers)
        EXPECT_EQ(files.FileExists(folder.File(leftover.name)), !leftover.removed) << leftover.name;
    EXPECT_EQ(files.ReadBytes(folder.File("tnsnames.ora")), "nowa\r\n");
}

}  // namespace
