// SPDX-License-Identifier: GPL-2.0-or-later
// SHA-256 fingerprints (OpenSSL's libcrypto).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace kelvane {

using Sha256 = std::array<uint8_t, 32>;

Sha256 Sha256Of(std::span<const uint8_t> bytes);
std::string HexOf(std::span<const uint8_t> bytes);

}  // namespace kelvane
