#include "parvane/decode/StorageText.h"

#include <cstring>

#include "parvane/decode/Bytes.h"
#include "platform/AnsiText.h"

namespace parvane {
namespace {

std::string TextAt(const DescriptorBuffer& buffer, std::uint32_t offset) {
  if (offset == 0 || offset >= buffer.size()) return {};
  const char* begin = reinterpret_cast<const char*>(buffer.data() + offset);
  std::size_t room = buffer.size() - offset;
  std::size_t n = 0;
  while (n < room && begin[n] != '\0') ++n;
  return std::string(begin, n);
}

std::string Trim(const std::string& s) {
  auto b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  auto e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

struct Labels {
  const char* bus;
  const char* busTail;
  const char* media;
  const char* mediaTail;
  const char* removable;
  const char* removableTail;
  const char* vendor;
  const char* vendorTail;
  const char* product;
  const char* productTail;
  const char* revision;
  const char* revisionTail;
  const char* serial;       // text part of the serial label
  const char* capacity;     // before the byte count
  const char* capacityMid;  // between the byte count and the megabytes
};

constexpr Labels kCdrom{
    "光驱接口:            ", "    \r\n",   "光驱名称:            ", "    \r\n",
    "光驱类型:            ", "  \r\n",     "生产厂商:        ",     "    \r\n",
    "光驱型号:            ", "      \r\n", "产品版本:            ", " \r\n",
    "编号序号:            ", "光驱容量              = ", " Bytes字节 (总计:"};

constexpr Labels kDisk{
    "硬盘接口:            ", "     \r\n",   "硬盘名称:            ", "     \r\n",
    "硬盘类型:            ", "   \r\n",     "生产厂商:            ", "     \r\n",
    "产品型号:            ", "       \r\n", "产品版本:            ", "     \r\n",
    "编号序号:      ",       "硬盘容量              = ", " Bytes字节 (总计："};

}  // namespace

DescriptorBuffer NewDescriptorBuffer() {
  DescriptorBuffer b{};
  ResetDescriptorSize(b);
  return b;
}

void ResetDescriptorSize(DescriptorBuffer& buffer) {
  buffer[4] = static_cast<std::uint8_t>(kDescriptorSize & 0xFF);
  buffer[5] = static_cast<std::uint8_t>(kDescriptorSize >> 8);
  buffer[6] = 0;
  buffer[7] = 0;
}

std::array<std::uint8_t, kPropertyQuerySize> DevicePropertyQuery() { return {}; }

GeometryRecord GeometryFromMediaTypes(const MediaTypesBuffer& answer) {
  GeometryRecord r;
  std::memcpy(r.data(), answer.data() + kMediaTypesFirstEntry, kGeometrySize);
  return r;
}

StorageDescriptor ParseDescriptor(const DescriptorBuffer& buffer) {
  StorageDescriptor d;
  d.removable = buffer[10] != 0;
  d.vendor = TextAt(buffer, GetU32(buffer.data() + 12));
  d.product = TextAt(buffer, GetU32(buffer.data() + 16));
  d.revision = TextAt(buffer, GetU32(buffer.data() + 20));
  d.serial = TextAt(buffer, GetU32(buffer.data() + 24));
  d.busType = GetU32(buffer.data() + 28);
  return d;
}

DiskGeometry ParseGeometry(const GeometryRecord& record) {
  DiskGeometry g;
  g.cylinders = GetU64(record.data());
  g.mediaType = GetU32(record.data() + 8);
  g.tracksPerCylinder = GetU32(record.data() + 12);
  g.sectorsPerTrack = GetU32(record.data() + 16);
  g.bytesPerSector = GetU32(record.data() + 20);
  return g;
}

const char* BusTypeName(std::uint32_t busType) {
  switch (busType) {
    case 1: return "SCSI";
    case 2: return "ATAPI";
    case 3: return "ATA";
    case 4: return "IEEE 1394";
    case 5: return "SSA";
    case 6: return "FIBRE";
    case 7: return "USB";
    case 8: return "RAID";
    // Bus types of later systems; iSCSI, SAS and SATA (9-11) keep "Unkown".
    case 12: return "SD";
    case 13: return "MMC";
    case 14: return "Virtual";
    case 15: return "FileBackedVirtual";
    case 16: return "Spaces";
    case 17: return "NVMe";
    case 18: return "SCM";
    case 19: return "UFS";
    default: return "Unkown";
  }
}

const char* MediaTypeName(std::uint32_t mediaType) {
  switch (mediaType) {
    case 11:
    case 12: return "Disk";
    case 51: return "CD-ROM";
    case 52: return "CD-R (Write Once)";
    case 53: return "CD-R/W (Rewriteable)";
    case 54: return "DVD-ROM";
    case 55: return "DVD-R (Write Once)";
    case 56: return "DVD-R/W (Rewriteable)";
    default: return "Unkown";
  }
}

std::string FormatStorageDevice(StorageVariant variant, std::string_view /*path*/,
                                const GeometryRecord& geometry,
                                const DescriptorBuffer& descriptor) {
  const Labels& l = variant == StorageVariant::Cdrom ? kCdrom : kDisk;
  const StorageDescriptor d = ParseDescriptor(descriptor);
  const DiskGeometry g = ParseGeometry(geometry);

  std::string t = "\r\r\n";
  t += std::string(l.bus) + BusTypeName(d.busType) + l.busTail;
  t += std::string(l.media) + MediaTypeName(g.mediaType) + l.mediaTail;
  t += std::string(l.removable) + (d.removable ? "Removable(可拆卸)" : "Fixed(固定)") +
       l.removableTail;
  // The driver's texts are bytes in no declared encoding.
  using platform::AnsiBytesToUtf8;
  t += l.vendor + AnsiBytesToUtf8(d.vendor) + l.vendorTail;
  t += l.product + AnsiBytesToUtf8(d.product) + l.productTail;
  t += l.revision + AnsiBytesToUtf8(d.revision) + l.revisionTail;
  t += l.serial + AnsiBytesToUtf8(Trim(d.serial)) + "\r\n ";

  // "%I64d" for the cylinders, "%ld" (signed 32-bit) for the three counts.
  t += "柱面数                 = " + std::to_string(static_cast<std::int64_t>(g.cylinders)) +
       "\r\n";
  t += "每柱面的磁道数  = " + std::to_string(static_cast<std::int32_t>(g.tracksPerCylinder)) +
       "\r\n";
  t += "每磁道的扇区数  = " + std::to_string(static_cast<std::int32_t>(g.sectorsPerTrack)) +
       "\r\n";
  t += "每扇区的字节数  = " + std::to_string(static_cast<std::int32_t>(g.bytesPerSector)) +
       "\r\n";

  const std::uint64_t capacity = g.cylinders * g.tracksPerCylinder * g.sectorsPerTrack *
                                 static_cast<std::uint64_t>(g.bytesPerSector);
  const std::uint64_t megabytes = capacity / 1048576u;
  t += l.capacity + std::to_string(static_cast<std::int64_t>(capacity)) + l.capacityMid +
       std::to_string(static_cast<std::int64_t>(megabytes)) + " MB)\r\n";
  return t;
}

std::string UsbDriveLine(std::string_view letters) {
  if (letters.empty()) return "\r\n没有U盘\r\n";
  return "\r\n 正在使用U盘:      " + std::string(letters) + "盘";
}

}  // namespace parvane
