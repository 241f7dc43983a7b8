#include <gtest/gtest.h>

#include <map>

#include "parvane/SystemRecord.h"
#include "platform/RegistryMemory.h"

using namespace parvane;
using platform::RegRoot;

namespace {

constexpr const char* kNt = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kCv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kOptions = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
constexpr const char* kBios = "HARDWARE\\DESCRIPTION\\System";

class SystemRecordTest : public ::testing::Test {
 protected:
  platform::RegistryMemory reg;
  std::map<std::string, std::string> env;

  SystemFacts Facts(std::uint32_t major, std::uint32_t minor, std::uint32_t platform = 2,
                    std::string csd = "") {
    SystemFacts f;
    f.version = VersionRecord{major, minor, 0, platform, std::move(csd)};
    f.ntFamily = platform == 2;
    f.environment = [this](std::string_view name) -> std::optional<std::string> {
      auto it = env.find(std::string(name));
      if (it == env.end()) return std::nullopt;
      return it->second;
    };
    return f;
  }

  std::string OsName(std::uint32_t major, std::uint32_t minor, std::uint32_t platform = 2,
                     std::string csd = "", std::uint32_t build = 0) {
    SystemInfoRecord r;
    VersionRecord v = *Facts(major, minor, platform, csd).version;
    v.build = build;
    ClassifyWindows(reg, v, r);
    return r.osName;
  }

  void ProductType(const char* type) { reg.PutText(RegRoot::LocalMachine, kOptions, "ProductType", type); }

  void TearDown() override { EXPECT_EQ(0u, reg.OpenKeyCount()) << "a key was left open"; }
};

// ---- classification -------------------------------------------------------

TEST_F(SystemRecordTest, ClassifiesNtVersionsWithTheProductTypeRunOn) {
  ProductType("WinNT");
  EXPECT_EQ("Windows XP or Windows .NET Server Professional", OsName(5, 1));
  EXPECT_EQ("Windows XP or Windows .NET Server Professional", OsName(5, 2, 2, "", 3790));
  ProductType("ServerNT");
  EXPECT_EQ("Windows 2000Server", OsName(5, 0));
  ProductType("LanmanNT");
  EXPECT_EQ("Windows NT 4.0Advanced Server", OsName(4, 0, 2));
  EXPECT_EQ("Windows NT 3.51Advanced Server", OsName(3, 51));
  ProductType("Something");
  EXPECT_EQ("Windows 2000", OsName(5, 0));
}

TEST_F(SystemRecordTest, ClassifiesTheNinetyFiveFamilyByMinorAndServicePackText) {
  ProductType("WinNT");  // never consulted outside NT
  EXPECT_EQ("Windows 95", OsName(4, 0, 1));
  EXPECT_EQ("Windows 95OSR2", OsName(4, 0, 1, "C"));
  EXPECT_EQ("Windows 98Second Edition", OsName(4, 10, 1, "a"));
  EXPECT_EQ("Windows 98", OsName(4, 10, 1, " A "));
  EXPECT_EQ("Windows Millennium Edition\n", OsName(4, 90, 1));
  EXPECT_EQ("", OsName(4, 3, 1));
}

TEST_F(SystemRecordTest, SystemsFromVistaOnAreNamedWithTheProductTypeRunOn) {
  ProductType("WinNT");
  EXPECT_EQ("Windows Vista Professional", OsName(6, 0, 2, "", 6002));
  EXPECT_EQ("Windows 7 Professional", OsName(6, 1, 2, "Service Pack 1", 7601));
  EXPECT_EQ("Windows 8 Professional", OsName(6, 2, 2, "", 9200));
  EXPECT_EQ("Windows 8.1 Professional", OsName(6, 3, 2, "", 9600));
  EXPECT_EQ("Windows 10 Professional", OsName(10, 0, 2, "", 19045));
  EXPECT_EQ("Windows 10 Professional", OsName(10, 0, 2, "", 21999));
  EXPECT_EQ("Windows 11 Professional", OsName(10, 0, 2, "", 22000));
  EXPECT_EQ("Windows 11 Professional", OsName(10, 0, 2, "", 22631));
  ProductType("ServerNT");
  EXPECT_EQ("Windows 10 Server", OsName(10, 0, 2, "", 17763));
  // A version the names do not know yet is shown by its numbers.
  ProductType("Other");
  EXPECT_EQ("Windows 6.4 ", OsName(6, 4, 2, "", 9841));
  EXPECT_EQ("Windows 12.0 ", OsName(12, 0));
}

TEST_F(SystemRecordTest, ClientsAreNamedByTheirEdition) {
  ProductType("WinNT");
  auto edition = [&](const char* id) { reg.PutText(RegRoot::LocalMachine, kNt, "EditionID", id); };
  edition("Core");
  EXPECT_EQ("Windows 11 Home", OsName(10, 0, 2, "", 22631));
  EXPECT_EQ("Windows 10 Home", OsName(10, 0, 2, "", 19045));
  EXPECT_EQ("Windows 8.1 ", OsName(6, 3, 2, "", 9600));  // Windows 8's Core has no word
  edition("CoreSingleLanguage");
  EXPECT_EQ("Windows 11 Home Single Language", OsName(10, 0, 2, "", 26100));
  EXPECT_EQ("Windows 8 Single Language", OsName(6, 2, 2, "", 9200));
  edition("professional");
  EXPECT_EQ("Windows 11 Pro", OsName(10, 0, 2, "", 22000));
  EXPECT_EQ("Windows 7 Professional", OsName(6, 1, 2, "", 7601));
  edition("ProfessionalN");
  EXPECT_EQ("Windows 10 Pro N", OsName(10, 0, 2, "", 19045));
  edition("EnterpriseS");
  EXPECT_EQ("Windows 10 Enterprise LTSC", OsName(10, 0, 2, "", 17763));
  edition("HomePremium");
  EXPECT_EQ("Windows 7 Home Premium", OsName(6, 1, 2, "", 7601));
  // An edition the names do not know, or none: the product type's word.
  EXPECT_EQ("Windows 11 Professional", OsName(10, 0, 2, "", 22631));
  edition("N");
  EXPECT_EQ("Windows 11 Professional", OsName(10, 0, 2, "", 22631));
  // A server is named by its product type, whatever its edition says.
  ProductType("ServerNT");
  edition("Core");
  EXPECT_EQ("Windows 10 Server", OsName(10, 0, 2, "", 17763));
  // XP and older never look at the edition.
  ProductType("WinNT");
  EXPECT_EQ("Windows XP or Windows .NET Server Professional", OsName(5, 1));
}

TEST_F(SystemRecordTest, OnWindowsElevenTheProductNamesWindowsTenIsRenamed) {
  auto productName = [&](const char* stored, std::uint32_t build) {
    reg.PutText(RegRoot::LocalMachine, kNt, "ProductName", stored);
    SystemFacts f = Facts(10, 0);
    f.version->build = build;
    SystemInfoRecord r;
    ReadNtCurrentVersionValue(reg, f, "ProductName", r);
    return r.productName;
  };
  EXPECT_EQ("Windows 11 Pro", productName("Windows 10 Pro", 22631));
  EXPECT_EQ("Windows 11", productName("Windows 10", 22000));
  EXPECT_EQ("Windows 10 Pro", productName("Windows 10 Pro", 21999));
  EXPECT_EQ("Windows 11 Home", productName("Windows 11 Home", 26100));  // already right
  // Only a leading "Windows 10" as a whole word.
  EXPECT_EQ("Windows 100", productName("Windows 100", 22631));
  EXPECT_EQ("Microsoft Windows 10 Pro", productName("Microsoft Windows 10 Pro", 22631));
  EXPECT_EQ("Windows Server 2022", productName("Windows Server 2022", 22631));
}

TEST_F(SystemRecordTest, MissingProductTypeAppendsNothing) {
  EXPECT_EQ("Windows XP or Windows .NET Server ", OsName(5, 2));
}

// ---- system information record --------------------------------------------

TEST_F(SystemRecordTest, SystemRecordReadsTheNtValuesAndRunsVersionAndBuildTogether) {
  reg.PutText(RegRoot::LocalMachine, kNt, "CurrentVersion", "5.1");
  reg.PutText(RegRoot::LocalMachine, kNt, "CurrentBuildNumber", "2600");
  reg.PutText(RegRoot::LocalMachine, kNt, "RegisteredOwner", "张三");
  reg.PutText(RegRoot::LocalMachine, kNt, "ProductId", "55274-640-1234567-23456");
  reg.PutText(RegRoot::LocalMachine, kNt, "SystemRoot", "C:\\WINDOWS");
  env["TMP"] = "C:\\Temp";
  SystemInfoRecord r;
  ASSERT_TRUE(ReadSystemRecord(reg, Facts(5, 1), r));
  EXPECT_EQ("5.12600", r.version);
  EXPECT_EQ("", r.servicePack);  // no CSDVersion
  EXPECT_EQ("张三", r.owner);
  EXPECT_EQ("C:\\WINDOWS", r.systemRoot);
  EXPECT_EQ("TMP = C:\\Temp", r.tmpText);
  EXPECT_EQ("TEMP = %TEMP%", r.tempText);  // not set: kept as written
}

// Found by fuzzing: a multi-string where a single text is read put its
// inner NULs into the record, so the version row showed "5.1" and hid the
// build number run on after it. A record field is one NUL-terminated text.
TEST_F(SystemRecordTest, AMultiStringWhereOneTextIsReadGivesItsFirstString) {
  auto multi = [](std::string s) { return std::vector<std::uint8_t>(s.begin(), s.end()); };
  reg.Put(RegRoot::LocalMachine, kNt, "CurrentVersion", platform::kRegMultiSz,
          multi(std::string("5.1\0extra\0\0", 12)));
  reg.PutText(RegRoot::LocalMachine, kNt, "CurrentBuildNumber", "2600");
  reg.Put(RegRoot::LocalMachine, kNt, "CSDVersion", platform::kRegMultiSz,
          multi(std::string("SP3\0", 4)));
  // 100 characters and no NUL at all: no room for a terminator.
  reg.Put(RegRoot::LocalMachine, kNt, "RegisteredOwner", platform::kRegMultiSz,
          multi(std::string(100, 'o')));
  SystemInfoRecord r;
  ASSERT_TRUE(ReadSystemRecord(reg, Facts(5, 1), r));
  EXPECT_EQ("5.12600", r.version);
  EXPECT_EQ("SP3", r.servicePack);
  EXPECT_EQ("", r.owner);
}

TEST_F(SystemRecordTest, FailedVersionQueryLeavesTheRecordEmpty) {
  SystemFacts f = Facts(5, 1);
  f.version.reset();
  SystemInfoRecord r;
  r.owner = "stale";
  EXPECT_FALSE(ReadSystemRecord(reg, f, r));
  EXPECT_EQ("", r.owner);
  EXPECT_EQ("", r.tmpText);
  EXPECT_FALSE(ReadFolderRecord(reg, f, r));
}

TEST_F(SystemRecordTest, TextsLongerThanTheBufferAreNotShown) {
  reg.PutText(RegRoot::LocalMachine, kNt, "RegisteredOwner", std::string(99, 'x'));
  reg.PutText(RegRoot::LocalMachine, kNt, "SourcePath", std::string(100, 'x'));
  env["TMP"] = std::string(293, 't');  // "TMP = " + 293 = 299
  env["TEMP"] = std::string(293, 't');  // "TEMP = " + 293 = 300
  SystemInfoRecord r;
  ReadSystemRecord(reg, Facts(5, 1), r);
  EXPECT_EQ(99u, r.owner.size());
  EXPECT_EQ("", r.sourcePath);
  EXPECT_EQ(299u, r.tmpText.size());
  EXPECT_EQ("", r.tempText);

  // Stored without a terminator, 100 characters still leave no room for one.
  const std::string hundred(100, 'y');
  reg.Put(RegRoot::LocalMachine, kNt, "RegisteredOwner", platform::kRegSz,
          std::vector<std::uint8_t>(hundred.begin(), hundred.end()));
  ReadSystemRecord(reg, Facts(5, 1), r);
  EXPECT_EQ("", r.owner);
}

TEST_F(SystemRecordTest, SingleValueReadersFillOnlyTheirOwnFieldOnNt) {
  reg.PutText(RegRoot::LocalMachine, kNt, "ProductName", "Microsoft Windows XP");
  reg.PutText(RegRoot::LocalMachine, kNt, "RegisteredOrganization", "Org");
  SystemInfoRecord r;
  ReadNtCurrentVersionValue(reg, Facts(5, 1), "ProductName", r);
  EXPECT_EQ("Microsoft Windows XP", r.productName);
  EXPECT_EQ("", r.registeredOrganization);
  ReadNtCurrentVersionValue(reg, Facts(5, 1), "RegisteredOrganization", r);
  EXPECT_EQ("", r.productName);  // cleared first
  EXPECT_EQ("Org", r.registeredOrganization);
  ReadNtCurrentVersionValue(reg, Facts(4, 10, 1), "ProductName", r);
  EXPECT_EQ("", r.productName);
}

TEST_F(SystemRecordTest, SystemInfoPageRowsOnNtAndOnNinetyFive) {
  ProductType("winnt");
  reg.PutText(RegRoot::LocalMachine, kNt, "CSDVersion", "Service Pack 3");
  reg.PutText(RegRoot::LocalMachine, kNt, "CurrentType", "Uniprocessor Free");
  reg.PutText(RegRoot::LocalMachine, kNt, "RegisteredOrganization", "Org");
  SystemFacts f = Facts(5, 1);
  f.computerName = "PC1";
  auto rows = SystemInfoPageRows(reg, f);
  ASSERT_EQ(16u, rows.size());
  EXPECT_EQ("PC1", rows[0].value.value_or("-"));
  EXPECT_FALSE(rows[1].value);
  EXPECT_EQ("Windows XP or Windows .NET Server Professional", rows[2].value.value_or("-"));
  EXPECT_EQ("Service Pack 3", rows[4].value.value_or("-"));
  EXPECT_EQ("Org", rows[6].value.value_or("-"));
  EXPECT_EQ("处理器类型", rows[13].label);
  EXPECT_EQ("Uniprocessor Free", rows[13].value.value_or("-"));
  EXPECT_EQ("", rows[15].label);

  rows = SystemInfoPageRows(reg, Facts(4, 10, 1));
  EXPECT_EQ("Windows 98", rows[2].value.value_or("-"));
  for (int i = 3; i <= 14; ++i) EXPECT_FALSE(rows[i].value) << i;
}

// ---- folder and BIOS records ----------------------------------------------

TEST_F(SystemRecordTest, FolderRecordRowThreeIsTheOddValueNotTheDevicePath) {
  reg.PutText(RegRoot::LocalMachine, kCv, "DevicePath", "%SystemRoot%\\inf");
  reg.PutText(RegRoot::LocalMachine, kCv, "ProgramFilesDir", "C:\\Program Files");
  reg.PutText(RegRoot::LocalMachine, kCv, "CommonFilesDir", "C:\\Program Files\\Common Files");
  SystemInfoRecord r;
  ASSERT_TRUE(ReadFolderRecord(reg, Facts(5, 1), r));
  EXPECT_EQ("", r.owner);
  EXPECT_EQ("C:\\Program Files", r.sourcePath);
  EXPECT_EQ("TMP = %TMP%", r.tmpText);

  reg.PutText(RegRoot::LocalMachine, kCv, "jpwbpy.mb", "X");
  ReadFolderRecord(reg, Facts(5, 1), r);
  EXPECT_EQ("X", r.owner);
}

TEST_F(SystemRecordTest, BiosMultiStringBecomesOneLine) {
  std::string list("BIOS Date: 01/01/11\0Ver: 1.2\0\0", 30);
  reg.Put(RegRoot::LocalMachine, kBios, "SystemBiosVersion", platform::kRegMultiSz,
          std::vector<std::uint8_t>(list.begin(), list.end()));
  reg.PutText(RegRoot::LocalMachine, kBios, "SystemBiosDate", "01/01/11");
  reg.PutText(RegRoot::LocalMachine, kBios, "Identifier", "AT/AT COMPATIBLE");
  BiosInfoRecord r;
  ReadBiosRecord(reg, Facts(5, 1), r);
  EXPECT_EQ("BIOS Date: 01/01/11 Ver: 1.2  ", r.nameText);
  EXPECT_EQ("01/01/11", r.dateText);
  EXPECT_EQ("AT/AT COMPATIBLE", r.kindText);
  EXPECT_EQ("", r.versionText);
}

TEST_F(SystemRecordTest, BiosPlainStringAndAListThatFillsTheBuffer) {
  reg.PutText(RegRoot::LocalMachine, kBios, "SystemBiosVersion", "LENOVO - 1140");
  BiosInfoRecord r;
  ReadBiosRecord(reg, Facts(5, 1), r);
  EXPECT_EQ("LENOVO - 1140", r.nameText);

  // 149 + 149 characters and three NULs: 301 units do not fit, 300 do.
  std::string big = std::string(149, 'a') + '\0' + std::string(148, 'b') + '\0' + '\0';
  ASSERT_EQ(300u, big.size());
  reg.Put(RegRoot::LocalMachine, kBios, "SystemBiosVersion", platform::kRegMultiSz,
          std::vector<std::uint8_t>(big.begin(), big.end()));
  ReadBiosRecord(reg, Facts(5, 1), r);
  EXPECT_EQ(299u, r.nameText.size());
  EXPECT_EQ(std::string(149, 'a') + ' ' + std::string(148, 'b') + ' ', r.nameText);
}

TEST_F(SystemRecordTest, NinetyFiveBiosKey) {
  const char* key = "Enum\\Root\\*PNP0C01\\0000";
  reg.PutText(RegRoot::LocalMachine, key, "BIOSNAME", "Award");
  reg.PutText(RegRoot::LocalMachine, key, "BIOSVersion", "4.51 PG");
  reg.PutText(RegRoot::LocalMachine, key, "BIOSDate", "07/15/95");
  reg.PutText(RegRoot::LocalMachine, kBios, "Identifier", "AT");
  BiosInfoRecord r;
  ReadBiosRecord(reg, Facts(4, 10, 1), r);
  EXPECT_EQ("Award", r.nameText);
  EXPECT_EQ("4.51 PG", r.versionText);
  EXPECT_EQ("07/15/95", r.dateText);
  EXPECT_EQ("", r.kindText);
}

TEST_F(SystemRecordTest, NtEditionByProductType) {
  EXPECT_EQ("Windows NT Server - Domain Controller", NtEditionText(reg));
  ProductType("WINNT");
  EXPECT_EQ("Windows NT Workstation", NtEditionText(reg));
  ProductType("servernt");
  EXPECT_EQ("Windows NT Server", NtEditionText(reg));
  ProductType("LanmanNT");
  EXPECT_EQ("Windows NT Server - Domain Controller", NtEditionText(reg));
}

TEST_F(SystemRecordTest, SystemDirsPageRowsOnNinetyFive) {
  const char* key = "Enum\\Root\\*PNP0C01\\0000";
  reg.PutText(RegRoot::LocalMachine, key, "BIOSDate", "07/15/95");
  reg.PutText(RegRoot::LocalMachine, kCv, "ProductId", "12345");
  env["TEMP"] = "C:\\WINDOWS\\TEMP";
  auto rows = SystemDirsPageRows(reg, Facts(4, 10, 1));
  ASSERT_EQ(15u, rows.size());
  EXPECT_EQ("Windows NT Server - Domain Controller", rows[0].value.value_or("-"));
  for (int i = 1; i <= 7; ++i) EXPECT_FALSE(rows[i].value) << i;
  EXPECT_EQ("TMP = %TMP%", rows[8].value.value_or("-"));
  EXPECT_EQ("TEMP = C:\\WINDOWS\\TEMP", rows[9].value.value_or("-"));
  EXPECT_EQ("07/15/95", rows[12].value.value_or("-"));
  EXPECT_FALSE(rows[13].value);
  EXPECT_EQ("BIOS版本、名称或厂商:", rows[10].label);
}

TEST(ExpandVariables, SetUnsetAndUnbalanced) {
  auto env = [](std::string_view n) -> std::optional<std::string> {
    if (n == "A") return std::string("1");
    return std::nullopt;
  };
  EXPECT_EQ("1-%B%-1", ExpandVariables("%A%-%B%-%A%", env).value_or("?"));
  EXPECT_EQ("50% off", ExpandVariables("50% off", env).value_or("?"));
  EXPECT_EQ("%%", ExpandVariables("%%", env).value_or("?"));
  EXPECT_FALSE(ExpandVariables(std::string(300, 'x'), env));
}

}  // namespace
