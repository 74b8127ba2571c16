// SPDX-License-Identifier: GPL-2.0-or-later
// The run of the six functions that amend or remove files one by one:
// Restore, Create, Copyright, Image Description, Export and Wipe.
#pragma once

#include <string>

#include "batch/amend_operations.h"
#include "batch/batch_context.h"
#include "batch/batch_inputs.h"

namespace kelvane {


// Runs the selected function (SelectedFunction) on the single photo or on
// every file of the folder of inputs.sourcePath (sorted by name): checks the
// parameters, asks for confirmation of deletes and wipes, calls operations
// for each file, and ends with the completion message, or with a warning,
// failure or cancellation box. Writes back what the window shows afterwards
// (a typed copyright year as used, a single photo's new text, a corrected
// export target). Every way out resets the counters and the progress bar,
// rearranges the window and clears TextEditedByUser; Run stays as the
// window's rearrangement sets it.
void RunAmendOperation(BatchContext& context, BatchInputs& inputs, AmendOperations& operations);

}  // namespace kelvane
