// NVMe Identify data (Identify Controller, CNS 1; Identify Namespace, CNS 0)
// as the drive returns it through the storage protocol query, and the few
// fields the hard-disk pages show, at the byte offsets of the NVM Express
// base standard. Portable: the Win32 side only hands over the raw blocks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "parvane/decode/ProtocolQuery.h"

namespace parvane {

inline constexpr std::size_t kNvmeIdentifySize = 4096;

struct NvmeIdentifyBlock {
  std::array<std::uint8_t, kNvmeIdentifySize> bytes{};
};

// What drive 0 answered: its controller block, and namespace 1's block when
// that request succeeded too.
struct NvmeIdentify {
  NvmeIdentifyBlock controller;
  std::optional<NvmeIdentifyBlock> ns;
};

// The disk as the storage layer sees it, whatever the protocol.
struct DiskExtent {
  std::uint64_t bytes = 0;
  std::uint32_t bytesPerSector = 0;
};

struct NvmeController {
  std::uint16_t vendorId = 0;      // PCI vendor (VID)
  std::string serial;              // SN, blanks trimmed on both sides
  std::string model;               // MN
  std::string firmware;            // FR
  std::uint32_t version = 0;       // VER: major 31:16, minor 15:8, tertiary 7:0
  std::uint16_t warningKelvin = 0;   // WCTEMP, 0: not reported
  std::uint16_t criticalKelvin = 0;  // CCTEMP
  std::uint32_t namespaces = 0;    // NN
  bool volatileWriteCache = false; // VWC bit 0
};

NvmeController DecodeNvmeController(const NvmeIdentifyBlock& block);

struct NvmeNamespace {
  std::uint64_t blocks = 0;      // NSZE, in logical blocks
  std::uint32_t blockSize = 0;   // of the current format; 0 when the format is invalid
};

NvmeNamespace DecodeNvmeNamespace(const NvmeIdentifyBlock& block);

// The drive's size in logical blocks and bytes: from the namespace when it
// gives a size and a valid format, else from the storage layer's extent.
struct NvmeCapacity {
  std::optional<std::uint64_t> sectors;
  std::optional<std::uint64_t> bytes;
};
NvmeCapacity NvmeDriveCapacity(const NvmeIdentify& identify, const std::optional<DiskExtent>& disk);

// "1.3", "1.2.1"; a controller before 1.2 may report 0: "1.0 或更早".
std::string NvmeVersionText(std::uint32_t version);
// Kelvin as "%d ℃"; empty when the drive reports 0.
std::string KelvinAsCelsius(std::uint16_t kelvin);

// A controller block recorded as 4096 whitespace-separated two-digit hex
// bytes, or as the 4096 raw bytes. Nothing when the input is neither.
std::optional<NvmeIdentifyBlock> ParseNvmeDump(std::string_view input);

// --- the requests ------------------------------------------------------------

inline constexpr std::uint32_t kNvmeCnsNamespace = 0;
inline constexpr std::uint32_t kNvmeCnsController = 1;
inline constexpr std::size_t kNvmeQuerySize = kProtocolHeadSize + kProtocolRecordSize + kNvmeIdentifySize;

// Identify Controller through the adapter's property; Identify Namespace 1
// through the device's.
ProtocolRequest NvmeControllerRequest();
ProtocolRequest NvmeNamespaceRequest();

// The block of an answer to either request; nothing when the answer does not
// hold a whole block inside the buffer.
std::optional<NvmeIdentifyBlock> NvmeBlockFromAnswer(std::span<const std::uint8_t> answer);

}  // namespace parvane
