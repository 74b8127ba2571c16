// The run of the six functions that amend or remove files one by one:
// Restore, Create, Copyright, Image Description, Export and Wipe.
#pragma once

#include <string>

#include "batch/amend_engine.h"
#include "batch/batch_context.h"
#include "batch/copyright_notice.h"

namespace kelvane {

// What the run reads from (and writes back to) the main window's controls.
struct AmendTexts {
  // The photos folder (ending with "/") or, in single-photo mode, the photo.
  std::string sourcePath;
  // Restore: the source photo. Export: the export target, which a folder
  // export may correct.
  std::string secondPath;
  // The Copyright panel's boxes: a typed year is written back as used, and
  // a single-photo run shows the photo's new notices here.
  CopyrightEntries copyright;
  // The description box; a single-photo run shows the new description here.
  std::string description;
};

// The list message of a result code in the completion message of function
// ("" for a code without one).
std::string AmendListMessage(ProgramFunction function, int code);

// Checks the parameters, asks for confirmation of deletes and wipes, runs
// the function on the photo or on every file of the folder (sorted by name)
// through engine, and ends with the completion message, or with a warning,
// failure or cancellation box. Every way out resets the counters and the
// progress bar, rearranges the window and clears TextEditedByUser.
void RunAmendOperation(BatchContext& context, AmendTexts& texts, AmendEngine& engine);

}  // namespace kelvane
