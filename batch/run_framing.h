// SPDX-License-Identifier: GPL-2.0-or-later
// What every run procedure shares: the messages that end a run, the event
// pump with the Cancel check, progress values, the folder text and the
// reset after a run.
#pragma once

#include <cstddef>
#include <string>

#include "batch/batch_context.h"
#include "engine/user_interface.h"

namespace kelvane {

inline constexpr const char* kUndefinedProcessingError = "Undefined processing error";
inline constexpr const char* kFileNotFound = "File not found";
inline constexpr const char* kFolderNotFound = "Folder not found";
inline constexpr const char* kNoFilesFound = "Processing aborted as no files found";
inline constexpr const char* kUserAbort = "Files only partially processed due to user abort.";

inline constexpr const char* kFilesProcessed = "Files Processed: ";
inline constexpr const char* kTotalFiles = "Total Files: ";

// The error box of a folder the run can't read or lock, naming the reason.
std::string FolderUnreadableMessage(int osError);
// The error box of a run whose journal can't be written: it does not start.
std::string JournalFailedMessage(int osError);

// A failure that ends a run: critical icon, title "Error".
Message ErrorMessage(const std::string& text);
// The box after Cancel: critical icon, title "User Process Cancellation".
Message UserCancellationMessage();

// The Error cue, then the error box.
void ShowErrorBox(RunUi& ui, const std::string& text);

// Lets pending events run, then takes a Cancel press into the run state.
// True when Cancel has been pressed during this run.
bool PumpEventsAndCheckCancel(BatchContext& context);

// base + done / total x span, rounded; base when total is 0.
int ProgressValue(size_t done, size_t total, int span, int base);

// The folder of a folder run: the trimmed text, with a closing "/" added
// when it lacks one so that folder + name is always a path in the folder.
std::string FolderText(const std::string& sourcePath);

// Ends every run, whatever way it went: the counters and progress bar back
// to 0, the window rearranged, then Run, its menu twin and Cancel disabled.
void ResetAfterRun(RunUi& ui);

}  // namespace kelvane
