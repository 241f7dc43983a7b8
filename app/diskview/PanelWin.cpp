#include "app/diskview/PanelWin.h"

#include "framework/Dpi.h"
#include "framework/Trace.h"
#include "framework/WinApp.h"

namespace diskview {

bool RegisterPanelClass(const wchar_t* name, HBRUSH background, UINT extraStyle) {
  const HINSTANCE instance = AfxGetInstanceHandle();
  WNDCLASSW wc{};
  if (::GetClassInfoW(instance, name, &wc)) return true;
  wc.style = CS_GLOBALCLASS | extraStyle;
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_IBEAM);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  if (::RegisterClassW(&wc) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS) return true;
  afx::Trace(L"RegisterClass %ls failed (%lu)\n", name, ::GetLastError());
  return false;
}

bool CreatePanelFont(CFont& font, const wchar_t* face, int height, UINT dpi) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_CHARACTER_PRECIS;
  lf.lfClipPrecision = CLIP_CHARACTER_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  return afx::CreateFontForDpi(font, lf, dpi);
}

}  // namespace diskview
