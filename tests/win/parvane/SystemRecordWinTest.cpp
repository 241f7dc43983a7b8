// The system records over the real registry: texts outside the ANSI code page
// arrive whole, and the BIOS list is read as the multi-string Windows stores.
#include <gtest/gtest.h>
#include <windows.h>

#include "parvane/SystemRecord.h"
#include "platform/RegistryWin.h"
#include "tests/win/common/ScratchRegistry.h"

namespace parvane {
namespace {

constexpr const wchar_t* kNt = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const wchar_t* kBios = L"HARDWARE\\DESCRIPTION\\System";

class SystemRecordWin : public dravon_test::ScratchRegistry {
 protected:
  SystemRecordWin() : ScratchRegistry(L"SystemRecord") {}

  static SystemFacts XpFacts() {
    SystemFacts f;
    f.version = VersionRecord{5, 1, 2600, 2, "Service Pack 3"};
    f.environment = [](std::string_view) { return std::optional<std::string>{}; };
    return f;
  }
  platform::RegistryWin reg_;
};

TEST_F(SystemRecordWin, UnicodeTextsReadWhole) {
  PutTextW(kNt, L"RegisteredOwner", L"张三");
  PutTextW(kNt, L"CurrentVersion", L"5.1");
  PutTextW(kNt, L"CurrentBuildNumber", L"2600");
  PutTextW(kNt, L"ProductId", L"76487-OEM-0011903-00102");
  PutTextW(kNt, L"SystemRoot", L"C:\\WINDOWS");
  SystemInfoRecord r;
  ASSERT_TRUE(ReadSystemRecord(reg_, XpFacts(), r));
  EXPECT_EQ("张三", r.owner);
  EXPECT_EQ("76487-OEM-0011903-00102", r.productId);
  EXPECT_EQ("C:\\WINDOWS", r.systemRoot);
  EXPECT_NE(std::string::npos, r.version.find("2600"));
}

TEST_F(SystemRecordWin, BiosMultiStringBecomesOneLine) {
  const wchar_t list[] = L"BIOS Date: 01/01/11\0Ver: 1.2\0";
  PutW(kBios, L"SystemBiosVersion", REG_MULTI_SZ, list, sizeof list);
  PutTextW(kBios, L"Identifier", L"AT/AT COMPATIBLE");
  BiosInfoRecord r;
  ReadBiosRecord(reg_, XpFacts(), r);
  EXPECT_EQ("BIOS Date: 01/01/11 Ver: 1.2  ", r.nameText);
  EXPECT_EQ("AT/AT COMPATIBLE", r.kindText);
}

TEST_F(SystemRecordWin, MissingKeysLeaveFieldsEmpty) {
  SystemInfoRecord r;
  ASSERT_TRUE(ReadSystemRecord(reg_, XpFacts(), r));
  EXPECT_EQ("", r.owner);
  EXPECT_EQ("", r.productId);
  BiosInfoRecord b;
  ReadBiosRecord(reg_, XpFacts(), b);
  EXPECT_EQ("", b.nameText);
}

}  // namespace
}  // namespace parvane
