// Storage descriptors, geometry and media-types answers with any offsets,
// sizes and texts, alone and through the pages' device walk: texts are read
// only inside the 551-byte buffer, every block has all its lines, and each
// device is asked for the whole descriptor however the last one left it.
#include <algorithm>
#include <map>
#include <memory>

#include "fuzz/FuzzInput.h"
#include "parvane/decode/StorageText.h"
#include "parvane/device/StorageScan.h"
#include "platform/AnsiText.h"

namespace {

using parvane::DescriptorBuffer;
using parvane::GeometryRecord;
using parvane::MediaTypesBuffer;

std::uint32_t U32At(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The text a descriptor offset names, found the plain way.
std::string ExpectedText(const DescriptorBuffer& b, std::uint32_t offset) {
  if (offset == 0 || offset >= b.size()) return {};
  std::string t;
  for (std::size_t i = offset; i < b.size() && b[i] != 0; ++i) t.push_back(static_cast<char>(b[i]));
  return t;
}

void CheckBlock(const std::string& text, parvane::StorageVariant variant, const GeometryRecord& g,
                const DescriptorBuffer& d) {
  const parvane::StorageDescriptor parsed = parvane::ParseDescriptor(d);
  std::size_t at = 0;
  // Each piece appears, in order.
  auto next = [&](const std::string& piece) {
    const std::size_t found = text.find(piece, at);
    FUZZ_CHECK(found != std::string::npos);
    at = found + piece.size();
  };
  FUZZ_CHECK(text.rfind("\r\r\n", 0) == 0);
  next(parvane::BusTypeName(parsed.busType));
  next(parvane::MediaTypeName(parvane::ParseGeometry(g).mediaType));
  next(parsed.removable ? "Removable(可拆卸)" : "Fixed(固定)");
  next(platform::AnsiBytesToUtf8(parsed.vendor));
  next(platform::AnsiBytesToUtf8(parsed.product));
  next(platform::AnsiBytesToUtf8(parsed.revision));
  next("柱面数");
  next("每柱面的磁道数");
  next("每磁道的扇区数");
  next("每扇区的字节数");
  next(variant == parvane::StorageVariant::Cdrom ? "光驱容量" : "硬盘容量");
  FUZZ_CHECK(text.size() >= 6 && text.compare(text.size() - 6, 6, " MB)\r\n") == 0);
}

void CheckRecords(const DescriptorBuffer& d, const MediaTypesBuffer& media) {
  const parvane::StorageDescriptor parsed = parvane::ParseDescriptor(d);
  FUZZ_CHECK(parsed.removable == (d[10] != 0));
  FUZZ_CHECK(parsed.busType == U32At(d.data() + 28));
  FUZZ_CHECK(parsed.vendor == ExpectedText(d, U32At(d.data() + 12)));
  FUZZ_CHECK(parsed.product == ExpectedText(d, U32At(d.data() + 16)));
  FUZZ_CHECK(parsed.revision == ExpectedText(d, U32At(d.data() + 20)));
  FUZZ_CHECK(parsed.serial == ExpectedText(d, U32At(d.data() + 24)));

  const GeometryRecord g = parvane::GeometryFromMediaTypes(media);
  FUZZ_CHECK(std::equal(g.begin(), g.end(), media.begin() + parvane::kMediaTypesFirstEntry));
  const parvane::DiskGeometry geo = parvane::ParseGeometry(g);
  FUZZ_CHECK(geo.mediaType == U32At(g.data() + 8));
  FUZZ_CHECK(geo.bytesPerSector == U32At(g.data() + 20));
}

// A device layer whose devices answer from the input.
struct Answer {
  bool opens = false;
  bool geometryOk = false;
  bool descriptorOk = false;
  std::uint32_t answerSize = 0;
  GeometryRecord geometry{};
  DescriptorBuffer descriptor{};
};

class InputDevices final : public parvane::DeviceLayer {
 public:
  std::vector<Answer> answers;  // by path index
  std::uint32_t mask = 0;
  std::uint32_t removable = 0;
  int descriptorQueries = 0;

  bool IdentifyPhysicalDrive(int, parvane::IdentifyData& block) override {
    block = {};
    return false;
  }
  bool IdentifyNvmeDrive(int, parvane::DeviceAccess, parvane::NvmeIdentify&) override {
    return false;
  }
  std::optional<parvane::DiskExtent> PhysicalDriveExtent(int) override { return std::nullopt; }
  std::vector<std::string> EnumDeviceInterfacePaths(parvane::InterfaceClass) override {
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < answers.size(); ++i) paths.push_back(std::to_string(i));
    return paths;
  }
  std::unique_ptr<parvane::StorageDevice> OpenInterface(const std::string& path,
                                                        parvane::DeviceAccess) override {
    const Answer& a = answers.at(std::stoul(path));
    if (!a.opens) return nullptr;
    return std::make_unique<Device>(a, *this);
  }
  std::vector<int> PhysicalDriveNumbers() override { return {}; }
  std::unique_ptr<parvane::DriveRequests> OpenDriveRequests(int) override { return nullptr; }
  std::uint32_t LogicalDrives() override { return mask; }
  bool IsRemovableDrive(char letter) override {
    FUZZ_CHECK(letter >= 'A' && letter <= 'Z');
    return (removable >> (letter - 'A')) & 1;
  }
  std::unique_ptr<parvane::StorageDevice> OpenVolume(char letter, parvane::DeviceAccess) override {
    if (answers.empty()) return nullptr;
    const Answer& a = answers[static_cast<std::size_t>(letter - 'A') % answers.size()];
    if (!a.opens) return nullptr;
    return std::make_unique<Device>(a, *this);
  }

 private:
  struct Device final : parvane::StorageDevice {
    Device(const Answer& a, InputDevices& owner) : a_(a), owner_(owner) {}
    bool QueryDiskGeometry(GeometryRecord& r) override {
      if (a_.geometryOk) r = a_.geometry;
      return a_.geometryOk;
    }
    bool QueryDeviceDescriptor(DescriptorBuffer& b) override {
      ++owner_.descriptorQueries;
      // Every device is asked for the whole buffer.
      FUZZ_CHECK(U32At(b.data() + 4) == parvane::kDescriptorSize);
      if (!a_.descriptorOk) return false;
      b = a_.descriptor;
      // The driver leaves its own answer's size in the size field.
      for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<std::uint8_t>(a_.answerSize >> (8 * i));
      return true;
    }
    const Answer& a_;
    InputDevices& owner_;
  };
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Reader in(data, size);
  const auto variant = in.Bool() ? parvane::StorageVariant::Disk : parvane::StorageVariant::Cdrom;
  // Heap copies of exactly the records' sizes: a read past one is reported.
  auto descriptor = std::make_unique<DescriptorBuffer>();
  auto media = std::make_unique<MediaTypesBuffer>();
  in.Fill(descriptor->data(), descriptor->size());
  in.Fill(media->data(), media->size());
  CheckRecords(*descriptor, *media);
  auto geometry = std::make_unique<GeometryRecord>(parvane::GeometryFromMediaTypes(*media));
  CheckBlock(parvane::FormatStorageDevice(variant, "", *geometry, *descriptor), variant, *geometry,
             *descriptor);

  // The pages' walk over up to eight devices.
  InputDevices devices;
  devices.answers.resize(in.U8() % 9);
  for (Answer& a : devices.answers) {
    a.opens = in.Bool();
    a.geometryOk = in.Bool();
    a.descriptorOk = in.Bool();
    a.answerSize = in.U32();
    in.Fill(a.geometry.data(), a.geometry.size());
    const std::uint16_t used = in.U16();  // the rest of the descriptor stays zero
    in.Fill(a.descriptor.data(), std::min<std::size_t>(used, a.descriptor.size()));
  }
  devices.mask = in.U32();
  devices.removable = in.U32();
  const std::string cdrom = parvane::CdromPageText(devices);
  FUZZ_CHECK(cdrom.empty() == devices.answers.empty());
  std::size_t blocks = 0;
  for (auto at = cdrom.find("\r\r\n"); at != std::string::npos; at = cdrom.find("\r\r\n", at + 1))
    ++blocks;
  FUZZ_CHECK(blocks >= devices.answers.size());  // a text may hold the marker too

  const std::string letters = parvane::FindUsbDriveLetters(devices);
  FUZZ_CHECK(letters.size() <= 26);
  for (std::size_t i = 0; i < letters.size(); ++i) {
    const int bit = letters[i] - 'A';
    FUZZ_CHECK(bit >= 0 && bit < 26 && ((devices.mask & devices.removable) >> bit & 1));
    if (i > 0) FUZZ_CHECK(letters[i - 1] < letters[i]);
  }
  return 0;
}
