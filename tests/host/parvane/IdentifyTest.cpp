#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "parvane/decode/Identify.h"
#include "parvane/decode/Smart.h"
#include "parvane/decode/IdentifyDecode.h"
#include "platform/AnsiText.h"
#include "platform/Utf8.h"

using parvane::IdentifyData;

namespace {

// Writes `text` into a raw field as the drive sends it: pairs swapped.
void PutRawText(IdentifyData& b, parvane::IdentifyField f, const std::string& text) {
  ASSERT_EQ(text.size(), f.length);
  for (std::size_t i = 0; i < f.length; i += 2) {
    b.bytes[f.offset + i] = static_cast<std::uint8_t>(text[i + 1]);
    b.bytes[f.offset + i + 1] = static_cast<std::uint8_t>(text[i]);
  }
}

const std::string& Value(const std::vector<parvane::PageRow>& rows, std::size_t i) {
  static const std::string kNone = "<none>";
  return rows.at(i).value ? *rows.at(i).value : kNone;
}

// ---- text repair ---------------------------------------------------------

TEST(FixIdentifyText, SerialWithLeadingAndTrailingBlanks) {
  IdentifyData b;
  PutRawText(b, parvane::kSerialField, "  ABCDEFGHIJKLMNO   ");
  parvane::FixIdentifyText(b.bytes.data() + 20, 20);
  EXPECT_EQ(0, std::memcmp(b.bytes.data() + 20, "ABCDEFGHIJKLMNO\0\0\0\0\0", 20));
  EXPECT_EQ("ABCDEFGHIJKLMNO", parvane::IdentifyText(b, parvane::kSerialField));
}

TEST(FixIdentifyText, FullFieldKeepsNoTerminatorAndIsReadWithinItsField) {
  IdentifyData b;
  const std::string model = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcd";
  PutRawText(b, parvane::kModelField, model);
  b.bytes[94] = 'X';  // the byte after the field must not leak into the text
  parvane::FixIdentifyText(b.bytes.data() + 54, 40);
  EXPECT_EQ(0, std::memcmp(b.bytes.data() + 54, model.data(), 40));
  EXPECT_EQ(model, parvane::IdentifyText(b, parvane::kModelField));
}

TEST(FixIdentifyText, AllBlankFieldBecomesEmptyAndNeighboursStay) {
  IdentifyData b;
  b.bytes.fill(0x55);
  PutRawText(b, parvane::kFirmwareField, "        ");
  parvane::FixIdentifyText(b.bytes.data() + 46, 8);
  for (int i = 46; i < 54; ++i) EXPECT_EQ(0, b.bytes[i]) << i;
  EXPECT_EQ(0x55, b.bytes[45]);
  EXPECT_EQ(0x55, b.bytes[54]);
  EXPECT_EQ("", parvane::IdentifyText(b, parvane::kFirmwareField));
}

TEST(FixIdentifyText, InnerBlanksAreKept) {
  IdentifyData b;
  PutRawText(b, parvane::kFirmwareField, " A B    ");
  parvane::FixIdentifyText(b.bytes.data() + 46, 8);
  EXPECT_EQ("A B", parvane::IdentifyText(b, parvane::kFirmwareField));
}

// ---- request records -----------------------------------------------------

TEST(SmartRecords, InputIsThirtyFiveBytesWithIdentifyCommandOnly) {
  auto in = parvane::SmartIdentifyInput();
  ASSERT_EQ(35u, in.size());
  for (std::size_t i = 0; i < in.size(); ++i) EXPECT_EQ(i == 10 ? 0xEC : 0, in[i]) << i;
}

TEST(SmartRecords, OutputAsksForFiveHundredTwelveAndDataComesFromOffsetSixteen) {
  auto out = parvane::SmartIdentifyOutput();
  ASSERT_EQ(531u, out.size());
  EXPECT_EQ(0x00, out[0]);
  EXPECT_EQ(0x02, out[1]);
  for (std::size_t i = 2; i < out.size(); ++i) ASSERT_EQ(0, out[i]) << i;
  for (std::size_t i = 0; i < 512; ++i) out[16 + i] = static_cast<std::uint8_t>(i * 7);
  out[15] = 0xEE;
  out[528] = 0xEE;
  const auto b = parvane::IdentifyFromSmartAnswer(out, 528);
  ASSERT_TRUE(b);
  for (std::size_t i = 0; i < 512; ++i) ASSERT_EQ(static_cast<std::uint8_t>(i * 7), b->bytes[i]);
}

TEST(ProtocolQuery, AsksForAtaIdentifyWithDataAfterTheProtocolRecord) {
  auto q = parvane::AtaIdentifyProtocolQuery();
  auto u32 = [&](std::size_t at) {
    return q[at] | (q[at + 1] << 8) | (q[at + 2] << 16) | (q[at + 3] << 24);
  };
  EXPECT_EQ(560u, q.size());
  EXPECT_EQ(50, u32(0));   // device protocol-specific property
  EXPECT_EQ(0, u32(4));    // standard query
  EXPECT_EQ(2, u32(8));    // ATA
  EXPECT_EQ(1, u32(12));   // IDENTIFY
  EXPECT_EQ(40, u32(24));  // data offset
  EXPECT_EQ(512, u32(28)); // data length
}

TEST(ProtocolQuery, AnswerIsTakenOnlyWhenTheBlockLiesInsideTheBuffer) {
  auto a = parvane::AtaIdentifyProtocolQuery();
  a[48] = 0x40;
  a[559] = 0x7F;
  auto b = parvane::IdentifyFromProtocolAnswer(a);
  ASSERT_TRUE(b);
  EXPECT_EQ(0x40, b->bytes[0]);
  EXPECT_EQ(0x7F, b->bytes[511]);
  a[24] = 41;  // one byte further would read past the buffer
  EXPECT_FALSE(parvane::IdentifyFromProtocolAnswer(a));
  a[24] = 39;  // data overlapping the protocol record
  EXPECT_FALSE(parvane::IdentifyFromProtocolAnswer(a));
  a[24] = 40;
  a[29] = 0;  // driver returned fewer than 512 bytes
  EXPECT_FALSE(parvane::IdentifyFromProtocolAnswer(a));
}

// ---- dump parsing --------------------------------------------------------

TEST(ParseIdentifyDump, AcceptsHexWordsOrRawBytesOnly) {
  std::string hex;
  for (int i = 0; i < 256; ++i) hex += (i % 8 == 7) ? "00aB\n" : "00aB ";
  auto b = parvane::ParseIdentifyDump(hex);
  ASSERT_TRUE(b);
  EXPECT_EQ(0x00AB, b->Word(255));
  EXPECT_EQ(0xAB, b->bytes[0]);

  std::string raw(512, '\0');
  raw[2] = '\x37';
  raw[3] = '\xC8';
  auto r = parvane::ParseIdentifyDump(raw);
  ASSERT_TRUE(r);
  EXPECT_EQ(0xC837, r->Word(1));

  // hdparm names the device on a line of its own before the words.
  auto named = parvane::ParseIdentifyDump("\n/dev/sda:\n" + hex);
  ASSERT_TRUE(named);
  EXPECT_EQ(b->bytes, named->bytes);

  EXPECT_FALSE(parvane::ParseIdentifyDump(hex.substr(0, hex.size() - 5)));  // 255 words
  EXPECT_FALSE(parvane::ParseIdentifyDump("/dev/sda: " + hex));
  EXPECT_FALSE(parvane::ParseIdentifyDump(hex + "0000"));                 // 257 words
  EXPECT_FALSE(parvane::ParseIdentifyDump("zzzz"));
  EXPECT_FALSE(parvane::ParseIdentifyDump(std::string(511, '\0')));
}

// ---- disk page -----------------------------------------------------------

TEST(DiskPage, RowsLabelsAndImagesInListOrder) {
  auto rows = parvane::DiskPageRows(nullptr);
  ASSERT_EQ(46u, rows.size());
  EXPECT_EQ("硬盘型号:", rows[0].label);
  EXPECT_EQ("DMA模式1 (25MB/ s)    的支持:", rows[3].label);
  EXPECT_EQ(5, rows[4].image);  // the image list skips 4 here
  EXPECT_EQ("CHS可寻址每磁道扇区数", rows[19].label);
  EXPECT_EQ("Overlap operation supported:", rows[27].label);
  EXPECT_EQ("        ATA-2版本:", rows[32].label);
  EXPECT_EQ("        ATA/ATAPI-14版本:", rows[44].label);
  EXPECT_EQ("", rows[45].label);
  for (const auto& r : rows) EXPECT_FALSE(r.value) << r.label;
}

TEST(DiskPage, IdentityTextsAreTheFieldsBytesInTheSystemCodePage) {
  // A model that fills its field with bytes outside ASCII, the serial right
  // behind it: the row shows exactly the model's 40 bytes, converted, and
  // valid UTF-8 whatever the bytes.
  IdentifyData b;
  std::string model = "DISK \xC4\xE3\xBA\xC3";
  model.resize(40, '\xB0');
  PutRawText(b, parvane::kModelField, model);
  PutRawText(b, parvane::kSerialField, "\xD0\xF2SERIAL-1          ");
  parvane::FixIdentifyTexts(b);
  const auto rows = parvane::DecodeDiskPage(b);
  EXPECT_EQ(platform::AnsiBytesToUtf8(model), Value(rows, 0));
  EXPECT_EQ(platform::AnsiBytesToUtf8("\xD0\xF2SERIAL-1"), Value(rows, 1));
  for (int i : {0, 1}) EXPECT_EQ(platform::ValidUtf8(Value(rows, i)), Value(rows, i));
  EXPECT_EQ(std::string::npos, Value(rows, 0).find("SERIAL"));
}

TEST(DiskPage, Word53SelectsTheDmaAndChsRows) {
  IdentifyData b;
  b.SetWord(53, 0x0006);
  auto rows = parvane::DecodeDiskPage(b);
  for (int i = 2; i <= 9; ++i) EXPECT_TRUE(rows[i].value) << i;
  for (int i = 17; i <= 21; ++i) EXPECT_FALSE(rows[i].value) << i;  // bit 0 clear

  b.SetWord(53, 0x0001);
  rows = parvane::DecodeDiskPage(b);
  for (int i = 2; i <= 9; ++i) EXPECT_FALSE(rows[i].value) << i;
  for (int i = 17; i <= 21; ++i) EXPECT_TRUE(rows[i].value) << i;
  for (int i : {0, 1, 10, 16, 22, 30}) EXPECT_TRUE(rows[i].value) << i;
}

TEST(DiskPage, Word80SelectsTheStandardRows) {
  IdentifyData b;
  for (std::uint16_t w80 : {0x0000, 0xFFFF}) {
    b.SetWord(80, w80);
    auto rows = parvane::DecodeDiskPage(b);
    for (int i = 31; i <= 44; ++i) EXPECT_FALSE(rows[i].value) << w80 << " row " << i;
  }
  b.SetWord(80, 0x007E);
  auto rows = parvane::DecodeDiskPage(b);
  for (int i = 31; i <= 36; ++i) EXPECT_EQ("Yes", Value(rows, i)) << i;
  for (int i = 37; i <= 44; ++i) EXPECT_EQ("No", Value(rows, i)) << i;
}

TEST(DiskPage, CapacitiesAndBuffer) {
  IdentifyData b;
  b.SetWord(60, 0x0000);
  b.SetWord(61, 0x0100);
  b.SetWord(21, 0x0400);
  // 976,773,168 = 0x3A386030
  b.SetWord(100, 0x6030);
  b.SetWord(101, 0x3A38);
  auto rows = parvane::DecodeDiskPage(b);
  EXPECT_EQ("16777216", Value(rows, 14));
  EXPECT_EQ("8589934592 bytes", Value(rows, 15));
  EXPECT_EQ("976773168 lba总扇区", Value(rows, 16));
  EXPECT_EQ("524288", Value(rows, 10));

  b.SetWord(60, 0xFFFF);
  b.SetWord(61, 0xFFFF);  // the sector count is unsigned
  b.SetWord(21, 0xFFFF);
  rows = parvane::DecodeDiskPage(b);
  EXPECT_EQ("4294967295", Value(rows, 14));
  EXPECT_EQ("2199023255040 bytes", Value(rows, 15));
  EXPECT_EQ("33553920", Value(rows, 10));
}

TEST(DiskPage, GeometryChsAndSignedCounts) {
  IdentifyData b;
  b.SetWord(1, 16383);
  b.SetWord(3, 16);
  b.SetWord(6, 63);
  b.SetWord(53, 0x0001);
  b.SetWord(57, 0xFC10);
  b.SetWord(58, 0x00FB);
  b.SetWord(64, 0x0103);
  auto rows = parvane::DecodeDiskPage(b);
  EXPECT_EQ("16383 柱面", Value(rows, 11));
  EXPECT_EQ("16 磁头", Value(rows, 12));
  EXPECT_EQ("63 扇区", Value(rows, 13));
  EXPECT_EQ("16514064", Value(rows, 20));
  EXPECT_EQ("8455200768 bytes", Value(rows, 21));
  EXPECT_EQ("3", Value(rows, 22));

  // Row 21 takes the 32-bit count as signed; the 48-bit count prints signed.
  b.SetWord(58, 0x8000);
  b.SetWord(57, 0x0000);
  b.SetWord(103, 0xFFFF);
  b.SetWord(102, 0xFFFF);
  b.SetWord(101, 0xFFFF);
  b.SetWord(100, 0xFFFF);
  rows = parvane::DecodeDiskPage(b);
  EXPECT_EQ("2147483648", Value(rows, 20));
  EXPECT_EQ("-1099511627776 bytes", Value(rows, 21));
  EXPECT_EQ("-1 lba总扇区", Value(rows, 16));
}

TEST(DiskPage, CapabilityBitsEachReadTheirOwnBit) {
  const int bits[] = {8, 9, 11, 10, 13, 14, 15};  // rows 23-29
  for (int k = 0; k < 7; ++k) {
    IdentifyData b;
    b.SetWord(49, static_cast<std::uint16_t>(1u << bits[k]));
    auto rows = parvane::DecodeDiskPage(b);
    for (int r = 23; r <= 29; ++r) EXPECT_EQ(r == 23 + k ? "Yes" : "No", Value(rows, r)) << r;
  }
}

TEST(DiskPage, UdmaSupportAndSelection) {
  IdentifyData b;
  b.SetWord(53, 0x0004);
  b.SetWord(88, 0x203F);
  auto disk = parvane::DecodeDiskPage(b);
  for (int i = 2; i <= 7; ++i) EXPECT_EQ("Yes", Value(disk, i)) << i;
  for (int i = 8; i <= 9; ++i) EXPECT_EQ("No", Value(disk, i)) << i;
  auto modes = parvane::DecodeDiskModesPage(b);
  for (int i = 0; i <= 7; ++i) EXPECT_EQ(i == 5 ? "Yes" : "No", Value(modes, i)) << i;
}

// ---- modes page ----------------------------------------------------------

TEST(DiskModesPage, RowOrderEndsWithTheRowAfterTheUnlabelledOne) {
  auto rows = parvane::DiskModesPageRows(nullptr);
  ASSERT_EQ(35u, rows.size());
  EXPECT_EQ(std::string(29, ' ') + "DMA模式1:", rows[1].label);
  EXPECT_EQ(8, rows[7].image);
  EXPECT_EQ("保留值：:", rows[26].label);
  EXPECT_EQ("默认值：", rows[30].label);
  EXPECT_EQ("", rows[33].label);
  EXPECT_EQ("是否ATA软启动:", rows[34].label);
  EXPECT_EQ(3, rows[34].image);
  for (const auto& r : rows) EXPECT_FALSE(r.value);

  IdentifyData b;
  b.SetWord(49, 1u << 12);
  rows = parvane::DecodeDiskModesPage(b);
  EXPECT_FALSE(rows[33].value);
  EXPECT_EQ("Yes", Value(rows, 34));
  for (int i = 0; i <= 32; ++i) EXPECT_TRUE(rows[i].value) << i;  // no conditions here
}

TEST(DiskModesPage, MultipleSectorsAndWholeWordTests) {
  IdentifyData b;
  b.SetWord(59, 0x0110);
  b.SetWord(62, 0x0400);
  b.SetWord(0, 0x0040);
  b.SetWord(5, 0x0001);
  b.SetWord(84, 0x4163);
  b.SetWord(63, 0x0005);
  b.SetWord(83, 0x0428);  // bits 3, 5, 10
  auto rows = parvane::DecodeDiskModesPage(b);
  EXPECT_EQ("16", Value(rows, 14));
  EXPECT_EQ("Yes", Value(rows, 15));
  EXPECT_EQ("Yes", Value(rows, 16));
  EXPECT_EQ("64", Value(rows, 17));
  EXPECT_EQ("No", Value(rows, 19));
  EXPECT_EQ("Yes", Value(rows, 20));
  EXPECT_EQ("16739", Value(rows, 30));
  EXPECT_EQ("Yes", Value(rows, 8));
  EXPECT_EQ("No", Value(rows, 9));
  EXPECT_EQ("Yes", Value(rows, 10));
  EXPECT_EQ("Yes", Value(rows, 11));
  EXPECT_EQ("No", Value(rows, 12));
  EXPECT_EQ("Yes", Value(rows, 13));
  EXPECT_EQ("No", Value(rows, 31));
  EXPECT_EQ("Yes", Value(rows, 32));
}

// ---- recorded drives against hdparm's reading of them ---------------------

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Trim(std::string s) {
  auto b = s.find_first_not_of(" \t");
  auto e = s.find_last_not_of(" \t\r");
  return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

// The text after "key" on hdparm's line, trimmed; empty when absent.
std::string HdparmField(const std::string& text, const std::string& key) {
  auto at = text.find(key);
  if (at == std::string::npos) return "";
  auto end = text.find('\n', at);
  return Trim(text.substr(at + key.size(), end - at - key.size()));
}

// The whitespace-separated words of a text.
std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

bool AllDigits(const std::string& s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

// The "max" column of a geometry line ("cylinders\t16383\t16383").
std::string HdparmMax(const std::string& text, const std::string& key) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    auto words = Words(line);
    if (words.size() >= 2 && words[0] == key && AllDigits(words[1])) return words[1];
  }
  return "";
}

// The number of "cache/buffer size  = 8192 KBytes"; empty when absent.
std::string HdparmCacheKBytes(const std::string& text) {
  auto words = Words(HdparmField(text, "cache/buffer size"));
  return words.size() >= 3 && words[0] == "=" && AllDigits(words[1]) && words[2] == "KBytes"
             ? words[1] : "";
}

class RecordedDrive : public ::testing::TestWithParam<const char*> {};

TEST_P(RecordedDrive, DecodesAsHdparmReadsIt) {
  const std::string base = std::string(DRAVON_IDENTIFY_DATA) + "/" + GetParam();
  const std::string hd = ReadFile(base + ".hdparm.txt");
  ASSERT_FALSE(hd.empty());
  auto block = parvane::ParseIdentifyDump(ReadFile(base + ".hex"));
  ASSERT_TRUE(block);
  IdentifyData b = *block;
  parvane::FixIdentifyTexts(b);
  auto disk = parvane::DecodeDiskPage(b);
  auto modes = parvane::DecodeDiskModesPage(b);

  EXPECT_EQ(HdparmField(hd, "Model Number:"), Value(disk, 0));
  EXPECT_EQ(HdparmField(hd, "Serial Number:"), Value(disk, 1));
  EXPECT_EQ(HdparmField(hd, "Firmware Revision:"),
            parvane::IdentifyText(b, parvane::kFirmwareField));

  EXPECT_EQ(HdparmMax(hd, "cylinders") + " 柱面", Value(disk, 11));
  EXPECT_EQ(HdparmMax(hd, "heads") + " 磁头", Value(disk, 12));
  EXPECT_EQ(HdparmMax(hd, "sectors/track") + " 扇区", Value(disk, 13));

  if (b.Bit(49, 9)) {
    EXPECT_EQ(HdparmField(hd, "LBA    user addressable sectors:"), Value(disk, 14));
  }
  if (b.Bit(83, 10)) {
    EXPECT_EQ(HdparmField(hd, "LBA48  user addressable sectors:") + " lba总扇区",
              Value(disk, 16));
  }
  EXPECT_EQ(b.Bit(83, 10) ? "Yes" : "No", Value(disk, 30));

  const std::string cache = HdparmCacheKBytes(hd);
  if (!cache.empty()) {
    // hdparm halves word 21 into KBytes, dropping an odd sector.
    EXPECT_EQ(std::to_string(std::stoul(cache) * 1024 + (b.Word(21) & 1) * 512),
              Value(disk, 10));
  } else {
    EXPECT_TRUE(b.Word(21) == 0 || b.Word(21) == 0xFFFF);
  }

  // DMA line: udmaN supported (disk rows 2-9), *udmaN selected (modes rows
  // 0-7), mdmaN supported (modes rows 8-10).
  const std::string dma = HdparmField(hd, "DMA:");
  ASSERT_FALSE(dma.empty());
  const auto dmaWords = Words(dma);
  auto listed = [&](const std::string& word) {
    return std::find(dmaWords.begin(), dmaWords.end(), word) != dmaWords.end();
  };
  auto selected = [&](const std::string& tok) { return listed("*" + tok); };
  auto has = [&](const std::string& tok) { return listed(tok) || selected(tok); };
  for (int n = 0; n <= 7; ++n) {
    const std::string tok = "udma" + std::to_string(n);
    if (b.Bit(53, 2)) {
      EXPECT_EQ(has(tok) ? "Yes" : "No", Value(disk, 2 + n)) << tok;
    }
    EXPECT_EQ(selected(tok) ? "Yes" : "No", Value(modes, n)) << tok;
  }
  for (int n = 0; n <= 2; ++n) {
    const std::string tok = "mdma" + std::to_string(n);
    EXPECT_EQ(has(tok) ? "Yes" : "No", Value(modes, 8 + n)) << tok;
  }
}

// Both pages row by row as they were before NVMe drives were known: an ATA
// drive's pages must not change.
TEST_P(RecordedDrive, PagesAreExactlyTheRecordedRows) {
  const std::string base = std::string(DRAVON_IDENTIFY_DATA) + "/" + GetParam();
  const std::string expected = ReadFile(base + ".pages.txt");
  ASSERT_FALSE(expected.empty());
  IdentifyData b = parvane::ParseIdentifyDump(ReadFile(base + ".hex")).value_or(IdentifyData{});
  parvane::FixIdentifyTexts(b);
  std::string got;
  auto print = [&](const char* page, const std::vector<parvane::PageRow>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i)
      got += std::string(page) + "\t" + std::to_string(i) + "\t" + rows[i].label + "\t" +
             rows[i].value.value_or("") + "\n";
  };
  print("disk", parvane::DecodeDiskPage(b));
  print("modes", parvane::DecodeDiskModesPage(b));
  EXPECT_EQ(expected, got);
}

INSTANTIATE_TEST_SUITE_P(Recorded, RecordedDrive,
                         ::testing::Values("samsung-860evo-500gb", "stardrive-sbfm61",
                                           "parse-identify-1", "parse-identify-2",
                                           "parse-identify-3", "hitachi-hde721010sla330",
                                           "hitachi-hua722010cla330"),
                         [](const auto& info) {
                           std::string n = info.param;
                           for (char& c : n)
                             if (c == '-') c = '_';
                           return n;
                         });

}  // namespace
