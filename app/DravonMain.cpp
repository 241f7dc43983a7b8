// Dravon.exe's entry. The library entries are imported by ordinal: the
// import libraries come from app/imports/*.def, which name no entry.
#include <windows.h>

#include "app/Kestrin.h"

extern "C" {
int CRegular();     // Parvane.dll, ordinal 3
int CRegula();      // Tunara.dll, ordinal 1
int ScavraEntry();  // Scavra.dll, ordinal 1
int UsbEntry();     // USB.dll, ordinal 1
}

CKestrinApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  LibraryEntries entries;
  entries.parvane = CRegular;
  entries.tunara = CRegula;
  entries.usb = UsbEntry;
  entries.scavra = ScavraEntry;
  theApp.SetLibraryEntries(entries);
  return AfxWinMain(instance);
}
