// SPDX-License-Identifier: GPL-2.0-or-later
// The engine operations that the amend functions run on each file, behind
// one small interface so that runs can be driven with chosen result codes.
#pragma once

#include <cstdint>
#include <string>

#include "engine/exif_reader.h"
#include "engine/run_state.h"
#include "engine/user_interface.h"

namespace kelvane {

class AmendOperations {
 public:
  virtual ~AmendOperations() = default;

  // Restore (the source's Exif segment) or Create (a minimal one) for one
  // photo without metadata; the result codes of AddExifSegment.
  virtual int16_t AddExifSegment(const std::string& target, ProgramFunction function, const std::string& source,
                                 const FileProgressRange& progress) = 0;
  // Adds, replaces or (byte length 0) deletes one text tag of IFD0; the
  // result codes of WriteExifTag.
  virtual int16_t WriteExifTag(const std::string& path, int slot, const ExifTagRecord& newTag,
                               const FileProgressRange& progress) = 0;
  // All photos of the folder into the one export target; target is the
  // export target text, which the export may correct.
  virtual int16_t ExportFolder(const std::string& folder, std::string& target) = 0;
  // One photo into one output.
  virtual int16_t ExportPhoto(const std::string& photo, const std::string& output) = 0;
  // Overwrites the file with zero bytes and deletes it: below 0 when done.
  virtual int32_t WipeFile(const std::string& path) = 0;
};

}  // namespace kelvane
