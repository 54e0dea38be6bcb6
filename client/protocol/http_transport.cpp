#include "client/protocol/http_transport.h"

#include <limits>

namespace tarvo {

std::wstring RequestTarget(std::wstring_view path, std::wstring_view extraInfo) {
  // WinINet rewrites every backslash of a target into "/", which would turn a
  // scrambled "X" of a credential into another character; the server decodes
  // the escape to the same byte.
  std::wstring target;
  if (path.empty()) target = L"/";
  for (std::wstring_view part : {path, extraInfo}) {
    for (wchar_t c : part) {
      if (c == L'\\')
        target += L"%5c";
      else
        target += c;
    }
  }
  return target;
}

std::optional<std::uint32_t> ParseContentLength(std::wstring_view text) {
  const auto first = text.find_first_not_of(L" \t");
  if (first == std::wstring_view::npos) return std::nullopt;
  text.remove_prefix(first);
  text.remove_suffix(text.size() - (text.find_last_not_of(L" \t") + 1));
  std::uint64_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - L'0');
    if (value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

}  // namespace tarvo
