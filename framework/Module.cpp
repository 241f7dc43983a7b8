#include "framework/Module.h"

// The module this copy of the framework is linked into.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {
HINSTANCE g_instance = nullptr;
HINSTANCE g_resources = nullptr;
}  // namespace

HINSTANCE AfxGetInstanceHandle() {
  return g_instance ? g_instance : reinterpret_cast<HINSTANCE>(&__ImageBase);
}

void AfxSetInstanceHandle(HINSTANCE module) { g_instance = module; }

HINSTANCE AfxGetResourceHandle() { return g_resources ? g_resources : AfxGetInstanceHandle(); }

void AfxSetResourceHandle(HINSTANCE module) { g_resources = module; }
