#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "parvane/decode/IdentifyDecode.h"
#include "parvane/decode/NvmeIdentify.h"
#include "parvane/device/StorageScan.h"
#include "tests/host/parvane/FakeDevices.h"

using parvane::DiskExtent;
using parvane::NvmeIdentify;
using parvane::NvmeIdentifyBlock;

namespace {

constexpr const char* kNa = "不适用(NVMe)";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

NvmeIdentifyBlock Recorded() {
  auto block = parvane::ParseNvmeDump(ReadFile(std::string(DRAVON_NVME_DATA) + "/toshiba-thnsn5512gpu7.hex"));
  EXPECT_TRUE(block);
  return block.value_or(NvmeIdentifyBlock{});
}

// A namespace of `blocks` logical blocks whose current format (FLBAS) is
// `format`, with `formats` formats whose sizes are given as LBADS.
NvmeIdentifyBlock Namespace(std::uint64_t blocks, std::uint8_t format,
                            std::initializer_list<std::uint8_t> lbads) {
  NvmeIdentifyBlock b;
  for (int i = 0; i < 8; ++i) b.bytes[i] = static_cast<std::uint8_t>(blocks >> (8 * i));
  b.bytes[25] = static_cast<std::uint8_t>(lbads.size() - 1);
  b.bytes[26] = format;
  std::size_t at = 128;
  for (std::uint8_t ds : lbads) {
    b.bytes[at + 2] = ds;
    at += 4;
  }
  return b;
}

void PutText(NvmeIdentifyBlock& b, std::size_t offset, const std::string& text) {
  std::memcpy(b.bytes.data() + offset, text.data(), text.size());
}

const std::string& Value(const std::vector<parvane::PageRow>& rows, std::size_t i) {
  static const std::string kNone = "<none>";
  return rows.at(i).value ? *rows.at(i).value : kNone;
}

// ---- the recorded controller ---------------------------------------------

TEST(NvmeController, RecordedDriveDecodesExactly) {
  const auto c = parvane::DecodeNvmeController(Recorded());
  EXPECT_EQ("THNSN5512GPU7 TOSHIBA", c.model);
  EXPECT_EQ("37RSDEADBEEF", c.serial);  // eight leading blanks in the field
  EXPECT_EQ("410557LA", c.firmware);
  EXPECT_EQ(0x1179, c.vendorId);
  EXPECT_EQ(0u, c.version);
  EXPECT_EQ(1u, c.namespaces);
  EXPECT_EQ(351, c.warningKelvin);
  EXPECT_EQ(355, c.criticalKelvin);
  EXPECT_TRUE(c.volatileWriteCache);
}

TEST(NvmeDiskPage, RecordedDriveWithTheDisksExtent) {
  NvmeIdentify id{Recorded(), std::nullopt};
  const auto rows = parvane::NvmeDiskPageRows(id, DiskExtent{512110190592ull, 512});
  const auto labels = parvane::DiskPageRows(nullptr);
  ASSERT_EQ(labels.size() + 7, rows.size());
  for (std::size_t i = 0; i + 1 < labels.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(labels[i].label, rows[i].label);
    EXPECT_EQ(labels[i].image, rows[i].image);
    if (i != 0 && i != 1 && (i < 14 || i > 16)) {
      EXPECT_EQ(kNa, Value(rows, i));
    }
  }
  EXPECT_EQ("THNSN5512GPU7 TOSHIBA", Value(rows, 0));
  EXPECT_EQ("37RSDEADBEEF", Value(rows, 1));
  EXPECT_EQ("1000215216", Value(rows, 14));
  EXPECT_EQ("512110190592 bytes", Value(rows, 15));
  EXPECT_EQ("1000215216 lba总扇区", Value(rows, 16));

  const std::pair<const char*, const char*> added[] = {
      {"固件版本:", "410557LA"}, {"NVMe版本:", "1.0 或更早"}, {"PCI厂商ID:", "0x1179"},
      {"命名空间数:", "1"},      {"警告温度:", "78 ℃"},      {"临界温度:", "82 ℃"},
      {"易失性写缓存:", "Yes"}};
  for (std::size_t k = 0; k < 7; ++k) {
    EXPECT_EQ(added[k].first, rows[45 + k].label);
    EXPECT_EQ(added[k].second, Value(rows, 45 + k));
  }
  // The list's unlabelled row still ends the page.
  EXPECT_EQ("", rows.back().label);
  EXPECT_FALSE(rows.back().value);
}

// ---- capacity ------------------------------------------------------------

TEST(NvmeCapacity, TheNamespacesCurrentFormatComesFirst) {
  NvmeIdentify id{Recorded(), Namespace(125026902, 1, {9, 12})};
  const auto rows = parvane::NvmeDiskPageRows(id, DiskExtent{1, 512});
  EXPECT_EQ("125026902", Value(rows, 14));
  EXPECT_EQ("512110190592 bytes", Value(rows, 15));
  EXPECT_EQ("125026902 lba总扇区", Value(rows, 16));

  // FLBAS bits 6:5 extend the index past 16 formats.
  std::initializer_list<std::uint8_t> many = {9, 9, 9, 9, 9, 9, 9, 9, 9,
                                               9, 9, 9, 9, 9, 9, 9, 9, 12};
  id.ns = Namespace(10, 0x21, many);  // index 17
  EXPECT_EQ(40960u, parvane::NvmeDriveCapacity(id, std::nullopt).bytes.value_or(0));
}

TEST(NvmeCapacity, AnUnusableNamespaceFallsBackToTheDisk) {
  const DiskExtent disk{256060514304ull, 512};
  const NvmeIdentifyBlock unusable[] = {
      Namespace(0, 0, {9}),             // inactive: all zeros but the format
      Namespace(100, 2, {9, 12}),       // format index past NLBAF
      Namespace(100, 0, {8}),           // LBADS below 512 bytes
      Namespace(100, 0, {32}),          // LBADS past any block size
      Namespace(~0ull, 0, {12}),        // bytes past a signed 64-bit count
  };
  for (const auto& ns : unusable) {
    auto cap = parvane::NvmeDriveCapacity(NvmeIdentify{Recorded(), ns}, disk);
    EXPECT_EQ(500118192u, cap.sectors.value_or(0));
    EXPECT_EQ(256060514304u, cap.bytes.value_or(0));
  }
}

TEST(NvmeCapacity, WithoutNamespaceOrDiskTheRowsStayEmpty) {
  NvmeIdentify id{Recorded(), std::nullopt};
  auto rows = parvane::NvmeDiskPageRows(id, std::nullopt);
  for (int r : {14, 15, 16}) EXPECT_FALSE(rows[r].value) << r;
  // A disk that gives its length but no sector size: bytes only.
  rows = parvane::NvmeDiskPageRows(id, DiskExtent{4096, 0});
  EXPECT_FALSE(rows[14].value);
  EXPECT_EQ("4096 bytes", Value(rows, 15));
  EXPECT_FALSE(rows[16].value);
}

// ---- texts and numbers ---------------------------------------------------

TEST(NvmeController, TextsArePaddedEitherSideAndReadWithinTheirFields) {
  NvmeIdentifyBlock b;
  PutText(b, 4, "      SERIAL  ONE   ");  // inner blanks are kept
  PutText(b, 24, std::string(40, 'M'));  // fills the field: no terminator
  PutText(b, 64, "FW1");                 // NUL padded
  const auto c = parvane::DecodeNvmeController(b);
  EXPECT_EQ("SERIAL  ONE", c.serial);
  EXPECT_EQ(std::string(40, 'M'), c.model);
  EXPECT_EQ("FW1", c.firmware);
  EXPECT_FALSE(c.volatileWriteCache);
  b.bytes[525] = 0xFE;  // only bit 0 counts
  EXPECT_FALSE(parvane::DecodeNvmeController(b).volatileWriteCache);
}

TEST(NvmeController, VersionAndTemperatureTexts) {
  EXPECT_EQ("1.0 或更早", parvane::NvmeVersionText(0));
  EXPECT_EQ("1.3", parvane::NvmeVersionText(0x00010300));
  EXPECT_EQ("1.2.1", parvane::NvmeVersionText(0x00010201));
  EXPECT_EQ("2.0", parvane::NvmeVersionText(0x00020000));
  EXPECT_EQ("", parvane::KelvinAsCelsius(0));
  EXPECT_EQ("0 ℃", parvane::KelvinAsCelsius(273));
  EXPECT_EQ("-73 ℃", parvane::KelvinAsCelsius(200));
  EXPECT_EQ("65262 ℃", parvane::KelvinAsCelsius(65535));

  NvmeIdentifyBlock b;  // no temperatures reported: the rows stay empty
  const auto rows = parvane::NvmeDiskPageRows(NvmeIdentify{b, std::nullopt}, std::nullopt);
  EXPECT_FALSE(rows[49].value);
  EXPECT_FALSE(rows[50].value);
  EXPECT_EQ("0x0000", Value(rows, 47));
  EXPECT_EQ("No", Value(rows, 51));
}

TEST(ParseNvmeDump, HexBytesOrRawBytesOfOneWholeBlock) {
  const std::string hex = ReadFile(std::string(DRAVON_NVME_DATA) + "/toshiba-thnsn5512gpu7.hex");
  const auto block = parvane::ParseNvmeDump(hex);
  ASSERT_TRUE(block);
  EXPECT_EQ(0x79, block->bytes[0]);
  EXPECT_EQ(0x11, block->bytes[1]);

  const std::string raw(reinterpret_cast<const char*>(block->bytes.data()), 4096);
  EXPECT_EQ(block->bytes, parvane::ParseNvmeDump(raw).value_or(NvmeIdentifyBlock{}).bytes);
  EXPECT_FALSE(parvane::ParseNvmeDump(hex.substr(0, hex.size() - 4)));  // 4095 bytes
  EXPECT_FALSE(parvane::ParseNvmeDump(hex + " 00"));                    // 4097
  std::string threeDigits = hex;
  threeDigits.replace(0, 5, "791 1");
  EXPECT_FALSE(parvane::ParseNvmeDump(threeDigits));
  EXPECT_FALSE(parvane::ParseNvmeDump(std::string(512, ' ')));
  EXPECT_FALSE(parvane::ParseNvmeDump("zz" + hex.substr(2)));
}

// ---- the requests --------------------------------------------------------

TEST(NvmeRequests, ControllerThroughTheAdapterNamespaceOneThroughTheDevice) {
  auto u32 = [](const std::vector<std::uint8_t>& q, std::size_t at) {
    return q[at] | (q[at + 1] << 8) | (q[at + 2] << 16) | (q[at + 3] << 24);
  };
  const auto c = parvane::ProtocolQuery(parvane::NvmeControllerRequest());
  ASSERT_EQ(8u + 40u + 4096u, c.size());
  EXPECT_EQ(49, u32(c, 0));    // adapter protocol-specific property
  EXPECT_EQ(0, u32(c, 4));     // standard query
  EXPECT_EQ(3, u32(c, 8));     // NVMe
  EXPECT_EQ(1, u32(c, 12));    // Identify
  EXPECT_EQ(1, u32(c, 16));    // CNS 1: controller
  EXPECT_EQ(0, u32(c, 20));
  EXPECT_EQ(40, u32(c, 24));   // data after the protocol record
  EXPECT_EQ(4096, u32(c, 28));
  const auto n = parvane::ProtocolQuery(parvane::NvmeNamespaceRequest());
  EXPECT_EQ(50, u32(n, 0));    // device protocol-specific property
  EXPECT_EQ(0, u32(n, 16));    // CNS 0: namespace
  EXPECT_EQ(1, u32(n, 20));    // namespace 1
}

TEST(NvmeRequests, TheBlockIsTakenOnlyWhenItLiesWhollyInsideTheAnswer) {
  auto a = parvane::ProtocolQuery(parvane::NvmeControllerRequest());
  a[48] = 0x79;
  a.back() = 0x7F;
  auto b = parvane::NvmeBlockFromAnswer(a);
  ASSERT_TRUE(b);
  EXPECT_EQ(0x79, b->bytes[0]);
  EXPECT_EQ(0x7F, b->bytes[4095]);
  // Fewer bytes returned than the buffer holds.
  EXPECT_FALSE(parvane::NvmeBlockFromAnswer(std::span(a).first(a.size() - 1)));
  EXPECT_FALSE(parvane::NvmeBlockFromAnswer(std::span(a).first(20)));
  a[24] = 41;  // one byte too far
  EXPECT_FALSE(parvane::NvmeBlockFromAnswer(a));
  a[24] = 40;
  a[29] = 0x0F;  // the driver says 3840 bytes came back
  EXPECT_FALSE(parvane::NvmeBlockFromAnswer(a));
}

// ---- the pages through the device layer -----------------------------------

using parvane_test::FakeLayer;

TEST(DiskPagesOfNvme, AskedOnlyWhenAtaFailsAndFirstWithoutAccessRights) {
  FakeLayer layer;
  layer.drive0 = parvane::IdentifyData{};
  parvane::DiskPageRows(layer);
  EXPECT_TRUE(layer.nvmeCalls.empty()) << "an ATA drive is never asked as NVMe";

  layer.drive0.reset();
  layer.nvme0 = NvmeIdentify{Recorded(), std::nullopt};
  layer.extent0 = DiskExtent{512110190592ull, 512};
  auto rows = parvane::DiskPageRows(layer);
  EXPECT_EQ((std::vector{parvane::DeviceAccess::QueryOnly}), layer.nvmeCalls);
  EXPECT_EQ("THNSN5512GPU7 TOSHIBA", Value(rows, 0));
  EXPECT_EQ("512110190592 bytes", Value(rows, 15));

  // A driver that answers only on a handle with read and write access.
  layer.nvmeCalls.clear();
  layer.nvmeOnlyWith = parvane::DeviceAccess::Full;
  const auto modes = parvane::DiskModesPageRows(layer);
  EXPECT_EQ((std::vector{parvane::DeviceAccess::QueryOnly, parvane::DeviceAccess::Full}),
            layer.nvmeCalls);
  ASSERT_EQ(parvane::DiskModesPageRows(nullptr).size(), modes.size());
  for (std::size_t i = 0; i < modes.size(); ++i)
    EXPECT_EQ(modes[i].label.empty() ? "<none>" : kNa, Value(modes, i)) << i;
}

TEST(DiskPagesOfNvme, ADriveThatAnswersNothingSaysSoInTheFirstRow) {
  FakeLayer layer;
  for (const auto& rows : {parvane::DiskPageRows(layer), parvane::DiskModesPageRows(layer)}) {
    EXPECT_EQ("无法读取硬盘信息", Value(rows, 0));
    for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_FALSE(rows[i].value) << i;
  }
  EXPECT_EQ(4u, layer.nvmeCalls.size());
}

TEST(StandardUser, CdromAndUsbPagesAskThroughAHandleWithoutAccessRights) {
  using parvane_test::Descriptor;
  using parvane_test::Geometry;
  FakeLayer layer;
  layer.standardUser = true;
  layer.cdroms = {"cd0"};
  layer.devices["cd0"] = {true, true, Geometry(1000, 54, 64, 32, 2048),
                          Descriptor(2, true, "HL-DT-ST", "DVDRAM GH24NSD1", "LG00", "K1234")};
  layer.disks = {"disk0"};
  layer.devices["disk0"] = {true, true, Geometry(100, 12, 255, 63, 512),
                            Descriptor(17, false, nullptr, "THNSN5512GPU7 TOSHIBA", "410557LA",
                                       "37RS_DEAD_BEEF.")};
  layer.mask = 1u << 4;
  layer.removable = "E";
  layer.devices["E:"] = {true, true, {}, parvane::NewDescriptorBuffer()};

  const std::string cd = parvane::CdromPageText(layer);
  EXPECT_NE(std::string::npos, cd.find("光驱接口:            ATAPI"));
  EXPECT_NE(std::string::npos, cd.find("光驱型号:            DVDRAM GH24NSD1"));
  EXPECT_NE(std::string::npos, cd.find("编号序号:            K1234\r\n"));
  const std::string usb = parvane::UsbPageText(layer);
  EXPECT_NE(std::string::npos, usb.find("硬盘接口:            NVMe     \r\n"));
  EXPECT_NE(std::string::npos, usb.find("产品型号:            THNSN5512GPU7 TOSHIBA"));
  EXPECT_NE(std::string::npos, usb.find("正在使用U盘:      E盘"));
  for (const auto& [path, access] : layer.opens)
    EXPECT_EQ(parvane::DeviceAccess::QueryOnly, access) << path;

  // An administrator's opens keep the access they always had.
  layer.standardUser = false;
  layer.opens.clear();
  parvane::UsbPageText(layer);
  ASSERT_FALSE(layer.opens.empty());
  for (const auto& [path, access] : layer.opens)
    EXPECT_EQ(parvane::DeviceAccess::Full, access) << path;
}

}  // namespace
