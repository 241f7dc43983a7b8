#include "app/SkinLoader.h"

#include <cstring>

namespace {

// A 256-byte zero-filled copy of `text` (at most 255 bytes; null gives "").
struct TextBuffer {
  explicit TextBuffer(const char* text) {
    if (text) std::strncpy(bytes, text, sizeof bytes - 1);
  }
  char bytes[256] = {};
};

}  // namespace

CSkinLoader::CSkinLoader(const wchar_t* library) {
  library_ = LoadLibraryW(library);
  if (!library_) return;
  start_ = reinterpret_cast<SkinStartFn>(
      reinterpret_cast<void*>(GetProcAddress(library_, "SkinStart")));
  remove_ = reinterpret_cast<SkinRemoveFn>(
      reinterpret_cast<void*>(GetProcAddress(library_, "SkinRemove")));
  ready_ = start_ && remove_ ? 1 : 0;
}

CSkinLoader::CSkinLoader(SkinStartFn start, SkinRemoveFn remove)
    : ready_(start && remove ? 1 : 0), start_(start), remove_(remove) {}

CSkinLoader::~CSkinLoader() {
  if (library_) FreeLibrary(library_);
  library_ = nullptr;
  start_ = nullptr;
  remove_ = nullptr;
  ready_ = 0;
}

bool CSkinLoader::Load(const char* path, int mode, int type, const char* text4,
                       const char* text5) {
  if (!start_) return false;
  if (!path) return start_(nullptr, nullptr, 0, 0, nullptr) != FALSE;
  if (mode == 2) {
    TextBuffer skin(text5);
    return start_(path, skin.bytes, 2, type, nullptr) != FALSE;
  }
  TextBuffer pathCopy(path);
  TextBuffer fourth(text4);
  return start_(pathCopy.bytes, "", mode, type, fourth.bytes) != FALSE;
}
