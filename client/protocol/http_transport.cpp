#include "client/protocol/http_transport.h"

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

}  // namespace tarvo
