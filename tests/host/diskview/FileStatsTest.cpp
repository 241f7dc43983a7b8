// The largest files and the types of a folder, on generated trees; the
// filter of the list; the CSV bytes.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "app/diskview/scan/FileStats.h"
#include "platform/DirEnumMemory.h"
#include "tests/host/diskview/ScanTestSupport.h"

namespace diskview {
namespace {

TEST(FileExtensions, CaseFoldedAfterTheLastDot) {
  EXPECT_EQ(ExtensionOf("a.TXT"), "txt");
  EXPECT_EQ(ExtensionOf("archive.tar.GZ"), "gz");
  EXPECT_EQ(ExtensionOf("README"), "");
  EXPECT_EQ(ExtensionOf(".profile"), "");
  EXPECT_EQ(ExtensionOf("trailing."), "");
  EXPECT_EQ(ExtensionOf("照片.JPG"), "jpg");
}

TEST(LargestFiles, KeepsTheThousandLargestWithTiesInAFixedOrder) {
  FileStats stats;
  // 1001 files: sizes 1..1001 in a shuffled order, and two ties at the top.
  for (int i = 0; i < 1001; ++i) {
    const int size = (i * 389) % 1001 + 1;
    stats.Add("d" + std::to_string(size % 7), "f" + std::to_string(size), static_cast<std::uint64_t>(size), i);
  }
  stats.Add("b", "tie", 5000, 0);
  stats.Add("a", "tie", 5000, 0);
  stats.Add("a", "sie", 5000, 0);
  const std::vector<FileRecord> largest = stats.Largest();
  ASSERT_EQ(largest.size(), FileStats::kLargestCount);
  EXPECT_EQ(largest[0].folder + "/" + largest[0].name, "a/sie");
  EXPECT_EQ(largest[1].folder + "/" + largest[1].name, "a/tie");
  EXPECT_EQ(largest[2].folder + "/" + largest[2].name, "b/tie");
  EXPECT_EQ(largest[3].bytes, 1001u);
  // 1004 files, 1000 kept: 1 to 4 fell out.
  EXPECT_EQ(largest.back().bytes, 5u);
  EXPECT_EQ(stats.TotalFiles(), 1004u);
  EXPECT_EQ(stats.TotalBytes(), 1001u * 1002u / 2 + 15000u);
}

TEST(FileTypes, CountedByFoldedExtensionAndAddingUpToTheTotal) {
  FileStats stats;
  stats.Add("", "a.TXT", 10, 0);
  stats.Add("x", "b.txt", 20, 0);
  stats.Add("x", "Makefile", 30, 0);
  stats.Add("x", ".hidden", 5, 0);
  stats.Add("y", "c.Jpg", 30, 0);
  const std::vector<TypeRow> types = stats.Types();
  ASSERT_EQ(types.size(), 3u);
  EXPECT_EQ(types[0].extension, "");  // 35 bytes: Makefile and .hidden
  EXPECT_EQ(types[0].files, 2u);
  EXPECT_EQ(types[1].extension, "jpg");  // 30, before txt's 30 by name
  EXPECT_EQ(types[2].extension, "txt");
  EXPECT_EQ(types[2].files, 2u);
  std::uint64_t sum = 0;
  for (const TypeRow& t : types) sum += t.bytes;
  EXPECT_EQ(sum, stats.TotalBytes());
}

TEST(FileFilter, ContainsOrPatternWithoutCase) {
  EXPECT_TRUE(NameMatches("Holiday.MP4", ""));
  EXPECT_TRUE(NameMatches("Holiday.MP4", "day"));
  EXPECT_TRUE(NameMatches("Holiday.MP4", "DAY.mp"));
  EXPECT_FALSE(NameMatches("Holiday.MP4", "days"));
  EXPECT_TRUE(NameMatches("Holiday.MP4", "*.mp4"));
  EXPECT_FALSE(NameMatches("Holiday.MP4.part", "*.mp4"));
  EXPECT_TRUE(NameMatches("Holiday.MP4", "h?liday.*"));
  EXPECT_FALSE(NameMatches("Holiday.MP4", "?.mp4"));
  EXPECT_TRUE(NameMatches("a", "*"));
  EXPECT_TRUE(NameMatches("abcabd", "*ab?"));
  EXPECT_TRUE(NameMatches("照片.jpg", "照片*"));
}

TEST(FileStatsCsvText, BomQuotingAndNumbers) {
  std::vector<FileRecord> largest{{"a,b.txt", "sub\\x", 1234567890123ull, 0},
                                  {"say \"hi\".doc", "", 5, 86400 + 3661},
                                  {"two\nlines", "", 1, 0}};
  std::vector<TypeRow> types{{"txt", 1, 1234567890123ull}, {"", 2, 6}};
  const std::string csv = FileStatsCsv(largest, types, 1234567890129ull, 8 * 3600);
  EXPECT_EQ(csv,
            "\xEF\xBB\xBF"
            "名称,大小（字节）,修改时间,文件夹\r\n"
            "\"a,b.txt\",1234567890123,1970-01-01 08:00:00,sub\\x\r\n"
            "\"say \"\"hi\"\".doc\",5,1970-01-02 09:01:01,\r\n"
            "\"two\nlines\",1,1970-01-01 08:00:00,\r\n"
            "\r\n"
            "扩展名,文件数,大小（字节）,占比（%）\r\n"
            "txt,1,1234567890123,100.0\r\n"
            "（无扩展名）,2,6,0.0\r\n");
  EXPECT_EQ(DateTimeText(951782400), "2000-02-29 00:00:00");
  EXPECT_EQ(DateTimeText(-1), "1969-12-31 23:59:59");
}

TEST(GatherFileStats, TheFilesTheScanCountsAndNoMore) {
  platform::DirEnumMemory dirs("D:\\");
  auto& root = dirs.Root();
  root.File("top.BIN", 10);
  auto& v = root.Folder("Videos");
  v.File("a.mp4", 5000);
  v.Folder("Old").File("x.MP4", 70000);
  v.Link("elsewhere", true);  // listed, never entered
  root.Folder("Locked").unreadable = true;
  std::atomic<bool> stop{false};
  FileStats stats;
  std::atomic<std::uint64_t> seen{0};
  ASSERT_TRUE(GatherFileStats(dirs, "D:\\", stop, stats, &seen));
  test::FinishedScan scan(dirs, "D:\\");
  EXPECT_EQ(stats.TotalBytes(), static_cast<std::uint64_t>(scan.root.GetSize(true)));
  EXPECT_EQ(stats.TotalFiles(), static_cast<std::uint64_t>(scan.root.CountFiles(true)));
  EXPECT_EQ(seen.load(), 3u);
  const auto largest = stats.Largest();
  ASSERT_EQ(largest.size(), 3u);
  EXPECT_EQ(largest[0].folder, "Videos\\Old");
  EXPECT_EQ(largest[2].folder, "");
  EXPECT_EQ(stats.Types()[0].extension, "mp4");
  EXPECT_EQ(stats.Types()[0].files, 2u);

  // A subfolder as the charted one: folders relative to it.
  FileStats sub;
  ASSERT_TRUE(GatherFileStats(dirs, "D:\\Videos", stop, sub));
  EXPECT_EQ(sub.Largest()[0].folder, "Old");
  // Stopped: false, at once.
  stop = true;
  FileStats stopped;
  EXPECT_FALSE(GatherFileStats(dirs, "D:\\", stop, stopped));
  stop = false;
  EXPECT_FALSE(GatherFileStats(dirs, "D:\\Nowhere", stop, stopped));
}

}  // namespace
}  // namespace diskview
