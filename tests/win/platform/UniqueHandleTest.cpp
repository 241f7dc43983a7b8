// One owner per handle: closed at the end of its scope, moved not copied.
#include <gtest/gtest.h>

#include <windows.h>

#include <utility>

#include "platform/UniqueHandle.h"

namespace {

bool IsOpen(HANDLE h) {
  DWORD flags = 0;
  return GetHandleInformation(h, &flags) != FALSE;
}

TEST(UniqueHandle, ClosesOnceAtTheEndOfItsOwner) {
  HANDLE raw;
  {
    platform::UniqueKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event.ok());
    raw = event.get();
    platform::UniqueKernelHandle moved(std::move(event));
    EXPECT_FALSE(event.ok());
    EXPECT_EQ(moved.get(), raw);
    EXPECT_TRUE(IsOpen(raw));
  }
  EXPECT_FALSE(IsOpen(raw));
}

TEST(UniqueHandle, AFailedOpenHoldsNothingAndResetTakesANewHandle) {
  platform::UniqueFile none(CreateFileW(L"C:\\no\\such\\file", GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(none.ok());
  platform::UniqueKernelHandle h(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE first = h.get();
  h.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  EXPECT_FALSE(IsOpen(first));
  HANDLE second = h.release();
  EXPECT_FALSE(h.ok());
  EXPECT_TRUE(IsOpen(second));
  CloseHandle(second);
}

}  // namespace
