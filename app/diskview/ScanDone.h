// What the disk overview does when a scan for one of its slots completes,
// as a pure function: the info rows to set and the pie slices to add. The
// view applies the plan to the slot's info control and pie chart.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/diskview/scan/MyFolder.h"
#include "platform/DiskSpace.h"

namespace diskview {

struct SlicePlan {
  int palette = 0;  // index into kSlicePalette
  int angle = 0;    // whole degrees
  int child = -1;   // the node's child it stands for; -1: the remainder
  friend bool operator==(const SlicePlan&, const SlicePlan&) = default;
};

// Sorts the node's children by size (once; the node remembers it) and gives
// one slice per child of at least 11 degrees, largest first, then a
// remainder slice up to 360 when the rounded angles leave room.
std::vector<SlicePlan> PlanSlices(CMyFolder& node);

struct InfoLineUpdate {
  int group = 0;
  int key = 0;
  std::string text;
  int value = -1;  // -1: no percentage
};

// The info rows of a drive root, from its queried space: size, used
// percentage (0 for a drive of size 0) and allocated bytes. A failed query
// sets nothing but an empty allocated row: the others keep what they show,
// and no made-up figure appears.
std::vector<InfoLineUpdate> PlanDriveLines(bool queried, const platform::DiskSpaceHalves& space);

struct ScanDonePlan {
  std::vector<InfoLineUpdate> lines;  // in the order to set them
  bool chart = false;                 // false: no node, just clear the chart
  std::vector<SlicePlan> slices;
  std::vector<std::string> tips;  // SliceTipText of each slice
};

using DiskSpaceQuery = std::function<bool(const std::string& root, platform::DiskSpaceHalves&)>;

// `root` is the scanned root (its name is the path); `selected` the disk
// tree's selected node, normally the root itself. The drive query runs only
// for a path of at most three characters (a drive root such as "C:\").
ScanDonePlan PlanScanDone(const CMyFolder& root, CMyFolder* selected, const DiskSpaceQuery& query);

// A folder below the scanned root, charted from the tree in memory as a
// completed scan of it would chart it (its path is always longer than a
// drive root): its size and counts in groups 2 and 1, and its slices.
ScanDonePlan PlanOpenedFolder(CMyFolder& folder);

// The tip of slice `index` of `node`'s chart (`slices` from PlanSlices):
// "name\nsize · share %" for a folder, with the share of the node's total
// to one decimal; "其它 N 个文件夹\n…" for the remainder, which stands for
// the children too small to draw (N counts their folders; the size takes
// in the folder's own files when they are among them); and
// "（本文件夹中的文件）\n…" for the group of the folder's own files.
std::string SliceTipText(const CMyFolder& node, const std::vector<SlicePlan>& slices,
                         std::size_t index);

// What a slot shows while its scan runs, one line each: that it scans, the
// folders finished and the bytes seen so far ("正在扫描", "12 文件夹",
// "3.50 Mb").
std::string ScanProgressText(long long folders, double bytes);

}  // namespace diskview
