// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/amend_operation.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <optional>

#include "batch/copyright_notice.h"
#include "batch/run_framing.h"
#include "batch/run_report.h"
#include "batch/run_entries.h"
#include "batch/text_tag_amend.h"
#include "engine/folder_listing.h"
#include "export/export_result.h"
#include "engine/utility_functions.h"

namespace kelvane {
namespace {

constexpr const char* kFolderOrFileNotFound = "Folder/File not found";
constexpr const char* kExportExcludedTail = " - but excluding those files without Metadata included.";
constexpr const char* kUnidentifiedExportError = "Unidentified Export processing error";

constexpr int kProgressStart = 5;
constexpr int kProgressSpan = 90;

bool IsAmendFunction(ProgramFunction function) {
  switch (function) {
    case ProgramFunction::RestoreMetadata:
    case ProgramFunction::CreateMetadata:
    case ProgramFunction::AddCopyright:
    case ProgramFunction::AddDescription:
    case ProgramFunction::ExportMetadata:
    case ProgramFunction::WipeFiles:
      return true;
    default:
      return false;
  }
}

// Two paths name the same file or folder: the same text, or the same object
// on disk written another way.
bool SamePlace(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

// On this platform a hidden file is one whose name starts with a dot; there
// is no system attribute.
bool IsHidden(const std::string& path) {
  const std::string name = FileNameOf(path);
  return !name.empty() && name.front() == '.';
}

int ProgressAt(size_t done, size_t total) { return ProgressValue(done, total, kProgressSpan, kProgressStart); }

// The list message of a one-photo export's result.
FileStep ExportStepOf(const ExportPhotoResult& result) {
  switch (result.code) {
    case ExportPhotoCode::kExported:
      return FileStep::Done();
    case ExportPhotoCode::kPhotoMissing:
      return FileStep::Failed(ListMessage::kExportNoMetadataFound);
    case ExportPhotoCode::kNoTagsCollected:
      return FileStep::Failed(ListMessage::kExportNoMetadataInFiles);
    case ExportPhotoCode::kWriteFailed:
      return FileStep::Failed(ListMessage::kExportWriteFailed);
    case ExportPhotoCode::kOverwriteCancelled:
      return FileStep::Failed(ListMessage::kExportOverwriteCancelled);
    case ExportPhotoCode::kDeleteFailed:
      return FileStep::Failed(ListMessage::kExportDeleteFailed);
    case ExportPhotoCode::kExifUnreadable:
      return FileStep::Failed(ListMessage::kExportNoMetadataInFile);
    case ExportPhotoCode::kProcessingError:
      return FileStep::Failed(ListMessage::kExportProcessingError);
    case ExportPhotoCode::kReadFailed:
      return FileStep::Failed(ListMessage::kCouldNotRead, result.osError);
    case ExportPhotoCode::kSymbolicLink:
      return FileStep::Failed(ListMessage::kSymbolicLink);
  }
  return FileStep::Failed(ListMessage::kExportProcessingError);
}

// The message that ends a folder export that failed; nothing when it was written.
std::optional<std::string> ExportFolderFailure(ExportFolderCode code) {
  switch (code) {
    case ExportFolderCode::kExported:
    case ExportFolderCode::kExportedSomeWithout:
      return std::nullopt;
    case ExportFolderCode::kNoMetadataFound:
      return "No files with Metadata found";
    case ExportFolderCode::kNoTagsCollected:
      return "No Metadata in files";
    case ExportFolderCode::kWriteFailed:
      return "Write to export file failed";
    case ExportFolderCode::kOverwriteCancelled:
      return "Export file exists and Overwrite Cancelled";
    case ExportFolderCode::kDeleteFailed:
      return "Previous Export file delete failed";
    case ExportFolderCode::kTargetInPhotoFolder:
      return "Export file cannot be in same Folder as source files";
    case ExportFolderCode::kProcessingError:
      break;
  }
  return kUnidentifiedExportError;
}

Message Box(std::string title, std::string text, MessageIcon icon, MessageButtons buttons, int defaultButton) {
  Message message;
  message.title = std::move(title);
  message.text = std::move(text);
  message.icon = icon;
  message.buttons = buttons;
  message.defaultButton = defaultButton;
  return message;
}

// A confirmation: Yes/No with No as default, or OK/Cancel with Cancel as
// default.
Message Question(std::string title, std::string text) {
  return Box(std::move(title), std::move(text), MessageIcon::kQuestion, MessageButtons::kYesNo, 1);
}
Message WipeQuestion(std::string text) {
  return Box("File 'Wipe'", std::move(text), MessageIcon::kExclamation, MessageButtons::kOkCancel, 1);
}

class AmendRun {
 public:
  AmendRun(BatchContext& context, BatchInputs& inputs, AmendOperations& operations)
      : context_(context),
        state_(context.state),
        ui_(context.ui),
        inputs_(inputs),
        operations_(operations),
        function_(context.state.SelectedFunction),
        single_(context.state.SinglePhotoMode) {}

  void Run() {
    if (!IsAmendFunction(function_)) return FailureBox();
    stepMessage_ = kFolderOrFileNotFound;
    path_ = Trim(inputs_.sourcePath);
    if (single_) {
      if (!FileExists(path_)) return FailureBox();
      photosFolder_ = FolderOf(path_);
    } else {
      path_ = FolderText(path_);
      if (!IsFolder(path_)) return FailureBox();
      photosFolder_ = path_;
    }
    if (!CheckParameters()) return;
    stepMessage_ = kUndefinedProcessingError;
    if (single_) return RunSinglePhoto();
    RunFolder();
  }

  // The folder is the run's for as long as it lasts; false when the run
  // ends here (its box shown).
  bool Begin(const std::string& folder) {
    const PhotoRun::Start start = operations_.Begin(folder);
    if (start == PhotoRun::Start::kStarted) return true;
    if (start == PhotoRun::Start::kCancelled) {
      Cancelled();
      return false;
    }
    stepMessage_ = PhotoRun::StartFailureText(start, operations_.BeginError());
    FailureBox();
    return false;
  }

  void Note(const std::string& name, size_t order, const FileStep& step) {
    if (step.failure) report_.Add(name, *step.failure, step.osError, order);
  }

  void TakeCompleted() {
    for (const PhotoRun::Completed& done : operations_.TakeCompleted()) {
      Note(FileNameOf(done.path), done.order, done.step);
    }
  }

  void EndRun() {
    operations_.End();
    TakeCompleted();
  }

  // The failure box: the step message with the critical icon and the Error
  // cue (also for an unexpected failure anywhere in the run).
  void FailureBox() {
    ui_.SetBusy(false);
    ShowErrorBox(ui_, stepMessage_);
  }

  void Reset() {
    ui_.SetStatus(1, std::string(kFilesProcessed) + "0");
    ui_.SetStatus(2, std::string(kTotalFiles) + "0");
    ui_.SetProgress(0);
    context_.exportOptions.perPhotoRunStarted = false;
    ui_.ArrangeForFunction();
    state_.TextEditedByUser = false;
  }

 private:
  static bool IsFolder(const std::string& folder) {
    std::error_code ec;
    return std::filesystem::is_directory(folder, ec);
  }

  // A parameter problem: the warning box, and the run ends.
  bool Refuse(const std::string& text) {
    ui_.SetBusy(false);
    ui_.Cue(SoundCue::Attention);
    ui_.Show(Box("Error", text, MessageIcon::kExclamation, MessageButtons::kOk, 0));
    return false;
  }

  // Asks with the Attention cue and the default pointer; true when the
  // answer is `yes`.
  bool Confirm(const Message& question, MessageAnswer yes) {
    ui_.Cue(SoundCue::Attention);
    ui_.SetBusy(false);
    const MessageAnswer answer = ui_.Show(question);
    ui_.SetBusy(true);
    return answer == yes;
  }

  // The checks of the function's own parameters and the confirmations of
  // deletes; false when the run ends here (its box, if any, shown).
  bool CheckParameters() {
    switch (function_) {
      case ProgramFunction::RestoreMetadata:
        return CheckRestoreSource();
      case ProgramFunction::ExportMetadata:
        return CheckExportTarget();
      case ProgramFunction::AddCopyright:
        return CheckCopyright();
      case ProgramFunction::AddDescription:
        return CheckDescription();
      default:
        return true;
    }
  }

  bool CheckRestoreSource() {
    if (!state_.ExportTargetSet) return Refuse("Restore file not set");
    stepMessage_ = "Restore file not found";
    source_ = Trim(inputs_.secondPath);
    if (!FileExists(source_)) {
      state_.ExportTargetSet = false;
      return Refuse(stepMessage_);
    }
    if (single_ ? SamePlace(source_, path_) : SamePlace(FolderOf(source_), photosFolder_)) {
      state_.ExportTargetSet = false;
      return Refuse("Restore Source file cannot be in same Folder as file(s) to Restore");
    }
    return true;
  }

  bool CheckExportTarget() {
    if (!state_.ExportTargetSet) return Refuse("Export path not set");
    // Standard output has no folder to check.
    if (context_.exportOptions.toStandardOutput) {
      context_.exportOptions.perPhotoRunStarted = false;
      return true;
    }
    stepMessage_ = "Export path not found";
    const std::string target = Trim(inputs_.secondPath);
    if (!FolderExists(target)) {
      state_.ExportTargetSet = false;
      return Refuse(stepMessage_);
    }
    context_.exportOptions.perPhotoRunStarted = false;
    if (SamePlace(FolderOf(target), photosFolder_)) {
      state_.ExportTargetSet = false;
      return Refuse("Export file cannot be in same Folder as source files");
    }
    return true;
  }

  bool CheckCopyright() {
    if (single_ && !state_.TextEditedByUser) return Refuse("Copyright text without change to existing");
    const NoticeChoice choice{state_.NoticeForPhotographer, state_.NoticeForEditor, state_.YearFromPhoto};
    const ComposedNotice composed = ComposeCopyrightNotice(choice, inputs_.copyright, ReadNoticeTexts(context_.store));
    state_.FirstTextEmpty = composed.firstTextEmpty;
    state_.SecondTextEmpty = composed.secondTextEmpty;
    const bool excused = (composed.code == compose_code::kPhotographerYearInvalid && composed.firstTextEmpty) ||
                         (composed.code == compose_code::kEditorYearInvalid && composed.secondTextEmpty);
    if (composed.code != compose_code::kOk && !excused) {
      stepMessage_ = composed.code == compose_code::kPhotographerYearInvalid ? "Copyright Photographer Year invalid"
                     : composed.code == compose_code::kEditorYearInvalid     ? "Copyright Editor Year invalid"
                                                                             : kUndefinedProcessingError;
      FailureBox();
      return false;
    }
    request_.function = function_;
    request_.overwriteExisting = state_.OverwriteExisting;
    request_.parts = composed.parts;
    request_.choice = choice;
    request_.deletePhotographer = composed.firstTextEmpty;
    request_.deleteEditor = composed.secondTextEmpty;
    request_.editorYearRule = context_.settings.Options[ProgramOption::EditorYearRule];
    if (!composed.firstTextEmpty && !composed.secondTextEmpty) return true;

    const std::string word = composed.firstTextEmpty && composed.secondTextEmpty ? " both Photographer and Editor"
                             : composed.firstTextEmpty                           ? " Photographer"
                                                                                 : " Editor";
    const std::string text =
        single_ ? "This will delete any" + word + " Copyright entry for the selected file"
                : "This will delete" + word + " Copyright entries for all files in the selected folder";
    return Confirm(Question("Confirm Copyright Delete", text + "\rPlease confirm"), MessageAnswer::kYes);
  }

  bool CheckDescription() {
    if (single_ && !state_.TextEditedByUser) {
      return Refuse("Image description text without change to existing");
    }
    request_.function = function_;
    request_.overwriteExisting = state_.OverwriteExisting;
    request_.description = inputs_.descriptionText;
    request_.mode = state_.NoticeForPhotographer ? DescriptionMode::Append
                    : state_.NoticeForEditor     ? DescriptionMode::Prefix
                                                 : DescriptionMode::AddReplace;
    request_.deleteDescription = request_.mode == DescriptionMode::AddReplace && Trim(inputs_.descriptionText).empty();
    request_.noAutoSpace = context_.settings.Options[ProgramOption::NoAutoSpace];
    if (!request_.deleteDescription || !state_.OverwriteExisting) return true;

    const std::string text = single_
                                 ? "This will delete any Image description entry for the selected file"
                                 : "This will delete Image description entries for all files in the selected folder";
    return Confirm(Question("Image description Delete", text + "\rPlease confirm"), MessageAnswer::kYes);
  }

  void RunSinglePhoto() {
    if (function_ != ProgramFunction::ExportMetadata && !Begin(photosFolder_)) return;
    ui_.SetStatus(2, std::string(kTotalFiles) + "1");
    ui_.SetProgress(kProgressStart);
    Note(FileNameOf(path_), 0, RunOnFile(0, path_));
    EndRun();
    if (function_ == ProgramFunction::AddCopyright || function_ == ProgramFunction::AddDescription) {
      const ExistingTextView view = ShowExistingText(path_, function_, false);
      if (function_ == ProgramFunction::AddCopyright) {
        inputs_.copyright = view.copyright;
      } else {
        inputs_.descriptionText = view.description;
      }
    }
    ui_.PumpEvents();
    // A photo that is gone (wiped, or removed meanwhile) can't stay chosen.
    if (!FileExists(path_)) state_.SourceChosen = false;
    ui_.SetStatus(1, std::string(kFilesProcessed) + "1");
    Complete();
  }

  void RunFolder() {
    const ExportOptions& exportOptions = context_.exportOptions;
    const bool exporting = function_ == ProgramFunction::ExportMetadata;
    if (exporting && !(exportOptions.exportType == ExportType::SheetCsv && exportOptions.perPhoto)) {
      return ExportWholeFolder();
    }
    stepMessage_ = kFolderNotFound;
    if (function_ == ProgramFunction::WipeFiles && !context_.settings.Options[ProgramOption::ConfirmEachWipe]) {
      const Message question = WipeQuestion("Confirm Unrecoverable Delete of All Files in Folder:\r" + path_);
      if (!Confirm(question, MessageAnswer::kOk)) return;
    }
    int listError = 0;
    const std::optional<FolderListing> listing = ListFolder(path_, &listError);
    if (!listing) {
      stepMessage_ = FolderUnreadableMessage(listError);
      return FailureBox();
    }
    if (listing->entries.empty()) {
      stepMessage_ = kNoFilesFound;
      return FailureBox();
    }
    if (!exporting && !Begin(path_)) return;
    const std::vector<FolderEntry> entries = EntriesToVisit(path_, *listing, context_, inputs_);
    const size_t total = entries.size();
    ui_.SetStatus(2, kTotalFiles + std::to_string(total));
    ui_.SetProgress(kProgressStart);
    stepMessage_ = kUndefinedProcessingError;
    for (size_t index = 1; index <= total; ++index) {
      const FolderEntry& entry = entries[index - 1];
      Note(entry.name, index - 1,
           entry.link ? FileStep::Failed(ListMessage::kSymbolicLink) : RunOnFile(index - 1, path_ + entry.name));
      TakeCompleted();
      if (PumpEventsAndCheckCancel(context_)) {
        EndRun();
        return Cancelled();
      }
      ui_.SetProgress(ProgressAt(index, total));
      ui_.SetStatus(1, kFilesProcessed + std::to_string(index));
    }
    EndRun();
    Complete();
  }

  void ExportWholeFolder() {
    int listError = 0;
    const std::optional<FolderListing> listing = ListFolder(path_, &listError);
    if (!listing) {
      stepMessage_ = FolderUnreadableMessage(listError);
      return FailureBox();
    }
    // Links are listed, never read; sidecars and files that are no photos
    // are passed over as in every folder run.
    const std::vector<FolderEntry> entries = EntriesToVisit(path_, *listing, context_, inputs_);
    std::vector<std::string> names;
    for (size_t order = 0; order < entries.size(); ++order) {
      if (entries[order].link) {
        Note(entries[order].name, order, FileStep::Failed(ListMessage::kSymbolicLink));
      } else {
        names.push_back(entries[order].name);
      }
    }
    ui_.SetStatus(2, kTotalFiles + std::to_string(entries.size()));
    ui_.SetProgress(kProgressStart);
    const ExportFolderResult result = operations_.ExportFolder(path_, names, inputs_.secondPath);
    for (const UnreadPhoto& unread : result.unread) {
      const auto at = std::find_if(entries.begin(), entries.end(),
                                   [&unread](const FolderEntry& entry) { return entry.name == unread.name; });
      Note(unread.name, static_cast<size_t>(at - entries.begin()),
           FileStep::Failed(ListMessage::kCouldNotRead, unread.osError));
    }
    ui_.SetStatus(1, kFilesProcessed + std::to_string(result.photosExported));
    exportExcluded_ = result.code == ExportFolderCode::kExportedSomeWithout;
    if (const std::optional<std::string> failure = ExportFolderFailure(result.code)) {
      // The files that could not be read are listed all the same.
      if (context_.failures != nullptr) *context_.failures = report_.AllFailures();
      stepMessage_ = *failure;
      return FailureBox();
    }
    Complete();
  }

  // The function's step on one file.
  FileStep RunOnFile(size_t order, const std::string& path) {
    switch (function_) {
      case ProgramFunction::RestoreMetadata:
      case ProgramFunction::CreateMetadata: {
        const FileStep step = operations_.AddExifSegment(order, path, function_, source_);
        // A folder run takes a photo without a frame for something else than a photo.
        if (!single_ && step.failure == ListMessage::kNoImageSize) return FileStep::Failed(ListMessage::kNotJpeg);
        return step;
      }
      case ProgramFunction::AddCopyright:
      case ProgramFunction::AddDescription: {
        const FileStep step = operations_.AmendTextTag(order, path, request_);
        ui_.PumpEvents();
        return step;
      }
      case ProgramFunction::ExportMetadata:
        return ExportStepOf(operations_.ExportPhoto(path, ExportOutput(path)));
      case ProgramFunction::WipeFiles:
        return Wipe(path);
      default:
        return FileStep::Done();
    }
  }

  // The output of one photo: the target itself for the workbook, database
  // and JSON types of a single-photo export and for standard output; else a
  // CSV file named after the photo in the target folder (a single photo's
  // target that is no folder is the CSV file itself).
  std::string ExportOutput(const std::string& photo) const {
    const std::string target = Trim(inputs_.secondPath);
    const ExportType type = context_.exportOptions.exportType;
    if (context_.exportOptions.toStandardOutput) return target;
    if (single_ && (type == ExportType::Workbook || type == ExportType::Database || type == ExportType::Json)) {
      return target;
    }
    if (single_ && !IsFolder(target)) return target;
    return FolderText(target) + FileNameWithoutExtension(photo) + ".csv";
  }

  FileStep Wipe(const std::string& path) {
    const bool hidden = IsHidden(path);
    if (single_ || hidden || context_.settings.Options[ProgramOption::ConfirmEachWipe]) {
      const std::string text = hidden ? "Confirm Unrecoverable Delete of File\r" + path +
                                            " - is a HIDDEN file\r** WARNING **"
                                      : "Confirm Unrecoverable Delete of File:\r" + path;
      if (!Confirm(WipeQuestion(text), MessageAnswer::kOk)) {
        return FileStep::Failed(hidden ? ListMessage::kWipeHiddenCancelled : ListMessage::kWipeCancelled);
      }
    }
    return operations_.WipeFile(path);
  }

  void Cancelled() {
    ui_.Cue(SoundCue::Attention);
    ui_.SetBusy(false);
    ui_.Show(Box("User Process Cancellation", kUserAbort, MessageIcon::kExclamation, MessageButtons::kOk, 0));
  }

  void Complete() {
    if (context_.failures != nullptr) *context_.failures = report_.AllFailures();
    ui_.SetProgress(100);
    std::string text;
    if (report_.Empty()) {
      text = kAllFilesProcessed;
      if (exportExcluded_) text += std::string("\r") + kExportExcludedTail;
      ui_.Cue(exportExcluded_ ? SoundCue::Attention : SoundCue::Success);
    } else {
      text = report_.CompletionText(kFailuresHeading);
      ui_.Cue(SoundCue::Error);
    }
    ui_.SetBusy(false);
    ui_.Show(CompletionMessage(text));
  }

  BatchContext& context_;
  RunState& state_;
  RunUi& ui_;
  BatchInputs& inputs_;
  AmendOperations& operations_;
  const ProgramFunction function_;
  const bool single_;

  std::string stepMessage_ = kUndefinedProcessingError;
  std::string path_;          // the photo, or the folder ending with "/"
  std::string photosFolder_;  // the folder of the photo(s)
  std::string source_;        // Restore: the source photo
  TextTagRequest request_;
  RunReport report_;
  bool exportExcluded_ = false;
};

}  // namespace

void RunAmendOperation(BatchContext& context, BatchInputs& inputs, AmendOperations& operations) {
  AmendRun run(context, inputs, operations);
  try {
    run.Run();
  } catch (const std::exception&) {
    run.FailureBox();
  }
  run.Reset();
}

}  // namespace kelvane
