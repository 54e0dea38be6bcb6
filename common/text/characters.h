#pragma once
// Character classes that the client's texts are checked against.

namespace tarvo {

// The C0 and C1 control characters and DEL: none of them belongs in a
// request line or a path.
constexpr bool IsControlCharacter(wchar_t c) { return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F); }

}  // namespace tarvo
