#include "framework/LibraryDialog.h"

#include "framework/Gdi.h"

bool CLibraryDialog::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  static constexpr afx::Route routes[] = {
      afx::OnPaint<&CLibraryDialog::OnPaint>(),
      afx::OnPrintClient<&CLibraryDialog::OnPrintClient>(),
  };
  return afx::Dispatch(*this, routes, msg, wParam, lParam, result) ||
         CDialog::OnWndMsg(msg, wParam, lParam, result);
}

void CLibraryDialog::OnPaint() {
  if (!IsIconic()) {
    DefWindowProc(WM_PAINT, 0, 0);
    return;
  }
  CPaintDC dc(m_hWnd);
  DrawMinimised(dc);
}

void CLibraryDialog::OnPrintClient(HDC dc, UINT flags) {
  if (IsIconic()) {
    DrawMinimised(dc);
  } else {
    DefWindowProc(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), flags);
  }
}

void CLibraryDialog::DrawMinimised(HDC dc) {
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc));
  const CRect client = GetClientRect();
  const UINT dpi = GetDpi();
  if (dpi == static_cast<UINT>(afx::kBaseDpi)) {
    const int x = (client.Width() - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.Height() - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, GetIcon(true));
    return;
  }
  // The big icon SetIconsFrom made for the DPI, at its size.
  const int cx = afx::SystemMetricForDpi(SM_CXICON, dpi), cy = afx::SystemMetricForDpi(SM_CYICON, dpi);
  ::DrawIconEx(dc, (client.Width() - cx + 1) / 2, (client.Height() - cy + 1) / 2, GetIcon(true), cx, cy, 0,
               nullptr, DI_NORMAL);
}

namespace afx {

BOOL LibraryMain(HINSTANCE instance, DWORD reason, const char* loadTrace, const char* unloadTrace) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      ::OutputDebugStringA(loadTrace);
      ::DisableThreadLibraryCalls(instance);
      return TRUE;
    case DLL_PROCESS_DETACH:
      ::OutputDebugStringA(unloadTrace);
      return TRUE;
    default:
      return TRUE;
  }
}

}  // namespace afx
