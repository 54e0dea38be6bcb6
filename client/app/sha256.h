#pragma once
// SHA-256 (FIPS 180-4), fed in pieces: the updater hashes the installer as it
// arrives, one read at a time.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvo {

class Sha256 {
 public:
  Sha256();

  void Update(const void* data, std::size_t size);
  void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }

  // The digest of everything fed so far; the object then starts over.
  std::array<std::uint8_t, 32> Finish();
  // The same as 64 lowercase hex digits.
  std::string FinishHex();

 private:
  void Reset();
  void Compress(const std::uint8_t* block);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> block_;
  std::size_t blockUsed_ = 0;
  std::uint64_t totalBytes_ = 0;
};

// 64 lowercase hex digits.
std::string DigestHex(const std::array<std::uint8_t, 32>& digest);

// The lowercase hex SHA-256 of `bytes`.
std::string Sha256Hex(std::string_view bytes);

}  // namespace tarvo
