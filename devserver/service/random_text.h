#pragma once

#include <cstddef>
#include <string>

namespace tarvo::devserver {

// Letters and digits from the system's cryptographic generator: session
// codes and VPN passwords must not be guessable.
std::string RandomAlphanumeric(std::size_t length);
std::string RandomBytes(std::size_t length);

}  // namespace tarvo::devserver
