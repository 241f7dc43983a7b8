// Storage device records as the disk and CD-ROM drivers return them, and the
// text block the CD-ROM and USB pages show for each device. The records are
// kept as the raw bytes the driver fills, so a failed query leaves exactly
// what the previous device left, and the parsing is bounded by the buffer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace parvane {

// --- records ---------------------------------------------------------------

inline constexpr std::size_t kDescriptorSize = 551;
inline constexpr std::size_t kGeometrySize = 24;
inline constexpr std::size_t kPropertyQuerySize = 12;
inline constexpr std::size_t kMediaTypesSize = 520;
inline constexpr std::size_t kMediaTypesFirstEntry = 8;

using DescriptorBuffer = std::array<std::uint8_t, kDescriptorSize>;
using GeometryRecord = std::array<std::uint8_t, kGeometrySize>;
using MediaTypesBuffer = std::array<std::uint8_t, kMediaTypesSize>;

// A zeroed descriptor buffer whose size field (offset 4) says 551.
DescriptorBuffer NewDescriptorBuffer();
// Sets the size field back to 551. A driver overwrites it with the size of
// its own answer; a buffer reused for the next device must ask for all of
// it again, or that device's texts come back cut short.
void ResetDescriptorSize(DescriptorBuffer& buffer);
// The device-property standard query: property 0, query type 0.
std::array<std::uint8_t, kPropertyQuerySize> DevicePropertyQuery();
// The first media-info entry of a media-types answer.
GeometryRecord GeometryFromMediaTypes(const MediaTypesBuffer& answer);

struct StorageDescriptor {
  bool removable = false;
  std::uint32_t busType = 0;
  std::string vendor;
  std::string product;
  std::string revision;
  std::string serial;
};

// Reads the fields the pages show. A text offset of 0 means absent; a text is
// read up to its NUL or the end of the buffer, whichever comes first, and an
// offset outside the buffer gives an empty text. The texts are the driver's
// bytes as they stand.
StorageDescriptor ParseDescriptor(const DescriptorBuffer& buffer);

struct DiskGeometry {
  std::uint64_t cylinders = 0;
  std::uint32_t mediaType = 0;
  std::uint32_t tracksPerCylinder = 0;
  std::uint32_t sectorsPerTrack = 0;
  std::uint32_t bytesPerSector = 0;
};

DiskGeometry ParseGeometry(const GeometryRecord& record);

// --- texts -----------------------------------------------------------------

// "Unkown" is the system's own spelling and is kept.
const char* BusTypeName(std::uint32_t busType);
const char* MediaTypeName(std::uint32_t mediaType);

enum class StorageVariant { Cdrom, Disk };

// The text block of one device, the driver's texts read in the system's code
// page (platform/AnsiText.h). The path is accepted for the callers'
// symmetry but not printed. The serial number goes on the serial label's own
// line, before its line break (the label ends in CR LF and one blank, after
// which the geometry lines follow).
std::string FormatStorageDevice(StorageVariant variant, std::string_view path,
                                const GeometryRecord& geometry, const DescriptorBuffer& descriptor);

// The closing line of the USB page: the letters found run together, or the
// "no flash drive" line.
std::string UsbDriveLine(std::string_view letters);

}  // namespace parvane
