// SPDX-License-Identifier: GPL-2.0-or-later
// A text as a JSON string, for the files written line by line without a
// JSON document in memory (the run journal, the JSON export).
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

// Appends text quoted, with quotes, backslashes and control characters
// escaped. The text must be UTF-8 already: other bytes are not mended.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace kelvane
