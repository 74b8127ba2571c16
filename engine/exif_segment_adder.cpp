// SPDX-License-Identifier: GPL-2.0-or-later
#include "exif_segment_adder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>

#include "engine/chunked_build.h"
#include "engine/exif_reader.h"
#include "engine/exif_segment_copy.h"
#include "engine/file_times.h"
#include "engine/image_size.h"
#include "engine/minimal_exif_segment.h"
#include "engine/photo_file.h"
#include "engine/photo_times.h"
#include "engine/utility_functions.h"

namespace kelvane {
namespace {

using namespace add_segment_code;

// What the target must offer before anything is written.
struct TargetFacts {
  ImageSize size;
  int32_t insertAt = 0;  // 0-based offset the new segment goes to
  int64_t length = 0;
  struct timespec accessed {};
  struct timespec modified {};
};

int16_t ExamineTarget(const std::string& targetName, FileOpsLibrary& fileOps, TargetFacts& target) {
  struct stat st {};
  PhotoFile file;
  if (::stat(targetName.c_str(), &st) != 0 || !file.Open(targetName, PhotoFile::Mode::kRead)) return kNotPossible;
  target.accessed = st.st_atim;
  target.modified = st.st_mtim;
  target.length = file.Size();
  if (!ReadImageSize(file, target.size)) return kNoImageSize;
  int32_t insertAt = 0;
  ExifReading reading;
  if (ReadExifTags(file, targetName, insertAt, reading, fileOps) != read_code::kNoExif ||
      HasExifSegmentBeforeFrame(file)) {
    return kHasExif;
  }
  // The new segment must go before a marker, inside the file.
  uint8_t next = 0;
  if (insertAt <= 0 || insertAt >= target.length || !file.ReadByte(insertAt, next) || next != 0xFF) {
    return kNotPossible;
  }
  target.insertAt = insertAt;
  return kOk;
}

// The temporary file that holds the new segment: removed before use and
// again when the call ends. The new photo itself is built beside the target.
class SegmentFile {
 public:
  explicit SegmentFile(TempFolder& folder) : path_(folder.FirstTempFile()) {}
  ~SegmentFile() { Remove(); }
  SegmentFile(const SegmentFile&) = delete;
  SegmentFile& operator=(const SegmentFile&) = delete;

  // False when there is no temporary folder or the file can't be removed.
  bool Remove() { return !path_.empty() && RemoveFile(path_) != kRemoveFailed; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

bool WriteNewFile(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool written = WriteAll(fd, bytes);
  return ::close(fd) == 0 && written;
}

int16_t WriteCreatedSegment(const std::string& targetName, const TargetFacts& target, const SegmentFileTimes& fileTimes,
                            const std::string& segmentFile, int64_t& segmentLength) {
  const std::string dateTime = fileTimes.earliestFileTime ? fileTimes.earliestFileTime(targetName) : std::string();
  const std::string segment = BuildMinimalExifSegment(dateTime, target.size.height, target.size.width);
  if (segment.empty()) return kNotBuilt;
  if (!WriteNewFile(segmentFile, segment)) return kNotPossible;
  segmentLength = static_cast<int64_t>(segment.size());
  return kOk;
}

int16_t WriteRestoredSegment(const std::string& sourceName, const TargetFacts& target, const std::string& segmentFile,
                             EngineContext& context, int64_t& segmentLength) {
  switch (CopyExifSegment(sourceName, target.size, segmentFile, context, segmentLength)) {
    case SegmentCopyResult::kCopied:
      return kOk;
    case SegmentCopyResult::kSourceUnusable:
      return kSourceUnusable;
    case SegmentCopyResult::kNoSizeTags:
    case SegmentCopyResult::kNotWritten:
      break;
  }
  return kNotPossible;
}

bool FileLength(const std::string& path, int64_t& length) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  length = st.st_size;
  return true;
}

// Builds the target with the segment inserted beside it, gives the new file
// the target's times and renames it over the target.
bool ReplaceTarget(const std::string& targetName, const TargetFacts& target, const std::string& segmentFile,
                   int64_t segmentLength, const RewriteSteps& steps, EngineContext& context) {
  const int64_t total = target.length + segmentLength;
  if (total > std::numeric_limits<int32_t>::max()) return false;
  PhotoRewrite rewrite(targetName, steps);
  if (!rewrite.Ready()) return false;
  const bool built = RunChunkedBuild(
      [&](int32_t resumeAt) {
        return context.fileOps.insert2(resumeAt, 0, static_cast<int32_t>(target.length), 0, 0, target.insertAt, 0,
                                       static_cast<int32_t>(segmentLength), targetName, segmentFile, rewrite.NewPath());
      },
      total, context);
  // The length check catches a build that stopped short without saying so.
  int64_t written = -1;
  if (!built || !FileLength(rewrite.NewPath(), written) || written != total) return false;
  const struct timespec times[2] = {target.accessed, target.modified};
  if (::utimensat(AT_FDCWD, rewrite.NewPath().c_str(), times, 0) != 0) return false;
  return rewrite.Commit();
}

}  // namespace

int16_t AddExifSegment(std::string& targetName, const AddSegmentRequest& request, EngineContext& context) {
  const bool restore = request.function == ProgramFunction::RestoreMetadata;
  if (!restore && request.function != ProgramFunction::CreateMetadata) return kNotPossible;
  if (!FileExists(targetName)) {
    targetName.clear();
    return kTargetMissing;
  }
  TargetFacts target;
  if (const int16_t code = ExamineTarget(targetName, context.fileOps, target); code != kOk) return code;

  SegmentFile segmentFile(context.tempFolder);
  if (!segmentFile.Remove()) return kNotPossible;
  int64_t segmentLength = 0;
  const int16_t code =
      restore ? WriteRestoredSegment(request.sourceName, target, segmentFile.path(), context, segmentLength)
              : WriteCreatedSegment(targetName, target, request.fileTimes, segmentFile.path(), segmentLength);
  if (code != kOk) return code;
  if (!ReplaceTarget(targetName, target, segmentFile.path(), segmentLength, request.rewriteSteps, context)) {
    return kNotReplaced;
  }

  if (!context.options[ProgramOption::KeepFileTimes] &&
      !(request.fileTimes.setFileTimesFromPhoto && request.fileTimes.setFileTimesFromPhoto(targetName))) {
    return kTimesNotSet;
  }
  return kOk;
}

SegmentFileTimes PhotoFileTimes(EngineContext& context) {
  return {[](const std::string& path) {
            int32_t which = kEarliestFileTime;
            return FileTimeAsExifText(path, which);
          },
          [&context](const std::string& path) { return SetFileTimesFromPhoto(path, context); }};
}

}  // namespace kelvane
