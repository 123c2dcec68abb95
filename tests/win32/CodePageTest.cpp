// The window and program suites run as a Polish workstation does: ANSI code
// page 1250, which the Oracle files and the registry's ANSI texts are in.
// The test command's environment gives it; nothing here sets it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CodePage, TheSystemAnsiCodePageIsPolish) {
    EXPECT_EQ(::GetACP(), 1250u);
    EXPECT_EQ(::GetOEMCP(), 852u);
    // "Łódź" in the ANSI code page, as the names files hold it.
    const wchar_t* wide = L"\x0141\x00F3\x0064\x017A";
    char ansi[16] = {};
    const int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof(ansi), nullptr, nullptr);
    EXPECT_EQ(std::string(ansi, n > 0 ? n - 1 : 0), "\xA3\xF3" "d\x9F");
}

}  // namespace
