// dravon-identify FILE
// Reads one IDENTIFY block (hdparm --Istdout hex words, or 512 raw bytes),
// repairs its text fields as the drive layer does, and prints every row of the
// two hard-disk pages: page, TAB, row index, TAB, label, TAB, value.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "parvane/Identify.h"
#include "parvane/IdentifyDecode.h"

namespace {

void PrintRows(const char* page, const std::vector<parvane::PageRow>& rows) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    std::cout << page << '\t' << i << '\t' << rows[i].label << '\t'
              << rows[i].value.value_or("") << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: dravon-identify FILE\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "dravon-identify: cannot open " << argv[1] << '\n';
    return 1;
  }
  std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto block = parvane::ParseIdentifyDump(data);
  if (!block) {
    std::cerr << "dravon-identify: " << argv[1]
              << ": not 256 hex words nor 512 raw bytes\n";
    return 1;
  }
  parvane::FixIdentifyTexts(*block);
  PrintRows("disk", parvane::DecodeDiskPage(*block));
  PrintRows("modes", parvane::DecodeDiskModesPage(*block));
  return 0;
}
