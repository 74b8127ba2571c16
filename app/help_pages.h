// SPDX-License-Identifier: GPL-2.0-or-later
// The help pages: one per help topic number, a contents page and an index
// page, all in the program's help folder.
#pragma once

#include <span>

namespace kelvane {

enum class HelpPage { kTopic, kContents, kIndex };

inline constexpr const char* kHelpContentsFile = "contents.html";
inline constexpr const char* kHelpIndexFile = "index.html";

struct HelpTopic {
  int number;
  const char* file;
};

// Every topic the windows open: the start-up topic and the start message
// (1), About (2), the nine functions (7, 8, 10 to 16), the calculator (9),
// the Options dialog (17) and the preview window (18).
std::span<const HelpTopic> HelpTopics();

// The page file of a topic; the contents page for a number without a page.
const char* HelpTopicFile(int topic);

// The page file to open: the topic's, the contents or the index.
const char* HelpPageFile(HelpPage page, int topic);

}  // namespace kelvane
