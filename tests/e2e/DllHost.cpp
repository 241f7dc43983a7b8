// dllhost.exe LIBRARY ORDINAL: loads the library and calls its entry at
// ORDINAL with no arguments, as Dravon does; prints the result. Lets the
// end-to-end tests open the libraries' dialogs without the main program.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc != 3) {
    std::fputs("usage: dllhost LIBRARY ORDINAL\n", stderr);
    return 2;
  }
  HMODULE library = LoadLibraryW(argv[1]);
  const long ordinal = std::wcstol(argv[2], nullptr, 0);
  LocalFree(argv);
  if (!library) {
    std::fputs("dllhost: cannot load the library\n", stderr);
    return 1;
  }
  using Entry = int (*)();
  auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(ordinal))));
  if (!entry) {
    std::fputs("dllhost: no such ordinal\n", stderr);
    FreeLibrary(library);
    return 1;
  }
  const int result = entry();
  std::printf("result %d\n", result);
  std::fflush(stdout);
  FreeLibrary(library);
  return 0;
}
