// NVMe SMART / Health Information logs with any contents, and the protocol
// query's answer around them: the page shows every field in its row, the
// life left stays within 0-100 %, temperatures are readings or say they are
// none, the verdict follows its rules, and a log is taken from an answer
// only when it lies wholly inside it.
//
// Input: the first kLogPart bytes of the log (the rest is zeros: every field
// the page reads lies inside), then the answer's protocol record and the
// number of bytes returned.
#include <algorithm>

#include "fuzz/FuzzInput.h"
#include "fuzz/ProtocolAnswerCheck.h"
#include "parvane/decode/DriveHealth.h"

namespace {

constexpr std::size_t kLogPart = 256;  // the fields end at byte 216

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Reader in(data, size);
  parvane::DriveHealthReading r;
  r.protocol = parvane::HealthProtocol::Nvme;
  r.log.emplace();
  in.Fill(r.log->bytes.data(), kLogPart);
  const parvane::NvmeHealth h = parvane::DecodeNvmeHealth(*r.log);

  const parvane::HealthRows rows = parvane::DriveHealthRows(0, r);
  std::size_t sensors = 0;
  for (auto k : h.sensorKelvin) sensors += k != 0;
  FUZZ_CHECK(rows.rows.size() == 19 + sensors);
  for (const auto& row : rows.rows) FUZZ_CHECK(!row.label.empty() && row.value && !row.value->empty());
  const int left = parvane::NvmeLifeLeft(h);
  FUZZ_CHECK(left >= 0 && left <= 100 && left == std::max(0, 100 - h.percentageUsed));
  FUZZ_CHECK(*rows.rows[5].value == std::to_string(left) + " %");
  const std::string& temperature = *rows.rows[2].value;
  if (h.kelvin == 0) {
    FUZZ_CHECK(temperature == "未报告");
  } else if (h.kelvin < 173 || h.kelvin > 473) {
    FUZZ_CHECK(temperature.rfind("无效 (", 0) == 0);
  } else {
    FUZZ_CHECK(temperature == std::to_string(h.kelvin - 273) + " ℃");
  }

  const std::uint8_t w = h.criticalWarning;
  const bool bad = (w & 0x0D) != 0 || h.availableSpare < h.spareThreshold;
  const bool caution = (w & 0x12) != 0 || h.percentageUsed >= 90 || h.mediaErrors > 0;
  const auto verdict = parvane::NvmeVerdict(h);
  FUZZ_CHECK(verdict.verdict == (bad ? parvane::Verdict::Bad : caution ? parvane::Verdict::Caution : parvane::Verdict::Good));
  FUZZ_CHECK(verdict.reasons.empty() == !(bad || caution));
  FUZZ_CHECK(rows.verdict == verdict.verdict && rows.rows[1].value == parvane::VerdictText(verdict));

  std::uint8_t record[parvane::kProtocolRecordSize];
  in.Fill(record, sizeof record);
  fuzz::CheckProtocolAnswer(parvane::NvmeHealthRequest(parvane::kStorageAdapterProtocolSpecificProperty), record,
                            in.U16(), *r.log, [](auto answer) { return parvane::NvmeHealthFromAnswer(answer); });
  return 0;
}
