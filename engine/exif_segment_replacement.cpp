#include "exif_segment_replacement.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <limits>
#include <system_error>

namespace kelvane {
namespace {

namespace fs = std::filesystem;

constexpr int64_t kLibraryLimit = std::numeric_limits<int32_t>::max();

void ShowProgress(EngineContext& context, int64_t done, int64_t total) {
  if (context.ui == nullptr || total <= 0) return;
  const int64_t first = context.progress.first;
  const int64_t span = context.progress.last - first;
  context.ui->SetProgress(static_cast<int>(first + span * done / total));
  context.ui->PumpEvents();
}

// Calls the library until it reports the end, showing progress between
// calls. False on an error result, or when a call makes no headway.
bool RunInChunks(EngineContext& context, int64_t total, const std::function<int32_t(int32_t)>& call) {
  int32_t resumeAt = 0;
  for (;;) {
    const int32_t result = call(resumeAt);
    if (result == 0) return true;
    if (result < 0 || result <= resumeAt) return false;
    resumeAt = result;
    ShowProgress(context, resumeAt, total);
  }
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
                           const std::string& safetyCopy, const RewriteSteps& steps) {
  const std::span<const uint8_t> old = place.oldBytes;
  if (newSegment.size() != old.size()) return false;
  // Only the bytes that differ are written: usually a directory entry or two
  // and the new text.
  const auto first = std::mismatch(old.begin(), old.end(), newSegment.begin()).first - old.begin();
  if (first == static_cast<ptrdiff_t>(old.size())) return true;
  const auto end = old.rend() - std::mismatch(old.rbegin(), old.rend(), newSegment.rbegin()).first;
  const auto length = static_cast<size_t>(end - first);
  const int64_t at = place.at + first;
  if (photo.WriteAt(at, newSegment.data() + first, length) && steps.sync(photo.fd()) == 0) return true;
  if (!safetyCopy.empty()) {
    RestoreFromCopy(place.photoName, safetyCopy);
  } else if (photo.WriteAt(at, old.data() + first, length)) {
    photo.Sync();
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
  const bool built = RunInChunks(context, newPhotoSize, [&](int32_t resumeAt) {
    return context.fileOps.insert2(resumeAt, 0, static_cast<int32_t>(place.photoSize), static_cast<int32_t>(place.at),
                                   static_cast<int32_t>(oldLength), static_cast<int32_t>(place.at), 0,
                                   static_cast<int32_t>(newLength), place.photoName, donor, rewrite.NewPath());
  });
  return built && HasSize(rewrite.NewPath(), newPhotoSize) && rewrite.Commit();
}

}  // namespace kelvane
