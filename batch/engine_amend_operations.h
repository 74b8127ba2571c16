// SPDX-License-Identifier: GPL-2.0-or-later
// The amend functions' per-file work carried out by the engine (one pass per
// photo within the run's PhotoRun) and the export drivers.
#pragma once

#include <map>
#include <string>

#include "batch/amend_operations.h"
#include "batch/batch_context.h"
#include "batch/batch_inputs.h"
#include "batch/photo_run.h"
#include "batch/sidecars.h"
#include "engine/exif_segment_adder.h"
#include "engine/text_tag_writer.h"
#include "engine/utility_functions.h"
#include "export/export_driver.h"

namespace kelvane {

// The list message of a segment adder's or the tag writer's result.
FileStep SegmentStepOf(const AddSegmentOutcome& outcome, ProgramFunction function);
FileStep WriterStepOf(const WriteTagOutcome& outcome);
FileStep WipeStepOf(const WipeOutcome& outcome);

class EngineAmendOperations : public AmendOperations {
 public:
  // context and inputs must outlive the object; one object serves one run.
  EngineAmendOperations(BatchContext& context, BatchInputs& inputs);

  PhotoRun::Start Begin(const std::string& folder) override { return run_.Begin(folder); }
  int BeginError() const override { return run_.BeginError(); }
  FileStep AddExifSegment(size_t order, const std::string& target, ProgramFunction function,
                          const std::string& source) override;
  FileStep AmendTextTag(size_t order, const std::string& path, const TextTagRequest& request) override;
  ExportFolderResult ExportFolder(const std::string& folder, const std::vector<std::string>& names,
                                  std::string& target) override;
  ExportPhotoResult ExportPhoto(const std::string& photo, const std::string& output) override;
  FileStep WipeFile(const std::string& path) override;
  std::vector<PhotoRun::Completed> TakeCompleted() override { return run_.TakeCompleted(); }
  void End() override { run_.End(); }
  // The files the run's exports wrote ("-" for standard output).
  const std::vector<std::string>& ExportedFiles() const { return exported_; }

 private:
  ExportWriterContext WriterContext();

  BatchContext& context_;
  BatchInputs& inputs_;
  ProgramOptions options_;
  ExportWriters writers_;
  RunAnswer runAnswer_ = RunAnswer::kNotAsked;
  std::vector<std::string> exported_;
  // A restore reads its source once for the whole run.
  std::map<std::string, RestoreSource> sources_;
  SidecarFinder sidecars_;
  PhotoRun run_;
};

}  // namespace kelvane
