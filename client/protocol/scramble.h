#pragma once
// The character substitution that protects ids and passwords in requests and
// in the saved-credentials file. The server links this same table.

#include <string>
#include <string_view>

namespace tarvo {

// Images of the 95 printable ASCII characters U+0020..U+007E, in order.
// A permutation of that range, so the substitution has an exact inverse.
extern const std::wstring_view ScrambleTable;

std::wstring ScrambleText(std::wstring_view text);
std::wstring UnscrambleText(std::wstring_view text);

}  // namespace tarvo
