// The handle owner's contract, with a closer that records what it closed.
#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/UniqueHandle.h"

namespace {

std::vector<int> closed;

struct RecordingCloser {
    static int Invalid() noexcept { return -1; }
    static void Close(int handle) noexcept { closed.push_back(handle); }
};
using Owned = UniqueHandle<int, RecordingCloser>;

class UniqueHandleTest : public testing::Test {
protected:
    void SetUp() override { closed.clear(); }
};

TEST_F(UniqueHandleTest, ClosesOnceWhenItGoesAway) {
    { Owned handle(5); EXPECT_TRUE(handle); }
    { Owned nothing; EXPECT_FALSE(nothing); }
    EXPECT_EQ(closed, std::vector<int>{5});
}

TEST_F(UniqueHandleTest, MovingHandsOverOwnership) {
    {
        Owned a(1);
        Owned b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(b.get(), 1);
        Owned c(2);
        c = std::move(b);  // 2 closed now, 1 moves on
        EXPECT_EQ(closed, std::vector<int>{2});
        Owned& same = c;
        c = std::move(same);  // self-move keeps the handle
        EXPECT_EQ(c.get(), 1);
    }
    EXPECT_EQ(closed, (std::vector<int>{2, 1}));
}

TEST_F(UniqueHandleTest, ResetReleaseAndPut) {
    Owned handle(1);
    handle.reset(2);
    EXPECT_EQ(closed, std::vector<int>{1});
    EXPECT_EQ(handle.release(), 2);
    EXPECT_FALSE(handle);
    int* slot = handle.put();
    *slot = 3;
    EXPECT_EQ(handle.get(), 3);
    *handle.put() = 4;  // put closes what was held
    EXPECT_EQ(closed, (std::vector<int>{1, 3}));
}

// The aliases close with the right function: each object is gone after reset.
TEST(UniqueHandleAliasTest, ObjectsAreFreedByTheirOwnCloser) {
    UniqueHBrush brush(::CreateSolidBrush(RGB(1, 2, 3)));
    UniqueHFont font(::CreateFontW(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    UniqueHMenu menu(::CreateMenu());
    UniqueHwnd window(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr));
    // What each handle's own query says of it: gone once reset.
    const auto states = [b = brush.get(), f = font.get(), m = menu.get(), w = window.get()] {
        return std::vector<DWORD>{::GetObjectType(b), ::GetObjectType(f), DWORD(!!::IsMenu(m)), DWORD(!!::IsWindow(w))};
    };
    ASSERT_EQ(states(), (std::vector<DWORD>{OBJ_BRUSH, OBJ_FONT, TRUE, TRUE}));
    brush.reset();
    font.reset();
    menu.reset();
    window.reset();
    EXPECT_EQ(states(), std::vector<DWORD>(4, 0));
}

TEST(UniqueFileTest, FailedCreateIsNoHandle) {
    UniqueFile file(::CreateFileW(L"Z:\\nie\\ma\\takiego\\pliku", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(file);
}

}  // namespace
