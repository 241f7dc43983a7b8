#include "outside/appface/ImportPatch.h"

#include <algorithm>
#include <cstring>

namespace appface {
namespace {

bool SameDllName(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(*a) != lower(*b)) return false;
  }
  return *a == *b;
}

bool WriteSlot(void** address, void* value) {
  DWORD old = 0;
  if (!VirtualProtect(address, sizeof(void*), PAGE_READWRITE, &old)) return false;
  *address = value;
  DWORD ignored = 0;
  VirtualProtect(address, sizeof(void*), old, &ignored);
  return true;
}

// The import descriptors of a loaded image, or null when it has none.
const IMAGE_IMPORT_DESCRIPTOR* Imports(const BYTE* base) {
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC) return nullptr;
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!dir.VirtualAddress || !dir.Size) return nullptr;
  return reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
}

}  // namespace

ImportPatcher::ImportPatcher(const char* library, std::vector<Redirect> redirects) : library_(library) {
  HMODULE source = GetModuleHandleA(library);
  for (const Redirect& r : redirects) {
    void* real = source ? reinterpret_cast<void*>(GetProcAddress(source, r.name)) : nullptr;
    targets_.push_back({r.name, real, r.replacement});
  }
}

bool ImportPatcher::Seen(HMODULE module) const {
  return std::find(seen_.begin(), seen_.end(), module) != seen_.end();
}

int ImportPatcher::Patch(HMODULE module) {
  if (!module || Seen(module)) return 0;
  seen_.push_back(module);
  const auto* base = reinterpret_cast<const BYTE*>(module);
  int changed = 0;
  for (const auto* d = Imports(base); d && d->Name; ++d) {
    if (!SameDllName(reinterpret_cast<const char*>(base + d->Name), library_)) continue;
    auto** iat = reinterpret_cast<void**>(const_cast<BYTE*>(base) + d->FirstThunk);
    const auto* names = d->OriginalFirstThunk
                            ? reinterpret_cast<const IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk)
                            : nullptr;
    for (size_t i = 0; iat[i]; ++i) {
      const char* name = nullptr;
      if (names && !IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal)) {
        name = reinterpret_cast<const char*>(
            reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData)->Name);
      }
      for (const Target& t : targets_) {
        // By name where the module keeps its import names, else by address.
        const bool match = name ? std::strcmp(name, t.name) == 0 : (t.real && iat[i] == t.real);
        if (!match || iat[i] == t.replacement) continue;
        void* original = iat[i];
        if (WriteSlot(&iat[i], t.replacement)) {
          slots_.push_back({&iat[i], original, t.replacement});
          ++changed;
        }
        break;
      }
    }
  }
  return changed;
}

void ImportPatcher::RestoreAll() {
  // Newest first, so a slot patched twice ends with what it first held.
  for (auto it = slots_.rbegin(); it != slots_.rend(); ++it) {
    if (*it->address == it->replacement) WriteSlot(it->address, it->original);
  }
  slots_.clear();
  seen_.clear();
}

}  // namespace appface
