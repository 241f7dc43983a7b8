// The entries of the libraries the frame's function commands call. The
// program binds them at load time by ordinal (DravonMain.cpp); tests give
// their own.
#pragma once

struct LibraryEntries {
  int (*parvane)() = nullptr;  // Parvane.dll, ordinal 3: information dialog
  int (*tunara)() = nullptr;   // Tunara.dll, ordinal 1: optimisation dialog
  int (*usb)() = nullptr;      // USB.dll, ordinal 1: USB write protection
  int (*scavra)() = nullptr;   // Scavra.dll, ordinal 1: system scan and clean-up
};
