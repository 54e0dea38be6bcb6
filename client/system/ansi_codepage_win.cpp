#include <windows.h>

#include "client/system/ansi_codepage.h"

namespace tarvo {

std::string ToAnsi(std::wstring_view text) {
  if (text.empty()) return {};
  const int inLen = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), inLen, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), inLen, out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring FromAnsi(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int inLen = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), inLen, nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), inLen, out.data(), n);
  return out;
}

bool IsAnsiRepresentable(std::wstring_view text) {
  if (text.empty()) return true;
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, &usedDefault);
  return n > 0 && !usedDefault;
}

}  // namespace tarvo
