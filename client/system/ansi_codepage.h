#pragma once
// Conversions between wide text and the system's ANSI code page (949 on a
// Korean Windows). Windows uses the active code page; the native build uses
// CP949 so that tests and the reference server see the bytes a Korean
// Windows produces.

#include <string>
#include <string_view>

namespace tarvo {

// Characters the code page lacks become the code page's default character.
std::string ToAnsi(std::wstring_view text);
// Bytes that are not valid in the code page become U+FFFD.
std::wstring FromAnsi(std::string_view bytes);

// True when every character of `text` survives the conversion to ANSI bytes.
bool IsAnsiRepresentable(std::wstring_view text);

}  // namespace tarvo
