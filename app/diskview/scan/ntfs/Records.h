// File records: the update sequence that guards each, and the attributes
// the scan reads from them (names, size, reparse point, attribute list).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/diskview/scan/ntfs/Clusters.h"

namespace diskview::ntfs {

// Checks and undoes the update sequence of a multi-sector record (every 512
// bytes ends in the sequence number, the real bytes kept in the array).
bool ApplyFixups(std::uint8_t* record, std::size_t size);

// What the scan needs from one file record, attributes of extension records
// included only for that record itself.
struct RecordFacts {
  struct Name {
    std::uint64_t parent = 0;  // file reference: record number and sequence
    std::uint8_t space = 0;    // 0 POSIX, 1 Win32, 2 DOS, 3 Win32 and DOS
    std::uint16_t textAt = 0;  // its code units in `texts`
    std::uint8_t textLength = 0;
  };
  struct ListEntry {  // an $ATTRIBUTE_LIST entry of the unnamed $DATA
    std::uint64_t lowestVcn = 0;
    std::uint64_t record = 0;  // file reference
  };
  bool inUse = false;
  bool directory = false;
  std::uint16_t sequence = 0;
  std::uint64_t base = 0;  // file reference of the base record; 0 for a base
  bool hasSize = false;    // the unnamed $DATA's segment from VCN 0 is here
  std::uint64_t size = 0;
  bool hasReparse = false;
  std::uint32_t reparseTag = 0;
  std::vector<Name> names;
  // Every name's code units, one after another: one buffer kept across
  // records rather than a string per name.
  std::u16string texts;
  // The unnamed $DATA's runs held here (for $MFT and $UpCase themselves).
  std::vector<Run> dataRuns;
  // $ATTRIBUTE_LIST: its resident value, or its runs and size.
  bool hasAttributeList = false;
  std::vector<std::uint8_t> attributeList;
  std::vector<Run> attributeListRuns;
  std::uint64_t attributeListSize = 0;

  std::u16string_view Text(const Name& name) const { return {texts.data() + name.textAt, name.textLength}; }
  void Clear();
};

enum class RecordStatus { kInUse, kFree, kCorrupt };
// Parses one record of `size` bytes in place (its fix-ups are applied).
// `number` is the record's place in the table, checked against the number a
// record carries.
RecordStatus ParseRecord(std::uint8_t* bytes, std::size_t size, std::uint64_t number,
                         RecordFacts& out);
// The unnamed $DATA entries of an attribute list's bytes.
bool ParseAttributeList(const std::uint8_t* bytes, std::size_t size,
                        std::vector<RecordFacts::ListEntry>& out);

}  // namespace diskview::ntfs
