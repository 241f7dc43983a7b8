// The table reader on bytes: fix-ups, runs, records, the order of names,
// and whole volumes made by mkntfs then damaged on purpose.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "platform/DirEnumMemory.h"
#include "tests/host/diskview/NtfsImage.h"
#include "tests/support/DirEnumMft.h"
#include "tests/host/platform/StrictPageDevice.h"

namespace diskview::test {
namespace {

using namespace diskview::ntfs;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
void Put16(std::uint8_t* p, std::uint16_t v) { p[0] = v & 0xFF; p[1] = v >> 8; }
void Put32(std::uint8_t* p, std::uint32_t v) { Put16(p, v & 0xFFFF); Put16(p + 2, v >> 16); }
void Put64(std::uint8_t* p, std::uint64_t v) { Put32(p, v & 0xFFFFFFFF); Put32(p + 4, v >> 32); }

// A 1024-byte file record as NTFS 3.1 writes it, attributes appended one by
// one; Seal() writes the end marker and the update sequence.
struct RecordBuilder {
  explicit RecordBuilder(std::uint32_t number, std::uint16_t flags = 1) : bytes(1024, 0) {
    std::memcpy(bytes.data(), "FILE", 4);
    Put16(&bytes[4], 0x30);
    Put16(&bytes[6], 3);
    Put16(&bytes[16], 7);  // sequence
    Put16(&bytes[20], 0x38);
    Put16(&bytes[22], flags);
    Put32(&bytes[28], 1024);
    Put32(&bytes[44], number);
  }
  void Resident(std::uint32_t type, const std::vector<std::uint8_t>& value, const std::u16string& name = u"") {
    const std::size_t length = (24 + name.size() * 2 + value.size() + 7) / 8 * 8;
    std::uint8_t* a = &bytes[at];
    Put32(a, type);
    Put32(a + 4, static_cast<std::uint32_t>(length));
    a[9] = static_cast<std::uint8_t>(name.size());
    Put16(a + 10, 24);
    for (std::size_t i = 0; i < name.size(); ++i) Put16(a + 24 + 2 * i, name[i]);
    Put32(a + 16, static_cast<std::uint32_t>(value.size()));
    Put16(a + 20, static_cast<std::uint16_t>(24 + name.size() * 2));
    std::memcpy(a + 24 + name.size() * 2, value.data(), value.size());
    at += length;
  }
  void NonResident(std::uint32_t type, std::uint64_t size, const std::vector<std::uint8_t>& pairs,
                   std::uint64_t lowestVcn = 0) {
    const std::size_t length = (64 + pairs.size() + 1 + 7) / 8 * 8;
    std::uint8_t* a = &bytes[at];
    Put32(a, type);
    Put32(a + 4, static_cast<std::uint32_t>(length));
    a[8] = 1;
    Put64(a + 16, lowestVcn);
    Put16(a + 32, 64);
    Put64(a + 48, size);
    std::memcpy(a + 64, pairs.data(), pairs.size());
    at += length;
  }
  void FileName(std::uint64_t parent, std::uint8_t space, const std::u16string& name) {
    std::vector<std::uint8_t> v(66 + name.size() * 2);
    Put64(v.data(), parent);
    v[64] = static_cast<std::uint8_t>(name.size());
    v[65] = space;
    for (std::size_t i = 0; i < name.size(); ++i) Put16(&v[66 + 2 * i], name[i]);
    Resident(0x30, v);
  }
  std::vector<std::uint8_t> Seal() {
    Put32(&bytes[at], 0xFFFFFFFF);
    Put32(&bytes[24], static_cast<std::uint32_t>(at + 8));
    Put16(&bytes[0x30], 0x0102);
    for (int i = 1; i <= 2; ++i) {
      bytes[0x30 + 2 * i] = bytes[512 * i - 2];
      bytes[0x30 + 2 * i + 1] = bytes[512 * i - 1];
      Put16(&bytes[512 * i - 2], 0x0102);
    }
    return bytes;
  }
  std::vector<std::uint8_t> bytes;
  std::size_t at = 0x38;
};

TEST(MftBytes, FixupsRestoreSectorEndsAndRefuseTornRecords) {
  RecordBuilder b(30);
  b.bytes[510] = 0xAB;
  b.bytes[1023] = 0xCD;
  auto good = b.Seal();
  EXPECT_EQ(good[510], 0x02);
  EXPECT_TRUE(ApplyFixups(good.data(), good.size()));
  EXPECT_EQ(good[510], 0xAB);
  EXPECT_EQ(good[1023], 0xCD);

  RecordBuilder torn(30);
  auto bad = torn.Seal();
  bad[1022] ^= 1;  // the second sector was written by another update
  EXPECT_FALSE(ApplyFixups(bad.data(), bad.size()));
  auto count = RecordBuilder(30).Seal();
  Put16(&count[6], 2);  // covers one sector of two
  EXPECT_FALSE(ApplyFixups(count.data(), count.size()));
  auto offset = RecordBuilder(30).Seal();
  Put16(&offset[4], 508);  // the array would run into the sector's end
  EXPECT_FALSE(ApplyFixups(offset.data(), offset.size()));
}

TEST(MftBytes, RunsDecodeRelativeSignedOffsetsAndRefuseNonsense) {
  std::vector<ntfs::Run> runs;
  const std::uint8_t pairs[] = {0x21, 0x10, 0x00, 0x01,  // 16 clusters at 256
                                0x11, 0x08, 0xF0,        // 8 at 256 - 16
                                0x01, 0x04,              // 4 sparse
                                0x11, 0x02, 0x20,        // 2 at 240 + 32
                                0x00};
  ASSERT_TRUE(DecodeRuns(pairs, sizeof pairs, 0, runs));
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_EQ(runs[0].lcn, 256u);
  EXPECT_EQ(runs[1].lcn, 240u);
  EXPECT_EQ(runs[1].vcn, 16u);
  EXPECT_TRUE(runs[2].sparse);
  EXPECT_EQ(runs[3].lcn, 272u);
  EXPECT_EQ(runs[3].vcn, 28u);

  const std::vector<std::vector<std::uint8_t>> bad = {
      {0x21, 0x10},              // cut short
      {0x20, 0x10, 0x00},        // no length bytes
      {0x11, 0x00, 0x05},        // zero clusters
      {0x11, 0x04, 0xF0},        // before the volume's start
      {0x91, 0x04, 1, 2, 3, 4, 5, 6, 7, 8, 9},  // nine offset bytes
      // Cluster 2^62, then 2^62 further: refused before the sum overflows.
      {0x81, 0x01, 0, 0, 0, 0, 0, 0, 0, 0x40, 0x81, 0x01, 0, 0, 0, 0, 0, 0, 0, 0x40},
  };
  for (const auto& b : bad) {
    runs.clear();
    EXPECT_FALSE(DecodeRuns(b.data(), b.size(), 0, runs)) << int(b[0]);
  }
}

TEST(MftBytes, RecordsGiveNamesSizesAndReparseTagsWithinTheirBounds) {
  RecordBuilder b(40, 1);
  b.Resident(0x10, std::vector<std::uint8_t>(72, 0));
  b.FileName(5 | (std::uint64_t{5} << 48), 1, u"Long name.txt");
  b.FileName(5 | (std::uint64_t{5} << 48), 2, u"LONGNA~1.TXT");
  b.NonResident(0x80, 5368709120ull, {0x01, 0x10, 0x00});  // sparse: logical size counts
  b.Resident(0x80, {1, 2, 3}, u"stream");                   // named streams do not
  b.Resident(0xC0, {0x0C, 0x00, 0x00, 0xA0, 0, 0, 0, 0});
  auto bytes = b.Seal();
  RecordFacts facts;
  ASSERT_EQ(ParseRecord(bytes.data(), bytes.size(), 40, facts), RecordStatus::kInUse);
  EXPECT_FALSE(facts.directory);
  EXPECT_EQ(facts.sequence, 7);
  ASSERT_EQ(facts.names.size(), 2u);
  EXPECT_EQ(facts.Text(facts.names[0]), u"Long name.txt");
  EXPECT_EQ(facts.Text(facts.names[1]), u"LONGNA~1.TXT");
  EXPECT_EQ(facts.names[1].space, 2);
  EXPECT_TRUE(facts.hasSize);
  EXPECT_EQ(facts.size, 5368709120ull);
  EXPECT_TRUE(facts.hasReparse);
  EXPECT_EQ(facts.reparseTag, 0xA000000Cu);

  // The same record at another place in the table is misplaced.
  auto moved = b.bytes;
  EXPECT_EQ(ParseRecord(moved.data(), moved.size(), 41, facts), RecordStatus::kCorrupt);
  // A free record is no record, a zeroed one neither.
  RecordBuilder freed(40, 0);
  auto free = freed.Seal();
  EXPECT_EQ(ParseRecord(free.data(), free.size(), 40, facts), RecordStatus::kFree);
  std::vector<std::uint8_t> zeros(1024, 0);
  EXPECT_EQ(ParseRecord(zeros.data(), zeros.size(), 40, facts), RecordStatus::kFree);

  // Lengths that leave their bounds.
  RecordBuilder name(40);
  name.FileName(5, 1, u"abc");
  auto longName = name.Seal();
  longName[0x38 + 24 + 64] = 200;  // more characters than the value holds
  EXPECT_EQ(ParseRecord(longName.data(), longName.size(), 40, facts), RecordStatus::kCorrupt);
  RecordBuilder attr(40);
  attr.Resident(0x10, std::vector<std::uint8_t>(72, 0));
  auto longAttr = attr.Seal();
  Put32(&longAttr[0x38 + 4], 4096);  // past the bytes in use
  EXPECT_EQ(ParseRecord(longAttr.data(), longAttr.size(), 40, facts), RecordStatus::kCorrupt);
  RecordBuilder end(40);
  auto noEnd = end.Seal();
  Put32(&noEnd[24], 0x38 + 2);  // the end marker is cut off
  EXPECT_EQ(ParseRecord(noEnd.data(), noEnd.size(), 40, facts), RecordStatus::kCorrupt);
}

TEST(MftBytes, NamesCollateByUpperCaseThenAsWritten) {
  Collation ascii;
  EXPECT_TRUE(ascii.Less(u"a.txt2", u"Alpha"));  // '.' before 'L'
  EXPECT_TRUE(ascii.Less(u"abc", u"ABD"));
  EXPECT_TRUE(ascii.Less(u"ab", u"abc"));
  EXPECT_TRUE(ascii.Less(u"CASE", u"case"));
  EXPECT_FALSE(ascii.Less(u"case", u"CASE"));
  EXPECT_TRUE(ascii.Less(u"Z", u"é"));

  std::vector<std::uint8_t> table(131072);
  for (std::uint32_t c = 0; c < 65536; ++c) Put16(&table[2 * c], static_cast<std::uint16_t>(c >= 'a' && c <= 'z' ? c - 32 : c));
  Put16(&table[2 * 0xE9], 0xC9);  // é upper-cases to É
  Collation volume;
  EXPECT_FALSE(volume.SetTable(table.data(), table.size() - 2));
  EXPECT_FALSE(volume.SetTable(std::vector<char16_t>(65535, u'A')));
  EXPECT_TRUE(volume.Less(u"\u00C9b", u"\u00E9a"));  // still ASCII letters only
  ASSERT_TRUE(volume.SetTable(table.data(), table.size()));
  EXPECT_TRUE(volume.Less(u"\u00C9a", u"\u00E9b"));
  EXPECT_FALSE(ascii.Less(u"\u00E9b", u"\u00C9a"));

  EXPECT_EQ(Utf16ToUtf8(u"a\u00E9\u6570\U0001F600"), "a\xC3\xA9\xE6\x95\xB0\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(Utf16ToUtf8(u"x" + std::u16string(1, char16_t(0xD83D))), "x\xEF\xBF\xBD");  // cut pair
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xDE00))), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(u"\uFFFF\u07FF\u0800"), "\xEF\xBF\xBF\xDF\xBF\xE0\xA0\x80");
  std::string out = "kept/";
  AppendUtf8(u"\u00E9", out);
  EXPECT_EQ(out, "kept/\xC3\xA9");
}

// The volume keeps names as AppendUnits writes them and orders them so: the
// order must be the one of their code units, where a surrogate pair sorts
// below U+E000 (unlike its code point), and a lone surrogate by its unit.
TEST(MftBytes, StoredNamesCollateAsTheirCodeUnits) {
  const std::u16string lone(1, char16_t(0xDC00)), high(1, char16_t(0xD83D));
  const std::vector<std::u16string> names{
      u"", u"a", u"A", u"ab", u"aB", u"\u00E9", u"\u00C9", u"\U0001F600", u"\U0001F600a", u"\uE000",
      u"\uFFFF", lone, lone + u"z", high, u"x" + high, u"\u6570\u636E", u"\u07FF"};
  std::vector<std::uint8_t> table(131072);
  for (std::uint32_t c = 0; c < 65536; ++c) Put16(&table[2 * c], static_cast<std::uint16_t>(c >= 'a' && c <= 'z' ? c - 32 : c));
  Put16(&table[2 * 0xE9], 0xC9);
  Collation volume;
  ASSERT_TRUE(volume.SetTable(table.data(), table.size()));
  std::vector<std::string> stored;
  for (const auto& name : names) {
    std::string text = "prefix";  // appended, not assigned
    const bool loneUnit = AppendUnits(name, text);
    text.erase(0, 6);
    EXPECT_EQ(loneUnit, name == lone || name == lone + u"z" || name == high || name == u"x" + high);
    std::string shown = text;
    RepairLoneSurrogates(shown);
    EXPECT_EQ(shown, Utf16ToUtf8(name));
    stored.push_back(std::move(text));
  }
  for (std::size_t i = 0; i < names.size(); ++i)
    for (std::size_t j = 0; j < names.size(); ++j) {
      EXPECT_EQ(volume.Less(stored[i], stored[j]), volume.Less(names[i], names[j])) << i << " " << j;
      EXPECT_EQ(volume.Compare(stored[i], stored[j]) == 0, names[i] == names[j]) << i << " " << j;
      EXPECT_EQ(volume.Compare(stored[i], stored[j]), -volume.Compare(stored[j], stored[i])) << i << " " << j;
    }
  EXPECT_TRUE(volume.Less(stored[7], stored[9]));  // the pair below U+E000

  // Bytes no name gives still end, one unit per stray byte.
  EXPECT_TRUE(volume.Less(std::string_view("\xF0\x9F", 2), std::string_view("\xF0\x9F\x98", 3)));
  EXPECT_FALSE(volume.Less(std::string_view("\x80", 1), std::string_view("\x80", 1)));
}

// A fresh volume's bytes, to damage.
class MftDamage : public ::testing::Test {
 protected:
  void SetUp() override {
    NtfsImage image("damage", 8);
    ASSERT_TRUE(image.Made()) << "mkntfs failed: install ntfs-3g";
    std::ifstream in(image.Image(), std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    ASSERT_TRUE(ParseBootSector(bytes_.data(), bytes_.size(), boot_));
  }
  std::uint8_t* Record(std::uint64_t n) { return bytes_.data() + boot_.mftOffset + n * boot_.recordSize; }
  LoadResult Load(MftVolume& volume, std::size_t size = 0) {
    MemorySource source(bytes_.data(), size ? size : bytes_.size());
    return volume.Load(source, nullptr);
  }

  std::vector<std::uint8_t> bytes_;
  BootSector boot_;
};

TEST_F(MftDamage, AnEmptyVolumeListsNothingAndEachFolderOpensOnce) {
  MftVolume volume;
  ASSERT_EQ(Load(volume), LoadResult::kOk);
  EXPECT_EQ(volume.Stats().corrupt, 0u);
  EXPECT_GT(volume.Stats().inUse, 16u);
  EXPECT_EQ(volume.Stats().tableRuns, 1u);
  DirEnumMft dirs(volume, "E:\\");
  auto root = dirs.Open("E:\\");
  ASSERT_TRUE(root);
  platform::DirEntry entry;
  EXPECT_FALSE(root->Next(entry));  // the metafiles are not listed
  EXPECT_FALSE(dirs.Open("E:\\"));
  EXPECT_FALSE(dirs.Open("E:\\$Extend\\"));
}

TEST_F(MftDamage, ABadRecordIsSkippedAndCounted) {
  Record(9)[boot_.recordSize - 1] ^= 0xFF;  // $Secure's last sector is torn
  Record(24)[0] = 'B';                      // "BILE": no record
  MftVolume volume;
  ASSERT_EQ(Load(volume), LoadResult::kOk);
  EXPECT_EQ(volume.Stats().corrupt, 2u);
}

TEST_F(MftDamage, ABadStructureEndsTheAttempt) {
  const auto original = bytes_;
  MftVolume volume;
  bytes_[3] = 'X';
  EXPECT_EQ(Load(volume), LoadResult::kNotNtfs);
  bytes_ = original;
  bytes_[0x40] = 0x7F;  // records of 127 clusters
  EXPECT_EQ(Load(volume), LoadResult::kNotNtfs);
  bytes_ = original;
  Record(0)[boot_.recordSize - 2] ^= 0xFF;  // the table's own record is torn
  EXPECT_EQ(Load(volume), LoadResult::kCorrupt);
  bytes_ = original;
  Record(5)[22] = 1;  // the root is no longer a folder
  EXPECT_EQ(Load(volume), LoadResult::kCorrupt);
  bytes_ = original;
  EXPECT_EQ(Load(volume, boot_.mftOffset + 8 * boot_.recordSize), LoadResult::kReadFailed);
  EXPECT_FALSE(DirEnumMft(volume, "E:\\").Open("E:\\"));  // nothing loaded, nothing listed
  bytes_ = original;
  EXPECT_EQ(Load(volume), LoadResult::kOk);
}

// Records written into the fresh table: names of extension records and
// names that tie.
TEST_F(MftDamage, ExtensionNamesCountForTheirBaseGenerationAndTiesKeepTableOrder) {
  ASSERT_EQ(boot_.recordSize, 1024u);
  const std::uint64_t root = 5 | std::uint64_t{U16(Record(5) + 16)} << 48;
  const auto put = [&](std::uint32_t number, RecordBuilder& b) {
    const auto bytes = b.Seal();
    std::copy(bytes.begin(), bytes.end(), Record(number));
  };
  // Records 16 to 23 are free in a fresh table.
  RecordBuilder base(17);
  base.FileName(root, 1, u"base");
  base.Resident(0x80, {1, 2, 3});
  put(17, base);
  // A further name of 17 in its extension, which comes first in the table.
  RecordBuilder linked(16);
  Put64(&linked.bytes[32], 17 | std::uint64_t{7} << 48);
  linked.FileName(root, 1, u"linked");
  put(16, linked);
  RecordBuilder stale(18);  // an extension of an earlier file in record 17
  Put64(&stale.bytes[32], 17 | std::uint64_t{6} << 48);
  stale.FileName(root, 1, u"stale");
  put(18, stale);
  for (std::uint32_t n : {20u, 19u}) {  // one name twice in one folder
    RecordBuilder twin(n);
    twin.FileName(root, 1, u"twin");
    twin.Resident(0x80, std::vector<std::uint8_t>(n, 0));
    put(n, twin);
  }

  MftVolume volume;
  ASSERT_EQ(Load(volume), LoadResult::kOk);
  EXPECT_EQ(volume.Stats().corrupt, 0u);
  DirEnumMft dirs(volume, "E:\\");
  auto listing = dirs.Open("E:\\");
  ASSERT_TRUE(listing);
  std::vector<std::pair<std::string, std::uint64_t>> seen;
  platform::DirEntry entry;
  while (listing->Next(entry)) seen.emplace_back(std::string(entry.name), entry.size);
  const std::vector<std::pair<std::string, std::uint64_t>> expected{
      {"base", 3}, {"linked", 3}, {"twin", 19}, {"twin", 20}};
  EXPECT_EQ(seen, expected);
}

// A file's DOS alias shows only where it has no other name in that folder;
// a lone surrogate shows as U+FFFD yet sorts by its unit.
TEST_F(MftDamage, ShortAliasesHideBesideLongNamesAndOddUnitsSortAsWritten) {
  ASSERT_EQ(boot_.recordSize, 1024u);
  const std::uint64_t root = 5 | std::uint64_t{U16(Record(5) + 16)} << 48;
  const std::uint64_t dir = 19 | std::uint64_t{7} << 48;
  const auto put = [&](std::uint32_t number, RecordBuilder& b) {
    const auto bytes = b.Seal();
    std::copy(bytes.begin(), bytes.end(), Record(number));
  };
  RecordBuilder both(16);
  both.FileName(root, 2, u"LONGNA~1.TXT");  // the alias first, as NTFS may write it
  both.FileName(root, 1, u"Long name.txt");
  put(16, both);
  RecordBuilder only(17);
  only.FileName(root, 2, u"ONLY.TXT");
  put(17, only);
  RecordBuilder apart(18);
  apart.FileName(root, 1, u"wide name");
  apart.FileName(dir, 2, u"WIDENA~1");  // alone in that folder
  put(18, apart);
  RecordBuilder folder(19, 3);
  folder.FileName(root, 3, u"dir");
  put(19, folder);
  RecordBuilder odd(20);
  odd.FileName(root, 0, std::u16string(1, char16_t(0xDC00)) + u"z");
  odd.FileName(root, 0, u"\uE000");
  odd.FileName(root, 0, u"\U0001F600");
  put(20, odd);

  MftVolume volume;
  ASSERT_EQ(Load(volume), LoadResult::kOk);
  EXPECT_EQ(volume.Stats().corrupt, 0u);
  MftVolume::Cursor cursor;
  ASSERT_TRUE(volume.OpenFolder(MftVolume::kRootRecord, cursor));
  EXPECT_FALSE(DirEnumMft(volume, "E:\\").Open("E:\\"));  // opened once, by record or by path
  std::vector<std::string> seen;
  platform::DirEntry entry;
  std::uint32_t dirRecord = 0;
  while (volume.NextEntry(cursor, entry)) {
    seen.emplace_back(entry.name);
    if (entry.directory) dirRecord = cursor.record;
  }
  const std::vector<std::string> expected{"dir", "Long name.txt", "ONLY.TXT", "wide name",
                                          "\xF0\x9F\x98\x80", "\xEF\xBF\xBDz", "\xEE\x80\x80"};
  EXPECT_EQ(seen, expected);
  ASSERT_EQ(dirRecord, 19u);
  ASSERT_TRUE(volume.OpenFolder(dirRecord, cursor));
  EXPECT_FALSE(volume.OpenFolder(dirRecord, cursor));
  ASSERT_TRUE(volume.NextEntry(cursor, entry));
  EXPECT_EQ(entry.name, "WIDENA~1");
  EXPECT_FALSE(volume.NextEntry(cursor, entry));
  EXPECT_FALSE(volume.OpenFolder(1u << 30, cursor));
}

// Without the files' names a folder gives the same entries in the same
// order: the folders named, the files with their sizes and empty names.
TEST_F(MftDamage, WithoutFileNamesTheEntriesKeepTheirOrderAndFoldersTheirNames) {
  ASSERT_EQ(boot_.recordSize, 1024u);
  const std::uint64_t root = 5 | std::uint64_t{U16(Record(5) + 16)} << 48;
  const auto put = [&](std::uint32_t number, const char16_t* name, int bytes) {
    RecordBuilder b(number, bytes < 0 ? 3 : 1);
    b.FileName(root, 1, name);
    if (bytes >= 0) b.Resident(0x80, std::vector<std::uint8_t>(static_cast<std::size_t>(bytes), 0));
    const auto sealed = b.Seal();
    std::copy(sealed.begin(), sealed.end(), Record(number));
  };
  put(16, u"b file", 7);
  put(17, u"A folder", -1);
  put(18, u"c folder", -1);
  put(19, u"a file", 3);
  put(20, u"\u00e9t\u00e9", -1);  // after every ASCII name
  put(21, u"Z", 11);
  const auto entries = [&](bool names) {
    MftVolume volume;
    volume.KeepFileNames(names);
    EXPECT_EQ(Load(volume), LoadResult::kOk);
    MftVolume::Cursor cursor;
    EXPECT_TRUE(volume.OpenFolder(MftVolume::kRootRecord, cursor));
    std::vector<std::string> seen;
    platform::DirEntry entry;
    while (volume.NextEntry(cursor, entry))
      seen.push_back(std::string(entry.name) + (entry.directory ? "/" : "") + ":" + std::to_string(entry.size));
    return seen;
  };
  EXPECT_EQ(entries(true), (std::vector<std::string>{"a file:3", "A folder/:0", "b file:7", "c folder/:0",
                                                     "Z:11", "\xC3\xA9t\xC3\xA9/:0"}));
  EXPECT_EQ(entries(false), (std::vector<std::string>{":3", "A folder/:0", ":7", "c folder/:0", ":11",
                                                      "\xC3\xA9t\xC3\xA9/:0"}));
}

// Notes the memory each read goes into.
class MemoryNotes final : public ByteSource {
 public:
  explicit MemoryNotes(ByteSource& source) : source_(source) {}
  bool ReadAt(std::uint64_t offset, void* out, std::size_t size) override {
    reads.push_back({size, reinterpret_cast<std::uintptr_t>(out) % platform::kPageBytes == 0});
    return source_.ReadAt(offset, out, size);
  }
  struct Read {
    std::size_t size;
    bool aligned;  // to a page
  };
  std::vector<Read> reads;

 private:
  ByteSource& source_;
};

// A volume read without the system's cache, on a device that refuses any
// read not aligned to its pages in offset, length and memory: the table
// loads, its chunks read into page-aligned memory (so whole pages of them
// go straight in).
TEST_F(MftDamage, TheTableLoadsFromADeviceThatTakesOnlyAlignedReads) {
  int refused = 0;
  platform::PagedSource device(
      std::make_unique<platform_test::StrictPageDevice>(bytes_.data(), bytes_.size(), refused));
  MemoryNotes source(device);
  MftVolume volume;
  ASSERT_EQ(volume.Load(source, nullptr), LoadResult::kOk);
  EXPECT_EQ(refused, 0);
  const auto chunk = std::find_if(source.reads.begin(), source.reads.end(), [&](const auto& read) {
    return read.size == volume.Stats().tableBytes;  // the whole table, one chunk
  });
  ASSERT_NE(chunk, source.reads.end());
  EXPECT_TRUE(chunk->aligned);
  EXPECT_TRUE(DirEnumMft(volume, "E:\\").Open("E:\\"));
}

TEST_F(MftDamage, AStopEndsTheReadBetweenChunks) {
  MemorySource source(bytes_.data(), bytes_.size());
  MftVolume volume;
  int asked = 0;
  EXPECT_EQ(volume.Load(source, [&] { return ++asked > 0; }), LoadResult::kStopped);
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(DirEnumMft(volume, "E:\\").Open("E:\\"));
}

}  // namespace
}  // namespace diskview::test

namespace diskview::test {
namespace {

using ntfs::MemorySource;

void FillSmallTree(platform::DirEnumMemory& dirs) {
  auto& a = dirs.Root().Folder("a");
  a.File("one", 10);
  a.Folder("b").File("two", 20);
  dirs.Root().File("three", 30);
}

// What a finished scan of `dirs` got from the volume `volumes` opened.
std::optional<LoadResult> TableResult(platform::DirEnumMemory& dirs, DiskScan::VolumeOpener volumes) {
  RecordingRows rows;
  RecordingNotifier notes;
  CMyFolder root;
  root.AssignName("M:\\");
  DiskScan scan(dirs, rows, notes);
  scan.SetRoot(&root);
  scan.SetThreads(1);
  scan.SetVolumeOpener(std::move(volumes));
  scan.StartScan(1);
  scan.WaitForWorker();
  return scan.TableResult();
}

// A scan walks when the table cannot be read, and keeps why: the volume is
// not NTFS, its table is corrupt, it cannot be read, or it did not open.
TEST_F(MftDamage, TheScanWalksWhenTheTableCannotBeReadAndKeepsWhy) {
  platform::DirEnumMemory dirs("M:\\");
  FillSmallTree(dirs);
  const auto opener = [&](std::size_t size) {
    return [this, size](const std::string&) {
      return std::make_unique<MemorySource>(bytes_.data(), size ? size : bytes_.size());
    };
  };
  FinishedScan walked(dirs, "M:\\", 1, 1);
  EXPECT_EQ(TableResult(dirs, opener(0)), LoadResult::kOk);
  const std::vector<std::uint8_t> original = bytes_;
  bytes_[3] = 'X';
  ExpectSameScan(walked, FinishedScan(dirs, "M:\\", 1, 1, opener(0)));
  EXPECT_EQ(TableResult(dirs, opener(0)), LoadResult::kNotNtfs);
  bytes_ = original;
  Record(0)[boot_.recordSize - 2] ^= 0xFF;
  EXPECT_EQ(TableResult(dirs, opener(0)), LoadResult::kCorrupt);
  bytes_ = original;
  const std::size_t cut = boot_.mftOffset + 8 * boot_.recordSize;
  ExpectSameScan(walked, FinishedScan(dirs, "M:\\", 1, 1, opener(cut)));
  EXPECT_EQ(TableResult(dirs, opener(cut)), LoadResult::kReadFailed);
  const auto none = [](const std::string&) -> std::unique_ptr<platform::ByteSource> { return nullptr; };
  ExpectSameScan(walked, FinishedScan(dirs, "M:\\", 1, 1, none));
  EXPECT_FALSE(TableResult(dirs, none));
  EXPECT_FALSE(TableResult(dirs, {}));
  EXPECT_STREQ(LoadResultText(LoadResult::kReadFailed), "read failed");
}

// The table's folders walked as the listing's are: the same rows and
// notifications however far the scan got when its stop came.
TEST_F(MftDamage, AStopDuringTheTableWalkEndsAsTheWalkEndsThere) {
  ASSERT_EQ(boot_.recordSize, 1024u);
  const std::uint64_t root = 5 | std::uint64_t{U16(Record(5) + 16)} << 48;
  const auto ref = [](std::uint32_t n) { return n | std::uint64_t{7} << 48; };
  const auto put = [&](std::uint32_t number, std::uint64_t parent, const char16_t* name, int bytes) {
    RecordBuilder b(number, bytes < 0 ? 3 : 1);
    b.FileName(parent, 1, name);
    if (bytes >= 0) b.Resident(0x80, std::vector<std::uint8_t>(static_cast<std::size_t>(bytes), 0));
    const auto sealed = b.Seal();
    std::copy(sealed.begin(), sealed.end(), Record(number));
  };
  put(16, root, u"e", -1);
  put(17, ref(16), u"z", 40);
  put(18, root, u"a", -1);
  put(19, ref(18), u"x", 10);
  put(20, ref(18), u"b", -1);
  put(21, ref(20), u"y", 20);
  put(22, root, u"c", 30);
  put(23, root, u"d", -1);
  platform::DirEnumMemory dirs("M:\\");
  auto& a = dirs.Root().Folder("a");
  a.Folder("b").File("y", 20);
  a.File("x", 10);
  dirs.Root().File("c", 30);
  dirs.Root().Folder("d");
  dirs.Root().Folder("e").File("z", 40);
  // Nothing to list: a scan that did not read the table finds nothing.
  platform::DirEnumMemory none("M:\\");
  const auto table = [&](const std::string&) {
    return std::make_unique<MemorySource>(bytes_.data(), bytes_.size());
  };

  const FinishedScan walked(dirs, "M:\\", 1, 1);
  ExpectSameScan(walked, FinishedScan(none, "M:\\", 1, 1, table));
  const auto rows = static_cast<ScanRowSink::Row>(walked.rows.Rows().size());
  ASSERT_EQ(rows, 9u);  // the root, a, b, b's files, a's files, d, e, e's files, the root's files
  for (ScanRowSink::Row stop = 2; stop <= rows; ++stop) {
    SCOPED_TRACE(stop);
    const FinishedScan stoppedWalk(dirs, "M:\\", 1, 1, {}, stop);
    const FinishedScan stoppedTable(none, "M:\\", 1, 1, table, stop);
    EXPECT_EQ(stoppedWalk.notes.Count(WM_SCAN_DONE_1, 1), 0);
    ExpectSameScan(stoppedWalk, stoppedTable);
  }
}

// A volume that holds its reads until the scan is asked to stop.
class HeldSource final : public platform::ByteSource {
 public:
  HeldSource(const std::vector<std::uint8_t>& bytes, const DiskScan& scan, std::atomic<bool>& reading)
      : memory_(bytes.data(), bytes.size()), scan_(scan), reading_(reading) {}
  bool ReadAt(std::uint64_t offset, void* out, std::size_t size) override {
    reading_ = true;
    while (scan_.StopFlag() != DiskScan::kStopRequested) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return memory_.ReadAt(offset, out, size);
  }

 private:
  MemorySource memory_;
  const DiskScan& scan_;
  std::atomic<bool>& reading_;
};

TEST_F(MftDamage, AStopDuringTheTableReadEndsAsAStoppedWalkEnds) {
  platform::DirEnumMemory dirs("M:\\");
  FillSmallTree(dirs);
  RecordingRows rows;
  RecordingNotifier notes;
  CMyFolder root;
  root.AssignName("M:\\");
  std::atomic<bool> reading{false};
  DiskScan scan(dirs, rows, notes);
  scan.SetRoot(&root);
  scan.SetVolumeOpener([&](const std::string&) { return std::make_unique<HeldSource>(bytes_, scan, reading); });
  scan.StartScan(3);
  while (!reading) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  scan.StopScan();
  EXPECT_FALSE(scan.IsScanning());
  EXPECT_FALSE(scan.ReadTable());
  EXPECT_EQ(notes.Count(WM_SCAN_DONE_3, 1), 0);
  EXPECT_EQ(notes.Count(WM_SCAN_PROGRESS, kScanProgressEnd), 1);
  EXPECT_EQ(root.GetChildCount(), 0);
  EXPECT_EQ(rows.Rows().size(), 1u);  // the root row only
}

}  // namespace
}  // namespace diskview::test
