// The buffered listing (NtQueryDirectoryFile) against its fallback
// (FindFirstFileExW): the same entries, facts and order on awkward trees.
#include <gtest/gtest.h>

#include <optional>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/DirEnumWin.h"
#include "tests/win/diskview/WinTempTree.h"

namespace diskview {
namespace {

using Method = platform::DirEnumWin::Method;
using test::MakeJunction;
using test::WinTempTree;

using Entry =
    std::tuple<std::string, bool, bool, bool, std::uint64_t, std::int64_t, bool, bool>;

Entry Facts(const platform::DirEntry& e) {
  return {std::string(e.name), e.directory, e.reparse, e.nameSurrogate, e.size,
          e.modified,          e.readOnly,  e.system};
}

// Every entry of one listing in order; nullopt when the folder cannot be listed.
std::optional<std::vector<Entry>> Sequence(Method method, const std::string& folder) {
  platform::DirEnumWin dirs(method);
  auto listing = dirs.Open(folder);
  if (!listing) return std::nullopt;
  std::vector<Entry> out;
  platform::DirEntry e;
  while (listing->Next(e)) {
    out.push_back(Facts(e));
  }
  return out;
}

// NativeOnly: a native path that quietly fell back would prove nothing.
void ExpectSameListing(const std::string& folder) {
  const auto buffered = Sequence(Method::NativeOnly, folder);
  const auto findFile = Sequence(Method::FindFile, folder);
  ASSERT_TRUE(findFile.has_value()) << folder;
  ASSERT_TRUE(buffered.has_value()) << folder;
  EXPECT_EQ(*buffered, *findFile) << folder;
}

std::size_t NameCount(const std::vector<Entry>& entries, const std::string& name) {
  std::size_t n = 0;
  for (const Entry& e : entries) n += std::get<0>(e) == name;
  return n;
}

TEST(DirEnumWinMethods, SameEntriesOnAnAwkwardTree) {
  WinTempTree tree;
  ASSERT_TRUE(tree.Folder(L"文件夹"));
  ASSERT_TRUE(tree.File(L"文件夹\\报告.doc", 2048));
  ASSERT_TRUE(tree.Folder(L"empty"));
  ASSERT_TRUE(tree.Folder(L"dot."));
  ASSERT_TRUE(tree.File(L"dot.\\inside", 3));
  ASSERT_TRUE(tree.Folder(L"blank "));
  ASSERT_TRUE(tree.File(L"blank \\trail. ", 4));
  ASSERT_TRUE(tree.File(L"hidden.sys", 5, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(tree.File(L"ünïcødé ✓.bin", 77));
  ASSERT_TRUE(tree.File(L"readonly", 6, FILE_ATTRIBUTE_READONLY));
  // Over 4 GiB, sparse where the file system allows it.
  const bool big = tree.File(L"image.iso", 5368709120ull);
  std::wstring deep;
  for (int i = 0; i < 12; ++i) {
    deep += L"a-rather-long-folder-name-" + std::to_wstring(i) + L"\\";
    ASSERT_TRUE(tree.Folder(deep.substr(0, deep.size() - 1))) << i;
  }
  ASSERT_TRUE(tree.File(deep + L"deep.dat", 4096));
  ASSERT_GT(tree.Full(deep).size(), static_cast<std::size_t>(MAX_PATH));
  MakeJunction(tree.Full(L"junction"), tree.Full(L"empty"));  // where the system makes one

  const std::string root = tree.RootUtf8();
  for (const std::string& folder :
       {root, root + "文件夹\\", root + "empty\\", root + "dot.\\", root + "blank \\",
        platform::Narrow(tree.Full(deep))}) {
    ExpectSameListing(folder);
  }
  const auto top = Sequence(Method::NativeOnly, root);
  ASSERT_TRUE(top.has_value());
  EXPECT_EQ(NameCount(*top, "."), 1u);
  EXPECT_EQ(NameCount(*top, ".."), 1u);
  EXPECT_EQ(NameCount(*top, "dot."), 1u);
  EXPECT_EQ(NameCount(*top, "blank "), 1u);
  if (big) {
    EXPECT_EQ(NameCount(*top, "image.iso"), 1u);
  }
  for (const Entry& e : *top) {
    if (std::get<0>(e) == "image.iso") {
      EXPECT_EQ(std::get<4>(e), 5368709120ull);
    }
    if (std::get<0>(e) == "hidden.sys") {
      EXPECT_EQ(std::get<4>(e), 5u);
    }
  }
  const auto trailing = Sequence(Method::NativeOnly, root + "blank \\");
  ASSERT_TRUE(trailing.has_value());
  EXPECT_EQ(NameCount(*trailing, "trail. "), 1u);
  const auto empty = Sequence(Method::NativeOnly, root + "empty\\");
  ASSERT_TRUE(empty.has_value());
  EXPECT_EQ(empty->size(), 2u);  // "." and ".." only
}

// More than one 64 KiB buffer of entries, so the listing reads several.
TEST(DirEnumWinMethods, SameEntriesAcrossSeveralBuffers) {
  WinTempTree tree;
  ASSERT_TRUE(tree.Folder(L"many"));
  const std::wstring padding(90, L'x');
  std::size_t bytes = 0;
  int count = 0;
  for (; bytes <= 3 * 64 * 1024; ++count) {
    const std::wstring name = L"entry-" + std::to_wstring(count) + L"-" + padding;
    ASSERT_TRUE(tree.File(L"many\\" + name, static_cast<std::uint64_t>(count)));
    // What one entry takes in the buffer: fixed part, name, alignment.
    bytes += (0x44 + name.size() * sizeof(wchar_t) + 7) & ~std::size_t{7};
  }
  const std::string many = tree.RootUtf8() + "many\\";
  ExpectSameListing(many);
  const auto entries = Sequence(Method::NativeOnly, many);
  ASSERT_TRUE(entries.has_value());
  EXPECT_EQ(entries->size(), static_cast<std::size_t>(count) + 2);
}

TEST(DirEnumWinMethods, SameEntriesForRelativeRootAndCurrentFolder) {
  WinTempTree tree;
  ASSERT_TRUE(tree.Folder(L"sub"));
  ASSERT_TRUE(tree.File(L"sub\\x", 9));
  ASSERT_TRUE(tree.File(L"top", 1));
  wchar_t saved[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, saved), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(tree.Root().c_str()));
  ExpectSameListing("");
  ExpectSameListing("sub\\");
  ExpectSameListing(".\\sub\\..\\");
  const auto current = Sequence(Method::NativeOnly, "");
  SetCurrentDirectoryW(saved);
  ASSERT_TRUE(current.has_value());
  EXPECT_EQ(NameCount(*current, "top"), 1u);
  // A drive root has no "." or "..", whatever the file system reports.
  ExpectSameListing("C:\\");
  const auto drive = Sequence(Method::NativeOnly, "C:\\");
  ASSERT_TRUE(drive.has_value());
  EXPECT_EQ(NameCount(*drive, "."), 0u);
  EXPECT_EQ(NameCount(*drive, ".."), 0u);
}

TEST(DirEnumWinMethods, WhatCannotBeListedStaysSo) {
  WinTempTree tree;
  ASSERT_TRUE(tree.File(L"plain", 1));
  const std::string root = tree.RootUtf8();
  for (const std::string& folder : {root + "missing\\", root + "missing\\deeper\\",
                                    root + "plain\\", std::string("Q:\\nowhere\\")}) {
    for (Method method : {Method::Buffered, Method::NativeOnly, Method::FindFile}) {
      EXPECT_FALSE(Sequence(method, folder).has_value()) << folder;
    }
  }
}

TEST(DirEnumWinMethods, JunctionsAndLinksAlike) {
  WinTempTree tree;
  ASSERT_TRUE(tree.Folder(L"target"));
  bool made = MakeJunction(tree.Full(L"junction"), tree.Full(L"target"));
  const DWORD kAllowUnprivileged = 0x2;
  made |= CreateSymbolicLinkW(tree.Full(L"symlink").c_str(), tree.Full(L"target").c_str(),
                              SYMBOLIC_LINK_FLAG_DIRECTORY | kAllowUnprivileged) &&
          GetFileAttributesW(tree.Full(L"symlink").c_str()) != INVALID_FILE_ATTRIBUTES;
  if (!made) GTEST_SKIP() << "known difference: this Wine makes neither junctions nor links";
  ExpectSameListing(tree.RootUtf8());
  const auto entries = Sequence(Method::NativeOnly, tree.RootUtf8());
  ASSERT_TRUE(entries.has_value());
  for (const Entry& e : *entries) {
    if (std::get<0>(e) == "junction" || std::get<0>(e) == "symlink") {
      EXPECT_TRUE(std::get<2>(e)) << std::get<0>(e);
      EXPECT_TRUE(std::get<3>(e)) << std::get<0>(e);
    }
  }
}

// The scan lists folders from several threads: each listing stands alone.
TEST(DirEnumWinMethods, ListingsFromSeveralThreadsAtOnce) {
  WinTempTree tree;
  for (int f = 0; f < 4; ++f) {
    const std::wstring folder = L"f" + std::to_wstring(f);
    ASSERT_TRUE(tree.Folder(folder));
    for (int i = 0; i < 40 + f; ++i) {
      ASSERT_TRUE(tree.File(folder + L"\\n" + std::to_wstring(i), static_cast<std::uint64_t>(i)));
    }
  }
  std::vector<std::vector<Entry>> expected;
  for (int f = 0; f < 4; ++f) {
    expected.push_back(*Sequence(Method::FindFile, tree.RootUtf8() + "f" + std::to_string(f) + "\\"));
  }
  platform::DirEnumWin dirs(Method::NativeOnly);
  std::vector<int> mismatches(4, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 25; ++round) {
        const int f = (t + round) % 4;
        // Two listings open at once on one thread, read in turns.
        auto a = dirs.Open(tree.RootUtf8() + "f" + std::to_string(f) + "\\");
        auto b = dirs.Open(tree.RootUtf8() + "f" + std::to_string((f + 1) % 4) + "\\");
        std::vector<Entry> gotA, gotB;
        platform::DirEntry e;
        bool moreA = a != nullptr, moreB = b != nullptr;
        while (moreA || moreB) {
          if (moreA && (moreA = a->Next(e))) {
            gotA.push_back(Facts(e));
          }
          if (moreB && (moreB = b->Next(e))) {
            gotB.push_back(Facts(e));
          }
        }
        mismatches[t] += gotA != expected[f];
        mismatches[t] += gotB != expected[(f + 1) % 4];
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace diskview
