#include "tests/win/diskview/ControlsTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/TextWin.h"

namespace diskview::test {

bool TestParent::Make(int cx, int cy) {
  return CreateEx(0, nullptr, L"controls", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                  CRect(0, 0, cx, cy), nullptr, 0);
}

void TestParent::Show() {
  ShowWindow(SW_SHOW);
  ::SetForegroundWindow(m_hWnd);
  UpdateWindow();
  flush_events(50);
}

std::unique_ptr<dravon_test::Canvas> Render(const CWnd& wnd, bool erase) {
  const CRect client = wnd.GetClientRect();
  auto canvas = std::make_unique<dravon_test::Canvas>(client.Width(), client.Height());
  canvas->dc().FillSolidRect(client, 0x00FF00FF);  // magenta: what nothing painted
  UINT flags = PRF_CLIENT;
  if (erase) flags |= PRF_ERASEBKGND;
  wnd.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(static_cast<HDC>(*canvas)), flags);
  return canvas;
}

void SaveRender(HDC dc, const std::string& name) {
  const char* dir = std::getenv("DRAVON_SCREENSHOTS");
  if (!dir || !*dir) return;
  auto bitmap = static_cast<HBITMAP>(::GetCurrentObject(dc, OBJ_BITMAP));
  BITMAP bm{};
  if (!bitmap || !::GetObjectW(bitmap, sizeof bm, &bm)) return;
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = bm.bmWidth;
  info.biHeight = bm.bmHeight;  // bottom-up, as a BMP file stores it
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const int stride = (bm.bmWidth * 3 + 3) & ~3;
  std::vector<unsigned char> pixels(static_cast<size_t>(stride) * bm.bmHeight);
  // GetDIBits wants the bitmap out of any DC.
  HDC screen = ::GetDC(nullptr);
  HDC copy = ::CreateCompatibleDC(screen);
  HBITMAP same = ::CreateCompatibleBitmap(screen, bm.bmWidth, bm.bmHeight);
  HGDIOBJ old = ::SelectObject(copy, same);
  ::BitBlt(copy, 0, 0, bm.bmWidth, bm.bmHeight, dc, 0, 0, SRCCOPY);
  ::SelectObject(copy, old);
  ::GetDIBits(screen, same, 0, static_cast<UINT>(bm.bmHeight), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  ::DeleteObject(same);
  ::DeleteDC(copy);
  ::ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  const std::wstring path = platform::Widen(std::string(dir) + "/" + name + ".bmp");
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (!out) return;
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&info, sizeof info, 1, out);
  std::fwrite(pixels.data(), 1, pixels.size(), out);
  std::fclose(out);
}

int CountColour(HDC dc, const RECT& r, COLORREF colour) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) n += ::GetPixel(dc, x, y) == colour;
  }
  return n;
}

int CountNear(HDC dc, const RECT& r, COLORREF colour, int tolerance) {
  auto within = [tolerance](int a, int b) { return a - b <= tolerance && b - a <= tolerance; };
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const COLORREF c = ::GetPixel(dc, x, y);
      n += within(GetRValue(c), GetRValue(colour)) && within(GetGValue(c), GetGValue(colour)) &&
           within(GetBValue(c), GetBValue(colour));
    }
  }
  return n;
}

}  // namespace diskview::test
