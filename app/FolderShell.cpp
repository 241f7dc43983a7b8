#include "app/FolderShell.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <shellapi.h>

#include <cstring>

#include "platform/TextWin.h"

namespace shell {
namespace {

std::string KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::string out;
  if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path) {
    out = platform::Narrow(path);
  }
  CoTaskMemFree(path);
  return out;
}

void AddKnown(std::vector<std::string>& to, REFKNOWNFOLDERID id) {
  std::string path = KnownFolder(id);
  if (!path.empty()) to.push_back(std::move(path));
}

// COM for this thread while it lives, when it was not already there.
class ComScope {
 public:
  ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT hr_;
};

template <class T>
struct ComPtr {
  T* p = nullptr;
  ~ComPtr() {
    if (p) p->Release();
  }
};

// The older call: no IFileOperation (older shells, and Wine's).
RecycleResult RecycleByFileOperation(HWND owner, const std::wstring& path) {
  std::wstring from = path;
  from.push_back(L'\0');  // a double-NUL-ended list
  SHFILEOPSTRUCTW op{};
  op.hwnd = owner;
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_WANTNUKEWARNING;
  const int error = SHFileOperationW(&op);
  if (op.fAnyOperationsAborted) return RecycleResult::kAborted;
  return error == 0 ? RecycleResult::kDone : RecycleResult::kFailed;
}

}  // namespace

diskview::ProtectedFolders SystemProtectedFolders() {
  diskview::ProtectedFolders f;
  AddKnown(f.whole, FOLDERID_Windows);
  AddKnown(f.whole, FOLDERID_ProgramFiles);
  AddKnown(f.whole, FOLDERID_ProgramFilesX86);
  AddKnown(f.whole, FOLDERID_ProgramFilesX64);
  AddKnown(f.whole, FOLDERID_ProgramFilesCommon);
  AddKnown(f.whole, FOLDERID_ProgramFilesCommonX86);
  AddKnown(f.exact, FOLDERID_ProgramData);
  AddKnown(f.exact, FOLDERID_Profile);
  AddKnown(f.exact, FOLDERID_Public);
  AddKnown(f.parents, FOLDERID_UserProfiles);
  wchar_t module[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameW(nullptr, module, static_cast<DWORD>(std::size(module)));
  if (n > 0 && n < std::size(module)) {
    std::wstring folder(module, n);
    const std::size_t slash = folder.find_last_of(L"\\/");
    if (slash != std::wstring::npos) folder.resize(slash);
    f.program = platform::Narrow(folder);
  }
  return f;
}

bool VolumeHasRecycleBin(const std::wstring& path) {
  if (path.rfind(L"\\\\", 0) == 0 && path.rfind(L"\\\\?\\", 0) != 0) return false;
  wchar_t root[MAX_PATH];
  if (!GetVolumePathNameW(path.c_str(), root, MAX_PATH)) return false;
  if (GetDriveTypeW(root) == DRIVE_REMOTE || GetDriveTypeW(root) == DRIVE_CDROM) return false;
  SHQUERYRBINFO info{};
  info.cbSize = sizeof info;
  // The shell answers an error for a volume that keeps no Recycle Bin.
  return SUCCEEDED(SHQueryRecycleBinW(root, &info));
}

RecycleResult RecycleToBin(HWND owner, const std::wstring& path) {
  ComScope com;
  ComPtr<IFileOperation> op;
  if (FAILED(CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&op.p)))) {
    return RecycleByFileOperation(owner, path);
  }
  ComPtr<IShellItem> item;
  if (FAILED(SHCreateItemFromParsingName(path.c_str(), nullptr, IID_PPV_ARGS(&item.p)))) {
    return RecycleResult::kFailed;
  }
  // The question was ours; the shell's progress and error dialogs stay, and
  // it asks again only for what would not go to the Recycle Bin (too big
  // for it): nothing is destroyed without a question.
  if (FAILED(op.p->SetOperationFlags(FOF_ALLOWUNDO | FOFX_RECYCLEONDELETE | FOF_NOCONFIRMATION |
                                     FOF_WANTNUKEWARNING)) ||
      FAILED(op.p->SetOwnerWindow(owner)) || FAILED(op.p->DeleteItem(item.p, nullptr))) {
    return RecycleByFileOperation(owner, path);
  }
  const HRESULT hr = op.p->PerformOperations();
  if (hr == E_NOTIMPL) return RecycleByFileOperation(owner, path);
  BOOL aborted = FALSE;
  op.p->GetAnyOperationsAborted(&aborted);
  if (aborted) return RecycleResult::kAborted;
  return SUCCEEDED(hr) ? RecycleResult::kDone : RecycleResult::kFailed;
}

void ShowInFolder(HWND owner, const std::wstring& path) {
  ComScope com;
  if (PIDLIST_ABSOLUTE item = ILCreateFromPathW(path.c_str())) {
    const HRESULT hr = SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
    ILFree(item);
    if (SUCCEEDED(hr)) return;
  }
  // Where the shell cannot: Explorer's own switch.
  const std::wstring args = L"/select,\"" + path + L"\"";
  ShellExecuteW(owner, L"open", L"explorer.exe", args.c_str(), nullptr, SW_SHOWNORMAL);
}

bool CopyTextToClipboard(HWND owner, const std::wstring& text) {
  if (!OpenClipboard(owner)) return false;
  bool ok = false;
  if (EmptyClipboard()) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
      if (void* p = GlobalLock(memory)) {
        std::memcpy(p, text.c_str(), bytes);
        GlobalUnlock(memory);
        // The clipboard owns the memory once it takes it.
        ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
      }
      if (!ok) GlobalFree(memory);
    }
  }
  CloseClipboard();
  return ok;
}

}  // namespace shell
