// The program image of the built executable: version resource, manifest, icon.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "win32/UiWindowSupport.h"

namespace {

using uiwin::ProgramPath;

class ProgramImage : public ::testing::Test {
protected:
    void SetUp() override {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(ProgramPath().c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version resource in the executable";
        version_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(ProgramPath().c_str(), 0, size, version_.data()));
    }

    // A text of the Polish (1250) string table; "<none>" when it is missing.
    std::wstring Text(const wchar_t* name) {
        void* data = nullptr;
        UINT length = 0;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\041504E2\\") + name;
        if (!VerQueryValueW(version_.data(), query.c_str(), &data, &length) || !data) return L"<none>";
        return std::wstring(static_cast<const wchar_t*>(data));
    }

    std::vector<unsigned char> version_;
};

TEST_F(ProgramImage, VersionIs2_4_1_44InPolish) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(version_.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(4, 2));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(44, 1));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(4, 2));
    EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(44, 1));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(version_.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0415);
    EXPECT_EQ(translation[1], 1250);

    EXPECT_EQ(Text(L"FileVersion"), L"2.4.1.44");
    EXPECT_EQ(Text(L"ProductVersion"), L"2.3");
    for (const wchar_t* empty : {L"CompanyName", L"FileDescription", L"InternalName", L"LegalCopyright",
                                 L"OriginalFilename", L"ProductName"})
        EXPECT_EQ(Text(empty), L"") << empty;
}

BOOL CALLBACK CountResource(HMODULE, LPCWSTR, LPWSTR, LONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST(ProgramImageFile, ManifestAsksForAdministratorThemesAndDpiAwareness) {
    HMODULE image = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(image, found)));
    const std::string manifest(bytes, SizeofResource(image, found));
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);

    // One icon, found by the number the window uses.
    EXPECT_NE(FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14)), nullptr);  // RT_GROUP_ICON
    int groups = 0;
    EnumResourceNamesW(image, MAKEINTRESOURCEW(14), CountResource, reinterpret_cast<LONG_PTR>(&groups));
    EXPECT_EQ(groups, 1);
    FreeLibrary(image);
}

}  // namespace
