// Writes the seed corpora (fuzz/corpus/<target>/seed-*) from the recorded
// drives and the unit tests' cases, in each target's input layout.
// Usage: dravon-fuzz-seeds SOURCE_DIR
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <limits>

#include "fuzz/FuzzInput.h"
#include "fuzz/Slots.h"
#include "parvane/decode/Identify.h"
#include "parvane/decode/NvmeHealth.h"
#include "parvane/decode/NvmeIdentify.h"
#include "parvane/decode/Smart.h"
#include "parvane/decode/StorageText.h"

namespace {

namespace fs = std::filesystem;
using fuzz::RegRecord;
using fuzz::Writer;
using platform::kRegBinary;
using platform::kRegDword;
using platform::kRegMultiSz;
using platform::kRegSz;

fs::path gCorpus;

void Seed(const std::string& target, const std::string& name, const std::string& bytes) {
  fs::create_directories(gCorpus / target);
  std::ofstream(gCorpus / target / ("seed-" + name), std::ios::binary) << bytes;
}

std::string Dword(std::uint32_t v) { return Writer().U32(v).str(); }
std::string Bytes(const void* p, std::size_t n) { return std::string(static_cast<const char*>(p), n); }

// The first slot holding a value of this name, whatever its key.
std::uint8_t SlotNamed(const std::vector<fuzz::RegSlot>& slots, std::string_view name) {
  for (std::size_t i = 0; i < slots.size(); ++i)
    if (slots[i].name == name) return static_cast<std::uint8_t>(i);
  fuzz::Fail(__FILE__, __LINE__, "no such value");
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void IdentifySeeds(const fs::path& data) {
  for (const auto& entry : fs::directory_iterator(data)) {
    if (entry.path().extension() != ".hex") continue;
    const std::string text = ReadText(entry.path());
    const auto block = parvane::ParseIdentifyDump(text);
    if (!block) continue;
    const std::string drive = entry.path().stem().string();
    const std::string raw = Bytes(block->bytes.data(), 512);
    Seed("identify_dump", drive + ".hex", text);
    Seed("identify_pages", drive, raw);
    Seed("identify_text", drive, raw);
    Seed("identify_text", drive + "-serial", raw.substr(20, 20));
    Seed("identify_text", drive + "-model", raw.substr(54, 40));

    std::array<std::uint8_t, parvane::kProtocolQuerySize> answer = parvane::AtaIdentifyProtocolQuery();
    std::memcpy(answer.data() + 48, block->bytes.data(), 512);
    Seed("protocol_answer", drive, Bytes(answer.data(), answer.size()));
  }
  Seed("identify_dump", "raw-block", std::string(512, '\x20'));
  Seed("identify_dump", "not-a-block", "/dev/sda:\n0040 3fff\n");
  // The repair's own cases: blanks around a serial, sent pairwise swapped.
  Seed("identify_text", "blanks-around", "  BADCFEHGJILKNMO   ");
  Seed("identify_text", "all-blank", "        ");
  Seed("identify_text", "odd-length", " A B C ");
  auto offset41 = parvane::AtaIdentifyProtocolQuery();
  offset41[8 + 16] = 41;
  Seed("protocol_answer", "offset-41", Bytes(offset41.data(), offset41.size()));
}

// The recorded controller alone, then with the hand-written namespace or the
// disk's extent, each inside a whole protocol answer.
void NvmeSeeds(const fs::path& data) {
  const auto controller = parvane::ParseNvmeDump(ReadText(data / "toshiba-thnsn5512gpu7.hex"));
  const auto ns = parvane::ParseNvmeDump(ReadText(data / "namespace-4k-hand.hex"));
  if (!controller || !ns) fuzz::Fail(__FILE__, __LINE__, "recorded NVMe blocks missing");
  // The parts of the blocks the target reads (fuzz/NvmeIdentify.cpp).
  const std::string c = Bytes(controller->bytes.data(), 1024);
  Seed("nvme_identify", "toshiba-thnsn5512gpu7", c);

  const auto query = parvane::ProtocolQuery(parvane::NvmeControllerRequest());
  const std::string record = Bytes(query.data() + parvane::kProtocolHeadSize, parvane::kProtocolRecordSize);
  const auto whole = static_cast<std::uint16_t>(query.size());
  Writer withNs;
  withNs.Raw(c).Bool(true).Raw(ns->bytes.data(), 512).Bool(false).Raw(record).U16(whole);
  Seed("nvme_identify", "toshiba-with-namespace", withNs.str());
  Writer withDisk;
  withDisk.Raw(c).Bool(false).Bool(true).U64(512110190592ull).U32(512).Raw(record).U16(whole);
  Seed("nvme_identify", "toshiba-with-disk", withDisk.str());
}

// Every recorded drive's SMART blocks, with its status and a whole answer;
// then the same data failing, cut short and all zeros.
void SmartSeeds(const fs::path& data) {
  for (const auto& entry : fs::directory_iterator(data)) {
    const std::string name = entry.path().filename().string();
    const std::string suffix = ".smart.hex";
    if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
      continue;
    const std::string drive = name.substr(0, name.size() - suffix.size());
    const auto smart = parvane::ParseSmartDump(ReadText(entry.path()));
    const auto thresholds = parvane::ParseSmartDump(ReadText(data / (drive + ".thresholds.hex")));
    if (!smart || !thresholds) fuzz::Fail(__FILE__, __LINE__, "recorded SMART blocks missing");
    Writer w;
    w.Raw(smart->bytes.data(), 512).Bool(true).Raw(thresholds->bytes.data(), 512).U8(1).U8(0).U16(528);
    Seed("smart_health", drive, w.str());
    if (drive.rfind("wdc", 0) == 0) {
      Writer failing;
      failing.Raw(smart->bytes.data(), 512).Bool(false).U8(2).U8(1).U16(527);
      Seed("smart_health", drive + "-failing-short", failing.str());
    }
  }
  Seed("smart_health", "zero-block", Writer().Raw(std::string(512, '\0')).Bool(false).U8(0).U8(0).U16(528).str());
}

// The recorded log alone and inside a whole answer.
void NvmeHealthSeeds(const fs::path& data) {
  const auto log = parvane::ParseNvmeHealthDump(ReadText(data / "health-checkbox-drive.hex"));
  if (!log) fuzz::Fail(__FILE__, __LINE__, "recorded NVMe health log missing");
  const std::string part = Bytes(log->bytes.data(), 256);  // the part the target reads
  Seed("nvme_health", "health-checkbox-drive", part);
  const auto query = parvane::ProtocolQuery(parvane::NvmeHealthRequest(parvane::kStorageAdapterProtocolSpecificProperty));
  Writer answered;
  answered.Raw(part).Raw(query.data() + parvane::kProtocolHeadSize, parvane::kProtocolRecordSize);
  answered.U16(static_cast<std::uint16_t>(query.size()));
  Seed("nvme_health", "health-checkbox-drive-answered", answered.str());
  std::string worn = part;
  worn[0] = 0x0E;  // temperature, reliability, read-only
  worn[3] = 5;     // spare below its threshold of 10
  worn[5] = static_cast<char>(200);
  Seed("nvme_health", "worn-out", worn);
}

void StorageSeeds() {
  // The DVD writer of the unit tests, alone and as two devices of a page.
  parvane::DescriptorBuffer d = parvane::NewDescriptorBuffer();
  d[10] = 1;
  std::memcpy(d.data() + 28, Dword(2).data(), 4);
  const char* texts[] = {"HL-DT-ST", "DVDRAM GH24NSD1", "LG00", "  K1234  "};
  std::size_t at = 40;
  for (int i = 0; i < 4; ++i) {
    std::memcpy(d.data() + 12 + 4 * i, Dword(static_cast<std::uint32_t>(at)).data(), 4);
    std::memcpy(d.data() + at, texts[i], std::strlen(texts[i]) + 1);
    at += std::strlen(texts[i]) + 1;
  }
  Writer geometry;
  geometry.U64(1000).U32(54).U32(64).U32(32).U32(2048);
  parvane::MediaTypesBuffer media{};
  std::memcpy(media.data() + 8, geometry.str().data(), 24);

  for (bool disk : {false, true}) {
    Writer w;
    w.Bool(disk).Raw(d.data(), d.size()).Raw(media.data(), media.size());
    w.U8(2);
    w.Bool(true).Bool(true).Bool(true).U32(120).Raw(geometry.str()).U16(551).Raw(d.data(), d.size());
    w.Bool(true).Bool(false).Bool(false).U32(0).Raw(geometry.str()).U16(0);
    w.U32(0x14).U32(0x10);  // drives C and E, E removable
    Seed("storage_text", disk ? "disk" : "dvd-writer", w.str());
  }
  // A text running to the buffer's end, and offsets outside it.
  parvane::DescriptorBuffer edge = parvane::NewDescriptorBuffer();
  std::memset(edge.data() + 540, 'Q', 11);
  std::memcpy(edge.data() + 12, Dword(540).data(), 4);
  std::memcpy(edge.data() + 16, Dword(551).data(), 4);
  std::memcpy(edge.data() + 20, Dword(0xFFFFFFF0u).data(), 4);
  Seed("storage_text", "edges", Writer().Bool(false).Raw(edge.data(), edge.size()).str());
}

std::string Utf16z(const std::string& ascii) {
  std::string out = ascii;
  out.push_back('\0');
  return out;
}

void SystemSeeds() {
  const auto& slots = fuzz::SystemSlots();
  auto nt = [&](const char* name) { return fuzz::SlotOf(slots, parvane::kNtCurrentVersion, name); };
  auto cv = [&](const char* name) { return fuzz::SlotOf(slots, parvane::kCurrentVersion, name); };
  const std::uint8_t productType = fuzz::SlotOf(slots, parvane::kProductOptions, "ProductType");
  const std::uint8_t bios = fuzz::SlotOf(slots, parvane::kSystemDescription, "SystemBiosVersion");
  const std::uint8_t biosDate = fuzz::SlotOf(slots, parvane::kSystemDescription, "SystemBiosDate");

  Writer w;
  w.Bool(true).Bool(false).U8(5).Bool(false).U8(1).Bool(false).U8(60).Bool(false).U8(2);
  w.Text("Service Pack 3").Bool(true);
  w.U8(2).Bool(true).Bool(true).Text("C:\\TEMP").Bool(true).Bool(false).Text("%TMP%\\b");
  w.Bool(true).Bool(true).Text("PC").Bool(true).Text("admin");
  fuzz::WriteRegistry(w, {{productType, false, kRegSz, Utf16z("WinNT")},
                          {nt("CurrentVersion"), false, kRegSz, Utf16z("5.1")},
                          {nt("CurrentBuildNumber"), false, kRegSz, "2600"},
                          {nt("CSDVersion"), false, kRegMultiSz, std::string("SP\0two\0\0", 8)},
                          {nt("RegisteredOwner"), false, kRegSz, std::string(100, 'o')},
                          {nt("ProductName"), false, kRegDword, Dword(1)},
                          {cv("ProgramFilesDir"), false, kRegSz, Utf16z("C:\\Program Files")},
                          {bios, false, kRegMultiSz, std::string("BIOS 1.0\0Vendor\0\0", 17)},
                          {biosDate, false, kRegBinary, "01/02/03"}});
  w.Text("TMP = %TMP% %%");
  Seed("system_record", "nt-xp", w.str());

  // Windows 11 Home, whose product name still says Windows 10.
  Writer eleven;
  eleven.Bool(true).Bool(false).U8(10).Bool(false).U8(0).Bool(true).U32(22631).Bool(false).U8(2);
  eleven.Text("").Bool(true).U8(0).Bool(false).Bool(false).Bool(false);
  fuzz::WriteRegistry(eleven, {{productType, false, kRegSz, Utf16z("WinNT")},
                               {nt("EditionID"), false, kRegSz, Utf16z("Core")},
                               {nt("ProductName"), false, kRegSz, Utf16z("Windows 10 Home")}});
  Seed("system_record", "windows-eleven-home", eleven.str());

  Writer nine;
  nine.Bool(true).Bool(false).U8(4).Bool(false).U8(10).Bool(false).U8(0).Bool(false).U8(1);
  nine.Text("A").Bool(false).U8(0).Bool(false).Bool(false).Bool(false);
  fuzz::WriteRegistry(nine, {{fuzz::SlotOf(slots, parvane::k9xBios, "BIOSNAME"), false, kRegSz,
                              Utf16z("Award")}});
  Seed("system_record", "ninety-eight", nine.str());
}

void TweakSeeds() {
  const auto& slots = fuzz::TweakSlots();
  auto slot = [&](std::string_view name) { return SlotNamed(slots, name); };
  Writer w;
  w.Bool(false).Text(" -12x").U32(static_cast<std::uint32_t>(-12));
  fuzz::WriteRegistry(w, {{slot("EnableBigLba"), false, kRegSz, "1"},
                          {slot("DisablePagingExecutive"), false, kRegDword, Dword(1)},
                          {slot("ProtectionMode"), false, kRegSz, "1"},
                          {slot("Enable"), false, kRegSz, "Y"},
                          {slot("forceguest"), false, kRegDword, Dword(0)},
                          {slot("AutoRun"), false, kRegSz, std::string("0\0", 2)},
                          {slot("allocatecdroms"), false, kRegSz, "+1"},
                          {slot("ContigFileAllocSize"), false, kRegDword, Dword(500)},
                          {slot("UtilizeNtCaching"), true, 0, ""}});
  // Disk page: three clicks; the others: one each, the NTFS page with a
  // CD-ROM at D.
  w.U8(3).Bool(false).U8(0).Bool(false).U8(3).Bool(true).U16(1);
  w.U8(1).Bool(false).U8(3);
  w.U8(1).Bool(false).U8(0);
  for (int letter = 0; letter < 10; ++letter) w.U8(letter == 3 ? 5 : 3);
  w.U8(1).Bool(false).U8(0);
  Seed("tweak_state", "mixed-types", w.str());
  Seed("tweak_state", "number-overflow", Writer().Bool(false).Text("99999999999").U32(0).str());
}

void LevelSeeds() {
  const auto& slots = fuzz::LevelSlots();
  auto slot = [&](std::string_view name) { return SlotNamed(slots, name); };
  Writer w;
  fuzz::WriteRegistry(w, {{slot("AutoChkTimeOut"), false, kRegDword, Dword(10)},
                          {slot("IoPage"), false, kRegDword, Dword(3)},
                          {slot("IoPageLockLimit"), true, 0, ""},
                          {slot("EnCDFS"), false, kRegSz, "\x02"},
                          {slot("Prefetch"), true, 0, ""},
                          {slot("NtfsMftZoneReservation"), false, kRegBinary, "\x04\x00"}});
  // Each control: two moves near its rows.
  for (int c = 0; c < 6; ++c) w.U8(2).Bool(false).U8(3).Bool(false).U8(c + 2);
  for (int c = 0; c < 6; ++c) w.U32(static_cast<std::uint32_t>(c));
  Seed("level_lookups", "own-records", w.str());
}

void SizeSeeds() {
  const double sizes[] = {0, 1023, 1024, 1023999, 1000000, 1000.0 * 1024 * 1024, 5368709120.0,
                          std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity(), -1,
                          std::numeric_limits<double>::max(),
                          std::numeric_limits<double>::denorm_min()};
  for (std::size_t i = 0; i < std::size(sizes); ++i)
    Seed("format_size", std::to_string(i), Writer().Double(sizes[i]).U64(std::uint64_t{i} << 40).str());
}

void SliceSeeds() {
  // Shares of 120.4, 120.4 and 119.2 degrees; of 120.5, 120.5 and 119.
  auto three = [](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    Writer w;
    w.Bool(false).Bool(false).U16(3);
    for (std::uint32_t s : {a, b, c}) w.U8(1).U32(s).U8(0).Bool(false);
    w.Bool(false).U32(0).U32(0).U32(0).U32(0).Bool(false);
    return w.str();
  };
  Seed("slice_plan", "rounded-down", three(1204, 1204, 1192));
  Seed("slice_plan", "rounded-up", three(1205, 1205, 1190));
  Writer twenty;
  twenty.Bool(false).Bool(true).U16(20);
  for (int i = 0; i < 20; ++i) {
    twenty.U8(1).U32(100).U8(0).Bool(i % 3 == 0);
    if (i % 3 == 0) twenty.U8(2).U32(5).U8(0);
  }
  twenty.Bool(true).U32(7).U8(0).U8(4);
  twenty.U32(1000000000u).U32(0).U32(3000000000u).U32(0).Bool(true);
  Seed("slice_plan", "twenty-children-drive", twenty.str());
  Writer odd;
  odd.Bool(true).Bool(false).U16(4);
  for (double s : {std::numeric_limits<double>::quiet_NaN(), 1e300,
                   std::numeric_limits<double>::infinity(), -5.0})
    odd.U8(1).Double(s).Bool(false);
  Seed("slice_plan", "corrupt-sizes", odd.str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: dravon-fuzz-seeds SOURCE_DIR\n";
    return 2;
  }
  const fs::path source = argv[1];
  gCorpus = source / "fuzz" / "corpus";
  IdentifySeeds(source / "tests" / "data" / "identify");
  NvmeSeeds(source / "tests" / "data" / "nvme");
  SmartSeeds(source / "tests" / "data" / "smart");
  NvmeHealthSeeds(source / "tests" / "data" / "nvme");
  StorageSeeds();
  SystemSeeds();
  TweakSeeds();
  LevelSeeds();
  SizeSeeds();
  SliceSeeds();
  return 0;
}
