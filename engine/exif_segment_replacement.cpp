// SPDX-License-Identifier: GPL-2.0-or-later
#include "exif_segment_replacement.h"

#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

#include "engine/chunked_build.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

constexpr int64_t kLibraryLimit = std::numeric_limits<int32_t>::max();

// The first byte at which a and b differ, n when none does; compared a block
// at a time.
size_t FirstDifference(const uint8_t* a, const uint8_t* b, size_t n) {
  constexpr size_t kBlock = 64;
  size_t i = 0;
  while (i + kBlock <= n && std::memcmp(a + i, b + i, kBlock) == 0) i += kBlock;
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

// One past the last byte at which a and b differ, at least `from`.
size_t EndOfDifference(const uint8_t* a, const uint8_t* b, size_t n, size_t from) {
  constexpr size_t kBlock = 64;
  size_t end = n;
  while (end >= from + kBlock && std::memcmp(a + end - kBlock, b + end - kBlock, kBlock) == 0) end -= kBlock;
  while (end > from && a[end - 1] == b[end - 1]) --end;
  return end;
}

bool HasSize(const std::string& path, int64_t size) {
  std::error_code ec;
  const auto actual = fs::file_size(path, ec);
  return !ec && actual == static_cast<uintmax_t>(size);
}

// Replaces the photo by its safety copy: copied beside it, then renamed over it.
bool RestoreFromCopy(const std::string& photo, const std::string& safetyCopy) {
  PhotoRewrite rewrite(photo);
  std::error_code ec;
  return rewrite.Ready() && fs::copy_file(safetyCopy, rewrite.NewPath(), fs::copy_options::overwrite_existing, ec) &&
         rewrite.Commit();
}

}  // namespace

bool ReplaceSegmentInPlace(PhotoFile& photo, const SegmentPlace& place, std::span<const uint8_t> newSegment,
                           const std::string& safetyCopy) {
  const std::span<const uint8_t> old = place.oldBytes;
  if (newSegment.size() != old.size()) return false;
  // Only the bytes that differ are written, in one write: usually a
  // directory entry or two and the new text.
  const size_t first = FirstDifference(old.data(), newSegment.data(), old.size());
  if (first == old.size()) return true;
  const size_t length = EndOfDifference(old.data(), newSegment.data(), old.size(), first) - first;
  const int64_t at = place.at + static_cast<int64_t>(first);
  if (photo.WriteAt(at, newSegment.data() + first, length)) return true;
  if (!safetyCopy.empty()) {
    RestoreFromCopy(place.photoName, safetyCopy);
  } else {
    photo.WriteAt(at, old.data() + first, length);
  }
  return false;
}

bool ReplaceSegmentByRewrite(const SegmentPlace& place, const std::string& donor, int64_t newLength,
                             EngineContext& context, const RewriteSteps& steps) {
  const auto oldLength = static_cast<int64_t>(place.oldBytes.size());
  const int64_t newPhotoSize = place.photoSize - oldLength + newLength;
  if (place.photoSize > kLibraryLimit || newPhotoSize > kLibraryLimit) return false;
  PhotoRewrite rewrite(place.photoName, steps);
  if (!rewrite.Ready()) return false;
  const bool built = RunChunkedBuild(
      [&](int32_t resumeAt) {
        return context.fileOps.insert2(resumeAt, 0, static_cast<int32_t>(place.photoSize),
                                       static_cast<int32_t>(place.at), static_cast<int32_t>(oldLength),
                                       static_cast<int32_t>(place.at), 0, static_cast<int32_t>(newLength),
                                       place.photoName, donor, rewrite.NewPath());
      },
      newPhotoSize, context);
  return built && HasSize(rewrite.NewPath(), newPhotoSize) && rewrite.Commit();
}

}  // namespace kelvane
