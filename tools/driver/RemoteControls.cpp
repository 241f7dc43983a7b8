#include "RemoteControls.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "platform/TextWin.h"
#include "tests/win/common/GuiResources.h"

namespace driver {
namespace {

void Print(const std::string& s) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), s.data(), static_cast<DWORD>(s.size()), &written, nullptr);
}

std::string Number(long long n) { return std::to_string(n); }

// A block of memory in another process, freed at the end of the scope.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND owner, SIZE_T size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  bool ok() const { return address_ != nullptr; }
  // The remote address of byte `offset`.
  void* At(SIZE_T offset) const { return static_cast<char*>(address_) + offset; }
  bool Write(SIZE_T offset, const void* data, SIZE_T n) const {
    return offset + n <= size_ && WriteProcessMemory(process_, At(offset), data, n, nullptr);
  }
  bool Read(SIZE_T offset, void* data, SIZE_T n) const {
    return offset + n <= size_ && ReadProcessMemory(process_, At(offset), data, n, nullptr);
  }
  std::wstring ReadText(SIZE_T offset, SIZE_T chars) const {
    std::wstring text(chars, L'\0');
    if (!Read(offset, text.data(), chars * sizeof(wchar_t))) return {};
    text.resize(wcsnlen(text.c_str(), chars));
    return text;
  }

 private:
  SIZE_T size_;
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

constexpr SIZE_T kTextChars = 1024;
constexpr SIZE_T kTextOffset = 256;  // after the structure
constexpr SIZE_T kBufferSize = kTextOffset + kTextChars * sizeof(wchar_t);

LRESULT Send(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(wnd, msg, wp, lp, SMTO_ABORTIFHUNG, 2000, &result)) return 0;
  return static_cast<LRESULT>(result);
}

struct Search {
  HWND top;
  int id;
  HWND first;
  HWND shown;
};

// The style bits up to `top`: Wine reports the windows of another desktop
// as hidden to IsWindowVisible.
bool ShownWithin(HWND wnd, HWND top) {
  for (HWND w = wnd; w && w != top; w = GetParent(w))
    if (!(GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE)) return false;
  return true;
}

BOOL CALLBACK MatchId(HWND wnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (GetDlgCtrlID(wnd) != search->id) return TRUE;
  if (!search->first) search->first = wnd;
  if (!ShownWithin(wnd, search->top)) return TRUE;
  search->shown = wnd;
  return FALSE;
}

}  // namespace

HWND FindDescendant(HWND top, int id) {
  Search search{top, id, nullptr, nullptr};
  EnumChildWindows(top, MatchId, reinterpret_cast<LPARAM>(&search));
  return search.shown ? search.shown : search.first;
}

int PrintButtonCheck(HWND button) {
  DWORD_PTR state = 0;
  if (!SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state)) return 1;
  Print(Number(static_cast<long long>(state)) + "\n");
  return 0;
}

int PrintTabItems(HWND tab) {
  RemoteBuffer buffer(tab, kBufferSize);
  if (!buffer.ok()) return 1;
  const int count = static_cast<int>(Send(tab, TCM_GETITEMCOUNT, 0, 0));
  const int selected = static_cast<int>(Send(tab, TCM_GETCURSEL, 0, 0));
  for (int i = 0; i < count; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = static_cast<wchar_t*>(buffer.At(kTextOffset));
    item.cchTextMax = static_cast<int>(kTextChars);
    if (!buffer.Write(0, &item, sizeof item) ||
        !Send(tab, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer.At(0))))
      return 1;
    const std::wstring text = buffer.ReadText(kTextOffset, kTextChars);
    RECT r{};
    if (!Send(tab, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer.At(0))) ||
        !buffer.Read(0, &r, sizeof r))
      return 1;
    MapWindowPoints(tab, nullptr, reinterpret_cast<POINT*>(&r), 2);
    Print("tab\t" + Number(i) + "\t" + Number(i == selected) + "\t" + Number(r.left) + "\t" +
          Number(r.top) + "\t" + Number(r.right) + "\t" + Number(r.bottom) + "\t" +
          platform::Narrow(text) + "\n");
  }
  return 0;
}

int PrintListRows(HWND list) {
  RemoteBuffer buffer(list, kBufferSize);
  if (!buffer.ok()) return 1;
  HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER, 0, 0));
  const int columns = header ? static_cast<int>(Send(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
  const int rows = static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < rows; ++i) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = i;
    if (!buffer.Write(0, &item, sizeof item) || !Send(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(buffer.At(0))) ||
        !buffer.Read(0, &item, sizeof item))
      return 1;
    std::string line = "row\t" + Number(i) + "\t" + Number(item.iImage);
    for (int c = 0; c < columns; ++c) {
      LVITEMW text{};
      text.iSubItem = c;
      text.pszText = static_cast<wchar_t*>(buffer.At(kTextOffset));
      text.cchTextMax = static_cast<int>(kTextChars);
      const wchar_t none = L'\0';
      if (!buffer.Write(0, &text, sizeof text) || !buffer.Write(kTextOffset, &none, sizeof none)) return 1;
      Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer.At(0)));
      line += "\t" + platform::Narrow(buffer.ReadText(kTextOffset, kTextChars));
    }
    Print(line + "\n");
  }
  return 0;
}

int PrintControlText(HWND control) {
  const auto length = static_cast<std::size_t>(Send(control, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length + 1, L'\0');
  // WM_GETTEXT is carried between processes by the system itself.
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 2000, &got))
    return 1;
  text.resize(got);
  Print(platform::Narrow(text));
  return 0;
}

int PrintGuiCounts(HWND wnd, const std::vector<HWND>& topLevel) {
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return 1;
  const dravon_test::GuiCounts counts = dravon_test::GuiCountsOf(process, topLevel);
  CloseHandle(process);
  if (counts.gdi < 0) return 1;
  Print("gdi " + Number(counts.gdi) + "\nuser " + Number(counts.user) + "\n");
  return 0;
}

}  // namespace driver
