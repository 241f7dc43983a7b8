// The pie slices and info rows of a completed scan, over folder trees whose
// sizes are anything (NaN and infinities included): one slice per child of
// at least 11 degrees, largest first, and a remainder up to the full circle,
// so that for sizes a scan can produce the angles sum to 360 (or pass it by
// at most the rounding of the slices drawn), and for any sizes no slice is
// outside the circle.
#include <cmath>
#include <memory>

#include "app/diskview/PieChartLayout.h"
#include "app/diskview/ScanDone.h"
#include "fuzz/FuzzInput.h"

namespace {

using diskview::CMyFolder;

// A size as the input gives it: a real byte count, or any bit pattern.
double Size(fuzz::Reader& in, bool anyBits) {
  return anyBits ? in.Double() : static_cast<double>(in.U32()) * (1u << (in.U8() % 32));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Reader in(data, size);
  const bool anyBits = in.Bool();
  CMyFolder root;
  root.AssignName(in.Bool() ? "C:\\" : "C:\\Folder\\");
  // Children: folders with their own files and perhaps a subfolder, then
  // the file group of the root's own files (as a scan leaves them).
  const int children = in.U16() % 300;
  bool sane = !anyBits;
  for (int i = 0; i < children; ++i) {
    auto child = std::make_unique<CMyFolder>();
    child->SetOwnFiles(in.U8(), Size(in, anyBits));
    if (in.Bool()) {
      auto sub = std::make_unique<CMyFolder>();
      sub->SetOwnFiles(in.U8(), Size(in, anyBits));
      sub->SetKind(CMyFolder::kKindFolder);
      child->AddChild(std::move(sub));
    }
    child->SetKind(CMyFolder::kKindFolder);
    root.AddChild(std::move(child));
  }
  if (in.Bool()) {
    const double own = Size(in, anyBits);
    root.SetOwnFiles(1 + in.U8(), own);
    auto group = std::make_unique<CMyFolder>();
    group->SetOwnFiles(root.OwnFileCount(), own);
    group->SetKind(CMyFolder::kKindFileGroup);
    root.AddChild(std::move(group));
  }
  root.SetKind(CMyFolder::kKindFolder);
  for (int i = 0; i < root.GetChildCount(); ++i) {
    const double s = root.GetChild(i)->GetSize(true);
    sane = sane && std::isfinite(s) && s >= 0;
  }

  platform::DiskSpaceHalves space{in.U32(), in.U32(), in.U32(), in.U32()};
  const bool queried = in.Bool();
  const diskview::ScanDonePlan plan = diskview::PlanScanDone(
      root, &root, [&](const std::string&, platform::DiskSpaceHalves& out) {
        out = space;
        return queried;
      });
  FUZZ_CHECK(plan.chart);
  FUZZ_CHECK(root.IsSorted());
  const std::vector<diskview::SlicePlan>& slices = plan.slices;

  // Largest first, wherever sizes can be compared.
  for (int i = 1; i < root.GetChildCount(); ++i) {
    const double a = root.GetChild(i - 1)->GetSize(true), b = root.GetChild(i)->GetSize(true);
    if (!std::isnan(a) && !std::isnan(b)) FUZZ_CHECK(a >= b);
  }

  if (children == 0 && root.GetChildCount() == 0) {
    FUZZ_CHECK(slices.empty());
    return 0;
  }
  FUZZ_CHECK(!slices.empty());
  FUZZ_CHECK(slices.size() <= static_cast<std::size_t>(root.GetChildCount()) + 1);
  int sum = 0;
  for (const diskview::SlicePlan& s : slices) {
    FUZZ_CHECK(s.palette >= 0 && s.palette < diskview::kPaletteSize);
    FUZZ_CHECK(s.angle >= 1 && s.angle <= 360);
    sum += s.angle;
  }
  // Drawn, or filled up to the circle by a remainder: never short of it.
  FUZZ_CHECK(sum >= 360);
  // Every slice but the last is a child's, of at least 11 degrees and
  // coloured by its index; the last is a child's or the remainder, in the
  // colour of the child the loop stopped at or of the last one drawn.
  const std::size_t n = slices.size();
  for (std::size_t i = 0; i + 1 < n; ++i) {
    FUZZ_CHECK(slices[i].angle >= 11);
    FUZZ_CHECK(slices[i].palette == static_cast<int>(i % diskview::kPaletteSize));
    if (sane && i > 0) FUZZ_CHECK(slices[i].angle <= slices[i - 1].angle);
  }
  const int last = slices.back().palette;
  FUZZ_CHECK(last == static_cast<int>((n - 1) % diskview::kPaletteSize) ||
             (n >= 2 && last == static_cast<int>((n - 2) % diskview::kPaletteSize)));
  // For sizes a scan can produce each child's slice is its share rounded,
  // so together they pass the circle by at most half a degree each.
  if (sane) FUZZ_CHECK(2 * (sum - 360) <= static_cast<int>(n));
  return 0;
}
