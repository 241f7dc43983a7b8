// CSkinLoader: the outside skin engine, loaded by file name when the
// application object is made. Its two entries use the C calling convention;
// the texts it is given are UTF-8.
#pragma once

#include <windows.h>

class CSkinLoader {
 public:
  using SkinStartFn = BOOL(__cdecl*)(const char* path, const char* text2, int mode, int type,
                                     const char* text3);
  using SkinRemoveFn = BOOL(__cdecl*)();

  // Loads `library` with the system's search order and resolves "SkinStart"
  // and "SkinRemove"; ready only when all three succeed.
  explicit CSkinLoader(const wchar_t* library);
  // Entries given directly (no library), for tests.
  CSkinLoader(SkinStartFn start, SkinRemoveFn remove);
  CSkinLoader(const CSkinLoader&) = delete;
  CSkinLoader& operator=(const CSkinLoader&) = delete;
  // Unloads the library; SkinRemove is never called.
  ~CSkinLoader();

  // Starts skinning (see the .cpp for the argument rules); false when the
  // engine is not there, else what SkinStart returned.
  bool Load(const char* path, int mode, int type, const char* text4, const char* text5);
  bool IsReady() const { return ready_ != 0; }
  HMODULE Library() const { return library_; }

 private:
  unsigned char ready_ = 0;
  HMODULE library_ = nullptr;
  SkinStartFn start_ = nullptr;
  SkinRemoveFn remove_ = nullptr;
};
