// Rescanning one folder of a scanned tree in place: the folder's path, and
// the hand-over of the fresh scan of it.
//
// Totals are computed on demand (CMyFolder::GetSize walks the subtree), so
// once the fresh subtree stands in the old one's node, every folder above
// reads the new figures; only their remembered order by size is stale,
// which is why the folders above are marked unsorted.
#pragma once

#include <string>
#include <vector>

#include "app/diskview/scan/MyFolder.h"

namespace diskview {

// The path of the last folder of `chain` (the scanned root first, its name
// being the scanned path, then one child of each folder before it), without
// a trailing separator unless it is the root's own (a drive root "C:\").
std::string ChainPath(const std::vector<CMyFolder*>& chain, char separator);
// `folder` joined with a child's `name`.
std::string ChildPath(const std::string& folder, const std::string& name, char separator);

// Puts `fresh` (a completed scan of `target`'s folder) in place of
// `target`'s subtree, leaving `fresh` empty; `target` keeps its address and
// name, the old subtree is freed. `above` are the folders that hold
// `target`, in any order.
void PutRescannedSubtree(const std::vector<CMyFolder*>& above, CMyFolder& target, CMyFolder& fresh);

}  // namespace diskview
