#include "devserver/service/random_text.h"

#include <openssl/rand.h>

#include <stdexcept>

namespace tarvo::devserver {

std::string RandomBytes(std::size_t length) {
  std::string out(length, '\0');
  if (length > 0 && RAND_bytes(reinterpret_cast<unsigned char*>(out.data()), static_cast<int>(length)) != 1)
    throw std::runtime_error("random generator failed");
  return out;
}

std::string RandomAlphanumeric(std::size_t length) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  constexpr unsigned kCount = sizeof kAlphabet - 1;  // 62
  std::string out;
  while (out.size() < length) {
    for (char c : RandomBytes(length)) {
      const auto b = static_cast<unsigned char>(c);
      // Bytes of 248 and above are skipped so that every character is equally likely.
      if (b < 248 && out.size() < length) out += kAlphabet[b % kCount];
    }
  }
  return out;
}

}  // namespace tarvo::devserver
