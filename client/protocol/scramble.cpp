#include "client/protocol/scramble.h"

#include <array>

namespace tarvo {

const std::wstring_view ScrambleTable =
    L"8s$CH/;]Bz)'SDXVQc*UdI>\"5Aj2{,_}kmGT3?+git(JE.ox=<9`Wnb1\\uqe 6w0aRL[Ypyr#7vZOPN@F~%-4:^|lKfM!&h";

namespace {

constexpr wchar_t kFirst = 0x20;
constexpr wchar_t kLast = 0x7E;
constexpr std::size_t kCount = kLast - kFirst + 1;

const std::array<wchar_t, kCount>& InverseTable() {
  static const std::array<wchar_t, kCount> inverse = [] {
    std::array<wchar_t, kCount> t{};
    for (std::size_t i = 0; i < kCount; ++i)
      t[static_cast<std::size_t>(ScrambleTable[i] - kFirst)] = static_cast<wchar_t>(kFirst + i);
    return t;
  }();
  return inverse;
}

template <typename Lookup>
std::wstring Substitute(std::wstring_view text, Lookup lookup) {
  std::wstring out(text);
  for (wchar_t& c : out)
    if (c >= kFirst && c <= kLast) c = lookup(static_cast<std::size_t>(c - kFirst));
  return out;
}

}  // namespace

std::wstring ScrambleText(std::wstring_view text) {
  return Substitute(text, [](std::size_t i) { return ScrambleTable[i]; });
}

std::wstring UnscrambleText(std::wstring_view text) {
  const auto& inverse = InverseTable();
  return Substitute(text, [&](std::size_t i) { return inverse[i]; });
}

}  // namespace tarvo
