// SPDX-License-Identifier: GPL-2.0-or-later
#include "batch/run_framing.h"

#include <cerrno>
#include <cmath>
#include <cstring>

#include "engine/utility_functions.h"

namespace kelvane {

std::string FolderUnreadableMessage(int osError) {
  return std::string("Folder could not be read: ") + std::strerror(osError != 0 ? osError : EIO);
}

std::string JournalFailedMessage(int osError) {
  return std::string("The run's journal could not be written, so nothing was changed: ") +
         std::strerror(osError != 0 ? osError : EIO);
}

Message ErrorMessage(const std::string& text) {
  Message message;
  message.title = "Error";
  message.text = text;
  message.icon = MessageIcon::kCritical;
  return message;
}

Message UserCancellationMessage() {
  Message message;
  message.title = "User Process Cancellation";
  message.text = kUserAbort;
  message.icon = MessageIcon::kCritical;
  return message;
}

void ShowErrorBox(RunUi& ui, const std::string& text) {
  ui.Cue(SoundCue::Error);
  ui.Show(ErrorMessage(text));
}

bool PumpEventsAndCheckCancel(BatchContext& context) {
  context.ui.PumpEvents();
  if (context.ui.CancelRequested()) context.state.CancelRequested = true;
  return context.state.CancelRequested;
}

int ProgressValue(size_t done, size_t total, int span, int base) {
  if (total == 0) return base;
  return base + static_cast<int>(std::lround(static_cast<double>(done) / static_cast<double>(total) * span));
}

std::string FolderText(const std::string& sourcePath) {
  std::string folder = Trim(sourcePath);
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

void ResetAfterRun(RunUi& ui) {
  ui.SetStatus(1, std::string(kFilesProcessed) + "0");
  ui.SetStatus(2, std::string(kTotalFiles) + "0");
  ui.SetProgress(0);
  ui.ArrangeForFunction();
  ui.SetRunEnabled(false);
  ui.SetCancelEnabled(false);
}

}  // namespace kelvane
