// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/help_pages.h"

#include <array>

namespace kelvane {

namespace {

constexpr std::array<HelpTopic, 14> kTopics{{
    {1, "introduction.html"},
    {2, "about.html"},
    {7, "adjust-file-time.html"},
    {8, "adjust-photo-time.html"},
    {9, "calculator.html"},
    {10, "filename-prefix.html"},
    {11, "restore-metadata.html"},
    {12, "create-metadata.html"},
    {13, "copyright.html"},
    {14, "image-description.html"},
    {15, "export-metadata.html"},
    {16, "wipe-files.html"},
    {17, "options.html"},
    {18, "preview.html"},
}};

}  // namespace

std::span<const HelpTopic> HelpTopics() { return kTopics; }

const char* HelpTopicFile(int topic) {
  for (const HelpTopic& entry : kTopics) {
    if (entry.number == topic) return entry.file;
  }
  return kHelpContentsFile;
}

const char* HelpPageFile(HelpPage page, int topic) {
  switch (page) {
    case HelpPage::kTopic:
      return HelpTopicFile(topic);
    case HelpPage::kContents:
      return kHelpContentsFile;
    case HelpPage::kIndex:
      return kHelpIndexFile;
  }
  return kHelpContentsFile;
}

}  // namespace kelvane
