// SPDX-License-Identifier: GPL-2.0-or-later
// Overwriting a file with zero bytes.
#pragma once

#include <cstdint>
#include <string_view>

namespace qmrfio {

enum WipeCode : int32_t {
  kWiped = -1,
  kNothingToWipe = 0,     // length 0 or less, or no file name
  kWipeNotOpened = -6,    // missing, not writable, or not a regular file
  kWipeWriteFailed = -8,  // the zeros could not be written or flushed
};

// Writes length zero bytes over the file from its start, leaves it exactly
// length bytes long and flushes it to the device.
int32_t WipeFile(int32_t length, std::string_view fileName);

}  // namespace qmrfio
