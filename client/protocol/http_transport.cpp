#include "client/protocol/http_transport.h"

#include <limits>

namespace tarvo {

std::wstring RequestTarget(std::wstring_view url, std::wstring_view host) {
  const std::size_t at = host.empty() ? std::wstring_view::npos : url.find(host);
  if (at == std::wstring_view::npos) return L"/";
  std::wstring_view rest = url.substr(at + host.size());
  if (!rest.empty() && rest.front() == L':') {  // skip an explicit port
    std::size_t i = 1;
    while (i < rest.size() && rest[i] >= L'0' && rest[i] <= L'9') ++i;
    rest.remove_prefix(i);
  }
  if (rest.empty()) return L"/";
  // WinINet rewrites every backslash of a target into "/", which would turn a
  // scrambled "X" of a credential into another character; the server decodes
  // the escape to the same byte.
  std::wstring target;
  for (wchar_t c : rest) {
    if (c == L'\\')
      target += L"%5c";
    else
      target += c;
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
