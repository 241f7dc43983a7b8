// ImportPatcher: points a module's imports of some functions of one system
// library at replacements, by rewriting the module's import address table,
// and puts every slot it changed back. Only the calls that module makes
// change; the system and every other module keep the real functions.
#pragma once

#include <windows.h>

#include <vector>

namespace appface {

struct Redirect {
  const char* name;    // the library's export, as the module imports it
  void* replacement;   // same signature and calling convention
};

class ImportPatcher {
 public:
  // `library` is the system library the imports come from ("user32.dll").
  ImportPatcher(const char* library, std::vector<Redirect> redirects);
  ~ImportPatcher() { RestoreAll(); }
  ImportPatcher(const ImportPatcher&) = delete;
  ImportPatcher& operator=(const ImportPatcher&) = delete;

  // Rewrites the module's slots for the redirected functions; the number of
  // slots changed. A module is patched once.
  int Patch(HMODULE module);
  bool Seen(HMODULE module) const;
  // Puts back every slot that still holds a replacement.
  void RestoreAll();
  int PatchedSlots() const { return static_cast<int>(slots_.size()); }

 private:
  struct Slot {
    void** address;
    void* original;
    void* replacement;
  };
  struct Target {
    const char* name;
    void* real;
    void* replacement;
  };
  const char* library_;
  std::vector<Target> targets_;
  std::vector<Slot> slots_;
  std::vector<HMODULE> seen_;
};

}  // namespace appface
