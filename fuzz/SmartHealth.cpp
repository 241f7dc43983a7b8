// SMART READ DATA and READ THRESHOLDS blocks with any contents, and the
// driver's output record around the data: an answer counts only when whole,
// without a driver error and valid; a block that fails its checks is never
// decoded into attributes; the readings stay within what a drive can hold;
// the verdict follows its rules and the health page's rows keep their shape.
//
// Input: the data block (512 bytes), a flag and the thresholds block (512),
// the status (0 unknown, 1 passing, 2 failing, modulo 3), the driver's
// error byte and the byte count it returned.
#include <algorithm>
#include <memory>

#include "fuzz/FuzzInput.h"
#include "parvane/decode/DriveHealth.h"
#include "platform/Utf8.h"

namespace {

bool StartsWith(const std::string& s, std::string_view prefix) { return s.rfind(prefix, 0) == 0; }

void CheckRows(const parvane::HealthRows& rows, const parvane::HealthVerdict& verdict) {
  FUZZ_CHECK(rows.verdictRow == 1 && rows.rows.size() >= 2);
  FUZZ_CHECK(rows.verdict == verdict.verdict);
  FUZZ_CHECK(rows.rows[1].value == parvane::VerdictText(verdict));
  for (const auto& row : rows.rows) {
    FUZZ_CHECK(!row.label.empty() && row.value.has_value());
    FUZZ_CHECK(platform::ValidUtf8(row.label) == row.label && platform::ValidUtf8(*row.value) == *row.value);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Reader in(data, size);
  auto blocks = std::make_unique<parvane::SmartBlock[]>(2);
  in.Fill(blocks[0].bytes.data(), parvane::kSmartBlockSize);
  const bool withThresholds = in.Bool();
  if (withThresholds) in.Fill(blocks[1].bytes.data(), parvane::kSmartBlockSize);
  const parvane::SmartStatus status = static_cast<parvane::SmartStatus>(in.U8() % 3);
  const std::uint8_t driverError = in.U8();
  const std::size_t returned = in.U16();

  // The answer as the driver leaves it.
  auto out = parvane::SmartIdentifyOutput();
  out[4] = driverError;
  std::copy(blocks[0].bytes.begin(), blocks[0].bytes.end(), out.begin() + 16);
  const bool valid = parvane::IsValidSmartBlock(blocks[0]);
  const auto taken = parvane::SmartBlockFromOutput(out, returned);
  FUZZ_CHECK(taken.has_value() == (valid && driverError == 0 && returned >= 528));
  if (taken) FUZZ_CHECK(taken->bytes == blocks[0].bytes);
  FUZZ_CHECK(parvane::IdentifyFromSmartAnswer(out, returned).has_value() ==
             (driverError == 0 && returned >= 528 &&
              std::any_of(blocks[0].bytes.begin(), blocks[0].bytes.end(), [](std::uint8_t b) { return b != 0; })));

  parvane::DriveHealthReading r;
  r.protocol = parvane::HealthProtocol::Ata;
  r.model = std::string(reinterpret_cast<const char*>(blocks[1].bytes.data() + 100), 40);
  r.status = status;
  if (valid) r.data = blocks[0];
  if (withThresholds && parvane::IsValidSmartBlock(blocks[1])) r.thresholds = blocks[1];
  if (!valid) r.gap = parvane::HealthGap::InvalidData;
  const parvane::HealthVerdict verdict = parvane::DriveVerdict(r);
  const parvane::HealthRows rows = parvane::DriveHealthRows(0, r);
  CheckRows(rows, verdict);
  if (!valid) {
    FUZZ_CHECK(rows.rows.size() == 2 && verdict.verdict == parvane::Verdict::Unknown);
    return 0;
  }

  const auto attributes = parvane::DecodeSmartAttributes(*r.data, r.thresholds ? &*r.thresholds : nullptr);
  FUZZ_CHECK(attributes.size() <= 30);
  FUZZ_CHECK(rows.rows.size() == 7 + attributes.size());
  bool bad = status == parvane::SmartStatus::Failing, caution = false;
  for (const auto& a : attributes) {
    FUZZ_CHECK(a.id != 0 && a.raw < (std::uint64_t{1} << 48));
    FUZZ_CHECK(!a.threshold || r.thresholds);
    if (a.AtThreshold()) (a.PreFailure() ? bad : caution) = true;
  }
  const auto s = parvane::ReadSmartAttributes(attributes);
  FUZZ_CHECK(!s.celsius || (*s.celsius >= 1 && *s.celsius <= 127));
  FUZZ_CHECK(s.powerOnHours.value_or(0) <= parvane::kMaxPowerOnHours);
  FUZZ_CHECK(!s.powerOnRaw || *s.powerOnRaw > parvane::kMaxPowerOnHours);
  for (const auto& count : {s.reallocated, s.pending, s.uncorrectable}) {
    FUZZ_CHECK(count.value_or(0) <= 0xFFFF);
    caution = caution || count.value_or(0) > 0;
  }
  const parvane::Verdict expected = bad       ? parvane::Verdict::Bad
                                    : caution ? parvane::Verdict::Caution
                                              : parvane::Verdict::Good;
  FUZZ_CHECK(verdict.verdict == expected);
  FUZZ_CHECK(verdict.reasons.empty() == (expected == parvane::Verdict::Good));
  FUZZ_CHECK(StartsWith(rows.rows[1].value.value_or(""),
                        expected == parvane::Verdict::Bad ? "不良" : expected == parvane::Verdict::Caution ? "警告" : "良好"));
  FUZZ_CHECK(rows.rows[3].label == "通电时间:");
  if (s.powerOnHours) FUZZ_CHECK(*rows.rows[3].value == std::to_string(*s.powerOnHours) + " 小时");
  return 0;
}
