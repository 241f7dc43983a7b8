#include "platform/RegistryRights.h"

#include <gtest/gtest.h>

#include "platform/RegistryMemory.h"

namespace {

using platform::kRegAccessDenied;
using platform::kRegDword;
using platform::kRegOk;
using platform::Registry;
using platform::RegistryMemory;
using platform::RegRoot;
using platform::RightsRegistry;

constexpr std::uint8_t kOne[4] = {1, 0, 0, 0};

long WriteOne(Registry& reg, RegRoot root, const char* path, bool create) {
  Registry::Key key = 0;
  long rc = create ? reg.Create(root, path, key) : reg.Open(root, path, Registry::Access::ReadWrite, key);
  if (rc != kRegOk) return rc;
  rc = reg.Set(key, "v", kRegDword, kOne, sizeof kOne);
  reg.Close(key);
  return rc;
}

TEST(RightsRegistry, AStandardUserReadsButCannotChangeTheMachine) {
  RegistryMemory mem;
  mem.PutDword(RegRoot::LocalMachine, "SOFTWARE\\Existing", "v", 7);
  RightsRegistry reg(mem, true);

  Registry::Key key = 0;
  ASSERT_EQ(kRegOk, reg.Open(RegRoot::LocalMachine, "SOFTWARE\\Existing", Registry::Access::ReadWrite, key));
  platform::RegValue value;
  EXPECT_EQ(kRegOk, reg.QueryRaw(key, "v", 4, value));
  EXPECT_EQ(7, value.data[0]);
  EXPECT_EQ(kRegAccessDenied, reg.Set(key, "v", kRegDword, kOne, sizeof kOne));
  reg.Close(key);

  // An existing machine key opens through Create, but takes no value; a
  // missing one is not made.
  EXPECT_EQ(kRegAccessDenied, WriteOne(reg, RegRoot::LocalMachine, "SOFTWARE\\Existing", true));
  EXPECT_EQ(kRegAccessDenied, WriteOne(reg, RegRoot::LocalMachine, "SOFTWARE\\New\\Key", true));
  EXPECT_FALSE(mem.KeyExists(RegRoot::LocalMachine, "SOFTWARE\\New"));
  EXPECT_EQ(7, mem.Find(RegRoot::LocalMachine, "SOFTWARE\\Existing", "v")->data[0]);

  // Nor does a value or an empty key go.
  mem.Put(RegRoot::LocalMachine, "SOFTWARE\\Empty", "x", platform::kRegNone, {});
  ASSERT_EQ(kRegOk, reg.Open(RegRoot::LocalMachine, "SOFTWARE\\Existing", Registry::Access::ReadWrite, key));
  EXPECT_EQ(kRegAccessDenied, reg.DeleteValue(key, "v"));
  reg.Close(key);
  EXPECT_EQ(kRegAccessDenied, reg.DeleteEmptyKey(RegRoot::LocalMachine, "SOFTWARE\\New"));

  // The user's own keys stay writable, new ones included.
  EXPECT_EQ(kRegOk, WriteOne(reg, RegRoot::CurrentUser, "Software\\Mine", true));
  EXPECT_EQ(kRegOk, WriteOne(reg, RegRoot::CurrentUser, "Software\\Mine", false));
  EXPECT_EQ(0u, mem.OpenKeyCount());
}

TEST(RightsRegistry, WithTheRightsEveryCallGoesThrough) {
  RegistryMemory mem;
  RightsRegistry reg(mem, false);
  EXPECT_EQ(kRegOk, WriteOne(reg, RegRoot::LocalMachine, "SOFTWARE\\New\\Key", true));
  ASSERT_NE(nullptr, mem.Find(RegRoot::LocalMachine, "SOFTWARE\\New\\Key", "v"));
  // Denials of the store itself still come back.
  mem.DenyWrites(RegRoot::LocalMachine, "SOFTWARE\\Locked");
  EXPECT_EQ(kRegAccessDenied, WriteOne(reg, RegRoot::LocalMachine, "SOFTWARE\\Locked", false));
  EXPECT_EQ(0u, mem.OpenKeyCount());
}

}  // namespace
