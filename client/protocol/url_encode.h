#pragma once
// Percent-encoding of ANSI bytes, and the chain that turns an id and a
// password into the value of the sign-in request's r= parameter.

#include <string>
#include <string_view>

namespace tarvo {

// Digits, ASCII letters and @ . / \ - _ : pass; every other ANSI byte becomes
// "%" and two lowercase hex digits.
std::wstring UrlEncodeAnsi(std::wstring_view text);

// UrlEncodeAnsi(ScrambleText(template filled with id and password)).
std::wstring EncodeCredentials(std::wstring_view userId, std::wstring_view password);

}  // namespace tarvo
