#pragma once

#include <string>
#include <string_view>

namespace tarvo::devserver {

// Lowercase hexadecimal SHA-256 of `bytes`.
std::string Sha256Hex(std::string_view bytes);
std::string Base64(std::string_view bytes);

}  // namespace tarvo::devserver
