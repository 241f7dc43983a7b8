// The size text of any double (NaN, infinities, negative and subnormal
// values included, which a corrupt size can produce): one number and the
// unit its magnitude calls for, whole, never cut short.
#include <cmath>
#include <cstdlib>

#include "app/diskview/scan/MyFolder.h"
#include "fuzz/FuzzInput.h"

namespace {

void Check(double bytes) {
  const std::string text = diskview::FormatSize(bytes);
  const std::size_t blank = text.find(' ');
  FUZZ_CHECK(blank != std::string::npos && blank > 0);
  const std::string number = text.substr(0, blank);
  const std::string unit = text.substr(blank + 1);
  char* end = nullptr;
  const double shown = std::strtod(number.c_str(), &end);
  FUZZ_CHECK(*end == '\0');  // the whole number, nothing cut off

  if (std::isnan(bytes)) {
    FUZZ_CHECK(std::isnan(shown));
    return;
  }
  double scale = 1;
  const char* expected = "byte";
  if (!(bytes < 1024)) {
    scale = 1024;
    expected = "Kb";
    if (!(bytes / 1024 < 1000)) {
      scale = 1024.0 * 1024;
      expected = "Mb";
      if (!(bytes / 1024 / 1024 < 1000)) {
        scale = 1024.0 * 1024 * 1024;
        expected = "Gb";
      }
    }
  }
  FUZZ_CHECK(unit == expected);
  const double value = bytes / scale;
  if (std::isinf(value)) {
    FUZZ_CHECK(shown == value);
    return;
  }
  // Rounded to the unit's places: half a step of the last digit, plus what
  // a double itself cannot tell apart.
  const double step = scale == 1 ? 0.5 : 0.005;
  FUZZ_CHECK(std::fabs(shown - value) <= step + std::fabs(value) * 1e-15);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Reader in(data, size);
  Check(in.Double());
  // And a whole byte count, as the scan adds them.
  Check(static_cast<double>(in.U64()));
  return 0;
}
