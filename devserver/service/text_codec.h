#pragma once
// Conversions between the server's UTF-8 storage, the client's wide texts and
// raw request bytes.

#include <optional>
#include <string>
#include <string_view>

#include "common/text/utf8.h"

namespace tarvo::devserver {

std::string ToUtf8(std::wstring_view text);
// Nothing when `bytes` is not well-formed UTF-8.
std::optional<std::wstring> FromUtf8(std::string_view bytes);

// Each byte becomes the code point of the same value, so raw request bytes
// survive JSON intact: encoding the text as Latin-1 gives the bytes back.
std::string BytesAsLatin1Utf8(std::string_view bytes);

std::string HtmlEscape(std::string_view text);

}  // namespace tarvo::devserver
