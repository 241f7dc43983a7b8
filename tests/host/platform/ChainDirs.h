// A listing of a chain of folders of any depth, each holding one byte-sized
// file "f" last written in 1970, made up as it is listed: "R\" is the root
// and each level adds "d\". No tree is kept, so no level costs more than
// the first.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/DirEnum.h"

namespace platform_test {

class ChainDirs final : public platform::DirEnumerator {
 public:
  explicit ChainDirs(std::size_t depth) : depth_(depth) {}
  std::unique_ptr<Listing> Open(const std::string& folder) override {
    return std::make_unique<ChainListing>(folder.size() / 2 <= depth_);
  }
  char Separator() const override { return '\\'; }

 private:
  class ChainListing final : public Listing {
   public:
    explicit ChainListing(bool deeper) : deeper_(deeper) {}
    bool Next(platform::DirEntry& out) override {
      out = platform::DirEntry{};
      switch (step_++) {
        case 0:
          out.name = "f";
          out.size = 1;
          return true;
        case 1:
          if (!deeper_) return false;
          out.name = "d";
          out.directory = true;
          return true;
        default:
          return false;
      }
    }

   private:
    bool deeper_;
    int step_ = 0;
  };
  std::size_t depth_;
};

}  // namespace platform_test
