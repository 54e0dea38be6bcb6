#include "client/update/sha256.h"

#include "common/text/hex.h"

namespace tarvo {

std::string Sha256::FinishHex() {
  const auto digest = Finish();
  return digest ? HexText(*digest) : std::string();
}

std::string Sha256Hex(std::string_view bytes) {
  Sha256 hash;
  hash.Update(bytes);
  return hash.FinishHex();
}

}  // namespace tarvo
