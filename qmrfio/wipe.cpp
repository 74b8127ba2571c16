// SPDX-License-Identifier: GPL-2.0-or-later
#include "wipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "file_handle.h"

namespace qmrfio {

int32_t WipeFile(int32_t length, std::string_view fileName) {
  if (length <= 0 || fileName.empty()) return kNothingToWipe;
  // Not truncated on opening: the zeros go over the old bytes where they lie
  // instead of into newly allocated blocks.
  FileHandle file = FileHandle::Open(fileName, O_WRONLY);
  if (!file.IsOpen() || !file.IsRegularFile()) return kWipeNotOpened;

  constexpr int64_t kBlockSize = 1 << 20;
  const std::vector<uint8_t> zeros(static_cast<size_t>(std::min<int64_t>(length, kBlockSize)), 0);
  for (int64_t at = 0; at < length;) {
    const int64_t count = std::min<int64_t>(length - at, kBlockSize);
    if (!WriteAllAt(file.fd(), at, zeros.data(), static_cast<size_t>(count))) return kWipeWriteFailed;
    at += count;
  }
  if (file.Size() > length && ::ftruncate(file.fd(), length) != 0) return kWipeWriteFailed;
  if (::fsync(file.fd()) != 0) return kWipeWriteFailed;
  return file.Close() ? kWiped : kWipeWriteFailed;
}

}  // namespace qmrfio
