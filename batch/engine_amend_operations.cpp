// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/engine_amend_operations.h"

#include "batch/run_details.h"
#include "engine/exif_reader.h"

namespace kelvane {

FileStep SegmentStepOf(const AddSegmentOutcome& outcome, ProgramFunction function) {
  const bool restore = function == ProgramFunction::RestoreMetadata;
  switch (outcome.result) {
    case AddSegmentResult::kOk:
      return FileStep::Done();
    case AddSegmentResult::kTargetMissing:
      return FileStep::Failed(ListMessage::kFileNotFound);
    case AddSegmentResult::kSourceUnusable:
      return FileStep::Failed(restore ? ListMessage::kNoMetadataInSource : ListMessage::kNoMetadata);
    case AddSegmentResult::kNoImageSize:
      return FileStep::Failed(ListMessage::kNoImageSize);
    case AddSegmentResult::kNotBuilt:
      return FileStep::Failed(ListMessage::kMissingDateTime);
    case AddSegmentResult::kTimesNotSet:
      return FileStep::Failed(ListMessage::kDateNotModified, outcome.osError);
    case AddSegmentResult::kNotPossible:
      return FileStep::Failed(restore ? ListMessage::kRestoreExtractProblem : ListMessage::kCreateExtractProblem);
    case AddSegmentResult::kNotReplaced:
      return FileStep::Failed(ListMessage::kUndefinedProcessingError);
    case AddSegmentResult::kHasExif:
      return FileStep::Failed(restore ? ListMessage::kRestoreHasMetadata : ListMessage::kCreateHasMetadata);
    case AddSegmentResult::kChanged:
      return FileStep::Failed(ListMessage::kChangedMeanwhile);
    case AddSegmentResult::kReadFailed:
      return FileStep::Failed(ListMessage::kCouldNotRead, outcome.osError);
    case AddSegmentResult::kWriteFailed:
      return FileStep::Failed(ListMessage::kCouldNotWrite, outcome.osError);
  }
  return FileStep::Failed(ListMessage::kUndefinedProcessingError);
}

FileStep WriterStepOf(const WriteTagOutcome& outcome) {
  switch (outcome.result) {
    case WriteTagResult::kOk:
      return FileStep::Done();
    case WriteTagResult::kNoFile:
      return FileStep::Failed(ListMessage::kFileNotFound);
    case WriteTagResult::kNotJpeg:
      return FileStep::Failed(ListMessage::kNotJpeg);
    case WriteTagResult::kNoExif:
    case WriteTagResult::kNoExifIfd:
      return FileStep::Failed(ListMessage::kNoMetadata);
    case WriteTagResult::kShortText:
    case WriteTagResult::kTagAbsent:
    case WriteTagResult::kShortDate:
      return FileStep::Failed(ListMessage::kUndefinedProcessingError);
    case WriteTagResult::kFailed:
      return FileStep::Failed(ListMessage::kBadMetadata);
    case WriteTagResult::kSegmentFull:
      return FileStep::Failed(ListMessage::kSegmentFull);
    case WriteTagResult::kChanged:
      return FileStep::Failed(ListMessage::kChangedMeanwhile);
    case WriteTagResult::kReadFailed:
      return FileStep::Failed(ListMessage::kCouldNotRead, outcome.osError);
    case WriteTagResult::kWriteFailed:
      return FileStep::Failed(ListMessage::kCouldNotWrite, outcome.osError);
  }
  return FileStep::Failed(ListMessage::kUndefinedProcessingError);
}

FileStep WipeStepOf(const WipeOutcome& outcome) {
  switch (outcome.result) {
    case WipeResult::kDone:
      return FileStep::Done();
    case WipeResult::kNotOverwritten:
      return FileStep::Failed(ListMessage::kWipeError, outcome.osError);
    case WipeResult::kNotDeleted:
      return FileStep::Failed(ListMessage::kWipeDeleteError, outcome.osError);
    case WipeResult::kLink:
      return FileStep::Failed(ListMessage::kSymbolicLink);
  }
  return FileStep::Failed(ListMessage::kWipeAborted);
}

EngineAmendOperations::EngineAmendOperations(BatchContext& context, BatchInputs& inputs)
    : context_(context),
      inputs_(inputs),
      options_(context.settings.Options),
      run_(context, FunctionWord(context.state.SelectedFunction), RunDetails(context.state, inputs)) {}

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

FileStep EngineAmendOperations::AddExifSegment(size_t order, const std::string& target, ProgramFunction function,
                                               const std::string& source) {
  const SegmentKind kind = function == ProgramFunction::RestoreMetadata ? SegmentKind::kRestore : SegmentKind::kCreate;
  const RestoreSource* restore = nullptr;
  if (kind == SegmentKind::kRestore) {
    auto found = sources_.find(source);
    if (found == sources_.end()) found = sources_.emplace(source, LoadRestoreSource(source)).first;
    restore = &found->second;
  }
  PhotoFile photo;
  if (const auto failed = run_.Open(target, true, photo)) return *failed;
  PhotoEdit edit;
  const AddSegmentResult planned = PlanExifSegment(photo, kind, restore, options_, edit);
  if (const auto failed = ReadFailureOf(photo)) return *failed;
  if (planned != AddSegmentResult::kOk && planned != AddSegmentResult::kTimesNotSet) {
    return SegmentStepOf({planned, 0}, function);
  }
  return run_.Submit(order, target, std::move(photo), std::move(edit),
                     [planned, function](const CommitOutcome& committed) {
                       return SegmentStepOf(AddSegmentOutcomeOf(planned, committed), function);
                     });
}

FileStep EngineAmendOperations::AmendTextTag(size_t order, const std::string& path, const TextTagRequest& request) {
  PhotoFile photo;
  if (const auto failed = run_.Open(path, true, photo)) return *failed;
  ExifReading reading;
  int32_t allSlots = 0;
  const ReadResult read = ReadExifTags(photo, allSlots, reading);
  if (const auto failed = ReadFailureOf(photo)) return *failed;
  // A notice needs the photo's tags. A description needs only the existing
  // text, which a file that can't be read has none of: the rule decides
  // first, and the writer names what keeps it from writing.
  if (request.function == ProgramFunction::AddCopyright) {
    switch (read) {
      case ReadResult::kOk:
        break;
      case ReadResult::kNotJpeg:
        return FileStep::Failed(ListMessage::kNotJpeg);
      case ReadResult::kNoExif:
        return FileStep::Failed(ListMessage::kNoMetadata);
      case ReadResult::kTagNotFound:
      case ReadResult::kBadExif:
        return FileStep::Failed(ListMessage::kBadMetadata);
    }
  }
  const NewText text = NewTextOfPhoto(read == ReadResult::kOk ? reading.tags : ExifTagTable{}, request);
  if (text.result != TextTagResult::kWrite) return FileStep::Failed(TextTagMessage(text.result, request.function));
  const ExifSlot slot = request.function == ProgramFunction::AddCopyright ? kSlotCopyright : kSlotImageDescription;
  PhotoEdit edit;
  const bool keepXmp = context_.settings.KeepXmpInStep;
  const WriteTagResult planned =
      PlanExifTag(photo, reading, read, slot, TextTagRecord(slot, text.text), options_, edit, keepXmp);
  if (const auto failed = ReadFailureOf(photo)) return *failed;
  // Deleting text that is not there leaves the photo as asked.
  if (planned == WriteTagResult::kTagAbsent && text.text.empty()) return FileStep::Done();
  if (planned != WriteTagResult::kOk) return WriterStepOf({planned, 0});
  const std::optional<XmpEdits> xmp = edit.xmp;
  const bool xmpNotUpdated = !edit.xmpProblem.empty();
  const FileStep step =
      run_.Submit(order, path, std::move(photo), std::move(edit), [xmpNotUpdated](const CommitOutcome& committed) {
        const FileStep done = WriterStepOf(WriteTagOutcomeOf(committed));
        if (!done.failure && xmpNotUpdated) return FileStep::Failed(ListMessage::kXmpNotUpdated);
        return done;
      });
  if (xmp) SubmitSidecarEdits(run_, order, path, sidecars_.Of(path), *xmp);
  return step;
}

ExportFolderResult EngineAmendOperations::ExportFolder(const std::string& folder, const std::vector<std::string>& names,
                                                       std::string& target) {
  ExportWriterContext writer = WriterContext();
  ExportDriverContext driver{writer, writers_, runAnswer_, context_.state.SinglePhotoMode};
  ExportFolderResult result = kelvane::ExportFolder(folder, names, target, driver);
  if (result.targetText) target = *result.targetText;
  exported_.insert(exported_.end(), result.written.begin(), result.written.end());
  return result;
}

ExportPhotoResult EngineAmendOperations::ExportPhoto(const std::string& photo, const std::string& output) {
  ExportWriterContext writer = WriterContext();
  ExportDriverContext driver{writer, writers_, runAnswer_, context_.state.SinglePhotoMode};
  ExportPhotoResult result = kelvane::ExportPhoto(photo, output, driver);
  exported_.insert(exported_.end(), result.written.begin(), result.written.end());
  return result;
}

FileStep EngineAmendOperations::WipeFile(const std::string& path) {
  if (run_.DryRun()) {
    if (context_.safety.plan != nullptr) {
      context_.safety.plan->Planned(FileNameOf(path), {{"File", "present", "wiped"}});
      if (context_.settings.KeepXmpInStep) {
        for (const Sidecar& sidecar : sidecars_.Of(path)) {
          context_.safety.plan->Planned(sidecar.name, {{"File", "present", "wiped"}});
        }
      }
    }
    return FileStep::Done();
  }
  // Its sidecars, found while the photo is still there to pair them with.
  const std::vector<Sidecar> sidecars = context_.settings.KeepXmpInStep ? sidecars_.Of(path) : std::vector<Sidecar>{};
  if (!run_.RecordWipe(FileNameOf(path))) return FileStep::Failed(ListMessage::kWipeAborted, errno);
  const WipeOutcome outcome = kelvane::WipeFile(path, context_.fileOps);
  if (outcome.result != WipeResult::kDone) return WipeStepOf(outcome);
  run_.WipeDone(FileNameOf(path));
  for (const Sidecar& sidecar : sidecars) {
    const std::string sidecarPath = FolderOf(path) + sidecar.name;
    if (!run_.RecordWipe(sidecar.name)) continue;
    const WipeOutcome wiped = kelvane::WipeFile(sidecarPath, context_.fileOps);
    if (wiped.result == WipeResult::kDone) {
      run_.WipeDone(sidecar.name);
    } else {
      run_.Note(0, sidecarPath, WipeStepOf(wiped));
    }
  }
  return FileStep::Done();
}

}  // namespace kelvane
