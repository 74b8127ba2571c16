// SPDX-License-Identifier: GPL-2.0-or-later
// An operations double for amend runs: records every call and answers with the
// code chosen for the file's name (0 when none is chosen).
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "batch/amend_operations.h"
#include "engine/utility_functions.h"

namespace kelvane::test {

class FakeAmendOperations : public AmendOperations {
 public:
  struct Call {
    std::string operation;
    std::string path;    // the photo, or the folder of ExportFolder
    std::string second;  // the restore source or the export output
    FileProgressRange progress;
  };
  struct Write {
    std::string path;
    int slot = 0;
    ExifTagRecord record;
  };

  std::map<std::string, int> codes;  // by file name
  int exportFolderCode = 0;
  int wipeDone = -1;  // WipeFile's answer for a file without a chosen code
  // Runs at each WriteExifTag call before it answers.
  std::function<void(const Write&)> onWrite;

  std::vector<Call> calls;
  std::vector<Write> writes;

  int16_t AddExifSegment(const std::string& target, ProgramFunction function, const std::string& source,
                         const FileProgressRange& progress) override {
    calls.push_back({function == ProgramFunction::RestoreMetadata ? "Restore" : "Create", target, source, progress});
    return static_cast<int16_t>(CodeOf(target, 0));
  }
  int16_t WriteExifTag(const std::string& path, int slot, const ExifTagRecord& newTag,
                       const FileProgressRange& progress) override {
    calls.push_back({"Write", path, {}, progress});
    writes.push_back({path, slot, newTag});
    if (onWrite) onWrite(writes.back());
    return static_cast<int16_t>(CodeOf(path, 0));
  }
  int16_t ExportFolder(const std::string& folder, std::string& target) override {
    calls.push_back({"ExportFolder", folder, target, {}});
    return static_cast<int16_t>(exportFolderCode);
  }
  int16_t ExportPhoto(const std::string& photo, const std::string& output) override {
    calls.push_back({"ExportPhoto", photo, output, {}});
    return static_cast<int16_t>(CodeOf(photo, 0));
  }
  int32_t WipeFile(const std::string& path) override {
    calls.push_back({"Wipe", path, {}, {}});
    return CodeOf(path, wipeDone);
  }

 private:
  int CodeOf(const std::string& path, int otherwise) const {
    const auto found = codes.find(FileNameOf(path));
    return found == codes.end() ? otherwise : found->second;
  }
};

}  // namespace kelvane::test
