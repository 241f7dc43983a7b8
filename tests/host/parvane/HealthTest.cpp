// Drive health: the SMART and NVMe records, every recorded drive decoded
// and judged, each verdict rule by one changed field, blocks that must not
// count, and the order of the requests with their fallbacks.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <numeric>
#include <random>
#include <string>

#include "parvane/decode/DriveHealth.h"
#include "parvane/device/HealthReading.h"
#include "tests/host/parvane/FakeDevices.h"

using parvane::DriveAnswer;
using parvane::DriveHealthReading;
using parvane::HealthGap;
using parvane::HealthProtocol;
using parvane::NvmeHealthLog;
using parvane::SmartBlock;
using parvane::SmartStatus;
using parvane::Verdict;
using parvane_test::FakeHealthDrive;

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

SmartBlock SmartFile(const std::string& name) {
  auto block = parvane::ParseSmartDump(ReadFile(std::string(DRAVON_SMART_DATA) + "/" + name));
  EXPECT_TRUE(block) << name;
  return block.value_or(SmartBlock{});
}

parvane::IdentifyData RawIdentify(const std::string& drive) {
  auto block = parvane::ParseIdentifyDump(ReadFile(std::string(DRAVON_SMART_DATA) + "/" + drive + ".identify.hex"));
  EXPECT_TRUE(block) << drive;
  return block.value_or(parvane::IdentifyData{});
}

NvmeHealthLog RecordedLog() {
  auto log = parvane::ParseNvmeHealthDump(ReadFile(std::string(DRAVON_NVME_DATA) + "/health-checkbox-drive.hex"));
  EXPECT_TRUE(log);
  return log.value_or(NvmeHealthLog{});
}

// Byte 511 made to sum the block to 0 again after a change.
void Reseal(SmartBlock& b) {
  b.bytes[511] = 0;
  b.bytes[511] = static_cast<std::uint8_t>(256 - std::accumulate(b.bytes.begin(), b.bytes.end(), 0u) % 256);
}

// Attribute `id`'s entry in a data block.
std::uint8_t* Entry(SmartBlock& b, std::uint8_t id) {
  for (int i = 0; i < 30; ++i)
    if (b.bytes[2 + 12 * i] == id) return b.bytes.data() + 2 + 12 * i;
  ADD_FAILURE() << "no attribute " << int(id);
  return b.bytes.data() + 2;
}

DriveHealthReading AtaReading(const std::string& drive, SmartStatus status) {
  DriveHealthReading r;
  r.protocol = HealthProtocol::Ata;
  r.data = SmartFile(drive + ".smart.hex");
  r.thresholds = SmartFile(drive + ".thresholds.hex");
  r.status = status;
  return r;
}

std::string VerdictOf(const DriveHealthReading& r) { return parvane::VerdictText(parvane::DriveVerdict(r)); }

std::string NvmeVerdictOf(const NvmeHealthLog& log) {
  return parvane::VerdictText(parvane::NvmeVerdict(parvane::DecodeNvmeHealth(log)));
}

// ---- recorded drives ------------------------------------------------------------

struct Recorded {
  const char* drive;
  const char* model;
  std::size_t attributes;
  std::optional<int> celsius;
  std::optional<std::uint32_t> hours;
  std::uint32_t cycles;
  const char* verdict;
};

const Recorded kDrives[] = {
    {"intel-ssdsa2cw120g3-4pc10302", "INTEL SSDSA2CW120G3", 19, std::nullopt, 45, 14, "良好"},
    {"wdc-wd2500js-75ncb3-10.02e04", "WDC WD2500JS-75NCB3", 16, 38, 6626, 598, "良好"},
    {"samsung-hd501lj-cr100-12", "SAMSUNG HD501LJ", 23, 47, 7326, 88,
     "警告 (1 个重新分配扇区，1 个待映射扇区)"},
    {"fujitsu-mhy2250bh-0085000b", "FUJITSU MHY2250BH", 14, 39, std::nullopt, 512,
     "警告 (3 个待映射扇区，3 个无法校正的扇区)"},
    {"st9100821as-3.cme", "ST9100821AS", 24, 34, 4377, 550, "警告 (04 启动/停止次数 已达阈值)"},
};

TEST(SmartRecordedDrives, EveryDriveDecodesAndIsJudgedAsItsRecordSays) {
  for (const Recorded& d : kDrives) {
    SCOPED_TRACE(d.drive);
    const DriveHealthReading r = AtaReading(d.drive, SmartStatus::Passing);
    ASSERT_TRUE(parvane::IsValidSmartBlock(*r.data));
    ASSERT_TRUE(parvane::IsValidSmartBlock(*r.thresholds));
    const auto attributes = parvane::DecodeSmartAttributes(*r.data, &*r.thresholds);
    EXPECT_EQ(d.attributes, attributes.size());
    for (const auto& a : attributes) {
      EXPECT_NE(0, a.id);
      EXPECT_TRUE(a.threshold) << "every recorded attribute has a threshold entry: " << int(a.id);
    }
    const auto s = parvane::ReadSmartAttributes(attributes);
    EXPECT_EQ(d.celsius, s.celsius);
    EXPECT_EQ(d.hours, s.powerOnHours);
    EXPECT_EQ(d.cycles, s.powerCycles.value_or(0));
    EXPECT_EQ(d.verdict, VerdictOf(r));

    DriveHealthReading named = r;
    named.model = d.model;
    const auto rows = parvane::DriveHealthRows(2, named);
    EXPECT_EQ(std::string("硬盘 2: ") + d.model, rows.rows[0].label);
    EXPECT_EQ("健康状态:", rows.rows[rows.verdictRow].label);
    EXPECT_EQ(d.verdict, rows.rows[rows.verdictRow].value);
    EXPECT_EQ(7 + attributes.size(), rows.rows.size()) << "readings, the table's heading and one row each";
    // No hours that no drive could have been on.
    EXPECT_EQ("通电时间:", rows.rows[3].label);
    if (d.hours) {
      EXPECT_EQ(std::to_string(*d.hours) + " 小时", rows.rows[3].value);
    } else {
      EXPECT_EQ("单位不明 (原始值 598640)", rows.rows[3].value);
    }
  }
}

TEST(SmartRecordedDrives, AttributesAreJoinedWithTheirThresholdsAndNamed) {
  const DriveHealthReading wdc = AtaReading("wdc-wd2500js-75ncb3-10.02e04", SmartStatus::Passing);
  const auto a = parvane::DecodeSmartAttributes(*wdc.data, &*wdc.thresholds);
  ASSERT_EQ(16u, a.size());
  EXPECT_EQ(0x05, a[3].id);
  EXPECT_EQ(0x33, a[3].flags);
  EXPECT_TRUE(a[3].PreFailure());
  EXPECT_EQ(200, a[3].current);
  EXPECT_EQ(140, a[3].threshold);
  EXPECT_EQ(0xBE, a[9].id);
  EXPECT_FALSE(a[9].PreFailure());
  EXPECT_EQ(44, a[9].worst) << "below its threshold once; the current value is what counts";
  EXPECT_FALSE(a[9].AtThreshold());
  // The 48-bit raw value, and the names the page shows.
  const DriveHealthReading fujitsu = AtaReading("fujitsu-mhy2250bh-0085000b", SmartStatus::Passing);
  const auto f = parvane::DecodeSmartAttributes(*fujitsu.data, nullptr);
  EXPECT_EQ(0x07D000000000ull, f[3].raw);
  EXPECT_FALSE(f[3].threshold) << "no thresholds block";
  EXPECT_EQ("重新分配扇区计数", parvane::SmartAttributeName(0x05));
  EXPECT_EQ("通电时间", parvane::SmartAttributeName(0x09));
  EXPECT_EQ("温度", parvane::SmartAttributeName(0xC2));
  EXPECT_EQ("待映射扇区数", parvane::SmartAttributeName(0xC5));
  EXPECT_EQ("未知属性", parvane::SmartAttributeName(0x99));
  const auto rows = parvane::DriveHealthRows(0, wdc).rows;
  EXPECT_EQ("05 重新分配扇区计数", rows[10].label);
  EXPECT_EQ("200 / 200 / 140 / 000000000000", rows[10].value);
}

TEST(NvmeHealthLog, RecordedLogDecodesExactly) {
  DriveHealthReading r;
  r.protocol = HealthProtocol::Nvme;
  r.model = "THNSN5512GPU7 TOSHIBA";
  r.log = RecordedLog();
  const auto h = parvane::DecodeNvmeHealth(*r.log);
  EXPECT_EQ(303, h.kelvin);
  EXPECT_EQ(100, parvane::NvmeLifeLeft(h));
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"硬盘 1: THNSN5512GPU7 TOSHIBA", "NVMe"},
      {"健康状态:", "良好"},
      {"温度:", "30 ℃"},
      {"通电时间:", "6726 小时"},
      {"通电次数:", "3693"},
      {"剩余寿命:", "100 %"},
      {"不安全关机次数:", "3682"},
      {"严重警告:", "无"},
      {"可用备用空间:", "100 % (阈值 10 %)"},
      {"已用寿命:", "0 %"},
      {"读取数据量:", "10.08 TB (10077705216000 字节)"},
      {"写入数据量:", "33.16 TB (33161689600000 字节)"},
      {"主机读取命令:", "490830081"},
      {"主机写入命令:", "1608404624"},
      {"控制器忙碌时间:", "1302 分钟"},
      {"介质和数据完整性错误:", "0"},
      {"错误日志条目:", "4804"},
      {"警告温度时间:", "0 分钟"},
      {"严重温度时间:", "0 分钟"},
      {"温度传感器 1:", "30 ℃"},
      {"温度传感器 2:", "39 ℃"},
      {"温度传感器 3:", "47 ℃"},
  };
  std::vector<std::pair<std::string, std::string>> shown;
  for (const auto& row : parvane::DriveHealthRows(1, r).rows) shown.emplace_back(row.label, row.value.value_or("-"));
  EXPECT_EQ(expected, shown);
}

// ---- each verdict rule, one field changed ------------------------------------------

TEST(HealthVerdict, EachAtaRuleByOneChangedField) {
  const std::string wdc = "wdc-wd2500js-75ncb3-10.02e04";
  EXPECT_EQ("良好", VerdictOf(AtaReading(wdc, SmartStatus::Passing)));
  EXPECT_EQ("良好", VerdictOf(AtaReading(wdc, SmartStatus::Unknown))) << "no status is no finding";
  EXPECT_EQ("不良 (硬盘报告即将故障)", VerdictOf(AtaReading(wdc, SmartStatus::Failing)));

  auto changed = [&](std::uint8_t id, std::initializer_list<std::pair<int, std::uint8_t>> bytes) {
    DriveHealthReading r = AtaReading(wdc, SmartStatus::Passing);
    for (auto [byte, value] : bytes) Entry(*r.data, id)[byte] = value;
    Reseal(*r.data);
    return VerdictOf(r);
  };
  // Current value (byte 3) at, below and just above a threshold.
  EXPECT_EQ("不良 (05 重新分配扇区计数 已达阈值)", changed(0x05, {{3, 140}}));
  EXPECT_EQ("不良 (05 重新分配扇区计数 已达阈值)", changed(0x05, {{3, 12}}));
  EXPECT_EQ("良好", changed(0x05, {{3, 141}}));
  EXPECT_EQ("警告 (BE 气流温度 已达阈值)", changed(0xBE, {{3, 45}}));
  EXPECT_EQ("良好", changed(0x04, {{3, 1}})) << "threshold 0 never fails";
  EXPECT_EQ("良好", changed(0x05, {{3, 0}})) << "0 is no valid current value";
  // The sector counts, from raw bytes 0-1 (entry bytes 5 and 6).
  EXPECT_EQ("警告 (5 个待映射扇区)", changed(0xC5, {{5, 5}}));
  EXPECT_EQ("警告 (2 个无法校正的扇区)", changed(0xC6, {{5, 2}}));
  EXPECT_EQ("警告 (258 个重新分配扇区)", changed(0x05, {{5, 2}, {6, 1}}));
  EXPECT_EQ("良好", changed(0xC5, {{7, 9}})) << "raw byte 2 is not part of the count";

  // Without thresholds only the status and the counts are judged.
  DriveHealthReading bare = AtaReading(wdc, SmartStatus::Passing);
  bare.thresholds.reset();
  Entry(*bare.data, 0x05)[3] = 1;
  Reseal(*bare.data);
  EXPECT_EQ("良好", VerdictOf(bare));
}

TEST(HealthVerdict, ReasonsComeWorstFirst) {
  DriveHealthReading r = AtaReading("samsung-hd501lj-cr100-12", SmartStatus::Failing);
  EXPECT_EQ("不良 (硬盘报告即将故障，1 个重新分配扇区，1 个待映射扇区)", VerdictOf(r));
  EXPECT_EQ(Verdict::Bad, parvane::DriveVerdict(r).verdict);
}

TEST(HealthVerdict, EachNvmeRuleByOneChangedField) {
  const NvmeHealthLog base = RecordedLog();
  auto with = [&](std::size_t offset, std::uint8_t value) {
    NvmeHealthLog log = base;
    log.bytes[offset] = value;
    return log;
  };
  EXPECT_EQ("良好", NvmeVerdictOf(base));
  EXPECT_EQ("不良 (可用备用空间低于阈值)", NvmeVerdictOf(with(0, 0x01)));
  EXPECT_EQ("警告 (温度超出阈值)", NvmeVerdictOf(with(0, 0x02)));
  EXPECT_EQ("不良 (可靠性下降)", NvmeVerdictOf(with(0, 0x04)));
  EXPECT_EQ("不良 (已进入只读模式)", NvmeVerdictOf(with(0, 0x08)));
  EXPECT_EQ("警告 (易失性存储备份失效)", NvmeVerdictOf(with(0, 0x10)));
  EXPECT_EQ("不良 (可靠性下降，已进入只读模式，温度超出阈值)", NvmeVerdictOf(with(0, 0x0E)));
  EXPECT_EQ("不良 (可用备用空间 9 % 低于阈值 10 %)", NvmeVerdictOf(with(3, 9)));
  EXPECT_EQ("良好", NvmeVerdictOf(with(3, 10))) << "at the threshold is not below it";
  EXPECT_EQ("良好", NvmeVerdictOf(with(5, 89)));
  EXPECT_EQ("警告 (已用寿命 90 %)", NvmeVerdictOf(with(5, 90)));
  EXPECT_EQ("警告 (2 个介质错误)", NvmeVerdictOf(with(160, 2)));
  // Percentage used past 100: the life left stops at 0 %.
  DriveHealthReading worn;
  worn.protocol = HealthProtocol::Nvme;
  worn.log = with(5, 120);
  EXPECT_EQ("警告 (已用寿命 120 %)", VerdictOf(worn));
  const auto rows = parvane::DriveHealthRows(0, worn).rows;
  EXPECT_EQ("剩余寿命:", rows[5].label);
  EXPECT_EQ("0 %", rows[5].value);
  EXPECT_EQ("严重警告:", rows[7].label);
  EXPECT_EQ("0x16 (温度超出阈值，可靠性下降，易失性存储备份失效)",
            parvane::DriveHealthRows(0, DriveHealthReading{HealthProtocol::Nvme, "", {}, {}, {}, with(0, 0x16)})
                .rows[7]
                .value);
}

TEST(HealthVerdict, NvmeReadingsNeverComeOutAbsurd) {
  NvmeHealthLog log = RecordedLog();
  log.bytes[1] = 0;  // composite temperature 0 K: not reported
  log.bytes[2] = 0;
  for (int i = 0; i < 16; ++i) log.bytes[32 + i] = 0xFF;  // data units past what bytes can hold
  DriveHealthReading r{HealthProtocol::Nvme, "", {}, {}, {}, log};
  const auto rows = parvane::DriveHealthRows(0, r).rows;
  EXPECT_EQ("未报告", rows[2].value);
  EXPECT_EQ("340282366920938463463374607431768211455 × 512000 字节", rows[10].value);
  log.bytes[1] = 0xFF;
  log.bytes[2] = 0xFF;
  r.log = log;
  EXPECT_EQ("无效 (65535 K)", parvane::DriveHealthRows(0, r).rows[2].value);

  // Data units as bytes, in the unit they reach once rounded.
  auto written = [&](std::uint32_t units) {
    NvmeHealthLog l = RecordedLog();
    for (int i = 0; i < 16; ++i) l.bytes[48 + i] = i < 4 ? static_cast<std::uint8_t>(units >> (8 * i)) : 0;
    return parvane::DriveHealthRows(0, DriveHealthReading{HealthProtocol::Nvme, "", {}, {}, {}, l}).rows[11].value;
  };
  EXPECT_EQ("0 字节", written(0));
  EXPECT_EQ("512000 字节", written(1));
  EXPECT_EQ("1.02 MB (1024000 字节)", written(2));
  EXPECT_EQ("972.80 MB (972800000 字节)", written(1900));
  EXPECT_EQ("1.00 GB (999424000 字节)", written(1952));
  EXPECT_EQ("1.00 TB (999999488000 字节)", written(1953124)) << "not 1000.00 GB";
  EXPECT_EQ("1.00 TB (1000000000000 字节)", written(1953125));
}

TEST(HealthVerdict, NoDataIsUnknownWithItsReason) {
  const std::pair<HealthGap, const char*> gaps[] = {
      {HealthGap::NeedsAdmin, "未知 (需要管理员权限)"}, {HealthGap::NotSupported, "未知 (不支持)"},
      {HealthGap::Disabled, "未知 (SMART 未启用)"},    {HealthGap::InvalidData, "未知 (数据无效)"},
      {HealthGap::NoAnswer, "未知 (无法读取)"}};
  for (const auto& [gap, text] : gaps) {
    DriveHealthReading r;
    r.protocol = HealthProtocol::Ata;
    r.model = "DISK";
    r.gap = gap;
    const auto rows = parvane::DriveHealthRows(3, r);
    ASSERT_EQ(2u, rows.rows.size()) << text;
    EXPECT_EQ("硬盘 3: DISK", rows.rows[0].label);
    EXPECT_EQ(text, rows.rows[1].value);
    EXPECT_EQ(Verdict::Unknown, rows.verdict);
  }
  const auto reading = parvane::ReadingHealthRows(4);
  EXPECT_EQ("硬盘 4:", reading.rows[0].label);
  EXPECT_EQ("正在读取…", reading.rows[1].value);
}

// ---- what counts as an answer ----------------------------------------------------

std::array<std::uint8_t, parvane::kSmartOutputSize> Output(const SmartBlock& block) {
  auto out = parvane::SmartIdentifyOutput();
  std::copy(block.bytes.begin(), block.bytes.end(), out.begin() + 16);
  return out;
}

TEST(SmartAnswers, OnlyAWholeCheckedBlockWithoutADriverErrorCounts) {
  const SmartBlock good = SmartFile("intel-ssdsa2cw120g3-4pc10302.smart.hex");
  auto out = Output(good);
  EXPECT_TRUE(parvane::SmartBlockFromOutput(out, 528));
  EXPECT_FALSE(parvane::SmartBlockFromOutput(out, 527)) << "short of the block";
  EXPECT_FALSE(parvane::SmartBlockFromOutput(out, 0));
  out[4] = 1;  // the driver's error
  EXPECT_FALSE(parvane::SmartBlockFromOutput(out, 528));
  EXPECT_FALSE(parvane::SmartBlockFromOutput(Output(SmartBlock{}), 528)) << "all zeros";
  SmartBlock wrong = good;
  wrong.bytes[100] ^= 1;
  EXPECT_FALSE(parvane::IsValidSmartBlock(wrong));
  EXPECT_FALSE(parvane::SmartBlockFromOutput(Output(wrong), 528)) << "checksum";
  EXPECT_FALSE(parvane::ParseSmartDump(std::string(511, 'x'))) << "a short block";
  EXPECT_TRUE(parvane::ParseSmartDump(std::string(512, 'x'))) << "512 raw bytes";

  // IDENTIFY: all zeros is no block (the protocol query is asked next).
  parvane::IdentifyData zero;
  auto id = parvane::SmartIdentifyOutput();
  EXPECT_FALSE(parvane::IdentifyFromSmartAnswer(id, 528));
  id[16 + 54] = 'A';
  EXPECT_TRUE(parvane::IdentifyFromSmartAnswer(id, 528));
  EXPECT_FALSE(parvane::IdentifyFromSmartAnswer(id, 100));
}

TEST(SmartAnswers, RandomBlocksNeverDecodeIntoAbsurdRows) {
  std::mt19937 random(34);
  int valid = 0;
  for (int round = 0; round < 2000; ++round) {
    SmartBlock b;
    for (auto& byte : b.bytes) byte = static_cast<std::uint8_t>(random());
    if (round % 2) Reseal(b);
    const bool sums = std::accumulate(b.bytes.begin(), b.bytes.end(), 0u) % 256 == 0;
    ASSERT_EQ(sums, parvane::IsValidSmartBlock(b));
    if (!sums) continue;
    ++valid;
    DriveHealthReading r;
    r.protocol = HealthProtocol::Ata;
    r.data = b;
    r.thresholds = b;
    const auto attributes = parvane::DecodeSmartAttributes(b, &b);
    ASSERT_LE(attributes.size(), 30u);
    const auto s = parvane::ReadSmartAttributes(attributes);
    ASSERT_LE(s.powerOnHours.value_or(0), parvane::kMaxPowerOnHours);
    ASSERT_TRUE(!s.celsius || (*s.celsius >= 1 && *s.celsius <= 127));
    ASSERT_LE(s.pending.value_or(0), 0xFFFFu);
    const auto rows = parvane::DriveHealthRows(0, r);
    ASSERT_EQ(7 + attributes.size(), rows.rows.size());
    ASSERT_NE(Verdict::Unknown, rows.verdict);
  }
  EXPECT_GT(valid, 900);
}

TEST(SmartRequests, RecordsAreByteExact) {
  const auto data = parvane::SmartCommandInput(parvane::SmartFeature::ReadData);
  const std::array<std::uint8_t, 13> head = {0x00, 0x02, 0, 0, 0xD0, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0, 0, 0};
  EXPECT_TRUE(std::equal(head.begin(), head.end(), data.begin()));
  EXPECT_TRUE(std::all_of(data.begin() + 13, data.end(), [](std::uint8_t b) { return b == 0; }));
  EXPECT_EQ(0xD1, parvane::SmartCommandInput(parvane::SmartFeature::ReadThresholds)[4]);
  const auto status = parvane::SmartCommandInput(parvane::SmartFeature::ReturnStatus);
  EXPECT_EQ(0xDA, status[4]);
  EXPECT_EQ(0u, status[0] | status[1]) << "RETURN STATUS reads no data";

  // The status answer: LBA mid/high in the register record after the head.
  auto answer = [](std::uint8_t mid, std::uint8_t high, std::uint8_t error, std::size_t returned) {
    auto out = parvane::SmartIdentifyOutput();
    out[4] = error;
    out[16 + 3] = mid;
    out[16 + 4] = high;
    return parvane::SmartStatusFromOutput(out, returned);
  };
  EXPECT_EQ(SmartStatus::Passing, answer(0x4F, 0xC2, 0, 24));
  EXPECT_EQ(SmartStatus::Failing, answer(0xF4, 0x2C, 0, 24));
  EXPECT_EQ(SmartStatus::Unknown, answer(0xC2, 0x4F, 0, 24)) << "the registers swapped are no answer";
  EXPECT_EQ(SmartStatus::Unknown, answer(0x4F, 0xC2, 0, 23));
  EXPECT_EQ(SmartStatus::Unknown, answer(0xF4, 0x2C, 1, 24));
}

TEST(NvmeHealthRequests, LogPageTwoThroughEitherProperty) {
  const auto query = parvane::ProtocolQuery(parvane::NvmeHealthRequest(parvane::kStorageAdapterProtocolSpecificProperty));
  ASSERT_EQ(8u + 40u + 512u, query.size());
  auto u32 = [&](std::size_t at) {
    return query[at] | (query[at + 1] << 8) | (query[at + 2] << 16) | (std::uint32_t(query[at + 3]) << 24);
  };
  EXPECT_EQ(49u, u32(0));
  EXPECT_EQ(3u, u32(8)) << "NVMe";
  EXPECT_EQ(2u, u32(12)) << "log page data";
  EXPECT_EQ(2u, u32(16)) << "the SMART / health log";
  EXPECT_EQ(0u, u32(20)) << "from its first byte";
  EXPECT_EQ(40u, u32(24));
  EXPECT_EQ(512u, u32(28));
  EXPECT_EQ(50u, parvane::NvmeHealthRequest(parvane::kStorageDeviceProtocolSpecificProperty).property);

  std::vector<std::uint8_t> answer = query;
  const NvmeHealthLog log = RecordedLog();
  std::copy(log.bytes.begin(), log.bytes.end(), answer.begin() + 48);
  auto taken = parvane::NvmeHealthFromAnswer(answer);
  ASSERT_TRUE(taken);
  EXPECT_EQ(log.bytes, taken->bytes);
  EXPECT_FALSE(parvane::NvmeHealthFromAnswer(std::span(answer).first(answer.size() - 1)));
  answer[28] = answer[29] = 0;  // the driver says it returned nothing
  EXPECT_FALSE(parvane::NvmeHealthFromAnswer(answer));
}

// ---- the requests in order ------------------------------------------------------------

FakeHealthDrive AtaDrive(const std::string& drive) {
  FakeHealthDrive d;
  d.ata = RawIdentify(drive);
  d.data = SmartFile(drive + ".smart.hex");
  d.thresholds = SmartFile(drive + ".thresholds.hex");
  d.status = SmartStatus::Passing;
  return d;
}

DriveHealthReading Read(const FakeHealthDrive& drive, bool standardUser = false) {
  parvane_test::FakeLayer layer;
  layer.healthDrives[0] = drive;
  layer.healthDrives[0].refusesFullAccess = standardUser;
  return parvane::ReadDriveHealth(*layer.OpenDriveRequests(0));
}

TEST(ReadDriveHealth, AnAtaDriveGivesItsBlocksAndStatus) {
  const DriveHealthReading r = Read(AtaDrive("wdc-wd2500js-75ncb3-10.02e04"));
  EXPECT_EQ(HealthProtocol::Ata, r.protocol);
  EXPECT_EQ("WDC WD2500JS-75NCB3", r.model) << "the text repaired";
  ASSERT_TRUE(r.data && r.thresholds);
  EXPECT_EQ(SmartStatus::Passing, r.status);
  EXPECT_EQ(HealthGap::None, r.gap);
}

TEST(ReadDriveHealth, EachGapHasItsReason) {
  const std::string wdc = "wdc-wd2500js-75ncb3-10.02e04";
  // A standard user: IDENTIFY through the protocol query, SMART refused.
  DriveHealthReading r = Read(AtaDrive(wdc), true);
  EXPECT_EQ(HealthProtocol::Ata, r.protocol);
  EXPECT_EQ("WDC WD2500JS-75NCB3", r.model);
  EXPECT_EQ(HealthGap::NeedsAdmin, r.gap);

  FakeHealthDrive noSmart = AtaDrive(wdc);
  noSmart.ata->SetWord(82, 0x7468);
  EXPECT_EQ(HealthGap::NotSupported, Read(noSmart).gap);
  FakeHealthDrive off = AtaDrive(wdc);
  off.ata->SetWord(85, 0x7468);
  EXPECT_EQ(HealthGap::Disabled, Read(off).gap);
  FakeHealthDrive zero = AtaDrive(wdc);
  zero.data = SmartBlock{};
  EXPECT_EQ(HealthGap::InvalidData, Read(zero).gap);
  FakeHealthDrive rejects = AtaDrive(wdc);
  rejects.data.reset();
  EXPECT_EQ(HealthGap::NotSupported, Read(rejects).gap);
  // Thresholds and status that fail still leave the data.
  FakeHealthDrive partial = AtaDrive(wdc);
  partial.thresholds = SmartBlock{};
  partial.status = SmartStatus::Unknown;
  r = Read(partial);
  EXPECT_TRUE(r.data);
  EXPECT_FALSE(r.thresholds);
  EXPECT_EQ(SmartStatus::Unknown, r.status);

  EXPECT_EQ(HealthGap::NoAnswer, Read(FakeHealthDrive{}).gap);
  EXPECT_EQ(HealthGap::NeedsAdmin, Read(FakeHealthDrive{}, true).gap)
      << "refused the one open that might have answered";
}

TEST(ReadDriveHealth, AnNvmeDriveIsAskedWithoutRightsFirst) {
  auto controller = parvane::ParseNvmeDump(ReadFile(std::string(DRAVON_NVME_DATA) + "/toshiba-thnsn5512gpu7.hex"));
  ASSERT_TRUE(controller);
  FakeHealthDrive nvme;
  nvme.nvme = parvane::NvmeIdentify{*controller, std::nullopt};
  nvme.log = RecordedLog();
  nvme.nvmeOnlyWith = parvane::DeviceAccess::QueryOnly;
  DriveHealthReading r = Read(nvme, true);
  EXPECT_EQ(HealthProtocol::Nvme, r.protocol);
  EXPECT_EQ("THNSN5512GPU7 TOSHIBA", r.model);
  ASSERT_TRUE(r.log);
  EXPECT_EQ(HealthGap::None, r.gap);

  nvme.nvmeOnlyWith = parvane::DeviceAccess::Full;
  EXPECT_TRUE(Read(nvme).log) << "an administrator's handle when the other fails";
  r = Read(nvme, true);
  EXPECT_EQ(HealthGap::NeedsAdmin, r.gap);
  EXPECT_EQ(HealthProtocol::None, r.protocol);

  nvme.nvmeOnlyWith.reset();
  nvme.log.reset();
  r = Read(nvme);
  EXPECT_EQ(HealthProtocol::Nvme, r.protocol);
  EXPECT_EQ(HealthGap::NotSupported, r.gap);
  EXPECT_EQ("未知 (不支持)", parvane::DriveHealthRows(0, r).rows[1].value);
}

TEST(ReadDriveHealth, IdentifyFallsThroughToTheProtocolQueryAndRepairsTheTexts) {
  FakeHealthDrive d = AtaDrive("st9100821as-3.cme");
  d.refusesFullAccess = true;
  parvane_test::FakeLayer layer;
  layer.healthDrives[0] = d;
  auto requests = layer.OpenDriveRequests(0);
  parvane::IdentifyData block;
  bool refused = false;
  ASSERT_TRUE(parvane::IdentifyAtaDrive(*requests, block, &refused));
  EXPECT_TRUE(refused);
  EXPECT_EQ("ST9100821AS", parvane::IdentifyText(block, parvane::kModelField));
  EXPECT_EQ(1, *layer.liveRequests);
  requests.reset();
  EXPECT_EQ(0, *layer.liveRequests);
}

}  // namespace
