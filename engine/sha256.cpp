// SPDX-License-Identifier: GPL-2.0-or-later
#include "engine/sha256.h"

#include <openssl/evp.h>

namespace kelvane {

Sha256 Sha256Of(std::span<const uint8_t> bytes) {
  Sha256 digest{};
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr);
  return digest;
}

std::string HexOf(std::span<const uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const uint8_t b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 0x0F];
  }
  return text;
}

}  // namespace kelvane
