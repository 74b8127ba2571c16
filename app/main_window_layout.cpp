// SPDX-License-Identifier: GPL-2.0-or-later
// KelvaneMain: function selection and the per-function layout.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <algorithm>

#include "app/adjustment_panel.h"
#include "app/export_panel.h"
#include "app/function_column.h"
#include "app/main_window.h"
#include "app/notice_panel.h"
#include "app/prefix_panel.h"
#include "app/run_enabling.h"
#include "app/scoped_flag.h"
#include "batch/copyright_notice.h"
#include "engine/settings.h"
#include "engine/utility_functions.h"

namespace kelvane {

namespace {

constexpr const char* kCreateText =
    "Creates Metadata where none exists in the photo's data. The "
    "created Metadata contains date/time and size information only. Earliest of the file's "
    "various dates/time values is assumed to be the date/time the photo was taken. It is then "
    "also possible to add Copyright and/or a User Description for example.";
constexpr const char* kWipeText =
    "Files are over-written with 'Null' characters prior to "
    "deletion. Prevents file recovery using programs such as the desktop's 'Trash', "
    "or are totally useless if recovered using more sophisicated techniques.";

bool SharesNoticePanel(ProgramFunction function) {
  return function == ProgramFunction::AddCopyright || function == ProgramFunction::AddDescription;
}

}  // namespace

void KelvaneMain::SelectFunction(int index) {
  if (state_.RunInProgress) {
    menus_.modeSMu[static_cast<size_t>(state_.SelectedFunction)]->setChecked(true);
    return;
  }
  index = std::clamp(index, 0, kFunctionCount - 1);
  const ProgramFunction previous = state_.SelectedFunction;
  const auto function = static_cast<ProgramFunction>(index);

  column_->SetSelected(index);
  memory_.Leave(previous, PanelChoice());
  menus_.modeSMu[static_cast<size_t>(index)]->setChecked(true);
  if (previous == ProgramFunction::WipeFiles) {
    // Any file may be chosen for a wipe, so its choice is not carried over.
    pathBoxes_[0]->clear();
    state_.SourceChosen = false;
    ShowTotalFiles(0);
  }

  state_.NonTimeFunction = index >= 2;
  state_.TimeFunction = function == ProgramFunction::AdjustFileTime || function == ProgramFunction::AdjustMetadataTime;
  state_.MetadataTimeFunction = function == ProgramFunction::AdjustMetadataTime;
  state_.SelectedFunction = function;
  const FunctionTexts& texts = TextsOfFunction(function);
  formLabels_[1]->setText(QString::fromUtf8(texts.title));
  description_->setText(QString::fromUtf8(texts.description));
  helpContext_ = NextHelpContext(function, helpContext_);
  ApplyFunctionCaptions(function);

  // The second path belongs to one function; it is not carried over.
  pathBoxes_[1]->clear();
  state_.ExportTargetSet = false;
  if (function == ProgramFunction::ExportMetadata) {
    const std::string target = session_.store.ReadSetting(kGeneralSection, "DirOut");
    if (!target.empty() && IsFolder(target)) {
      pathBoxes_[1]->setText(QString::fromStdString(target));
      state_.ExportTargetSet = true;
    }
  }

  state_.TextEditedByUser = false;
  if (const std::optional<SharedPanelChoice> choice = memory_.Enter(function)) RestorePanel(*choice);
  if (SharesNoticePanel(function)) {
    if (state_.SourceChosen && state_.SinglePhotoMode) {
      if (function == ProgramFunction::AddDescription) notice_->SetOption(0);
      ShowPhotoText(function == ProgramFunction::AddCopyright);
    }
    notice_->UpdateTextsEmpty();
  }

  ArrangeForFunction();
  browseButtons_[0]->setFocus();
  cancelButton_->setEnabled(false);
  state_.TextEditedByUser = false;
}

void KelvaneMain::ShowPhotoText(bool chooseNoticeType) {
  const ProgramFunction function = state_.SelectedFunction;
  const ExistingTextView view =
      kelvane::ShowExistingText(Trim(pathBoxes_[0]->text().toStdString()), function, chooseNoticeType);
  state_.TextEditedByUser = false;
  if (function == ProgramFunction::AddDescription) {
    notice_->ShowDescription(view.description);
  } else {
    notice_->ShowEntries(view.copyright);
    if (view.noticeType) notice_->SetOption(static_cast<int>(*view.noticeType));
  }
  notice_->UpdateTextsEmpty();
}

void KelvaneMain::OnNoticeOptionByUser() {
  if (state_.SinglePhotoMode && state_.SourceChosen && SharesNoticePanel(state_.SelectedFunction)) {
    ShowPhotoText(false);
    ArrangeForFunction();
  }
}

SharedPanelChoice KelvaneMain::PanelChoice() const { return {!skipBox_->isChecked(), notice_->Option()}; }

void KelvaneMain::RestorePanel(SharedPanelChoice choice) {
  SetSkipBox(!choice.skipUnchecked);
  state_.OverwriteExisting = choice.skipUnchecked;
  notice_->SetOption(choice.option);
}

void KelvaneMain::ApplyFunctionCaptions(ProgramFunction function) {
  static constexpr const char* kCopyrightItems[] = {"Photographer", "Editor", "Both"};
  static constexpr const char* kDescriptionItems[] = {"Add/Replace", "Append", "Prefix"};
  if (SharesNoticePanel(function)) {
    const bool copyright = function == ProgramFunction::AddCopyright;
    notice_->SetMode(copyright ? NoticePanel::Mode::kCopyright : NoticePanel::Mode::kDescription);
    menus_.crIdTypMenu->setTitle(copyright ? QStringLiteral("Copyright for") : QStringLiteral("Amend as"));
    for (size_t i = 0; i < menus_.crIdTypSMu.size(); ++i) {
      menus_.crIdTypSMu[i]->setText(QString::fromUtf8(copyright ? kCopyrightItems[i] : kDescriptionItems[i]));
    }
    skipBox_->setText(QStringLiteral("Skip if text already present"));
    skipBox_->setToolTip(QStringLiteral("To skip photos with an existing entry."));
    if (copyright) notice_->SetYearFromPhoto(state_.YearFromPhoto);
  } else if (function == ProgramFunction::ExportMetadata) {
    const bool workbook = session_.exportOptions.exportType == ExportType::Workbook;
    skipBox_->setText(workbook ? QStringLiteral("Worksheet per photo") : QStringLiteral("File per photo"));
    skipBox_->setToolTip(workbook ? QStringLiteral("Generate a separate .xlsx worksheet for each photo.")
                                  : QStringLiteral("Generate a separate file for each photo."));
    menus_.filePerPhotoSMu->setText(workbook ? QStringLiteral("&Worksheet per photo")
                                             : QStringLiteral("&File per photo"));
    SetSkipBox(session_.exportOptions.perPhoto);
  }
}

void KelvaneMain::ArrangeForFunction() {
  if (arranging_) return;
  const ScopedFlag guard(arranging_);
  const ProgramFunction function = state_.SelectedFunction;
  parametersLabel_->setText(
      QString::fromStdString(ParametersHeading(function, state_.SinglePhotoMode, state_.TextEditedByUser)));
  ShowPanelsFor(function);

  runButton_->setText(QString::fromUtf8(TextsOfFunction(function).runText));
  if (!state_.RunInProgress) cancelButton_->setEnabled(false);
  for (QPushButton* button : browseButtons_) button->setText(QStringLiteral("Browse . ."));
  notice_->SetStandardTextAvailable(state_.StdCopyrightAvailable);
  menus_.crInsertSMu->setEnabled(state_.StdCopyrightAvailable);
  UpdateRunEnabled();
}

void KelvaneMain::ShowPanelsFor(ProgramFunction function) {
  const bool copyright = function == ProgramFunction::AddCopyright;
  const bool describe = function == ProgramFunction::AddDescription;
  const bool exporting = function == ProgramFunction::ExportMetadata;
  const bool restoring = function == ProgramFunction::RestoreMetadata;
  const ExportType type = session_.exportOptions.exportType;
  const bool perPhotoShown =
      exporting && !state_.SinglePhotoMode && (type == ExportType::SheetCsv || type == ExportType::Workbook);

  adjustment_->setVisible(function == ProgramFunction::AdjustMetadataTime);
  prefix_->setVisible(function == ProgramFunction::FilenamePrefix);
  notice_->setVisible(copyright || describe);
  export_->setVisible(exporting);
  skipBox_->setVisible(copyright || describe || perPhotoShown);
  secondPathRow_->setVisible(restoring || exporting);

  if (restoring) {
    secondPathLabel_->setText(QStringLiteral("Source photo:"));
    pathBoxes_[1]->setToolTip(QStringLiteral("The restoration source photo."));
    browseButtons_[1]->setToolTip(QStringLiteral("To open the selection window for the restoration source photo."));
  } else if (exporting) {
    secondPathLabel_->setText(ExportTargetFolder() ? QStringLiteral("Export to . .") : QStringLiteral("Export as . ."));
    pathBoxes_[1]->setToolTip(QStringLiteral("The Folder/File for the generated Export File(s)."));
    browseButtons_[1]->setToolTip(QStringLiteral("To set the Folder/File for the generated Export File(s)."));
  }

  QString first;
  QString second;
  switch (function) {
    case ProgramFunction::RestoreMetadata:
      second = QStringLiteral("Source photo used for all Metadata elements except size.");
      break;
    case ProgramFunction::CreateMetadata:
      first = QString::fromUtf8(kCreateText);
      break;
    case ProgramFunction::AddCopyright:
      if (notice_->Option() == NoticePanel::kBoth) {
        first = QStringLiteral("'Both' Enters 2 Copyright notices, 'Photographer', 'Editor'.");
      } else if (!state_.SinglePhotoMode) {
        first = QStringLiteral("Use 'Single Photo Only' to review any existing Copyright information.");
      }
      break;
    case ProgramFunction::AddDescription:
      if (!state_.SinglePhotoMode)
        first = QStringLiteral("Use 'Single Photo Only' to review any existing Image Description.");
      break;
    case ProgramFunction::ExportMetadata:
      first = QStringLiteral("Refer to 'Options' (from 'Select' menu) for export output parameter settings.");
      break;
    case ProgramFunction::WipeFiles:
      first = QString::fromUtf8(kWipeText);
      break;
    case ProgramFunction::AdjustFileTime:
    case ProgramFunction::AdjustMetadataTime:
    case ProgramFunction::FilenamePrefix:
      break;
  }
  functionTexts_[0]->setText(first);
  functionTexts_[0]->setVisible(!first.isEmpty());
  functionTexts_[1]->setText(second);
  functionTexts_[1]->setVisible(!second.isEmpty());

  const bool adjusting = function == ProgramFunction::AdjustMetadataTime;
  const bool prefixing = function == ProgramFunction::FilenamePrefix;
  menus_.daysAdjustMenu->menuAction()->setVisible(adjusting);
  menus_.timeAdjustMenu->menuAction()->setVisible(adjusting);
  menus_.daysDiffSMu->setVisible(adjusting);
  menus_.remChrSMu->setVisible(prefixing);
  menus_.remChrQtyMenu->menuAction()->setVisible(prefixing);
  menus_.addPrefixMenu->menuAction()->setVisible(prefixing);
  menus_.crIdTypMenu->menuAction()->setVisible(copyright || describe);
  menus_.crIdSkipSMu->setVisible(copyright || describe);
  menus_.crYearSMu->setVisible(copyright);
  menus_.crInsertSMu->setVisible(copyright);
  menus_.crSetStdSMu->setVisible(copyright);
  menus_.exportAsMenu->menuAction()->setVisible(exporting);
  menus_.filePerPhotoSMu->setVisible(perPhotoShown);
  menus_.expExclTechSMu->setVisible(exporting);
}

void KelvaneMain::UpdateRunEnabled() {
  SetPrefixParameters(state_, prefix_->Choices());
  SetRunCommandsEnabled(RunEnabled(state_, notice_->Texts()));
}

void KelvaneMain::SetRunCommandsEnabled(bool enabled) {
  runButton_->setEnabled(enabled);
  menus_.runSMu->setEnabled(enabled);
  const bool preview = enabled && state_.SelectedFunction != ProgramFunction::ExportMetadata;
  previewButton_->setEnabled(preview);
  menus_.previewSMu->setEnabled(preview);
}

void KelvaneMain::SetSkipBox(bool checked) {
  skipBox_->setChecked(checked);
  menus_.crIdSkipSMu->setChecked(checked);
  menus_.filePerPhotoSMu->setChecked(checked);
}

void KelvaneMain::OnSkipBoxToggled(bool checked) {
  menus_.crIdSkipSMu->setChecked(checked);
  menus_.filePerPhotoSMu->setChecked(checked);
  switch (state_.SelectedFunction) {
    case ProgramFunction::AddCopyright:
    case ProgramFunction::AddDescription:
      state_.OverwriteExisting = !checked;
      ArrangeForFunction();
      break;
    case ProgramFunction::ExportMetadata:
      if (session_.exportOptions.perPhoto == checked) break;
      session_.exportOptions.perPhoto = checked;
      ClearExportTarget();
      ArrangeForFunction();
      break;
    default:
      break;
  }
}

void KelvaneMain::OnExportTypeChosen(ExportType type, ExportType previous) {
  ExportOptions& options = session_.exportOptions;
  const bool wasFolder = ExportTargetIsFolder(previous, options.perPhoto, state_.SinglePhotoMode);
  menus_.exportAsSMu[static_cast<size_t>(type)]->setChecked(true);
  if (state_.SelectedFunction == ProgramFunction::ExportMetadata) {
    ApplyFunctionCaptions(ProgramFunction::ExportMetadata);
    if (type == ExportType::DbCsv || type == ExportType::Database || type == ExportType::Json) {
      options.perPhoto = false;
      SetSkipBox(false);
    } else {
      options.perPhoto = skipBox_->isChecked();
    }
  }
  const auto ownFile = [](ExportType t) {
    return t == ExportType::Workbook || t == ExportType::Database || t == ExportType::Json;
  };
  if (ownFile(type) || ownFile(previous) || wasFolder != ExportTargetFolder()) ClearExportTarget();
  ArrangeForFunction();
}

void KelvaneMain::ClearExportTarget() {
  pathBoxes_[1]->clear();
  state_.ExportTargetSet = false;
}

bool KelvaneMain::ExportTargetFolder() const {
  const ExportOptions& options = session_.exportOptions;
  return ExportTargetIsFolder(options.exportType, options.perPhoto, state_.SinglePhotoMode);
}

}  // namespace kelvane
