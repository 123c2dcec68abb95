#include <gtest/gtest.h>

#include "platform/win32/Win32Loader.h"

int main(int argc, char** argv) {
    // As the program does first thing: every suite runs with the search path
    // the program has.
    HardenDllSearch();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
