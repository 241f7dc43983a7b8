// What the disk overview asks of the shell for a folder it charts: the
// folders it must never move to the Recycle Bin (known folders), whether a
// volume has a Recycle Bin, the move itself, and the clipboard.
#pragma once

#include <windows.h>

#include <string>

#include "app/diskview/DeleteRules.h"

namespace shell {

// The Windows folder, the program folders, ProgramData, the Users folder,
// the public and the current profile, from the known-folder API; and the
// folder this program runs from. UTF-8.
diskview::ProtectedFolders SystemProtectedFolders();

// Whether the volume of `path` keeps a Recycle Bin: none on a network
// share, and none where the shell says the volume has none.
bool VolumeHasRecycleBin(const std::wstring& path);

enum class RecycleResult { kDone, kAborted, kFailed };
// Moves `path` to the Recycle Bin with undo, through IFileOperation (the
// shell's progress and error dialogs owned by `owner`), or SHFileOperation
// where the shell offers no IFileOperation.
RecycleResult RecycleToBin(HWND owner, const std::wstring& path);

// Opens the folder of `path` in Explorer with the file selected.
void ShowInFolder(HWND owner, const std::wstring& path);

// Puts `text` on the clipboard as CF_UNICODETEXT.
bool CopyTextToClipboard(HWND owner, const std::wstring& text);

}  // namespace shell
