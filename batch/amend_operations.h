// SPDX-License-Identifier: GPL-2.0-or-later
// The per-file work of the amend functions and the run's hold on its folder,
// behind one small interface so that runs can be driven with chosen
// outcomes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "batch/photo_run.h"
#include "batch/run_state.h"
#include "batch/text_tag_amend.h"
#include "export/export_result.h"

namespace kelvane {

class AmendOperations {
 public:
  virtual ~AmendOperations() = default;

  // Takes the folder for the run (see PhotoRun::Begin).
  virtual PhotoRun::Start Begin(const std::string& folder) = 0;
  virtual int BeginError() const = 0;
  // Restore (the source's Exif segment) or Create (a minimal one) for one
  // photo without metadata.
  virtual FileStep AddExifSegment(size_t order, const std::string& target, ProgramFunction function,
                                  const std::string& source) = 0;
  // Copyright or Image Description: the photo's new text worked out from what
  // it holds and written.
  virtual FileStep AmendTextTag(size_t order, const std::string& path, const TextTagRequest& request) = 0;
  // The files names of the folder into the one export target; target is
  // the export target text, which the export may correct.
  virtual ExportFolderResult ExportFolder(const std::string& folder, const std::vector<std::string>& names,
                                          std::string& target) = 0;
  // One photo into one output.
  virtual ExportPhotoResult ExportPhoto(const std::string& photo, const std::string& output) = 0;
  // Overwrites the file with zero bytes and deletes it.
  virtual FileStep WipeFile(const std::string& path) = 0;
  // The steps whose outcome came in since the last call.
  virtual std::vector<PhotoRun::Completed> TakeCompleted() = 0;
  // Finishes what is pending and ends the run's hold on the folder.
  virtual void End() = 0;
};

}  // namespace kelvane
