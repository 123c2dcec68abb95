#include <gtest/gtest.h>

#include "fakes/DlLoader.h"

TEST(DlLoader, LoadsOdbc32AsTheUnixOdbcDriverManager) {
    DlLoader loader;
    {
        auto odbc = loader.LoadSystemLibrary("ODBC32.DLL");
        ASSERT_NE(odbc, nullptr);
        EXPECT_NE(odbc->Proc("SQLAllocHandle"), nullptr);
        EXPECT_EQ(odbc->Proc("NoSuchEntryPoint"), nullptr);
        EXPECT_EQ(loader.LoadedCount(), 1);
    }
    EXPECT_EQ(loader.LoadedCount(), 0);
    EXPECT_EQ(loader.SystemRequests(), std::vector<std::string>{"ODBC32.DLL"});
}

TEST(DlLoader, OtherLibrariesOnlyThroughTheirMapping) {
    DlLoader loader;
    EXPECT_EQ(loader.LoadSystemLibrary("netapi32.dll"), nullptr);
    EXPECT_EQ(loader.LoadPathLibrary("oci.dll"), nullptr);
    loader.MapPath("oci.dll", "/nonexistent/libocistandin.so");
    EXPECT_EQ(loader.LoadPathLibrary("OCI.dll"), nullptr);
    loader.Alias("netapi32.dll", "libc.so.6");
    auto netapi = loader.LoadSystemLibrary("netapi32.dll");
    ASSERT_NE(netapi, nullptr);
    EXPECT_NE(netapi->Proc("strlen"), nullptr);
    loader.Alias("odbc32.dll", "");
    EXPECT_EQ(loader.LoadSystemLibrary("odbc32.dll"), nullptr);
    EXPECT_EQ(loader.PathRequests(), (std::vector<std::string>{"oci.dll", "OCI.dll"}));
}
