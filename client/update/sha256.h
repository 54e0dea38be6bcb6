#pragma once
// SHA-256 fed in pieces, by the platform: CNG on Windows, OpenSSL elsewhere.
// The updater hashes the installer as it arrives, one read at a time, and
// again as it lies on the disk.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tarvo {

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void Update(const void* data, std::size_t size);
  void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }

  // The digest of everything fed so far, and the object starts over; nothing
  // when the platform failed to hash (no digest is then ever reported).
  std::optional<Sha256Digest> Finish();
  // The same as 64 lowercase hex digits; empty after a failure.
  std::string FinishHex();

 private:
  struct Context;
  std::unique_ptr<Context> context_;
};

// The lowercase hex SHA-256 of `bytes`; empty when the platform failed.
std::string Sha256Hex(std::string_view bytes);

}  // namespace tarvo
