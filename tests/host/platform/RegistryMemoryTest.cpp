#include <gtest/gtest.h>

#include "platform/RegistryMemory.h"

using platform::Registry;
using platform::RegistryMemory;
using platform::RegRoot;
using platform::RegValue;

TEST(RegistryMemory, OpenFailsOnMissingKeyCreateMakesParents) {
  RegistryMemory reg;
  Registry::Key k = 0;
  EXPECT_EQ(platform::kRegFileNotFound,
            reg.Open(RegRoot::LocalMachine, "SOFTWARE\\Tarvik\\HD", Registry::Access::Read, k));
  EXPECT_EQ(0u, k);
  ASSERT_EQ(platform::kRegOk, reg.Create(RegRoot::LocalMachine, "SOFTWARE\\Tarvik\\HD", k));
  reg.Close(k);
  EXPECT_TRUE(reg.KeyExists(RegRoot::LocalMachine, "software\\tarvik"));
  // A trailing backslash names the same key; case does not matter.
  EXPECT_EQ(platform::kRegOk,
            reg.Open(RegRoot::LocalMachine, "Software\\TARVIK\\hd\\", Registry::Access::ReadWrite, k));
  reg.Close(k);
  EXPECT_EQ(0u, reg.OpenKeyCount());
}

TEST(RegistryMemory, SetKeepsExactBytesAndQueryBoundsThem) {
  RegistryMemory reg;
  Registry::Key k = 0;
  ASSERT_EQ(0, reg.Create(RegRoot::LocalMachine, "SOFTWARE\\Tarvik\\SKIN", k));
  ASSERT_EQ(0, reg.Set(k, "Skin", platform::kRegSz, "1", 1));
  RegValue v;
  ASSERT_EQ(0, reg.QueryRaw(k, "skin", 80, v));
  EXPECT_EQ(platform::kRegSz, v.type);
  EXPECT_EQ(std::vector<std::uint8_t>{'1'}, v.data);
  EXPECT_EQ(platform::kRegMoreData, reg.QueryRaw(k, "Skin", 0, v));
  EXPECT_TRUE(v.data.empty());
  EXPECT_EQ(platform::kRegFileNotFound, reg.QueryRaw(k, "Other", 80, v));
  reg.Close(k);
}

TEST(RegistryMemory, QueryTextStopsAtNulAndDeniedWritesFail) {
  RegistryMemory reg;
  reg.PutText(RegRoot::LocalMachine, "A\\B", "Name", "Windows XP");
  reg.DenyWrites(RegRoot::LocalMachine, "A\\B");
  Registry::Key k = 0;
  ASSERT_EQ(0, reg.Open(RegRoot::LocalMachine, "A\\B", Registry::Access::Read, k));
  std::uint32_t type = 0;
  std::string text;
  ASSERT_EQ(0, reg.QueryText(k, "Name", 100, type, text));
  EXPECT_EQ("Windows XP", text);
  EXPECT_EQ(platform::kRegAccessDenied, reg.Set(k, "Name", platform::kRegSz, "x", 1));
  reg.Close(k);
}

TEST(RegistryMemory, QueryTextOfANumberIsEmptyAsOnWindows) {
  RegistryMemory reg;
  reg.PutDword(RegRoot::LocalMachine, "A", "N", 0x31);
  Registry::Key k = 0;
  ASSERT_EQ(0, reg.Open(RegRoot::LocalMachine, "A", Registry::Access::Read, k));
  std::uint32_t type = 0;
  std::string text = "stale";
  EXPECT_EQ(0, reg.QueryText(k, "N", 100, type, text));
  EXPECT_EQ(platform::kRegDword, type);
  EXPECT_EQ("", text);
  reg.Close(k);
}

TEST(RegistryMemory, QueryTextBoundCountsUtf16UnitsAsWindowsDoes) {
  // 30 Chinese characters: 90 bytes of UTF-8, but 30 units and a NUL on Windows.
  std::string text;
  for (int i = 0; i < 30; ++i) text += "专";
  RegistryMemory reg;
  reg.PutText(RegRoot::LocalMachine, "A", "T", text);
  reg.PutText(RegRoot::LocalMachine, "A", "E", "\xF0\x9F\x98\x80");  // one pair of units
  Registry::Key k = 0;
  ASSERT_EQ(0, reg.Open(RegRoot::LocalMachine, "A", Registry::Access::Read, k));
  std::uint32_t type = 0;
  std::string out;
  EXPECT_EQ(0, reg.QueryText(k, "T", 31, type, out));
  EXPECT_EQ(text, out);
  EXPECT_EQ(platform::kRegMoreData, reg.QueryText(k, "T", 30, type, out));
  EXPECT_EQ(0, reg.QueryText(k, "E", 3, type, out));
  EXPECT_EQ(platform::kRegMoreData, reg.QueryText(k, "E", 2, type, out));
  reg.Close(k);
}

// Found by fuzzing: bytes that are no UTF-8 came back as they were, so the
// records counted their buffer room in units no Unicode read would give.
TEST(RegistryMemory, QueryTextGivesWellFormedTextAsWindowsDoes) {
  RegistryMemory reg;
  reg.Put(RegRoot::LocalMachine, "K", "v", platform::kRegSz,
          {'a', 0xEF, 'b', 0xFF, 0xC3, 0xA9, 0xED, 0xA0, 0x80});
  Registry::Key k = 0;
  ASSERT_EQ(reg.Open(RegRoot::LocalMachine, "K", Registry::Access::Read, k), platform::kRegOk);
  std::uint32_t type = 0;
  std::string text;
  ASSERT_EQ(reg.QueryText(k, "v", 100, type, text), platform::kRegOk);
  // a, a cut-off sequence, b, a byte no sequence starts with, é, a surrogate.
  EXPECT_EQ(text, "a\xEF\xBF\xBD" "b\xEF\xBF\xBD" "\xC3\xA9" "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
  reg.Close(k);
}

TEST(RegistryMemory, RemovesValuesAndOnlyEmptyKeys) {
  RegistryMemory reg;
  reg.PutDword(RegRoot::LocalMachine, "SOFTWARE\\A\\B", "v", 1);
  reg.PutDword(RegRoot::LocalMachine, "SOFTWARE\\A B", "w", 1);  // sorts between A and A\B
  Registry::Key key = 0;
  ASSERT_EQ(platform::kRegOk,
            reg.Open(RegRoot::LocalMachine, "SOFTWARE\\A\\B", Registry::Access::ReadWrite, key));
  EXPECT_EQ(platform::kRegOk, reg.DeleteValue(key, "V"));  // names compare without case
  EXPECT_EQ(platform::kRegFileNotFound, reg.DeleteValue(key, "v"));
  reg.Close(key);
  // A key with a subkey stays; the emptied leaf goes, then its parent can.
  EXPECT_EQ(platform::kRegNotEmpty, reg.DeleteEmptyKey(RegRoot::LocalMachine, "SOFTWARE\\A"));
  EXPECT_EQ(platform::kRegOk, reg.DeleteEmptyKey(RegRoot::LocalMachine, "SOFTWARE\\A\\B\\"));
  EXPECT_EQ(platform::kRegOk, reg.DeleteEmptyKey(RegRoot::LocalMachine, "SOFTWARE\\A"));
  EXPECT_FALSE(reg.KeyExists(RegRoot::LocalMachine, "SOFTWARE\\A"));
  // A key with a value stays, and so does a root.
  EXPECT_EQ(platform::kRegNotEmpty, reg.DeleteEmptyKey(RegRoot::LocalMachine, "SOFTWARE\\A B"));
  EXPECT_NE(platform::kRegOk, reg.DeleteEmptyKey(RegRoot::LocalMachine, ""));
  EXPECT_EQ(platform::kRegFileNotFound, reg.DeleteEmptyKey(RegRoot::LocalMachine, "SOFTWARE\\Gone"));
}
