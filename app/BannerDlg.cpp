#include "app/BannerDlg.h"

#include "framework/Art.h"
#include "res/app/resource.h"

namespace {

// Gives the dialog's first picture (an SS_BITMAP static) bitmap `id` as
// rendered for `dpi`, kept in `shown`, and sizes the static to it.
void ShowPictureForDpi(CDialog& dialog, UINT id, CBitmap& shown, UINT dpi) {
  HWND picture = nullptr;
  for (HWND child = ::GetWindow(dialog.m_hWnd, GW_CHILD); child && !picture;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) picture = child;
  }
  CBitmap made;
  made.Attach(afx::LoadBitmapForDpi(id, dpi));
  if (!picture || !made) return;
  const CSize size = made.GetSize();
  ::SetWindowPos(picture, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The template's picture, which the static loaded itself and never frees.
  const auto old = reinterpret_cast<HBITMAP>(
      ::SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(made.get())));
  if (old && old != shown.get()) ::DeleteObject(old);
  shown = std::move(made);
}

// At 96 DPI the template's own picture stays.
void ShowPictureForDpi(CDialog& dialog, UINT id, CBitmap& shown) {
  const UINT dpi = dialog.GetDpi();
  if (dpi != static_cast<UINT>(geom::kBaseDpi)) ShowPictureForDpi(dialog, id, shown, dpi);
}

}  // namespace

CBannerDlg::CBannerDlg() : CDialog(IDD_BANNER) {}

bool CBannerDlg::OnInitDialog() {
  ShowPictureForDpi(*this, IDB_BANNER, picture_);
  // Borderless: the banner is its picture.
  if (picture_) {
    const CSize size = picture_.GetSize();
    SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  CenterWindow(::GetDesktopWindow());
  return true;
}

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

bool CAboutDlg::OnInitDialog() {
  ShowPictureForDpi(*this, IDB_ABOUT, picture_);
  return true;
}

void CAboutDlg::OnDpiChanged(UINT dpi) {
  CDialog::OnDpiChanged(dpi);
  ShowPictureForDpi(*this, IDB_ABOUT, picture_, dpi);
}
