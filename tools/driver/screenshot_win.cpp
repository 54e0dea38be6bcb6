#include <windows.h>

#include <algorithm>

#include "tools/driver/commands_win.h"
#include "tools/driver/output_win.h"
#include "tools/driver/windows_win.h"

namespace tarvo::driver {
namespace {

void WriteAll(HANDLE file, const void* data, DWORD size) {
  DWORD written = 0;
  if (!WriteFile(file, data, size, &written, nullptr) || written != size) {
    throw DriverError(DriverError::kFailed, "could not write the picture file");
  }
}

// Copies the screen rectangle into a 24-bit bottom-up DIB and writes it as a BMP file.
void SaveScreenRect(const RECT& rect, const std::wstring& path) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) throw DriverError(DriverError::kFailed, "nothing to capture: the area is empty");

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  info.bmiHeader.biSizeImage = stride * static_cast<DWORD>(height);

  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool copied = false;
  if (memory && bitmap) {
    const HGDIOBJ old = SelectObject(memory, bitmap);
    copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY | CAPTUREBLT) != FALSE;
    GdiFlush();
    SelectObject(memory, old);
  }
  std::string pixels;
  if (copied) pixels.assign(static_cast<const char*>(bits), info.bmiHeader.biSizeImage);
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!copied) throw DriverError(DriverError::kFailed, "could not copy the screen");

  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof header + sizeof info.bmiHeader;
  header.bfSize = header.bfOffBits + info.bmiHeader.biSizeImage;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw DriverError(DriverError::kFailed, "could not create the picture file");
  try {
    WriteAll(file, &header, sizeof header);
    WriteAll(file, &info.bmiHeader, sizeof info.bmiHeader);
    WriteAll(file, pixels.data(), static_cast<DWORD>(pixels.size()));
  } catch (...) {
    CloseHandle(file);
    throw;
  }
  CloseHandle(file);
}

}  // namespace

// screenshot <file.bmp> [title [window options]]: the whole screen, or the
// part of it that one window covers.
int ScreenshotCommand(const Args& words) {
  const CommandLine args(words, WindowValueOptions(), WindowFlags());
  args.ExpectAtMost(2);
  const std::wstring& path = args.Positional(0, "picture file (.bmp)");
  RECT rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (args.PositionalCount() > 1) {
    const WindowInfo window = WaitForWindow(FilterFromArgs(args, 1), TimeoutFromArgs(args));
    const RECT screen = rect;
    IntersectRect(&rect, &window.rect, &screen);
  }
  SaveScreenRect(rect, path);
  PrintLine(std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top));
  return 0;
}

}  // namespace tarvo::driver
