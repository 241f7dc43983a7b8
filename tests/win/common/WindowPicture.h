// A window's pixels as they are drawn on the screen, and pictures of them
// saved for a person to look at (build/win/screenshots, as BMP).
#pragma once

#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

namespace dravon_test {

// The tests live in build/win/tests; the shipped files in build/win/bin and
// the pictures go to build/win/screenshots.
inline std::wstring BuildDir() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path);
  dir.resize(dir.find_last_of(L'\\'));
  dir.resize(dir.find_last_of(L'\\'));
  return dir;
}

// ---- pixels -------------------------------------------------------------------

struct Image {
  int width = 0, height = 0;
  std::vector<COLORREF> pixels;
  COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
  bool operator==(const Image& o) const { return width == o.width && height == o.height && pixels == o.pixels; }
};

// The whole window, frame included, as it is drawn now.
inline Image Capture(HWND wnd) {
  RECT r{};
  GetWindowRect(wnd, &r);
  Image image;
  image.width = r.right - r.left;
  image.height = r.bottom - r.top;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = image.width;
  bi.bmiHeader.biHeight = -image.height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC window = GetWindowDC(wnd);
  HDC mem = CreateCompatibleDC(window);
  HBITMAP dib = CreateDIBSection(window, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, dib);
  BitBlt(mem, 0, 0, image.width, image.height, window, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* p = static_cast<const BYTE*>(bits);
  for (int i = 0; i < image.width * image.height; ++i) image.pixels.push_back(RGB(p[i * 4 + 2], p[i * 4 + 1], p[i * 4]));
  SelectObject(mem, old);
  DeleteObject(dib);
  DeleteDC(mem);
  ReleaseDC(wnd, window);
  return image;
}

// Saves `image` as a 24-bit BMP under build/win/screenshots.
inline void Save(const Image& image, const wchar_t* name) {
  const std::wstring dir = BuildDir() + L"\\screenshots";
  CreateDirectoryW(dir.c_str(), nullptr);
  const int stride = (image.width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * image.height);
  info.biSize = sizeof info;
  info.biWidth = image.width;
  info.biHeight = image.height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  std::ofstream out((dir + L"\\" + name).c_str(), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  std::vector<char> row(static_cast<size_t>(stride), 0);
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const COLORREF c = image.At(x, y);
      row[static_cast<size_t>(x * 3)] = static_cast<char>(GetBValue(c));
      row[static_cast<size_t>(x * 3 + 1)] = static_cast<char>(GetGValue(c));
      row[static_cast<size_t>(x * 3 + 2)] = static_cast<char>(GetRValue(c));
    }
    out.write(row.data(), stride);
  }
}

}  // namespace dravon_test
