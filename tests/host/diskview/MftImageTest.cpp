// The table reader against the folder walk on real NTFS volumes: the same
// tree node by node, the same rows and the same notifications.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/host/diskview/NtfsImage.h"
#include "tests/support/DirEnumMft.h"

namespace diskview::test {
namespace {

using ntfs::DirEnumMft;
using ntfs::LoadResult;
using ntfs::MftVolume;
namespace fs = std::filesystem;

constexpr std::uint32_t kSymlinkTag = 0xA000000C;
constexpr std::uint32_t kMountPointTag = 0xA0000003;

// Scans the image's root through the scan's own hook while it is not
// mounted, so only the table can list it, then walks the read-only mount:
// both must agree.
void ExpectTableMatchesWalk(NtfsImage& image, ntfs::MftStats* stats = nullptr) {
  image.Unmount();
  platform::DirEnumPosix unmounted;
  int opened = 0;
  FinishedScan table(unmounted, image.MountPoint(), 1, 1, [&](const std::string& root) {
    ++opened;
    EXPECT_EQ(root, image.MountPoint());
    return platform::OpenByteSource(image.Image());
  });
  EXPECT_EQ(opened, 1);
  if (stats) {
    auto source = platform::OpenByteSource(image.Image());
    MftVolume volume;
    ASSERT_EQ(volume.Load(*source, nullptr), LoadResult::kOk);
    *stats = volume.Stats();
    EXPECT_EQ(stats->corrupt, 0u);
  }

  ASSERT_TRUE(image.Mount(false));
  WindowsViewDirs walk;
  FinishedScan walked(walk, image.MountPoint(), 1, 1);
  ExpectSameScan(table, walked);
  EXPECT_EQ(table.root.CountFiles(true), walked.root.CountFiles(true));
}

TEST(MftImage, AwkwardTreeReadsAsTheWalkListsIt) {
  NtfsImage image("awkward", 96);
  ASSERT_TRUE(image.Made()) << "mkntfs failed: install ntfs-3g";
  ASSERT_TRUE(image.Mount(true));
  // Names: case, dots, spaces, accents, CJK, a pair of surrogates, the
  // longest name, a name like a metafile's below the root.
  fs::create_directories(image / "names/.hidden");
  for (const char* name : {"abc", "ABD", "Abc.txt", "a b c", "résumé.doc", "数据.bin", "😀 smile",
                           "$MFT", "zz", "Zy", "_under", "~tilde", "1000", "999"})
    WriteFile(image / ("names/" + std::string(name)), 7);
  WriteFile(image / ("names/" + std::string(255, 'n')), 1);
  // Folders whose POSIX names hold a backslash: one beside the folder its
  // name would be a Windows path to, one alone.
  fs::create_directories(image / "split/back\\slash");
  fs::create_directories(image / "split/back/slash");
  fs::create_directories(image / "split/lone\\name");
  WriteFile(image / "split/back\\slash/unreachable", 11);
  WriteFile(image / "split/back/slash/inner", 13);
  WriteFile(image / "split/lone\\name/unreachable", 17);
  // A case-only pair in one folder (POSIX names).
  WriteFile(image / "names/case", 1);
  WriteFile(image / "names/CASE", 2);
  // A chain 60 folders deep.
  std::string deep = image / "deep";
  for (int i = 0; i < 60; ++i) deep += "/d" + std::to_string(i);
  fs::create_directories(deep);
  WriteFile(deep + "/bottom", 3);
  // Sizes: empty, resident, non-resident, sparse, compressed.
  fs::create_directories(image / "sizes");
  WriteFile(image / "sizes/empty", 0);
  WriteFile(image / "sizes/tiny", 100);
  WriteFile(image / "sizes/big", 3 << 20);
  WriteFile(image / "sizes/sparse", 1);
  ASSERT_EQ(truncate((image / "sizes/sparse").c_str(), 5368709120LL), 0);  // 5 GiB, no clusters
  fs::create_directories(image / "packed");
  const std::uint32_t compressed = 0x10 | 0x800;
  ASSERT_EQ(setxattr((image / "packed").c_str(), "system.ntfs_attrib", &compressed, sizeof compressed, 0), 0);
  WriteFile(image / "packed/zeros", 1 << 20, '\0');
  WriteFile(image / "packed/text", 200000, 'a');
  // Hard links: in the same folder and in another; a file with so many
  // names that they spill into extension records (an attribute list).
  fs::create_directories(image / "links/other");
  WriteFile(image / "links/original", 4096);
  fs::create_hard_link(image / "links/original", image / "links/second");
  fs::create_hard_link(image / "links/original", image / "links/other/third");
  WriteFile(image / "links/many", 10);
  for (int i = 0; i < 120; ++i)
    fs::create_hard_link(image / "links/many", image / ("links/other/many-name-" + std::to_string(i)));
  // Reparse points: a folder symbolic link and a junction (never entered),
  // a file symbolic link (a file).
  fs::create_directories(image / "reparse/target/inner");
  WriteFile(image / "reparse/target/f", 5);
  fs::create_directories(image / "reparse/symdir");
  ASSERT_TRUE(SetReparse(image / "reparse/symdir", kSymlinkTag, u"..\\target", true));
  fs::create_directories(image / "reparse/junction");
  ASSERT_TRUE(SetReparse(image / "reparse/junction", kMountPointTag, u"\\??\\C:\\reparse\\target", false));
  WriteFile(image / "reparse/symfile", 0);
  ASSERT_TRUE(SetReparse(image / "reparse/symfile", kSymlinkTag, u"target\\f", true));
  // A folder of 10 000 files; deleted files and folders must not show.
  fs::create_directories(image / "wide");
  for (int i = 0; i < 10000; ++i) WriteFile(image / ("wide/f" + std::to_string(i * 7919 % 10007)), i % 3);
  fs::create_directories(image / "gone2/inner");
  WriteFile(image / "gone2/inner/x", 9);
  WriteFile(image / "wide/gone", 9);
  fs::remove_all(image / "gone2");
  fs::remove(image / "wide/gone");

  ntfs::MftStats stats;
  ExpectTableMatchesWalk(image, &stats);
  EXPECT_GT(stats.inUse, 10000u);

  // What the walk cannot tell by itself: the links are empty folders, not
  // entered, and the sparse file counts at its logical size.
  auto source = platform::OpenByteSource(image.Image());
  MftVolume volume;
  ASSERT_EQ(volume.Load(*source, nullptr), LoadResult::kOk);
  DirEnumMft dirs(volume, "R:\\");
  FinishedScan table(dirs, "R:\\", 1, 1);
  const CMyFolder* reparse = Child(table.root, "reparse");
  ASSERT_NE(reparse, nullptr);
  for (const char* link : {"symdir", "junction"}) {
    const CMyFolder* node = Child(*reparse, link);
    ASSERT_NE(node, nullptr) << link;
    EXPECT_EQ(node->GetChildCount(), 0) << link;
  }
  EXPECT_EQ(reparse->OwnFileCount(), 1);  // symfile
  EXPECT_EQ(Child(table.root, "sizes")->OwnSize(), 0 + 100 + (3 << 20) + 5368709120.0);
  EXPECT_EQ(Child(table.root, "links")->GetSize(true), 4096.0 * 3 + 10.0 * 121);
  EXPECT_EQ(Child(table.root, "gone2"), nullptr);
  // With backslashes between names, the folders named with one are listed
  // but not entered (as a walk on Windows cannot reach them), and the one
  // beside "back" takes nothing of the folder "slash" in "back".
  const CMyFolder* split = Child(table.root, "split");
  ASSERT_NE(split, nullptr);
  for (const char* name : {"back\\slash", "lone\\name"}) {
    ASSERT_NE(Child(*split, name), nullptr) << name;
    EXPECT_EQ(Child(*split, name)->GetChildCount(), 0) << name;
  }
  EXPECT_EQ(split->GetSize(true), 13.0);
  MftVolume again;
  ASSERT_EQ(again.Load(*source, nullptr), LoadResult::kOk);
  DirEnumMft listed(again, "R:\\");
  platform::DirEntry entry;
  for (const char* folder : {"R:\\", "R:\\split\\"}) {
    auto listing = listed.Open(folder);
    ASSERT_TRUE(listing) << folder;
    while (listing->Next(entry)) {
    }
  }
  EXPECT_FALSE(listed.Open("R:\\split\\lone\\name\\"));  // no path leads there
  EXPECT_EQ(Child(*Child(*split, "back"), "slash")->GetSize(true), 13.0);
  EXPECT_EQ(Child(table.root, "$Extend"), nullptr);
}

TEST(MftImage, FragmentedTableReadsAsTheWalkListsIt) {
  // Fill a small volume with one-cluster files, free every other one, then
  // make the table grow into the holes.
  NtfsImage image("fragmented", 16);
  ASSERT_TRUE(image.Made()) << "mkntfs failed: install ntfs-3g";
  ASSERT_TRUE(image.Mount(true));
  fs::create_directories(image / "fill");
  fs::create_directories(image / "churn");
  int filled = 0;
  for (;; ++filled) {
    std::ofstream out(image / ("fill/" + std::to_string(filled)), std::ios::binary);
    out << std::string(4096, 'f');
    out.close();
    if (!out) break;
  }
  for (int i = 0; i < filled; i += 2) fs::remove(image / ("fill/" + std::to_string(i)));
  for (int i = 0; i < 4000; ++i) WriteFile(image / ("churn/c" + std::to_string(i)), 0);
  for (int i = 0; i < 4000; i += 3) fs::remove(image / ("churn/c" + std::to_string(i)));

  ntfs::MftStats stats;
  ExpectTableMatchesWalk(image, &stats);
  EXPECT_GT(stats.tableRuns, 20u) << "the table did not fragment";
}

TEST(MftImage, ForensicsSampleShowsOnlyLiveFolders) {
  const char* sample = "/usr/share/forensics-samples/fs.ntfs.xz";
  ASSERT_TRUE(fs::exists(sample)) << "install forensics-samples-ntfs";
  NtfsImage disk("sample-disk", 1);
  const std::string raw = (disk.Scratch() / "disk.img").string();
  ASSERT_TRUE(Shell(std::string("(xz -dc ") + sample + " > '" + raw + "')"));
  NtfsImage image("sample", raw, 2048, 100352);
  ASSERT_TRUE(image.Made()) << "mkntfs failed: install ntfs-3g";
  ExpectTableMatchesWalk(image);

  auto source = platform::OpenByteSource(image.Image());
  MftVolume volume;
  ASSERT_EQ(volume.Load(*source, nullptr), LoadResult::kOk);
  DirEnumMft dirs(volume, "S:\\");
  FinishedScan table(dirs, "S:\\", 1, 1);
  EXPECT_EQ(table.root.CountFolders(true, true), 4);
  for (const CMyFolder* node : Preorder(table.root)) {
    const std::string& name = node->GetName();
    if (!node->IsFileGroup() && node != &table.root) {
      EXPECT_NE(name.back(), '2') << name << " was deleted";
    }
  }
}

}  // namespace
}  // namespace diskview::test
