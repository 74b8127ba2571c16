// SPDX-License-Identifier: GPL-2.0-or-later
// KelvaneMain: the photos folder or single photo, the second path, the
// recent-folder menu, and folders or photos given on the command line or
// dropped on the window.
#include <QAction>
#include <QCheckBox>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <filesystem>
#include <utility>

#include "app/main_window.h"
#include "app/prefix_panel.h"
#include "engine/folder_listing.h"
#include "engine/utility_functions.h"

namespace kelvane {

namespace {

// How long a path given at start-up waits for the window's activation.
constexpr std::chrono::milliseconds kActivationWait{1500};

}  // namespace

bool KelvaneMain::IsFolder(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_directory(path, error);
}

void KelvaneMain::ShowTotalFiles(size_t count) {
  ui_->SetStatus(2, std::string(kTotalFilesText) + std::to_string(count));
}

void KelvaneMain::ShowFileCount(const std::string& path) {
  size_t count = 0;
  if (state_.SinglePhotoMode) {
    count = FileExists(path) ? 1 : 0;
  } else if (const auto files = ListFolderFiles(path)) {
    count = files->size();
  }
  ShowTotalFiles(count);
  state_.SourceChosen = count > 0;
}

void KelvaneMain::BrowseClicked(int index) { Browse(index, fileDialog_); }

void KelvaneMain::Browse(int index, const FileDialog& dialog) {
  // A run works on the folder it started with; the choice waits until it ends.
  if (state_.RunInProgress) return;
  const ProgramFunction function = state_.SelectedFunction;
  const ExportType type = session_.exportOptions.exportType;
  const std::optional<BrowseRequest> request =
      BrowseRequestFor(index, function, state_.SinglePhotoMode, type, ExportTargetFolder());
  if (!request) return;
  const BrowseResult result =
      BrowseForPath(request->mode, request->title, request->filter, request->extension, browseFolders_, dialog);
  QLineEdit* box = pathBoxes_[static_cast<size_t>(index)];

  if (result.code == browse::kCancelled) return;
  if (result.code > browse::kCancelled) {
    ui_->Cue(SoundCue::Error);
    ui_->Show(BrowseErrorMessage(result.code));
    box->clear();
    (index == 0 ? state_.SourceChosen : state_.ExportTargetSet) = false;
    ArrangeForFunction();
    return;
  }

  box->setText(QString::fromStdString(result.path));
  const bool outputFile = (request->mode & browse::kOutput) != 0 && (request->mode & browse::kFolderPick) == 0;
  if (function == ProgramFunction::ExportMetadata && outputFile) {
    if (const std::optional<Message> warning = ExportTargetWarning(FileExtensionOf(result.path), type)) {
      ui_->Cue(SoundCue::Attention);
      ui_->Show(*warning);
    }
  }
  if (!result.path.empty()) {
    if (index == 0) {
      ShowFileCount(result.path);
      if (!state_.SinglePhotoMode) {
        recent_.AddChosenFolder(result.path);
        RebuildRecentMenu();
      }
    } else {
      state_.ExportTargetSet = true;
    }
  }
  state_.TextEditedByUser = false;
  const bool noticeFunction = function == ProgramFunction::AddCopyright || function == ProgramFunction::AddDescription;
  if (index == 0 && noticeFunction && state_.SourceChosen && state_.SinglePhotoMode) ShowPhotoText(true);
  ArrangeForFunction();
}

void KelvaneMain::ChoosePath(const std::string& path) {
  if (activatedOnce_) {
    ChooseNow(path);
    return;
  }
  // A desktop may show a new window without activating it (focus-stealing
  // prevention); the path is then chosen after a short wait all the same.
  pathAtActivation_ = path;
  QTimer::singleShot(kActivationWait, this, [this] {
    if (!pathAtActivation_.empty()) ChooseNow(std::exchange(pathAtActivation_, std::string()));
  });
}

void KelvaneMain::ChooseNow(const std::string& path) {
  if (state_.RunInProgress || path.empty()) return;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error).lexically_normal();
  const std::filesystem::file_status status = std::filesystem::status(absolute, error);
  if (!std::filesystem::exists(status)) {
    ui_->Cue(SoundCue::Attention);
    ui_->Show(PathNotFoundMessage(path));
    return;
  }
  // Leaves a field being edited as a click beside it does, so that the
  // mode can change.
  browseButtons_[0]->setFocus();
  const bool folder = std::filesystem::is_directory(status);
  if (folder == state_.SinglePhotoMode) ToggleSinglePhoto();
  if (folder == state_.SinglePhotoMode) return;
  std::string chosen = absolute.string();
  if (folder && chosen.back() != '/') chosen += '/';
  Browse(0, [&chosen](const DialogRequest&) { return std::optional<std::string>(chosen); });
}

bool KelvaneMain::HandleDrop(QEvent* event) {
  auto* drop = static_cast<QDropEvent*>(event);
  const QList<QUrl> urls = drop->mimeData()->urls();
  if (urls.size() != 1 || !urls.front().isLocalFile()) return false;
  if (state_.RunInProgress) {
    drop->ignore();
  } else if (event->type() == QEvent::Drop) {
    drop->acceptProposedAction();
    ChoosePath(QFile::encodeName(urls.front().toLocalFile()).toStdString());
  } else {
    drop->acceptProposedAction();
  }
  return true;
}

void KelvaneMain::ToggleSinglePhoto() {
  if (state_.FieldEditing || state_.RunInProgress) {
    singlePhoto_->setChecked(state_.SinglePhotoMode);
    menus_.singleFileSMu->setChecked(state_.SinglePhotoMode);
    return;
  }
  const bool wasFolderTarget = ExportTargetFolder();
  const bool on = !state_.SinglePhotoMode;
  state_.SinglePhotoMode = on;
  singlePhoto_->setChecked(on);
  menus_.singleFileSMu->setChecked(on);
  if (on) {
    folderLabel_->setText(QStringLiteral("Select the Photo to Amend:"));
    folderLabel_->setToolTip(QStringLiteral("Select the photo for amendment"));
    browseButtons_[0]->setToolTip(QStringLiteral("Open window to select the photo to amend"));
    pathBoxes_[0]->clear();
    state_.SourceChosen = false;
    state_.TextEditedByUser = false;
    if (prefix_->AddOption() == PrefixPanel::kTimeSequence) prefix_->SetAddOption(PrefixPanel::kNone);
    // Existing text is replaced when a single photo is amended.
    SetSkipBox(false);
    ShowTotalFiles(0);
  } else {
    folderLabel_->setText(QStringLiteral("Photos to Amend Folder (Directory):"));
    folderLabel_->setToolTip(QStringLiteral("Select the folder containing the photos for amendment"));
    browseButtons_[0]->setToolTip(QStringLiteral("Open window to select the folder with the photos to amend"));
    const std::string folder = FolderOf(pathBoxes_[0]->text().toStdString());
    pathBoxes_[0]->setText(QString::fromStdString(folder));
    if (state_.SourceChosen) ShowFileCount(folder);
  }
  prefix_->SetTimeSequenceAllowed(!on);
  menus_.addPrefixOptSMu[PrefixPanel::kTimeSequence]->setEnabled(!on);
  menus_.addPrefixOptSMu[PrefixPanel::kTimeSequenceAndFixed]->setEnabled(!on);
  if (state_.SelectedFunction == ProgramFunction::ExportMetadata && wasFolderTarget != ExportTargetFolder()) {
    ClearExportTarget();
  }
  RebuildRecentMenu();
  ArrangeForFunction();
}

void KelvaneMain::RecentFolderChosen(int index) {
  if (state_.SinglePhotoMode || state_.RunInProgress) return;
  const std::string path = recent_.PathOf(index);
  if (IsFolder(path)) {
    pathBoxes_[0]->setText(QString::fromStdString(path));
    ShowFileCount(path);
    if (index > 0) {
      recent_.MoveToTop(index);
      RebuildRecentMenu();
    }
  } else {
    // A vanished folder stays listed until the next start-up.
    pathBoxes_[0]->clear();
    state_.SourceChosen = false;
    ShowTotalFiles(0);
  }
  state_.TextEditedByUser = false;
  ArrangeForFunction();
}

void KelvaneMain::RebuildRecentMenu() {
  const auto& entries = recent_.Entries();
  for (size_t k = 0; k < entries.size(); ++k) {
    QAction* item = menus_.prevDir[k];
    // A "&" in a path is shown, not taken as a shortcut mark.
    item->setText(QString::fromStdString(RecentFolders::CaptionOf(entries[k]))
                      .replace(QStringLiteral("&"), QStringLiteral("&&")));
    item->setVisible(!entries[k].empty());
    item->setEnabled(!state_.SinglePhotoMode);
  }
  menus_.fileSepPrevDir->setVisible(!entries[0].empty());
}

}  // namespace kelvane
