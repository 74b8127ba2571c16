// SPDX-License-Identifier: GPL-2.0-or-later
// An operations double for amend runs: records every call and answers with the
// step chosen for the file's name (done when none is chosen); a step chosen as
// late comes, as a commit's does, only when the run ends.
#pragma once

#include <functional>
#include <map>
#include <set>
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
  };

  std::map<std::string, FileStep> steps;               // by file name
  std::set<std::string> late;                          // names whose step comes at the end of the run
  std::map<std::string, ExportPhotoCode> exportCodes;  // ExportPhoto's answers by file name
  ExportFolderResult exportFolder;                     // ExportFolder's answer
  PhotoRun::Start begin = PhotoRun::Start::kStarted;
  int beginError = 0;

  std::vector<Call> calls;
  std::vector<TextTagRequest> requests;
  std::vector<std::string> begun;          // the folders Begin was given
  std::vector<std::string> exportedNames;  // the names ExportFolder was given last
  int ends = 0;

  PhotoRun::Start Begin(const std::string& folder) override {
    begun.push_back(folder);
    return begin;
  }
  int BeginError() const override { return beginError; }
  FileStep AddExifSegment(size_t order, const std::string& target, ProgramFunction function,
                          const std::string& source) override {
    calls.push_back({function == ProgramFunction::RestoreMetadata ? "Restore" : "Create", target, source});
    return StepOf(order, target);
  }
  FileStep AmendTextTag(size_t order, const std::string& path, const TextTagRequest& request) override {
    calls.push_back({"Text", path, {}});
    requests.push_back(request);
    return StepOf(order, path);
  }
  ExportFolderResult ExportFolder(const std::string& folder, const std::vector<std::string>& names,
                                  std::string& target) override {
    calls.push_back({"ExportFolder", folder, target});
    exportedNames = names;
    return exportFolder;
  }
  ExportPhotoResult ExportPhoto(const std::string& photo, const std::string& output) override {
    calls.push_back({"ExportPhoto", photo, output});
    const auto found = exportCodes.find(FileNameOf(photo));
    return {found == exportCodes.end() ? ExportPhotoCode::kExported : found->second, 0, {}};
  }
  FileStep WipeFile(const std::string& path) override {
    calls.push_back({"Wipe", path, {}});
    return StepOf(0, path);
  }
  std::vector<PhotoRun::Completed> TakeCompleted() override {
    std::vector<PhotoRun::Completed> taken;
    if (ended_) taken.swap(pending_);
    return taken;
  }
  void End() override {
    ++ends;
    ended_ = true;
  }

 private:
  FileStep StepOf(size_t order, const std::string& path) {
    const std::string name = FileNameOf(path);
    const auto found = steps.find(name);
    const FileStep step = found == steps.end() ? FileStep::Done() : found->second;
    if (!late.contains(name)) return step;
    pending_.push_back({order, path, step});
    return FileStep::Pending();
  }

  std::vector<PhotoRun::Completed> pending_;
  bool ended_ = false;
};

}  // namespace kelvane::test
