// dravon-identify FILE [NAMESPACE]
// Reads one identify block and prints every row of the two hard-disk pages
// as the dialog fills them: page, TAB, row index, TAB, label, TAB, value,
// after a first line naming what was decoded. FILE is either an ATA IDENTIFY
// block (hdparm --Istdout hex words, or 512 raw bytes), whose text fields are
// repaired as the drive layer does, or an NVMe Identify Controller block
// (4096 hex bytes, or 4096 raw bytes); the size tells them apart. For NVMe,
// NAMESPACE is namespace 1's Identify block in the same forms: without it
// the capacity rows stay empty, as there is no disk to ask.
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::cerr << "usage: dravon-identify FILE [NAMESPACE]\n";
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
