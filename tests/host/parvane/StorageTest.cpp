#include <gtest/gtest.h>

#include <cstring>

#include "parvane/decode/StorageText.h"
#include "parvane/device/StorageScan.h"
#include "platform/AnsiText.h"
#include "platform/Utf8.h"
#include "tests/host/parvane/FakeDevices.h"

using namespace parvane;
using namespace parvane_test;

namespace {

// ---- records ---------------------------------------------------------------

TEST(StorageRecords, DescriptorBufferAndQueryLayouts) {
  DescriptorBuffer b = NewDescriptorBuffer();
  EXPECT_EQ(551u, b.size());
  EXPECT_EQ(0x27, b[4]);  // 551 = 0x227
  EXPECT_EQ(0x02, b[5]);
  auto q = DevicePropertyQuery();
  EXPECT_EQ(12u, q.size());
  for (auto byte : q) EXPECT_EQ(0, byte);

  MediaTypesBuffer answer{};
  GeometryRecord want = Geometry(1000, 54, 64, 32, 2048);
  std::memcpy(answer.data() + 8, want.data(), 24);
  answer[7] = 0xEE;
  answer[32] = 0xEE;
  EXPECT_EQ(want, GeometryFromMediaTypes(answer));
}

TEST(StorageRecords, DescriptorFieldsAndAbsentTexts) {
  auto d = ParseDescriptor(Descriptor(2, true, "HL-DT-ST", "DVDRAM GH24NSD1", "LG00", nullptr));
  EXPECT_TRUE(d.removable);
  EXPECT_EQ(2u, d.busType);
  EXPECT_EQ("HL-DT-ST", d.vendor);
  EXPECT_EQ("DVDRAM GH24NSD1", d.product);
  EXPECT_EQ("LG00", d.revision);
  EXPECT_EQ("", d.serial);
}

TEST(StorageRecords, TextsStopAtTheBufferEndAndOffsetsOutsideAreIgnored) {
  DescriptorBuffer b = NewDescriptorBuffer();
  std::memset(b.data() + 540, 'Q', 11);  // no NUL up to the end of the buffer
  PutU32(b.data() + 12, 540);
  PutU32(b.data() + 16, 551);
  PutU32(b.data() + 20, 0xFFFFFFF0u);
  auto d = ParseDescriptor(b);
  EXPECT_EQ(std::string(11, 'Q'), d.vendor);
  EXPECT_EQ("", d.product);
  EXPECT_EQ("", d.revision);
}

TEST(StorageNames, BusAndMediaTablesWithTheirFallbacks) {
  const char* bus[] = {"Unkown", "SCSI",    "ATAPI",   "ATA",    "IEEE 1394",
                       "SSA",    "FIBRE",   "USB",     "RAID",   "Unkown",
                       "Unkown", "Unkown",  "SD",      "MMC",    "Virtual",
                       "FileBackedVirtual", "Spaces", "NVMe", "SCM", "UFS",
                       "Unkown"};
  for (std::uint32_t i = 0; i < std::size(bus); ++i) EXPECT_STREQ(bus[i], BusTypeName(i)) << i;
  for (std::uint32_t t : {0x7Fu, 0xFFu, 0xFFFFFFFFu}) EXPECT_STREQ("Unkown", BusTypeName(t));
  EXPECT_STREQ("Disk", MediaTypeName(11));
  EXPECT_STREQ("Disk", MediaTypeName(12));
  EXPECT_STREQ("CD-ROM", MediaTypeName(51));
  EXPECT_STREQ("CD-R (Write Once)", MediaTypeName(52));
  EXPECT_STREQ("CD-R/W (Rewriteable)", MediaTypeName(53));
  EXPECT_STREQ("DVD-ROM", MediaTypeName(54));
  EXPECT_STREQ("DVD-R (Write Once)", MediaTypeName(55));
  EXPECT_STREQ("DVD-R/W (Rewriteable)", MediaTypeName(56));
  for (std::uint32_t m : {0u, 10u, 13u, 50u, 57u}) EXPECT_STREQ("Unkown", MediaTypeName(m));
}

// ---- device blocks ---------------------------------------------------------

TEST(FormatStorageDevice, DvdWriterBlockExactly) {
  auto text = FormatStorageDevice(
      StorageVariant::Cdrom, "\\\\?\\ide#cdrom", Geometry(1000, 54, 64, 32, 2048),
      Descriptor(2, true, "HL-DT-ST", "DVDRAM GH24NSD1", "LG00", "  K1234  "));
  EXPECT_EQ(
      "\r\r\n"
      "光驱接口:            ATAPI    \r\n"
      "光驱名称:            DVD-ROM    \r\n"
      "光驱类型:            Removable(可拆卸)  \r\n"
      "生产厂商:        HL-DT-ST    \r\n"
      "光驱型号:            DVDRAM GH24NSD1      \r\n"
      "产品版本:            LG00 \r\n"
      "编号序号:            K1234\r\n "
      "柱面数                 = 1000\r\n"
      "每柱面的磁道数  = 64\r\n"
      "每磁道的扇区数  = 32\r\n"
      "每扇区的字节数  = 2048\r\n"
      "光驱容量              = 4194304000 Bytes字节 (总计:4000 MB)\r\n",
      text);
}

TEST(FormatStorageDevice, DiskVariantLabelsTailsAndFullWidthColon) {
  auto text = FormatStorageDevice(StorageVariant::Disk, "",
                                  Geometry(60801, 12, 255, 63, 512),
                                  Descriptor(3, false, nullptr, "ST500DM002", "KC45", nullptr));
  EXPECT_EQ(
      "\r\r\n"
      "硬盘接口:            ATA     \r\n"
      "硬盘名称:            Disk     \r\n"
      "硬盘类型:            Fixed(固定)   \r\n"
      "生产厂商:                 \r\n"
      "产品型号:            ST500DM002       \r\n"
      "产品版本:            KC45     \r\n"
      "编号序号:      \r\n "
      "柱面数                 = 60801\r\n"
      "每柱面的磁道数  = 255\r\n"
      "每磁道的扇区数  = 63\r\n"
      "每扇区的字节数  = 512\r\n"
      "硬盘容量              = 500105249280 Bytes字节 (总计：476937 MB)\r\n",
      text);
}

TEST(FormatStorageDevice, DriverTextsAreReadInTheSystemCodePage) {
  auto text = FormatStorageDevice(
      StorageVariant::Cdrom, "", Geometry(1, 51, 1, 1, 2048),
      Descriptor(2, true, "\xC4\xE3\xBA\xC3", "DVD \xB9\xE2\xC7\xFD", "1.0", " \xB1\xE0 "));
  using platform::AnsiBytesToUtf8;
  EXPECT_NE(std::string::npos,
            text.find("生产厂商:        " + AnsiBytesToUtf8("\xC4\xE3\xBA\xC3") + "    \r\n"));
  EXPECT_NE(std::string::npos,
            text.find("光驱型号:            " + AnsiBytesToUtf8("DVD \xB9\xE2\xC7\xFD") + "      \r\n"));
  EXPECT_NE(std::string::npos, text.find("编号序号:            " + AnsiBytesToUtf8("\xB1\xE0") + "\r\n "));
  EXPECT_EQ(platform::ValidUtf8(text), text);
}

TEST(FormatStorageDevice, ZeroedRecordsAndUnknownBus) {
  auto text = FormatStorageDevice(StorageVariant::Cdrom, "", GeometryRecord{},
                                  Descriptor(9, false, nullptr, nullptr, nullptr, nullptr));
  EXPECT_NE(std::string::npos, text.find("光驱接口:            Unkown    \r\n"));
  EXPECT_NE(std::string::npos, text.find("光驱名称:            Unkown    \r\n"));
  EXPECT_NE(std::string::npos, text.find("= 0 Bytes字节 (总计:0 MB)\r\n"));
}

TEST(UsbDriveLine, NoneOrTheLettersRunTogether) {
  EXPECT_EQ("\r\n没有U盘\r\n", UsbDriveLine(""));
  EXPECT_EQ("\r\n 正在使用U盘:      EG盘", UsbDriveLine("EG"));
}

// ---- pages over a recorded device layer -----------------------------------

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(CdromPage, TwoDrivesInEnumerationOrderAndFailuresShowThePreviousContent) {
  FakeLayer layer;
  layer.cdroms = {"cd0", "cd1", "cd2"};
  layer.devices["cd0"] = {true, true, Geometry(1000, 54, 64, 32, 2048),
                          Descriptor(2, true, "AAA", "First", "1", nullptr)};
  layer.devices["cd1"] = {true, true, Geometry(10, 51, 1, 1, 2048),
                          Descriptor(7, true, "BBB", "Second", "2", nullptr)};
  layer.devices["cd2"] = {false, false, {}, {}};  // both queries fail
  auto text = CdromPageText(layer);
  EXPECT_EQ(3u, Count(text, "\r\r\n"));
  EXPECT_EQ(0u, text.find("\r\r\n光驱接口:            ATAPI"));
  auto second = text.find("USB");
  ASSERT_NE(std::string::npos, second);
  EXPECT_LT(text.find("First"), second);
  // The third block repeats the second device's records.
  EXPECT_EQ(2u, Count(text, "光驱型号:            Second      \r\n"));
}

TEST(CdromPage, EveryDeviceIsAskedForTheWholeDescriptor) {
  FakeLayer layer;
  layer.cdroms = {"short", "long"};
  layer.devices["short"] = {true, true, {}, Descriptor(2, true, "A", "B", "C", nullptr), 44};
  FakeDevice longer{true, true, {}, NewDescriptorBuffer(), 551};
  const std::string product(60, 'P');
  PutU32(longer.descriptor.data() + 16, 400);
  std::memcpy(longer.descriptor.data() + 400, product.c_str(), product.size() + 1);
  layer.devices["long"] = longer;
  auto text = CdromPageText(layer);
  EXPECT_NE(std::string::npos, text.find("光驱型号:            " + product + "      \r\n"));
}

TEST(CdromPage, FirstDeviceFailingShowsZeroedRecordsAndNoDriveGivesNoText) {
  FakeLayer layer;
  EXPECT_EQ("", CdromPageText(layer));
  layer.cdroms = {"gone"};  // cannot be opened
  auto text = CdromPageText(layer);
  EXPECT_NE(std::string::npos, text.find("光驱接口:            Unkown"));
  EXPECT_NE(std::string::npos, text.find("柱面数                 = 0\r\n"));
}

TEST(UsbPage, LettersInDriveOrderOnlyForReadableRemovableDrives) {
  FakeLayer layer;
  layer.mask = (1u << 0) | (1u << 2) | (1u << 4) | (1u << 5) | (1u << 6);  // A C E F G
  layer.removable = "AEFG";
  layer.devices["A:"] = {true, false, {}, {}};  // empty floppy: descriptor fails
  layer.devices["E:"] = {true, true, {}, NewDescriptorBuffer()};
  layer.devices["G:"] = {true, true, {}, NewDescriptorBuffer()};
  // F cannot be opened; C is fixed.
  layer.devices["C:"] = {true, true, {}, NewDescriptorBuffer()};
  EXPECT_EQ("EG", FindUsbDriveLetters(layer));

  layer.disks = {"disk0"};
  layer.devices["disk0"] = {true, true, Geometry(100, 12, 255, 63, 512),
                            Descriptor(7, false, "USB", "Fixed USB disk", "1.0", "S1")};
  auto text = UsbPageText(layer);
  EXPECT_EQ(0u, text.find("\r\r\n硬盘接口:            USB     \r\n"));
  EXPECT_NE(std::string::npos, text.find("编号序号:      S1\r\n "));
  const std::string tail = "\r\n 正在使用U盘:      EG盘";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(tail, text.substr(text.size() - tail.size()));
}

TEST(DiskPages, EachPageAsksDriveZeroAndSaysSoWhenItFails) {
  FakeLayer layer;
  auto rows = DiskPageRows(layer);
  ASSERT_EQ(46u, rows.size());
  EXPECT_EQ("无法读取硬盘信息", rows[0].value.value_or("-"));
  for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_FALSE(rows[i].value);
  layer.drive0 = IdentifyData{};
  layer.drive0->SetWord(1, 16383);
  EXPECT_EQ("16383 柱面", DiskPageRows(layer)[11].value.value_or("-"));
  EXPECT_EQ("No", DiskModesPageRows(layer)[34].value.value_or("-"));
  EXPECT_EQ(3, layer.identifyCalls);
}

TEST(UsbPage, NoRemovableDriveAndAllTwentySixLetters) {
  FakeLayer layer;
  layer.mask = 0xFFFFFFFFu;  // bits past Z name no drive
  auto text = UsbPageText(layer);
  EXPECT_EQ("\r\n没有U盘\r\n", text);

  for (char c = 'A'; c <= 'Z'; ++c) {
    layer.removable += c;
    layer.devices[std::string(1, c) + ":"] = {true, true, {}, NewDescriptorBuffer()};
  }
  EXPECT_EQ("ABCDEFGHIJKLMNOPQRSTUVWXYZ", FindUsbDriveLetters(layer));
}

}  // namespace
