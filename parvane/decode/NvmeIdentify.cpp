#include "parvane/decode/NvmeIdentify.h"

#include <cstring>
#include <limits>

#include "parvane/decode/Bytes.h"
#include "parvane/decode/HexDump.h"

namespace parvane {
namespace {

// Controller fields (byte offsets).
constexpr std::size_t kVid = 0, kSn = 4, kMn = 24, kFr = 64, kVer = 80, kWctemp = 266,
                      kCctemp = 268, kNn = 516, kVwc = 525;
// Namespace fields.
constexpr std::size_t kNsze = 0, kNlbaf = 25, kFlbas = 26, kLbaf = 128;

// An ASCII field padded with blanks, on the right as the NVMe standard
// says or on the left as some drives do; NULs count as padding.
std::string PaddedText(const NvmeIdentifyBlock& b, std::size_t offset, std::size_t length) {
  const char* p = reinterpret_cast<const char*>(b.bytes.data() + offset);
  std::string_view text(p, length);
  auto pad = [](char c) { return c == ' ' || c == '\0'; };
  while (!text.empty() && pad(text.front())) text.remove_prefix(1);
  text = text.substr(0, text.find('\0'));
  while (!text.empty() && pad(text.back())) text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

NvmeController DecodeNvmeController(const NvmeIdentifyBlock& block) {
  const std::uint8_t* b = block.bytes.data();
  NvmeController c;
  c.vendorId = GetU16(b + kVid);
  c.serial = PaddedText(block, kSn, 20);
  c.model = PaddedText(block, kMn, 40);
  c.firmware = PaddedText(block, kFr, 8);
  c.version = GetU32(b + kVer);
  c.warningKelvin = GetU16(b + kWctemp);
  c.criticalKelvin = GetU16(b + kCctemp);
  c.namespaces = GetU32(b + kNn);
  c.volatileWriteCache = (b[kVwc] & 1) != 0;
  return c;
}

NvmeNamespace DecodeNvmeNamespace(const NvmeIdentifyBlock& block) {
  const std::uint8_t* b = block.bytes.data();
  NvmeNamespace ns;
  ns.blocks = GetU64(b + kNsze);
  // FLBAS bits 3:0 pick the format; bits 6:5 extend the index when a drive
  // has more than 16 formats. NLBAF is the zero-based count of formats.
  const unsigned flbas = b[kFlbas];
  const unsigned index = (flbas & 0x0F) | (((flbas >> 5) & 0x03) << 4);
  if (index > b[kNlbaf]) return ns;
  // LBADS is a power of two; below 9 (512 bytes) the format is not in use.
  const unsigned lbads = b[kLbaf + 4 * index + 2];
  if (lbads >= 9 && lbads < 32) ns.blockSize = 1u << lbads;
  return ns;
}

NvmeCapacity NvmeDriveCapacity(const NvmeIdentify& identify, const std::optional<DiskExtent>& disk) {
  constexpr std::uint64_t kMaxBytes = std::numeric_limits<std::int64_t>::max();
  NvmeCapacity cap;
  if (identify.ns) {
    const NvmeNamespace ns = DecodeNvmeNamespace(*identify.ns);
    // An inactive namespace reads as zeros; a size in bytes past what the
    // page prints is no real drive's either.
    if (ns.blocks != 0 && ns.blockSize != 0 && ns.blocks <= kMaxBytes / ns.blockSize) {
      cap.sectors = ns.blocks;
      cap.bytes = ns.blocks * ns.blockSize;
      return cap;
    }
  }
  if (disk && disk->bytes != 0 && disk->bytes <= kMaxBytes) {
    cap.bytes = disk->bytes;
    if (disk->bytesPerSector != 0) cap.sectors = disk->bytes / disk->bytesPerSector;
  }
  return cap;
}

std::string NvmeVersionText(std::uint32_t version) {
  if (version == 0) return "1.0 或更早";
  std::string text = std::to_string(version >> 16) + "." + std::to_string((version >> 8) & 0xFF);
  if ((version & 0xFF) != 0) text += "." + std::to_string(version & 0xFF);
  return text;
}

std::string KelvinAsCelsius(std::uint16_t kelvin) {
  if (kelvin == 0) return {};
  return std::to_string(static_cast<int>(kelvin) - 273) + " ℃";
}

std::optional<NvmeIdentifyBlock> ParseNvmeDump(std::string_view input) {
  NvmeIdentifyBlock block;
  if (!ParseByteDump(input, block.bytes)) return std::nullopt;
  return block;
}

ProtocolRequest NvmeControllerRequest() {
  return {kStorageAdapterProtocolSpecificProperty, kProtocolTypeNvme, kNvmeDataTypeIdentify,
          kNvmeCnsController, 0, kNvmeIdentifySize};
}

ProtocolRequest NvmeNamespaceRequest() {
  return {kStorageDeviceProtocolSpecificProperty, kProtocolTypeNvme, kNvmeDataTypeIdentify,
          kNvmeCnsNamespace, 1, kNvmeIdentifySize};
}

std::optional<NvmeIdentifyBlock> NvmeBlockFromAnswer(std::span<const std::uint8_t> answer) {
  auto data = ProtocolAnswerData(answer, kNvmeIdentifySize);
  if (!data) return std::nullopt;
  NvmeIdentifyBlock block;
  std::memcpy(block.bytes.data(), data->data(), kNvmeIdentifySize);
  return block;
}

}  // namespace parvane
