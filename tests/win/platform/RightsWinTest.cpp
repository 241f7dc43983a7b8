#include "platform/Rights.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// Sets or clears an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const wchar_t* name, const wchar_t* value) : name_(name) {
    SetEnvironmentVariableW(name_, value);
  }
  ~ScopedEnv() { SetEnvironmentVariableW(name_, nullptr); }

 private:
  const wchar_t* name_;
};

TEST(Rights, TheTestPrefixRunsElevated) {
  // Wine's default prefix gives the process an elevated administrator token.
  EXPECT_TRUE(platform::ProcessIsElevated());
}

TEST(Rights, OnlyTheValueOneForcesAStandardUser) {
  {
    ScopedEnv standard(L"DRAVON_AS_STANDARD_USER", L"1");
    EXPECT_TRUE(platform::StandardUserForced());
    EXPECT_FALSE(platform::ProcessIsElevated());
  }
  for (const wchar_t* other : {L"0", L"", L"11", L"yes"}) {
    ScopedEnv env(L"DRAVON_AS_STANDARD_USER", other);
    EXPECT_FALSE(platform::StandardUserForced()) << static_cast<int>(other[0]);
    EXPECT_TRUE(platform::ProcessIsElevated());
  }
  EXPECT_TRUE(platform::ProcessIsElevated());
}

}  // namespace
