// The skin engine: skins every window of one thread of the process, the
// thread that started it, and nothing else.
//
// How, without the program's help:
// - A thread-local WH_CBT hook (SetWindowsHookEx with the thread's id)
//   sees every window the thread creates before its first message; the
//   windows that exist at the start are found with EnumThreadWindows and
//   EnumChildWindows. Each is subclassed with comctl32's SetWindowSubclass,
//   whose chain survives subclassing by the program before or after ours
//   and whose stub stays valid when the engine is gone.
// - What a window looks like is decided by its class and its messages, not
//   by who made it, so windows of classes the engine has never heard of are
//   skinned by the same rules: WM_CTLCOLOR* answers become the skin's
//   brushes; top-level windows with a caption get the skin's border and
//   caption (WM_NCPAINT, WM_NCACTIVATE, caption buttons); menus are drawn by
//   the engine (Menus.h); push buttons, group boxes, tab controls, headers,
//   sliders and list views of the common classes are painted or coloured
//   (Controls.h).
// - The program's own drawing asks GetSysColor and GetSysColorBrush, calls
//   DrawEdge, and leaves backgrounds of system colours to DefWindowProc:
//   those imports of the program's own modules (the executable and the
//   libraries in its folder, never a system library) are pointed at the
//   engine (ImportPatch.h), which answers with the skin for calls on the
//   skinned thread and passes every other call through.
// Nothing is global to the system: no SetSysColors, no global hook. Ending
// puts back every import slot, menu item, list colour and subclass and
// repaints; every GDI object is the palette's and goes with it. While it
// runs the engine holds a reference on its own library, so the library is
// never unloaded under a subclassed window.
#pragma once

#include "outside/SkinFile.h"
#include "outside/appface/Palette.h"

namespace appface {

// Starts skinning the calling thread's windows with `skin`, or switches to
// it when this thread is skinned already. False, with nothing changed, when
// another thread of the process is the skinned one or the system refuses a
// brush, font or hook.
bool StartSkinning(const outside::SkinFile& skin);

// Ends skinning. False when the calling thread is not the skinned one.
bool StopSkinning();

// Whether a thread of this process is skinned.
bool Skinning();

// At process exit, with a skin on: puts the program's import slots back and
// touches no window (the process's windows end with it).
void RestoreImportsAtExit();

// The palette of the skin on the calling thread, or null on any other.
const Palette* ThreadPalette();

}  // namespace appface
