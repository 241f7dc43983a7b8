// UniqueHandle: the one owner of a kernel, setup-API or other handle that is
// closed by a function of its own (Win32 only). Move-only; Traits names the
// handle type, the value meaning "none" and how to close it:
//   struct FileTraits { using Handle = HANDLE; static Handle Invalid() {...}
//                       static void Close(Handle h) {...} };
#pragma once

#include <windows.h>

#include <utility>

namespace platform {

template <class Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : h_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::Invalid())) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, Traits::Invalid()));
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Handle get() const { return h_; }
  bool ok() const { return h_ != Traits::Invalid(); }
  explicit operator bool() const { return ok(); }
  // Closes the handle held and takes `h`.
  void reset(Handle h = Traits::Invalid()) {
    if (ok()) Traits::Close(h_);
    h_ = h;
  }
  Handle release() { return std::exchange(h_, Traits::Invalid()); }

 private:
  Handle h_ = Traits::Invalid();
};

// A file or device handle from CreateFile (INVALID_HANDLE_VALUE for none).
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::CloseHandle(h); }
};
using UniqueFile = UniqueHandle<FileHandleTraits>;

// A thread, process, token or event handle (null for none).
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::CloseHandle(h); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

// A FindFirstFile search (INVALID_HANDLE_VALUE for none).
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::FindClose(h); }
};
using UniqueFind = UniqueHandle<FindHandleTraits>;

}  // namespace platform
