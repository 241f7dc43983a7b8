// The module handles every part of the framework looks things up in: the
// module this copy of the framework is linked into (the program, or a
// library that shows its own windows from its own resources) and where
// resources are found by default. Below String, WinApp and Wnd, which all
// use them.
#pragma once

#include <windows.h>

// The application's module; in a library with no application object, the
// library's own module (its window classes and resources live there).
HINSTANCE AfxGetInstanceHandle();
// Set by the application when it starts (AfxWinMain).
void AfxSetInstanceHandle(HINSTANCE module);
// Where resources are looked up by default (the program's own module).
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);
