// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/engine_amend_operations.h"

#include "engine/exif_segment_adder.h"
#include "engine/text_tag_writer.h"
#include "engine/utility_functions.h"

namespace kelvane {

EngineAmendOperations::EngineAmendOperations(BatchContext& context, BatchInputs& inputs)
    : context_(context), inputs_(inputs) {}

EngineContext EngineAmendOperations::EngineFor(const FileProgressRange& progress) {
  return EngineContext{context_.fileOps, context_.tempFolder, context_.settings.Options, &context_.ui, progress};
}

ExportWriterContext EngineAmendOperations::WriterContext() {
  return ExportWriterContext{context_.library,
                             context_.store,
                             context_.ui,
                             context_.exportOptions,
                             context_.settings.CsvDelimiter,
                             context_.settings.HexTagIds,
                             context_.settings.ValueCharLimit,
                             &inputs_.initialFileNumber};
}

int16_t EngineAmendOperations::AddExifSegment(const std::string& target, ProgramFunction function,
                                              const std::string& source, const FileProgressRange& progress) {
  EngineContext engine = EngineFor(progress);
  AddSegmentRequest request;
  request.function = function;
  request.sourceName = source;
  request.fileTimes = PhotoFileTimes(engine);
  std::string name = target;
  return kelvane::AddExifSegment(name, request, engine);
}

int16_t EngineAmendOperations::WriteExifTag(const std::string& path, int slot, const ExifTagRecord& newTag,
                                            const FileProgressRange& progress) {
  EngineContext engine = EngineFor(progress);
  std::string name = path;
  return kelvane::WriteExifTag(name, slot, newTag, engine);
}

int16_t EngineAmendOperations::ExportFolder(const std::string& folder, std::string& target) {
  ExportWriterContext writer = WriterContext();
  ExportDriverContext driver{writer, context_.fileOps, writers_, runAnswer_, context_.state.SinglePhotoMode};
  const ExportFolderResult result = kelvane::ExportFolder(folder, target, driver);
  if (result.targetText) target = *result.targetText;
  return result.code;
}

int16_t EngineAmendOperations::ExportPhoto(const std::string& photo, const std::string& output) {
  ExportWriterContext writer = WriterContext();
  ExportDriverContext driver{writer, context_.fileOps, writers_, runAnswer_, context_.state.SinglePhotoMode};
  return kelvane::ExportPhoto(photo, output, driver);
}

int32_t EngineAmendOperations::WipeFile(const std::string& path) { return kelvane::WipeFile(path, context_.fileOps); }

}  // namespace kelvane
