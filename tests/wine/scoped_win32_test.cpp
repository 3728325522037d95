// The scoped owners give back exactly what they hold, once: a handle closed
// twice may close another one that got the same number meanwhile.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/scoped_win32.h"

namespace quillan {
namespace {

bool IsOpen(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

HANDLE NewEvent() { return CreateEventA(nullptr, TRUE, FALSE, nullptr); }

TEST(ScopedHandle, ClosesWhatItHoldsAndNothingElse) {
    HANDLE first = NewEvent();
    HANDLE second = NewEvent();
    {
        ScopedHandle owner(first);
        EXPECT_TRUE(owner.Valid());
        owner.Reset(second);
        EXPECT_FALSE(IsOpen(first)) << "Reset gives back the one held before";
        EXPECT_TRUE(IsOpen(second));
    }
    EXPECT_FALSE(IsOpen(second)) << "the end of the scope gives back the one held";

    HANDLE kept = NewEvent();
    {
        ScopedHandle owner(kept);
        EXPECT_EQ(owner.Release(), kept);
        EXPECT_FALSE(owner.Valid());
    }
    EXPECT_TRUE(IsOpen(kept)) << "a released handle belongs to its new owner";
    CloseHandle(kept);

    // What the creating calls fail with holds nothing.
    EXPECT_FALSE(ScopedHandle().Valid());
    EXPECT_FALSE(ScopedHandle(INVALID_HANDLE_VALUE).Valid());
}

TEST(SelectedGdiObject, GivesTheDcItsPreviousObjectBack) {
    ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc.Valid());
    const HGDIOBJ before = GetCurrentObject(dc.Get(), OBJ_BRUSH);
    ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(RGB(1, 2, 3)));
    {
        SelectedGdiObject selected(dc.Get(), brush.Get());
        EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), brush.Get());
    }
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), before);
}

}  // namespace
}  // namespace quillan
