// dravon-identify FILE [NAMESPACE]
// dravon-identify --smart IDENTIFY SMART THRESHOLDS [STATUS]
// dravon-identify --nvme-health LOG
// Reads one identify block and prints every row of the two hard-disk pages
// as the dialog fills them: page, TAB, row index, TAB, label, TAB, value,
// after a first line naming what was decoded. FILE is either an ATA IDENTIFY
// block (hdparm --Istdout hex words, or 512 raw bytes), whose text fields are
// repaired as the drive layer does, or an NVMe Identify Controller block
// (4096 hex bytes, or 4096 raw bytes); the size tells them apart. For NVMe,
// NAMESPACE is namespace 1's Identify block in the same forms: without it
// the capacity rows stay empty, as there is no disk to ask.
//
// --smart prints the health page's rows of an ATA drive (as drive 0) from
// its IDENTIFY block and its SMART READ DATA and READ THRESHOLDS blocks (512
// hex or raw bytes each; a block that fails its checks is no data, as the
// page takes it). STATUS is the drive's SMART RETURN STATUS: 1 not failing,
// 0 failing; without it the status is unknown. --nvme-health prints them for
// an NVMe drive from its SMART / Health Information log (512 hex or raw
// bytes).
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>

#include "parvane/decode/DriveHealth.h"
#include "parvane/decode/Identify.h"
#include "parvane/decode/IdentifyDecode.h"
#include "parvane/decode/NvmeIdentify.h"

namespace {

void PrintRows(const char* page, const std::vector<parvane::PageRow>& rows) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    std::cout << page << '\t' << i << '\t' << rows[i].label << '\t'
              << rows[i].value.value_or("") << '\n';
}

std::optional<std::string> ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << "dravon-identify: cannot open " << path << '\n';
    return std::nullopt;
  }
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

constexpr const char* kUsage =
    "usage: dravon-identify FILE [NAMESPACE]\n"
    "       dravon-identify --smart IDENTIFY SMART THRESHOLDS [STATUS]\n"
    "       dravon-identify --nvme-health LOG\n";

int Smart(int argc, char** argv) {
  if (argc != 5 && argc != 6) {
    std::cerr << kUsage;
    return 2;
  }
  parvane::SmartStatus status = parvane::SmartStatus::Unknown;
  if (argc == 6) {
    const std::string s = argv[5];
    if (s != "0" && s != "1") {
      std::cerr << "dravon-identify: STATUS is 1 (not failing) or 0 (failing), not " << s << '\n';
      return 2;
    }
    status = s == "1" ? parvane::SmartStatus::Passing : parvane::SmartStatus::Failing;
  }
  auto identifyText = ReadFile(argv[2]);
  if (!identifyText) return 1;
  auto identify = parvane::ParseIdentifyDump(*identifyText);
  if (!identify) {
    std::cerr << "dravon-identify: " << argv[2] << ": not an ATA IDENTIFY block\n";
    return 1;
  }
  parvane::FixIdentifyTexts(*identify);
  std::optional<parvane::SmartBlock> blocks[2];
  for (int i = 0; i < 2; ++i) {
    auto text = ReadFile(argv[3 + i]);
    if (!text) return 1;
    blocks[i] = parvane::ParseSmartDump(*text);
    if (!blocks[i]) {
      std::cerr << "dravon-identify: " << argv[3 + i] << ": not a SMART block (512 hex or raw bytes)\n";
      return 1;
    }
    if (!parvane::IsValidSmartBlock(*blocks[i])) {
      std::cerr << "dravon-identify: " << argv[3 + i] << ": fails its checks (all zeros or a wrong checksum): no data\n";
      blocks[i].reset();
    }
  }
  parvane::DriveHealthReading reading;
  reading.protocol = parvane::HealthProtocol::Ata;
  reading.model = parvane::IdentifyText(*identify, parvane::kModelField);
  reading.data = blocks[0];
  reading.thresholds = blocks[1];
  reading.status = status;
  if (!reading.data) reading.gap = parvane::HealthGap::InvalidData;
  std::cout << "# ATA SMART\n";
  PrintRows("health", parvane::DriveHealthRows(0, reading).rows);
  return 0;
}

int NvmeHealth(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << kUsage;
    return 2;
  }
  auto text = ReadFile(argv[2]);
  if (!text) return 1;
  parvane::DriveHealthReading reading;
  reading.protocol = parvane::HealthProtocol::Nvme;
  reading.log = parvane::ParseNvmeHealthDump(*text);
  if (!reading.log) {
    std::cerr << "dravon-identify: " << argv[2] << ": not an NVMe health log (512 hex or raw bytes)\n";
    return 1;
  }
  std::cout << "# NVMe SMART / Health Information\n";
  PrintRows("health", parvane::DriveHealthRows(0, reading).rows);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]) == "--smart") return Smart(argc, argv);
  if (argc >= 2 && std::string(argv[1]) == "--nvme-health") return NvmeHealth(argc, argv);
  if (argc != 2 && argc != 3) {
    std::cerr << kUsage;
    return 2;
  }
  auto data = ReadFile(argv[1]);
  if (!data) return 1;

  if (auto block = parvane::ParseIdentifyDump(*data); block && argc == 2) {
    std::cout << "# ATA IDENTIFY DEVICE\n";
    parvane::FixIdentifyTexts(*block);
    PrintRows("disk", parvane::DecodeDiskPage(*block));
    PrintRows("modes", parvane::DecodeDiskModesPage(*block));
    return 0;
  }
  auto controller = parvane::ParseNvmeDump(*data);
  if (!controller) {
    std::cerr << "dravon-identify: " << argv[1]
              << (argc == 2 ? ": neither an ATA IDENTIFY block (256 hex words, 512 raw bytes)"
                              " nor an NVMe Identify block (4096 hex or raw bytes)\n"
                            : ": not an NVMe Identify Controller block (4096 hex or raw bytes)\n");
    return 1;
  }
  parvane::NvmeIdentify identify{*controller, std::nullopt};
  if (argc == 3) {
    auto ns = ReadFile(argv[2]);
    if (!ns) return 1;
    identify.ns = parvane::ParseNvmeDump(*ns);
    if (!identify.ns) {
      std::cerr << "dravon-identify: " << argv[2]
                << ": not an NVMe Identify Namespace block (4096 hex or raw bytes)\n";
      return 1;
    }
  }
  std::cout << (identify.ns ? "# NVMe Identify Controller and Namespace\n"
                            : "# NVMe Identify Controller\n");
  PrintRows("disk", parvane::NvmeDiskPageRows(identify, std::nullopt));
  PrintRows("modes", parvane::NvmeDiskModesPageRows());
  return 0;
}
