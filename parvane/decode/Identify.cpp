#include "parvane/decode/Identify.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "parvane/decode/Bytes.h"
#include "parvane/decode/HexDump.h"

namespace parvane {
namespace {

constexpr ProtocolRequest kAtaIdentifyRequest{kStorageDeviceProtocolSpecificProperty,
                                              kProtocolTypeAta, kAtaDataTypeIdentify, 0, 0, 512};

// hdparm names the device ("/dev/sda:") on a line of its own before the words.
bool IsDeviceNameLine(std::string_view line) {
  while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
    line.remove_suffix(1);
  return !line.empty() && line.back() == ':';
}

std::optional<IdentifyData> ParseHexWords(std::string_view input) {
  IdentifyData block;
  int words = 0;
  std::size_t i = 0;
  while (i < input.size()) {
    unsigned char c = static_cast<unsigned char>(input[i]);
    if (std::isspace(c)) {
      ++i;
      continue;
    }
    if (i == 0 || input[i - 1] == '\n') {
      std::size_t eol = input.find('\n', i);
      std::string_view line = input.substr(i, eol == std::string_view::npos ? eol : eol - i);
      if (IsDeviceNameLine(line)) {
        i += line.size();
        continue;
      }
    }
    std::size_t start = i;
    unsigned value = 0;
    while (i < input.size() && !std::isspace(static_cast<unsigned char>(input[i]))) {
      int d = HexDigit(input[i]);
      if (d < 0) return std::nullopt;
      value = value * 16 + static_cast<unsigned>(d);
      ++i;
    }
    if (i - start != 4 || words >= 256) return std::nullopt;
    block.SetWord(words++, static_cast<std::uint16_t>(value));
  }
  if (words != 256) return std::nullopt;
  return block;
}

}  // namespace

void FixIdentifyText(std::uint8_t* field, std::size_t length) {
  for (std::size_t i = 0; i + 1 < length; i += 2) std::swap(field[i], field[i + 1]);

  std::size_t lead = 0;
  while (lead < length && field[lead] == ' ') ++lead;
  if (lead > 0) {
    std::memmove(field, field + lead, length - lead);
    std::memset(field + length - lead, 0, lead);
  }

  // The run of trailing blanks ends before the NULs the move just left, so
  // step over those too; otherwise a text with leading blanks keeps its
  // trailing ones.
  for (std::size_t i = length; i > 0 && (field[i - 1] == ' ' || field[i - 1] == 0); --i)
    field[i - 1] = 0;
}

void FixIdentifyTexts(IdentifyData& block) {
  FixIdentifyText(block.bytes.data() + kSerialField.offset, kSerialField.length);
  FixIdentifyText(block.bytes.data() + kModelField.offset, kModelField.length);
  FixIdentifyText(block.bytes.data() + kFirmwareField.offset, kFirmwareField.length);
}

std::string IdentifyText(const IdentifyData& block, IdentifyField field) {
  const char* begin = reinterpret_cast<const char*>(block.bytes.data() + field.offset);
  std::size_t n = 0;
  while (n < field.length && begin[n] != '\0') ++n;
  return std::string(begin, n);
}

std::optional<IdentifyData> ParseIdentifyDump(std::string_view input) {
  if (auto hex = ParseHexWords(input)) return hex;
  if (input.size() == 512) {
    IdentifyData block;
    std::memcpy(block.bytes.data(), input.data(), 512);
    return block;
  }
  return std::nullopt;
}

std::array<std::uint8_t, kSmartInputSize> SmartIdentifyInput() {
  std::array<std::uint8_t, kSmartInputSize> in{};
  PutU32(in.data(), 0);           // buffer size
  in[10] = kAtaIdentifyDevice;    // command register
  in[12] = 0;                     // drive number
  return in;
}

std::array<std::uint8_t, kSmartOutputSize> SmartIdentifyOutput() {
  std::array<std::uint8_t, kSmartOutputSize> out{};
  PutU32(out.data(), 512);
  return out;
}

std::array<std::uint8_t, kProtocolQuerySize> AtaIdentifyProtocolQuery() {
  std::array<std::uint8_t, kProtocolQuerySize> q{};
  WriteProtocolQuery(q, kAtaIdentifyRequest);
  return q;
}

std::optional<IdentifyData> IdentifyFromProtocolAnswer(
    const std::array<std::uint8_t, kProtocolQuerySize>& answer) {
  auto data = ProtocolAnswerData(answer, 512);
  if (!data) return std::nullopt;
  IdentifyData block;
  std::memcpy(block.bytes.data(), data->data(), 512);
  return block;
}

}  // namespace parvane
