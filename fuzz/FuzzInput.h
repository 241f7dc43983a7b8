// What every fuzz target shares: a reader that turns any input into the
// values a decoder takes, the writer the seed maker uses to produce inputs in
// the same layout, and the check that stops a run on a broken invariant.
//
// The reader takes fields front to back, little-endian; past the end of the
// input every field reads as zeros, so no input is ever rejected and a short
// one means "the rest is zero".
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const char* what) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
  std::abort();
}

// An invariant of the decoder under test. Aborts, so libFuzzer keeps the
// input as a finding and the replay run fails.
#define FUZZ_CHECK(cond) \
  ((cond) ? static_cast<void>(0) : ::fuzz::Fail(__FILE__, __LINE__, #cond))

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::size_t Left() const { return size_ - at_; }

  std::uint8_t U8() { return static_cast<std::uint8_t>(Number(1)); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Number(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Number(4)); }
  std::uint64_t U64() { return Number(8); }
  bool Bool() { return (U8() & 1) != 0; }
  // Any bit pattern: NaN, infinities, negative zero and subnormals included.
  double Double() {
    const std::uint64_t bits = U64();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }
  // Exactly n bytes into `out`, zeros once the input runs out.
  void Fill(std::uint8_t* out, std::size_t n) {
    const std::size_t take = n < Left() ? n : Left();
    if (take != 0) std::memcpy(out, data_ + at_, take);
    std::memset(out + take, 0, n - take);
    at_ += take;
  }
  // A run of bytes: a 16-bit length, then that many bytes (fewer at the end).
  std::string Text() { return Bytes(U16()); }
  std::string Bytes(std::size_t n) {
    const std::size_t take = n < Left() ? n : Left();
    std::string out(reinterpret_cast<const char*>(data_ + at_), take);
    at_ += take;
    return out;
  }

 private:
  std::uint64_t Number(int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) {
      const std::uint64_t b = at_ < size_ ? data_[at_++] : 0;
      v |= b << (8 * i);
    }
    return v;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// The reader's layout, written: for the seed maker only.
class Writer {
 public:
  Writer& U8(std::uint8_t v) { return Number(v, 1); }
  Writer& U16(std::uint16_t v) { return Number(v, 2); }
  Writer& U32(std::uint32_t v) { return Number(v, 4); }
  Writer& U64(std::uint64_t v) { return Number(v, 8); }
  Writer& Bool(bool v) { return U8(v ? 1 : 0); }
  Writer& Double(double d) {
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof d);
    return U64(bits);
  }
  Writer& Raw(const void* data, std::size_t n) {
    const auto* p = static_cast<const char*>(data);
    out_.append(p, n);
    return *this;
  }
  Writer& Raw(std::string_view s) { return Raw(s.data(), s.size()); }
  Writer& Text(std::string_view s) {
    U16(static_cast<std::uint16_t>(s.size()));
    return Raw(s);
  }
  const std::string& str() const { return out_; }

 private:
  Writer& Number(std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out_.push_back(static_cast<char>(v >> (8 * i)));
    return *this;
  }
  std::string out_;
};

}  // namespace fuzz

// The entry point every target defines; libFuzzer or the replay driver calls it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
