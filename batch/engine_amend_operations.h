// SPDX-License-Identifier: GPL-2.0-or-later
// The amend functions' per-file operations carried out by the engine and the
// export drivers.
#pragma once

#include "batch/amend_operations.h"
#include "batch/batch_context.h"
#include "batch/batch_inputs.h"
#include "engine/engine_context.h"
#include "export/export_driver.h"

namespace kelvane {

class EngineAmendOperations : public AmendOperations {
 public:
  // context and inputs must outlive the object; one object serves one run.
  EngineAmendOperations(BatchContext& context, BatchInputs& inputs);

  int16_t AddExifSegment(const std::string& target, ProgramFunction function, const std::string& source,
                         const FileProgressRange& progress) override;
  int16_t WriteExifTag(const std::string& path, int slot, const ExifTagRecord& newTag,
                       const FileProgressRange& progress) override;
  int16_t ExportFolder(const std::string& folder, std::string& target) override;
  int16_t ExportPhoto(const std::string& photo, const std::string& output) override;
  int32_t WipeFile(const std::string& path) override;

 private:
  EngineContext EngineFor(const FileProgressRange& progress);
  ExportWriterContext WriterContext();

  BatchContext& context_;
  BatchInputs& inputs_;
  ExportWriters writers_;
  RunAnswer runAnswer_ = RunAnswer::kNotAsked;
};

}  // namespace kelvane
